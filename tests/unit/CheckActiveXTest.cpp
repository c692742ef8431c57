#include <gtest/gtest.h>

#include "unit/ComChecksTest.h"

namespace {

class CheckActiveXTest : public ComChecksTest {
 protected:
  void Entry(const std::string& name, const std::string& icon, const std::string& open,
             const std::string& edit) {
    PutKey(kCr, name);
    if (!icon.empty()) PutDefault(name + "\\DefaultIcon", icon);
    if (!open.empty()) PutDefault(name + "\\shell\\open\\command", open);
    if (!edit.empty()) PutDefault(name + "\\shell\\edit\\command", edit);
  }
};

TEST_F(CheckActiveXTest, JudgesClassIconAndVerbsOfEveryEntry) {
  PutFile("C:\\Program Files\\Foo\\foo.dll");
  PutKey(kCr, "clsid\\{REG}");  // the class list, spelt in lower case: never an entry
  PutDefault("clsid\\DefaultIcon", "C:\\Gone\\clsid.dll");
  Entry(".txt", "C:\\Gone\\txt.dll,1", "C:\\Gone\\txt.exe %1", "");
  // An unregistered class: the whole entry goes, nothing else of it is judged.
  Entry("AClass.1", "C:\\Gone\\a.dll,0", "C:\\Gone\\a.exe", "");
  PutDefault("AClass.1\\CLSID", "{nope}");
  Entry("CLSIDX", "C:\\Gone\\x.dll", "", "");
  // The 32-bit view's node, whatever its default values say: never an entry of its own.
  Entry("wow6432node", "C:\\Gone\\w.dll,0", "C:\\Gone\\w.exe %1", "");
  PutDefault("wow6432node\\CLSID", "{nope}");
  // The excluded class, in lower case: left alone with all its missing files.
  Entry("Excluded.1", "C:\\Gone\\e.dll", "C:\\Gone\\e.exe", "");
  PutDefault("Excluded.1\\CLSID", "{d63e0ce2-a0a2-11d0-9c02-00c04fc99c8e}");
  // Guards: RUNDLL32 and EXPLOR commands are not tested; an icon behind a variable the owner
  // does not define cannot be judged, found by its bare name or not.
  Entry("Guards.1", "%NoSuchVar%\\Gone\\gone.dll,0", "rundll32.exe C:\\Gone\\g.dll,Run",
        "C:\\Gone\\explorer2.exe /e");
  // "%": a command behind an unknown variable is not tested; an icon of that form found by its
  // bare name in System32 is sound.
  Entry("Percent.1", "%NoSuchVar%\\shell32.dll,3", "%NoSuchVar%\\tool.exe %1",
        "\"%NoSuchVar%\\edit.exe\" %1");
  // Neither EXE nor DLL: not a file to look for.
  Entry("NoFile.1", "C:\\Icons\\x.ico", "%1", "");
  Entry("Sound.1", "C:\\Program Files\\Foo\\foo.dll,0", "notepad.exe %1", "C:\\Old\\ctfmon.exe /x");
  // Three repairs in the order icon, open, edit; a registered class does not stop them.
  Entry("Three.1", "C:\\Missing\\FOO2.DLL,3", "\"C:\\Missing\\app.exe\" \"%1\"",
        "C:\\Missing\\editor.exe %1");
  PutDefault("Three.1\\CLSID", "{REG}");
  const std::string before = Classes();

  PrepareChecks();
  engine.CheckActiveX();

  EXPECT_EQ(FixScript, Script({
                           "[-HKEY_CLASSES_ROOT\\AClass.1]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\CLSIDX\\DefaultIcon]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Three.1\\DefaultIcon]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Three.1\\shell\\open\\command]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Three.1\\shell\\edit\\command]",
                           "",
                       }));
  const TextList log = {
      "[HKCR]\\AClass.1 ... deleted",
      "[HKCR]\\CLSIDX\\DefaultIcon=X.DLL ... deleted",
      "[HKCR]\\Three.1\\DefaultIcon=FOO2.DLL ... deleted",
      "[HKCR]\\Three.1\\shell\\open\\command=APP.EXE ... deleted",
      "[HKCR]\\Three.1\\shell\\edit\\command=EDITOR.EXE ... deleted",
  };
  EXPECT_EQ(engine.CategoryLog(kComActiveX), log);
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 5);
  ExpectScriptAndUndoRoundTrip(before);
}

TEST_F(CheckActiveXTest, KeepsFilesThatMayStillExist) {
  sim.process.SetEnvironment("ProgramFiles(x86)", "C:\\Program Files (x86)");
  sim.process.SetEnvironment("USERPROFILE", "C:\\Users\\user");
  sim.files.SetDrive('E', DriveKind::Removable);
  PutFile("C:\\Program Files (x86)\\App\\app.dll");
  PutFile("C:\\Users\\user\\Tools\\ed.exe");
  PutFile("C:\\Users\\user\\AppData\\Roaming\\App\\roam.exe");
  Entry("Kept.1", "%ProgramFiles(x86)%\\App\\app.dll,1", "E:\\Apps\\app.exe \"%1\"",
        "%USERPROFILE%\\Tools\\ed.exe %1");
  Entry("Kept.2", "%APPDATA%\\App\\roam.exe,0", "", "");
  // Without a file behind it, the same form still goes.
  Entry("Gone.1", "", "", "%USERPROFILE%\\Tools\\gone.exe %1");

  PrepareChecks();
  engine.CheckActiveX();

  EXPECT_EQ(FixScript, Script({"[-HKEY_CLASSES_ROOT\\Gone.1\\shell\\edit\\command]", ""}));
  EXPECT_EQ(engine.CategoryLog(kComActiveX),
            TextList{"[HKCR]\\Gone.1\\shell\\edit\\command=GONE.EXE ... deleted"});
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 1);
}

TEST_F(CheckActiveXTest, SchedulesNoRepairWhoseBackupFailed) {
  Entry("Three.1", "C:\\Missing\\a.dll", "C:\\Missing\\b.exe", "C:\\Missing\\c.exe");
  Entry("Class.1", "", "", "");
  PutDefault("Class.1\\CLSID", "{nope}");
  PrepareChecks();
  sim.process.beforeRun = [](const SimProcess::Run&) { return false; };
  engine.CheckActiveX();
  EXPECT_EQ(FixScript, Script({}));
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
}

}  // namespace
