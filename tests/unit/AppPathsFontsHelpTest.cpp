// The places where programs name one file each: application paths, fonts, help files (category
// 6) and the shell's program-name cache (category 5). Per place, entries that must go and
// look-alikes that must stay, through a whole clean, and the undo file gives all of it back.
#include <gtest/gtest.h>

#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::string kAppPaths32 =
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::string kFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kHtmlHelp32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\HTML Help";
const std::string kMui =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";

struct Entry {
  RootKey root;
  std::string key;
  std::string name;  // "" for an application path: its default value
  std::string data;
  bool goes;
};

const Entry kEntries[] = {
    // Application paths: judged as a 64-bit and as a 32-bit program finds them; the 32-bit
    // view's path names the one key both views share.
    {kLM, kAppPaths + "gone.exe", "", "C:\\Gone\\gone.exe", true},
    {kLM, kAppPaths + "quoted.exe", "", "\"C:\\Gone\\quoted.exe\" /x", true},
    {kLM, kAppPaths + "nowhere.exe", "", "nowhere.exe", true},
    {kLM, kAppPaths32 + "gone32.exe", "", "%ProgramFiles%\\Gone\\gone32.exe", true},
    {kCU, kAppPaths + "user.exe", "", "C:\\Gone\\user.exe", true},
    {kLM, kAppPaths + "args.exe", "", "\"C:\\Program Files\\Klarvex\\Klarvex.exe\" /min", false},
    {kLM, kAppPaths + "app32.exe", "", "%ProgramFiles%\\Vendor\\app32.exe", false},
    {kLM, kAppPaths + "notepad.exe", "", "notepad.exe", false},
    {kLM, kAppPaths + "unset.exe", "", "%KVXUNSET%\\unset.exe", false},
    {kLM, kAppPaths + "absent.exe", "", "F:\\Tools\\absent.exe", false},
    {kLM, kAppPaths + "usb.exe", "", "E:\\Tools\\usb.exe", false},
    {kLM, kAppPaths + "unc.exe", "", "\\\\server\\share\\unc.exe", false},
    {kLM, kAppPaths + "nodefault.exe", "Path", "C:\\Gone", false},
    // Fonts: a bare name in the Fonts folder (and the user's own), a path as it stands.
    {kLM, kFonts, "Gone (TrueType)", "kvxgone.ttf", true},
    {kLM, kFonts, "Path (TrueType)", "C:\\Gone\\kvxpath.ttf", true},
    {kCU, kFonts, "User Gone (TrueType)", "usergone.ttf", true},
    {kLM, kFonts, "Kept (TrueType)", "kvxkept.ttf", false},
    {kLM, kFonts, "Unset (TrueType)", "%KVXUNSET%\\x.ttf", false},
    {kLM, kFonts, "Absent (TrueType)", "F:\\Fonts\\x.ttf", false},
    {kCU, kFonts, "Mine (TrueType)", "mine.ttf", false},
    // Help files: the folder in the data, the file name in the name.
    {kLM, kHelp, "gone.hlp", "C:\\Gone\\", true},
    {kLM, kHtmlHelp32, "gone32.chm", "C:\\Gone", true},
    {kLM, kHelp, "win.ini", "C:\\WINDOWS", false},
    {kLM, kHelp, "absent.hlp", "F:\\Help\\", false},
    {kLM, kHelp, "..\\up.hlp", "C:\\Gone", false},
    {kLM, kHelp, "unset.hlp", "%KVXUNSET%\\Help", false},
    // The program-name cache.
    {kCU, kMui, "C:\\Gone\\app.exe.FriendlyAppName", "App", true},
    {kCU, kMui, "C:\\Gone\\app.exe.ApplicationCompany", "Maker", true},
    {kCU, kMui, "@C:\\Gone\\res.dll,-1", "Resource", false},
    {kCU, kMui, "LangID", "", false},
    {kCU, kMui, "C:\\WINDOWS\\notepad.exe.FriendlyAppName", "Notepad", false},
    {kCU, kMui, "F:\\app.exe.FriendlyAppName", "Absent", false},
    {kCU, kMui, "C:\\Gone\\app.exe.Other", "Other", false},
    {kCU, kMui, "%KVXUNSET%\\app.exe.FriendlyAppName", "Unset", false},
};

class AppPathsFontsHelpTest : public EngineTest {
 protected:
  void StageMachine() override {
    EngineTest::StageMachine();
    StageWow64Machine();
    sim.files.SetDrive('E', DriveKind::Removable);
    sim.process.SetEnvironment("LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local");
    PutFile("C:\\WINDOWS\\Fonts\\kvxkept.ttf");
    PutFile("C:\\Users\\user\\AppData\\Local\\Microsoft\\Windows\\Fonts\\mine.ttf");
    // The look-alikes first: a value given back by the undo file comes last in its key.
    for (bool goes : {false, true}) {
      for (const Entry& e : kEntries) {
        if (e.goes == goes) PutString(e.root, e.key, e.name, e.data);
      }
    }
  }
  std::string MachineState() const {
    return sim.registry.Dump(kLM, "SOFTWARE") + sim.registry.Dump(kCU, "Software");
  }
};

TEST_F(AppPathsFontsHelpTest, GoneFilesGoLookAlikesStayAndTheUndoFileGivesAllBack) {
  const std::string before = MachineState();
  engine.OnCleanClicked();

  for (const Entry& e : kEntries) {
    const bool kept = e.name.empty() ? sim.registry.HasKey(e.root, e.key)
                                     : sim.registry.GetValue(e.root, e.key, e.name).has_value();
    EXPECT_EQ(kept, !e.goes) << e.key << " " << e.name << " = " << e.data;
  }
  const std::string tail = " ... deleted";
  EXPECT_EQ(
      engine.CategoryLog(kAppPathsFontsHelp),
      (TextList{
          "Application paths, fonts and help files...", "[HKLM]\\" + kAppPaths + "gone.exe" + tail,
          "[HKLM]\\" + kAppPaths + "gone32.exe" + tail,
          "[HKLM]\\" + kAppPaths + "nowhere.exe" + tail,
          "[HKLM]\\" + kAppPaths + "quoted.exe" + tail, "[HKCU]\\" + kAppPaths + "user.exe" + tail,
          "[HKLM]\\" + kFonts + "\\Gone (TrueType)" + tail,
          "[HKLM]\\" + kFonts + "\\Path (TrueType)" + tail,
          "[HKCU]\\" + kFonts + "\\User Gone (TrueType)" + tail,
          "[HKLM]\\" + kHelp + "\\gone.hlp" + tail,
          "[HKLM 32-bit]\\SOFTWARE\\Microsoft\\Windows\\HTML Help\\gone32.chm" + tail, "",
          "Summary: 10 items fixed."}));
  EXPECT_EQ(engine.CategoryCount(kTemporary), 2);
  // Every finding carries its rule, for the report and the review list alike.
  std::string rules;
  for (const Finding& f : engine.Findings()) rules += f.rule + ";";
  EXPECT_EQ(rules,
            "cached program missing;cached program missing;application missing;application "
            "missing;application missing;application missing;application missing;font file "
            "missing;font file missing;font file missing;help file missing;help file missing;");
  EXPECT_TRUE(host.informations.empty());

  ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\""));
  EXPECT_EQ(MachineState(), before);
}

}  // namespace
