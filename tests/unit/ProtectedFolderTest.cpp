// An elevated run keeps what it imports in a folder that only administrators may change: a
// folder of that name made first by someone else is refused, and nothing the user's programs
// can change (Shell Folders, the user's folders, Exclusions.txt) steers where it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/RunMessages.h"
#include "engine/RunReport.h"
#include "platform/UndoFolderTrust.h"
#include "ui/ReportRun.h"
#include "unit/SafetyMachine.h"

namespace {

const std::string kProtected = "C:\\ProgramData\\Ostrawin\\Klarvex\\S-1-5-21-1-2-3-1001";

// A machine with a problem of every category whose run is elevated; stage runs before the
// folders are taken.
struct Elevated : SafetyMachine {
  explicit Elevated(const std::function<void(Elevated&)>& stage = {}) {
    Start();
    StageEveryCategory();
    sim.process.elevated = true;
    sim.files.PutFolder("C:\\ProgramData");
    if (stage) stage(*this);
    InitPaths();
  }
  ~Elevated() override { Stop(); }
  // The machine's profile list names the user's profile folder.
  void ListProfile() {
    sim.registry.StageString(RootKey::LocalMachine, simkeys::kProfileList + sim.process.userSid,
                             "ProfileImagePath", "%SystemDrive%\\Users\\user", regtype::kExpandSz);
  }
  // The folders above the user's own, as an earlier elevated run made them.
  void ProtectedParents() {
    sim.files.MakeProtectedFolder("C:\\ProgramData\\Ostrawin", "AU");
    sim.files.MakeProtectedFolder("C:\\ProgramData\\Ostrawin\\Klarvex", "AU");
  }
};

TEST(ProtectedFolder, AFolderSomeoneElseMadeFirstIsRefusedAndTheRunChangesNothing) {
  struct Case {
    const char* what;
    std::function<void(Elevated&)> stage;
    UndoFolderState state;
    std::string folder;
  };
  const Case cases[] = {
      {"made by the user",
       [](Elevated& m) {
         m.ProtectedParents();
         m.sim.files.PutFolder(kProtected);
       },
       UndoFolderState::NotProtected, kProtected},
      {"others may change it",
       [](Elevated& m) {
         m.ProtectedParents();
         m.sim.files.PutFolder(kProtected);
         m.sim.files.SetOwner(kProtected, SimOwner::Administrators);
         m.sim.files.LetStandardUsersChange(kProtected);
       },
       UndoFolderState::NotProtected, kProtected},
      {"a link to the user's folder",
       [](Elevated& m) {
         m.ProtectedParents();
         m.sim.files.PutFolder("C:\\Users\\user\\Mine");
         m.sim.files.PutFolderLink(kProtected, "C:\\Users\\user\\Mine");
       },
       UndoFolderState::ReparsePoint, kProtected},
      {"a parent made by the user",
       [](Elevated& m) { m.sim.files.PutFolder("C:\\ProgramData\\Ostrawin"); },
       UndoFolderState::NotProtected, "C:\\ProgramData\\Ostrawin"},
      {"the maker's folder a link made first",
       [](Elevated& m) {
         m.sim.files.PutFolder("C:\\Users\\user\\Mine");
         m.sim.files.PutFolderLink("C:\\ProgramData\\Ostrawin", "C:\\Users\\user\\Mine");
       },
       UndoFolderState::ReparsePoint, "C:\\ProgramData\\Ostrawin"},
      {"no program-data folder known", [](Elevated& m) { m.sim.process.programData = ""; },
       UndoFolderState::NoProgramData, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Elevated m(c.stage);
    const UndoFolderCheck check = CheckUndoFolder();
    EXPECT_EQ(check.state, c.state);
    EXPECT_EQ(check.folder, c.folder);
    EXPECT_EQ(m.RefusedClean(), std::vector<std::string>{runmsg::UndoFolderUnusable(check)});
    // Nothing is made below a folder of the chain that was refused.
    EXPECT_TRUE(m.sim.files.List("C:\\Users\\user\\Mine").empty());
  }
}

// Shell Folders\AppData names a folder behind a link: the elevated run neither makes nor
// writes anything there, and every file it hands the editor lies in the protected folder.
TEST(ProtectedFolder, TheUsersRegistryAndFoldersSteerNoWriteOfAnElevatedRun) {
  Elevated m([](Elevated& e) {
    e.sim.files.PutFolder("C:\\Attacker");
    e.sim.files.PutFolderLink("C:\\Users\\user\\J", "C:\\Attacker");
    e.sim.registry.StageString(RootKey::CurrentUser, simkeys::kShellFolders, "AppData",
                               "C:\\Users\\user\\J\\x\\Roaming", regtype::kSz);
  });
  EXPECT_EQ(UndoDir(), kProtected + "\\");
  for (const std::string& folder : {std::string("C:\\ProgramData\\Ostrawin"), kProtected}) {
    EXPECT_EQ(m.sim.files.Entries().at(UpperAscii(folder)).owner, SimOwner::Administrators);
  }
  ASSERT_TRUE(m.engine.Run(RunMode::Clean));
  EXPECT_EQ(m.UndoFiles().size(), 1u);
  EXPECT_TRUE(m.sim.files.List("C:\\Attacker").empty());
  ASSERT_FALSE(m.sim.process.runs.empty());
  for (const SimProcess::Run& run : m.sim.process.runs) {
    EXPECT_NE(UpperAscii(run.arguments).find(UpperAscii(kProtected)), std::string::npos)
        << run.arguments;
  }
}

// The user's folder of an elevated run is the profile the machine lists for the user: a folder
// setting pointing anywhere else is ignored (and named once), and nothing is created there.
TEST(ProtectedFolder, AFolderSettingOutsideTheProfileIsIgnored) {
  for (const std::string appData :
       {"C:\\WINDOWS\\System32", "C:\\Users\\other\\AppData\\Roaming"}) {
    Elevated m([&](Elevated& e) {
      e.sim.files.PutFolder("C:\\Users\\other\\AppData\\Roaming\\Ostrawin\\Klarvex\\Undo");
      e.ListProfile();
      e.sim.registry.StageString(RootKey::CurrentUser, simkeys::kShellFolders, "AppData", appData);
    });
    EXPECT_EQ(UserUndoDir(), "C:\\USERS\\USER\\APPDATA\\ROAMING\\Ostrawin\\Klarvex\\Undo\\");
    ASSERT_TRUE(m.engine.Run(RunMode::Scan) && m.engine.Run(RunMode::Scan));
    const auto names = [&](const std::string& told) {
      return told.find(UpperAscii(appData)) != std::string::npos;
    };
    EXPECT_EQ(std::ranges::count_if(m.host.informations, names), 1) << appData;
    EXPECT_TRUE(m.sim.files.List(appData + "\\Ostrawin\\Klarvex\\Undo").empty()) << appData;
  }
}

// The user's folder of an elevated run is used only while the user, the Administrators or the
// system own it and every folder down to it from the profile: another account's is named once,
// nothing is made in it, and an Exclusions.txt there is not read (the run is refused).
TEST(ProtectedFolder, TheUsersFolderIsUsedOnlyWhileNoOtherAccountOwnsItOrAFolderAbove) {
  const std::string profile = "C:\\Users\\user";
  const std::string klarvex = profile + "\\AppData\\Roaming\\Ostrawin\\Klarvex";
  const struct {
    std::string folder;
    SimOwner owner;
    bool used;
  } cases[] = {{klarvex, SimOwner::User, true},
               {klarvex, SimOwner::Administrators, true},
               {profile, SimOwner::System, true},
               {klarvex, SimOwner::OtherUser, false},
               {profile, SimOwner::OtherUser, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " owner " + std::to_string(static_cast<int>(c.owner)));
    Elevated m([&](Elevated& e) {
      e.ListProfile();
      e.sim.files.Erase(klarvex + "\\Undo");
      e.sim.files.SetOwner(c.folder, c.owner);
    });
    EXPECT_EQ(m.sim.files.Exists(klarvex + "\\Undo"), c.used);
    ASSERT_TRUE(m.engine.Run(RunMode::Scan));
    ASSERT_TRUE(m.engine.Run(RunMode::Scan));
    int named = 0;
    for (const std::string& told : m.host.informations) {
      named += told.find("does not use the user's folder") != std::string::npos &&
               UpperAscii(told).find(UpperAscii(c.folder)) != std::string::npos;
    }
    EXPECT_EQ(named, c.used ? 0 : 1);
    m.sim.files.PutFile(klarvex + "\\Undo\\" + kExclusionsFileName, "; kept by hand\r\n");
    m.host.informations.clear();
    EXPECT_EQ(m.engine.Run(RunMode::Scan), c.used);
    EXPECT_EQ(
        m.host.informations.empty() || !m.host.informations[0].starts_with("Klarvex did not read"),
        c.used);
  }
}

// Exclusions.txt and the report stay where the user names them, but no link on their way is
// followed: an elevated run would otherwise read or overwrite any file for the user.
TEST(ProtectedFolder, ExclusionsAndReportsReachedThroughLinksAreRefused) {
  const std::string secret = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Secret\r\n";
  struct Case {
    const char* what;
    std::function<void(SimFiles&, const std::string& exclusions)> stage;
  };
  const Case cases[] = {
      {"a second name of an administrator's file",
       [&](SimFiles& files, const std::string& exclusions) {
         files.PutFile("C:\\Admin\\secret.txt", secret);
         files.PutHardLink(exclusions, "C:\\Admin\\secret.txt");
       }},
      {"a junction on its folder",
       [&](SimFiles& files, const std::string& exclusions) {
         files.PutFile("C:\\Admin\\Exclusions.txt", secret);
         files.Erase(UserUndoDir());
         files.PutFolderLink(UserUndoDir(), "C:\\Admin");
         (void)exclusions;
       }},
      {"larger than any list",
       [](SimFiles& files, const std::string& exclusions) {
         files.PutFile(exclusions, std::string(kMaxExclusionsFile + 1, '#'));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Elevated m;
    const std::string exclusions = UserUndoDir() + kExclusionsFileName;
    c.stage(m.sim.files, exclusions);
    const std::vector<std::string> said = m.RefusedClean();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_TRUE(said[0].starts_with("Klarvex did not read \"" + exclusions));
  }
  // The report: a junction in a folder above it leads to a file it would overwrite.
  Elevated m;
  m.sim.files.PutFile("C:\\Admin\\important.cfg", "mine");
  m.sim.files.PutFolderLink("C:\\x\\linkdir", "C:\\Admin");
  EXPECT_EQ(RunReport(RunMode::Scan, "C:\\x\\linkdir\\important.cfg"), kExitNotCompleted);
  EXPECT_EQ(m.sim.files.FileText("C:\\Admin\\important.cfg"), "mine");
  // The report's folder becomes a link just as the report is opened: the file made where it
  // leads is removed again.
  m.sim.files.PutFolder("C:\\Swap");
  m.sim.files.failWhen = [&](const SimFileCall& call) {
    if (call.call == "Hold" && call.path == "C:\\Swap\\new.json" &&
        !m.sim.files.Exists("C:\\Admin\\Swap")) {
      m.sim.files.Erase("C:\\Swap");
      m.sim.files.PutFolder("C:\\Admin\\Swap");
      m.sim.files.PutFolderLink("C:\\Swap", "C:\\Admin\\Swap");
    }
    return 0L;
  };
  EXPECT_EQ(RunReport(RunMode::Scan, "C:\\Swap\\new.json"), kExitNotCompleted);
  EXPECT_TRUE(m.sim.files.List("C:\\Admin\\Swap").empty());
}

}  // namespace
