// Folders from the registry and the path text operations of the checks.
#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "platform/RegKey.h"
#include "platform/UndoFolderTrust.h"
#include "support/SimFixture.h"

namespace {
class PathsTest : public SimTest {
 protected:
  // The folders the path examples below assume.
  void UseExampleFolders() {
    gFolders.windowsDir = "C:\\WINDOWS\\";
    gFolders.programFilesDir = "C:\\PROGRAM FILES\\";
    gFolders.commonFilesDir = "C:\\PROGRAM FILES\\COMMON FILES\\";
    gFolders.profileDir = "C:\\DOCUMENTS AND SETTINGS\\USER\\";
  }
};

struct PathCase {
  const char* input;
  const char* expected;
};

// Each case's input, given to convert, gives its expected text.
template <size_t N, typename Convert>
void ExpectEach(const PathCase (&cases)[N], Convert convert) {
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(convert(c.input), c.expected);
  }
}

TEST_F(PathsTest, CommandToFilePathExamples) {
  UseExampleFolders();
  const PathCase cases[] = {
      {"\"C:\\Program Files\\Foo\\foo.exe\" /min", "C:\\PROGRAM FILES\\FOO\\FOO.EXE"},
      {"%SystemRoot%\\system32\\rundll32.exe shell32.dll,Control_RunDLL",
       "C:\\WINDOWS\\\\SYSTEM32\\RUNDLL32.EXE"},
      {"%windir%\\system32\\ctfmon.exe", "C:\\WINDOWS\\SYSTEM32\\CTFMON.EXE"},
      {"%ProgramFiles%\\Foo\\foo.exe -tray", "C:\\PROGRAM FILES\\\\FOO\\FOO.EXE"},
      {"%CommonProgramFiles%\\Foo\\bar.dll", "C:\\PROGRAM FILES\\COMMON FILES\\FOO\\BAR.DLL"},
      {"%USERPROFILE%\\Local Settings\\x.exe",
       "C:\\DOCUMENTS AND SETTINGS\\USER\\LOCAL SETTINGS\\X.EXE"},
      {"rundll32.exe C:\\Tools\\bar.dll,Start", "C:\\TOOLS\\BAR.DLL"},
      {"\\??\\C:\\WINDOWS\\system32\\drivers\\x.sys", "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\X.SYS"},
      {"C:\\WINDOWS\\system32\\shell32.dll,-154", "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"},
      {"C:\\PROGRA~1\\Foo\\foo.exe,1", "C:\\PROGRA~1\\FOO\\FOO.EXE"},
      {"start x.cmd", "X.CMD"},
      {"cmd /c C:\\x.cmd", "C:\\X.CMD"},
      {"%APPDATA%\\x.exe", "%APPDATA%\\X.EXE"},
      {"C:\\A.DLL\\B.EXE", "C:\\A.DLL"},
      {"   ", ""},
      // Around the examples: blanks, stray quotes, no extension, no backslash after a variable.
      {"", ""},
      {"\t\r\n C:\\x.exe \x01", "C:\\X.EXE"},
      {"C:\\Pro\"gram Fi\"les\\x.exe", "C:\\PROGRAM FILES\\X.EXE"},
      {"C:\\Tools\\x.sys /arg", "C:\\TOOLS\\X.SYS /ARG"},
      {"%windir%x.exe", "%WINDIR%X.EXE"},
      {"x.bat arg", "X.BAT"},
      {"a,b C:\\y.dll", "C:\\Y.DLL"},
      {"1,2,x.dll", "1,2,X.DLL"},
      {",:x", ":X"},
      {"\"%1\" \"%ProgramFiles%\\x.exe\"", "C:\\PROGRAM FILES\\\\X.EXE"},
      // The code page's own letters are upper-cased too.
      {"c:\\b\xFC"
       "cher\\\xE9t\xE9.exe",
       "C:\\B\xDC"
       "CHER\\\xC9T\xC9.EXE"},
  };
  ExpectEach(cases, [](const char* input) { return CommandToFilePath(input); });
}

TEST_F(PathsTest, InsertedWindowsFolderKeepsItsCase) {
  gFolders.windowsDir = "C:\\Windows\\";
  EXPECT_EQ(CommandToFilePath("%windir%\\system32\\x.exe"), "C:\\Windows\\SYSTEM32\\X.EXE");
  EXPECT_EQ(ExpandPathVars("%SystemRoot%\\a"), "C:\\Windows\\\\A");
}

TEST_F(PathsTest, ExpandPathVarsReplacesEveryOccurrenceInOrder) {
  UseExampleFolders();
  const PathCase cases[] = {
      {"%windir%\\a;%WINDIR%\\b", "C:\\WINDOWS\\A;C:\\WINDOWS\\B"},
      {"%WinDir%", "%WINDIR%"},
      {"%systemroot%%systemroot%", "C:\\WINDOWS\\C:\\WINDOWS\\"},
      {"%CommonProgramFiles%x", "%COMMONPROGRAMFILES%X"},
      {"%USERPROFILE%\\%USERPROFILE%\\",
       "C:\\DOCUMENTS AND SETTINGS\\USER\\C:\\DOCUMENTS AND "
       "SETTINGS\\USER\\"},
      {"%SystemDrive%\\x", "%SYSTEMDRIVE%\\X"},
      {"b\xFC"
       "cher",
       "B\xFC"
       "CHER"},
  };
  ExpectEach(cases, [](const char* input) { return ExpandPathVars(input); });
}

TEST_F(PathsTest, TwoDigitsAndEscapeBackslashes) {
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TwoDigits(9), "09");
  EXPECT_EQ(TwoDigits(10), "10");
  EXPECT_EQ(TwoDigits(100), "100");
  EXPECT_EQ(TwoDigits(65535), "65535");
  EXPECT_EQ(EscapeBackslashes("C:\\A\\"), "C:\\\\A\\\\");
  EXPECT_EQ(EscapeBackslashes("say \"\\\\x\""), "say \"\\\\\\\\x\"");
  EXPECT_EQ(EscapeBackslashes(""), "");
}

TEST_F(PathsTest, FileNamePartAndExistence) {
  EXPECT_EQ(FileNamePart("C:\\WINDOWS\\notepad.exe"), "notepad.exe");
  EXPECT_EQ(FileNamePart("C:x.exe"), "x.exe");
  EXPECT_EQ(FileNamePart("x.exe"), "x.exe");
  EXPECT_EQ(FileNamePart("C:\\WINDOWS\\"), "");
  EXPECT_TRUE(FileExists("c:\\windows\\NOTEPAD.EXE"));
  EXPECT_TRUE(FileExists("C:\\WINDOWS\\\\System32\\kernel32.dll"));
  EXPECT_FALSE(FileExists("C:\\WINDOWS\\System32"));
  EXPECT_FALSE(FileExists("C:\\WINDOWS\\missing.exe"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(FolderExists("C:\\windows\\system32"));
  EXPECT_TRUE(FolderExists("C:\\WINDOWS\\"));
  EXPECT_FALSE(FolderExists("C:\\WINDOWS\\notepad.exe"));
  EXPECT_FALSE(FolderExists("D:\\"));
}

TEST_F(PathsTest, InitPathsOnTheFixtureMachine) {
  EXPECT_EQ(ExeDir(), "C:\\Program Files\\Klarvex");
  EXPECT_EQ(WindowsDir(), "C:\\WINDOWS\\");
  EXPECT_EQ(ProgramFilesDir(), "C:\\PROGRAM FILES\\");
  EXPECT_EQ(CommonFilesDir(), "C:\\PROGRAM FILES\\COMMON FILES\\");
  EXPECT_EQ(ProfileDir(), "C:\\USERS\\USER\\APPDATA\\");
  EXPECT_EQ(UndoDir(), "C:\\USERS\\USER\\APPDATA\\ROAMING\\Ostrawin\\Klarvex\\Undo\\");
  EXPECT_TRUE(FolderExists(UndoDir()));
}

TEST_F(PathsTest, InitPathsFolderShapes) {
  const struct {
    const char* exePath;
    const char* windows;
    const char* appData;  // nullptr: the value is missing
    const char* exeDir;
    const char* windowsDir;
    const char* profileDir;
    const char* undoDir;
  } cases[] = {
      {"C:\\Klarvex.exe", "C:\\WINDOWS\\", "C:\\DOCUMENTS AND SETTINGS\\USER\\APPLICATION DATA",
       "C:\\", "C:\\WINDOWS\\", "C:\\DOCUMENTS AND SETTINGS\\USER\\",
       "C:\\DOCUMENTS AND SETTINGS\\USER\\APPLICATION DATA\\Ostrawin\\Klarvex\\Undo\\"},
      {"C:\\Tools\\Klarvex.exe", "C:\\Windows", "c:\\users\\ann\\appdata\\roaming\\", "C:\\Tools",
       "C:\\Windows\\", "C:\\USERS\\ANN\\APPDATA\\ROAMING\\",
       "C:\\USERS\\ANN\\APPDATA\\ROAMING\\Ostrawin\\Klarvex\\Undo\\"},
      {"C:\\Tools\\Klarvex.exe", "C:\\WINDOWS", "Roaming", "C:\\Tools", "C:\\WINDOWS\\", "\\",
       "ROAMING\\Ostrawin\\Klarvex\\Undo\\"},
      {"C:\\Tools\\Klarvex.exe", "C:\\WINDOWS", nullptr, "C:\\Tools", "C:\\WINDOWS\\", "\\",
       "\\Ostrawin\\Klarvex\\Undo\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exePath + std::string(" ") + (c.appData ? c.appData : "(no AppData)"));
    sim.process.exePath = c.exePath;
    sim.process.windowsDirectory = c.windows;
    sim.registry.StageKey(RootKey::CurrentUser, simkeys::kShellFolders);
    RegKey shellFolders(RootKey::CurrentUser, simkeys::kShellFolders, keyaccess::kAllAccess);
    shellFolders.Delete("AppData");
    if (c.appData) PutString(RootKey::CurrentUser, simkeys::kShellFolders, "AppData", c.appData);
    InitPaths();
    EXPECT_EQ(ExeDir(), c.exeDir);
    EXPECT_EQ(WindowsDir(), c.windowsDir);
    EXPECT_EQ(ProfileDir(), c.profileDir);
    EXPECT_EQ(UndoDir(), c.undoDir);
    EXPECT_TRUE(FolderExists(UndoDir()));
  }
}

TEST_F(PathsTest, MissingOrNonStringFolderValuesGiveABackslash) {
  RegKey version(RootKey::LocalMachine, simkeys::kCurrentVersion, keyaccess::kAllAccess);
  version.Delete("ProgramFilesDir");
  PutDword(RootKey::LocalMachine, simkeys::kCurrentVersion, "CommonFilesDir", 1);
  InitPaths();
  EXPECT_EQ(ProgramFilesDir(), "\\");
  EXPECT_EQ(CommonFilesDir(), "\\");
  EXPECT_EQ(WindowsDir(), "C:\\WINDOWS\\");
}

TEST_F(PathsTest, AnUndoDirThatCannotBeCreatedHasNoFallBack) {
  sim.files.Erase("C:\\Users");
  sim.files.failWhen = [](const SimFileCall& call) {
    return call.call == "MakeFolder" ? status::kAccessDenied : status::kSuccess;
  };
  InitPaths();
  EXPECT_EQ(UndoDir(), "C:\\USERS\\USER\\APPDATA\\ROAMING\\Ostrawin\\Klarvex\\Undo\\");
  EXPECT_FALSE(sim.files.Exists("C:\\Users"));
  EXPECT_EQ(CheckUndoFolder().state, UndoFolderState::Unavailable);
}

TEST_F(PathsTest, ExistingUndoDirIsKeptWithoutCreatingAgain) {
  sim.files.failWhen = [](const SimFileCall& call) {
    return call.call == "MakeFolder" ? status::kAccessDenied : status::kSuccess;
  };
  InitPaths();
  EXPECT_EQ(UndoDir(), "C:\\USERS\\USER\\APPDATA\\ROAMING\\Ostrawin\\Klarvex\\Undo\\");
}
}  // namespace
