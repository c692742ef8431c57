#include <gtest/gtest.h>

#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunKeyCU = "[HKEY_CURRENT_USER\\" + kRun + "\\]";

class CheckStartupTest : public EngineTest {
 protected:
  void Put(const std::string& name, const std::string& command) {
    PutString(kCU, kRun, name, command);
  }
};

TEST_F(CheckStartupTest, RemovesRunValuesWhoseProgramCannotBeFound) {
  PutString(kCU, kRun, "", "C:\\Gone\\default.exe");  // the default value starts nothing
  Put("Empty", "");
  PutValue(kCU, kRun, "Binary", regtype::kBinary, {0x43, 0x3A, 0x5C, 0x00});
  PutDword(kCU, kRun, "Number", 1);
  Put("Blank", "   ");
  Put("Runner", "C:\\Gone\\Rundll32Helper.exe /quiet");
  Put("SysRoot", "\\SystemRoot\\Gone\\svc.exe");
  Put("Moved", "C:\\Old\\ctfmon.exe /n");
  Put("Folder", "C:\\Program Files\\Klarvex");
  Put("Present", "\"C:\\Program Files\\Klarvex\\Klarvex.exe\" /min");
  Put("Gone", "C:\\Gone\\tool.exe -start");
  Put("Quote\"d", "C:\\Gone\\q.exe");
  Put("Back\\slash", "C:\\Gone\\b.exe");
  PutString(kCU, kRun, "Typed", "C:\\Gone\\expand.exe", regtype::kExpandSz);

  PrepareChecks();
  engine.CheckStartup(kCU);

  TextList expectedScript = {"REGEDIT4", ""};
  TextList expectedLog;
  for (const char* line :
       {"\"Empty\"=-", "\"Binary\"=-", "\"Number\"=-", "\"Blank\"=-", "\"Folder\"=-", "\"Gone\"=-",
        "\"Quote\\\"d\"=-", "\"Back\\\\slash\"=-", "\"Typed\"=-"}) {
    expectedScript.insert(expectedScript.end(), {kRunKeyCU, line, ""});
  }
  for (const char* name : {"Empty", "Binary", "Number", "Blank", "Folder", "Gone", "Quote\"d",
                           "Back\\slash", "Typed"}) {
    expectedLog.push_back("[HKCU]\\" + kRun + "\\" + name + " ... deleted");
  }
  EXPECT_EQ(FixScript, expectedScript);
  EXPECT_EQ(engine.CategoryLog(kStartup), expectedLog);
  EXPECT_EQ(engine.CategoryCount(kStartup), 9);
  // Nothing is deleted before the script is imported.
  EXPECT_TRUE(sim.registry.GetValue(kCU, kRun, "Gone").has_value());
}

// A name holding a line break would write lines of its own choosing into the deletion script and
// the undo file: a Run value and a history value with one stay, named nowhere.
TEST_F(CheckStartupTest, NamesWithLineBreaksAreNeverActedOn) {
  const std::string evil = "Evil\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Injected]\r\n\"Hook";
  const std::string mru = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  Put(evil, "C:\\Gone\\evil.exe");
  PutString(kLM, kRun, evil, "C:\\Gone\\evil.exe");
  PutString(kCU, mru, evil, "cmd");
  Put("Gone", "C:\\Gone\\tool.exe");

  engine.OnCleanClicked();

  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
  EXPECT_EQ(engine.CategoryCount(kTemporary), 0);
  for (const Finding& f : engine.Findings()) EXPECT_EQ(f.valueName.find("Evil"), std::string::npos);
  for (const auto& [root, key] : {std::pair{kCU, kRun}, {kLM, kRun}, {kCU, mru}}) {
    EXPECT_TRUE(sim.registry.GetValue(root, key, evil).has_value()) << key;
  }
  EXPECT_FALSE(sim.registry.GetValue(kCU, kRun, "Gone").has_value());
  EXPECT_EQ(sim.files.FileText(UndoDir() + kFixScriptName).find("Injected"), std::string::npos);
  for (const std::u16string& line : UndoJournal) EXPECT_EQ(line.find(u"Injected"), line.npos);
}

TEST_F(CheckStartupTest, EscapedNamesDeleteExactlyTheirOwnValueOnImport) {
  Put("Quote\"d", "C:\\Gone\\q.exe");
  Put("Back\\slash", "C:\\Gone\\b.exe");
  Put("Quote", "C:\\Program Files\\Klarvex\\Klarvex.exe");
  Put("Back", "C:\\Program Files\\Klarvex\\Klarvex.exe");
  PrepareChecks();
  engine.CheckStartup(kCU);
  ASSERT_EQ(SaveFixScript(ScriptPath(), FixScript), status::kSuccess);
  RunRegedit(" /s \"" + ScriptPath() + "\"");

  EXPECT_FALSE(sim.registry.GetValue(kCU, kRun, "Quote\"d").has_value());
  EXPECT_FALSE(sim.registry.GetValue(kCU, kRun, "Back\\slash").has_value());
  EXPECT_TRUE(sim.registry.GetValue(kCU, kRun, "Quote").has_value());
  EXPECT_TRUE(sim.registry.GetValue(kCU, kRun, "Back").has_value());
}

// Paths whose text cannot decide: variables the folder rules do not know, and drives that are
// not a present fixed disk. Each entry stays when its file may well exist.
TEST_F(CheckStartupTest, KeepsCommandsWhoseFileMayStillExist) {
  sim.process.SetEnvironment("LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local");
  sim.process.SetEnvironment("USERPROFILE", "C:\\Users\\user");
  PutFile("C:\\Users\\user\\AppData\\Local\\Sync\\sync.exe");
  PutFile("C:\\Users\\user\\bin\\tray.exe");
  sim.files.SetDrive('E', DriveKind::Removable);
  sim.files.SetDrive('N', DriveKind::Remote);
  Put("Local", "\"%LOCALAPPDATA%\\Sync\\sync.exe\" /background");
  Put("Profile", "%USERPROFILE%\\bin\\tray.exe");
  Put("Usb", "E:\\Portable\\app.exe");
  Put("Absent", "F:\\Tools\\app.exe");
  Put("Share", "N:\\Tools\\app.exe");
  Put("Unc", "\\\\server\\share\\app.exe");
  Put("LocalGone", "%LOCALAPPDATA%\\Gone\\gone.exe");

  PrepareChecks();
  engine.CheckStartup(kCU);

  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", "", kRunKeyCU, "\"LocalGone\"=-", ""}));
  EXPECT_EQ(engine.CategoryLog(kStartup),
            (TextList{"[HKCU]\\" + kRun + "\\LocalGone ... deleted"}));
}

TEST_F(CheckStartupTest, MachinePassWritesItsOwnPrefixesAndSkipsAKeyItCannotChange) {
  PutString(kLM, kRun, "Old", "C:\\Gone\\old.exe");
  PrepareChecks();
  engine.CheckStartup(kLM);
  EXPECT_EQ(FixScript,
            (TextList{"REGEDIT4", "", "[HKEY_LOCAL_MACHINE\\" + kRun + "\\]", "\"Old\"=-", ""}));
  EXPECT_EQ(engine.CategoryLog(kStartup), (TextList{"[HKLM]\\" + kRun + "\\Old ... deleted"}));

  MarkReadOnly(kLM, kRun);
  PrepareChecks();
  engine.CategoryLog(kStartup).clear();
  engine.CheckStartup(kLM);
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
  EXPECT_TRUE(engine.CategoryLog(kStartup).empty());
}

TEST_F(CheckStartupTest, StopSkipsTheRemainingValuesButStillPumpsForEach) {
  Put("First", "C:\\Gone\\1.exe");
  Put("Second", "C:\\Gone\\2.exe");
  Put("Third", "C:\\Gone\\3.exe");
  PrepareChecks();
  host.onPump = [this](int pump) {
    if (pump == 2) engine.Running = false;
  };
  engine.CheckStartup(kCU);
  EXPECT_EQ(engine.CategoryLog(kStartup), (TextList{"[HKCU]\\" + kRun + "\\First ... deleted"}));
  EXPECT_EQ(host.pumps, 3);
}

}  // namespace
