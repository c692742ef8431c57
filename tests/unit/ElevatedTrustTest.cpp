// What a program without elevation may place in the user's folders does not steer a run: the
// undo folder's chain, the held deletion script, the export read back, the report file; nor do
// its classes open the window's links, nor its named objects stop or capture a run.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "engine/RunMessages.h"
#include "engine/RunReport.h"
#include "platform/UndoFolderTrust.h"
#include "support/FormTest.h"
#include "ui/Layout.h"
#include "ui/ReportRun.h"
#include "ui/RunningInstance.h"
#include "unit/SafetyMachine.h"

namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// What an attacker would bring in: a machine-wide key of his choosing.
const std::string kForeignKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Foreign";
const std::string kForeignBlock = "[HKEY_LOCAL_MACHINE\\" + kForeignKey + "]\r\n\"x\"=\"y\"\r\n";

// A fresh machine with a problem of every category, one per case.
struct Machine : SafetyMachine {
  Machine() {
    Start();
    StageEveryCategory();
  }
  ~Machine() override { Stop(); }
  bool ForeignKeyIn() { return sim.registry.HasKey(RootKey::LocalMachine, kForeignKey); }
  bool KeptApp1() { return sim.registry.HasKey(RootKey::LocalMachine, kUninstall + "KvxApp1"); }
  static std::string Undo(const std::string& below = {}) {
    return UndoDir().substr(0, UndoDir().size() - 1) + below;
  }
  using EngineTest::ScriptPath;
};

TEST(ElevatedTrust, AnUntrustedUndoFolderStopsTheRunAndChangesNothing) {
  const std::string appData = "C:\\Users\\user\\AppData\\Roaming";
  const std::string undo = appData + "\\Ostrawin\\Klarvex\\Undo";
  const std::string undoUpper = "C:\\USERS\\USER\\APPDATA\\ROAMING\\Ostrawin\\Klarvex\\Undo";
  struct Case {
    const char* what;
    std::function<void(SimFiles&, SimRegistry&)> stage;
    UndoFolderState state;
    std::string folder;
  };
  const Case cases[] = {
      {"junction on the undo folder",
       [&](SimFiles& files, SimRegistry&) {
         files.Erase(undo);
         files.PutFolderLink(undo, "C:\\Elsewhere");
       },
       UndoFolderState::ReparsePoint, undoUpper},
      {"junction on a parent",
       [&](SimFiles& files, SimRegistry&) {
         files.Erase(appData + "\\Ostrawin");
         files.PutFolder("C:\\Elsewhere\\Klarvex\\Undo");
         files.PutFolderLink(appData + "\\Ostrawin", "C:\\Elsewhere");
       },
       UndoFolderState::ReparsePoint, "C:\\USERS\\USER\\APPDATA\\ROAMING\\Ostrawin"},
      {"another user's folder",
       [&](SimFiles& files, SimRegistry&) { files.SetOwner(undo, SimOwner::OtherUser); },
       UndoFolderState::ForeignOwner, undoUpper},
      {"AppData not a full path",
       [](SimFiles&, SimRegistry& registry) {
         registry.StageString(RootKey::CurrentUser, simkeys::kShellFolders, "AppData", "Roaming",
                              regtype::kSz);
       },
       UndoFolderState::NoAppData, "ROAMING\\Ostrawin\\Klarvex\\Undo"},
      {"undo folder not made",
       [&](SimFiles& files, SimRegistry&) {
         files.Erase(appData + "\\Ostrawin");
         files.failWhen = [](const SimFileCall& c) { return c.call == "MakeFolder" ? 5L : 0L; };
       },
       UndoFolderState::Unavailable, undoUpper},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    c.stage(m.sim.files, m.sim.registry);
    InitPaths();
    const UndoFolderCheck check = CheckUndoFolder();
    EXPECT_EQ(check.state, c.state);
    EXPECT_EQ(check.folder, c.folder);
    EXPECT_EQ(m.RefusedClean(), std::vector<std::string>{runmsg::UndoFolderUnusable(check)});
  }
}

TEST(ElevatedTrust, TheScriptIsHeldUntilTheImportAndCheckedAgainstMemory) {
  const Bytes foreign(kForeignBlock.begin(), kForeignBlock.end());
  {
    // During the import nobody may write or delete the script.
    Machine m;
    long written = 0;
    bool removed = true;
    m.sim.process.beforeRun = [&](const SimProcess::Run& run) {
      if (run.arguments.find(kFixScriptName) == std::string::npos) return true;
      written = m.sim.files.WriteAll(m.ScriptPath(), foreign);
      removed = m.sim.files.RemoveFile(m.ScriptPath());
      return true;
    };
    m.engine.OnCleanClicked();
    EXPECT_EQ(written, status::kSharingViolation);
    EXPECT_FALSE(removed);
    EXPECT_FALSE(m.ForeignKeyIn());
    EXPECT_FALSE(m.KeptApp1());
  }
  // Between its writing and its holding the script is swapped: the hold finds other bytes, and
  // nothing is imported.
  Machine m;
  int holds = 0;
  m.sim.files.failWhen = [&](const SimFileCall& call) {
    if (call.call == "Hold" && call.path.ends_with(kFixScriptName) && ++holds == 2) {
      m.sim.files.PutFileBytes(call.path, foreign);
    }
    return 0L;
  };
  m.engine.OnCleanClicked();
  // Written, held for the import, and held once more to be removed at the run's end.
  EXPECT_EQ(holds, 3);
  EXPECT_FALSE(m.ForeignKeyIn());
  EXPECT_TRUE(m.KeptApp1());
  EXPECT_EQ(m.sim.process.runs.back().arguments.find(kFixScriptName), std::string::npos);
}

TEST(ElevatedTrust, TheReadBackComparesWithTheScriptAsWritten) {
  Machine m;
  m.sim.registry.FailWritesBelow(RootKey::LocalMachine, kUninstall + "KvxApp1");
  // Once the editor is done, the file on disk is made to name nothing.
  m.sim.process.beforeRun = [&](const SimProcess::Run& run) {
    if (run.arguments.find(kFixScriptName) == std::string::npos) return true;
    m.sim.files.failWhen = [&](const SimFileCall& call) {
      if (call.call == "Hold" && call.path.ends_with(kFixScriptName)) {
        m.sim.files.PutFile(call.path, "REGEDIT4\r\n");
      }
      return 0L;
    };
    return true;
  };
  m.engine.OnCleanClicked();
  EXPECT_TRUE(m.KeptApp1());
  ASSERT_FALSE(m.host.informations.empty());
  EXPECT_NE(m.host.informations.back().find("KvxApp1"), std::string::npos);
}

TEST(ElevatedTrust, AnExportThatIsNotTheEditorsPlainFileIsNoBackup) {
  struct Case {
    const char* what;
    // After the old export is gone, before the editor writes; once the editor has written.
    std::function<void(SimFiles&, const std::string&)> before, after;
  };
  const auto none = [](SimFiles&, const std::string&) {};
  const Case cases[] = {
      {"a foreign key added", none,
       [](SimFiles& files, const std::string& exportFile) {
         std::u16string text;
         ReadTextFile(exportFile, text);
         files.WriteAll(exportFile, Utf16File(text + Ansi().ToWide(kForeignBlock)));
       }},
      {"a hard link to another file",
       [](SimFiles& files, const std::string& exportFile) {
         files.PutFile("C:\\Victim.txt", "mine");
         files.PutHardLink(exportFile, "C:\\Victim.txt");
       },
       none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    m.sim.process.RegisterProgram("C:\\WINDOWS\\regedit.exe", [&](const std::string& arguments) {
      const bool app1 = arguments.find("KvxApp1") != std::string::npos;
      const std::string exportFile = UndoDir() + kExportFileName;
      if (app1) c.before(m.sim.files, exportFile);
      RunSimRegedit(arguments);
      if (app1) c.after(m.sim.files, exportFile);
    });
    m.engine.OnCleanClicked();
    EXPECT_TRUE(m.KeptApp1());
    for (const std::u16string& line : UndoJournal) {
      EXPECT_EQ(line.find(u"Foreign"), std::u16string::npos);
    }
  }
}

TEST(ElevatedTrust, AReportFileThatIsALinkOrAnUndoFileIsRefused) {
  Machine m;
  m.sim.files.PutFile("C:\\Victim.txt", "mine");
  m.sim.files.PutHardLink("C:\\Reports\\linked.json", "C:\\Victim.txt");
  m.sim.files.PutFile(UndoDir() + "Undo 26-12-07-01.reg", "backup");
  struct Case {
    std::string path;
    const char* kept;  // what stays at path
  };
  const Case cases[] = {{"C:\\Reports\\linked.json", "mine"},
                        {UndoDir() + "Undo 26-12-07-01.reg", "backup"},
                        {UndoDir() + "new.json", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(RunReport(RunMode::Clean, c.path), kExitNotCompleted);
    EXPECT_EQ(m.sim.files.FileText(c.path), c.kept);
    EXPECT_TRUE(m.sim.process.runs.empty());
  }
  EXPECT_FALSE(m.sim.files.Exists(UndoDir() + "new.json"));
}

class ElevatedWindowTest : public FormTest {};

// The advert and "Open folder": the user's own shell opens them, or the user is shown them.
TEST_F(ElevatedWindowTest, LinksNeverOpenWithTheElevatedToken) {
  form.CreateForm();
  const std::vector<std::string> both = {kAdvertisedAddress, UndoDir()};
  struct Case {
    const char* what;
    bool elevated, desktopShell;
    std::vector<std::string> here, byDesktop, shown;
  };
  const std::string yourself = "Open this yourself:\n";
  const Case cases[] = {
      {"a standard user's window", false, true, both, {}, {}},
      {"elevated, the desktop's shell", true, true, {}, both, {}},
      {"elevated, no shell (Wine)", true, false, {}, {}, {yourself + both[0], yourself + both[1]}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.process.elevated = c.elevated;
    sim.shell = SimShell();
    sim.shell.desktopShell = c.desktopShell;
    dialogs.information.shown.clear();
    form.OnAdLinkClicked();
    form.OnOpenFolderClicked();
    std::vector<std::string> here, shown;
    for (const SimShell::Opened& o : sim.shell.opened) here.push_back(o.target);
    for (const std::string& text : dialogs.information.shown) {
      shown.push_back(text.substr(text.find("Open this")));
    }
    EXPECT_EQ(here, c.here);
    EXPECT_EQ(sim.shell.openedByDesktop, c.byDesktop);
    EXPECT_EQ(shown, c.shown);
  }
}

class LockTest : public SimTest {};

// Who may take the run lock and the instance lock first, and whose window takes a hand-over.
TEST_F(LockTest, NamesALowerProgramTookNeitherStopNorCaptureAnElevatedRun) {
  const std::set<std::string> both = {kRunLockName, kInstanceLockName};
  const std::string exe = sim.process.exePath;
  const WindowOwner squatter{0x51, "C:\\Users\\user\\squat.exe", false};
  const WindowOwner elevatedKlarvex{0x52, exe, true}, standardKlarvex{0x53, exe, false};
  struct Case {
    const char* what;
    bool elevated;
    std::set<std::string> takenInSession, takenByAdmins;
    std::vector<WindowOwner> windows;
    bool runLock;
    uintptr_t instance;
  };
  const Case cases[] = {
      {"lower program took both, elevated start", true, both, {}, {squatter}, true, 0},
      {"lower program took both, standard start", false, both, {}, {squatter}, false, 0},
      {"elevated Klarvex runs, elevated start",
       true,
       both,
       both,
       {squatter, elevatedKlarvex},
       false,
       0x52},
      {"standard Klarvex runs, elevated start", true, both, {}, {standardKlarvex}, true, 0},
      {"standard Klarvex runs, standard start", false, both, {}, {standardKlarvex}, false, 0x53},
      {"elevated Klarvex runs, standard start", false, {}, {}, {elevatedKlarvex}, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.process.elevated = c.elevated;
    sim.process.heldLocks.clear();
    sim.process.heldElsewhere = c.takenInSession;
    sim.process.heldByAdministrators = c.takenByAdmins;
    sim.process.windows = {{kWindowClass, c.windows}};
    EXPECT_EQ(HoldLockOfItsRights(kRunLockName), c.runLock);
    EXPECT_EQ(RunningInstance(), c.instance);
  }
}

}  // namespace
