// The Win32 backends on Wine's real folders, files and code page.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/UndoFolderTrust.h"
#include "platform/win32/Win32Platform.h"

namespace {
class PlatformWine : public ::testing::Test {
 protected:
  void SetUp() override { UseWin32Platform(); }
  void TearDown() override { gFolders = {}; }
};

std::string Parent(const std::string& path) { return path.substr(0, path.rfind('\\')); }

TEST_F(PlatformWine, InitPathsReadsTheRealFoldersAndCreatesTheUndoFolder) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string appData = ReadStringUpper(
      RootKey::CurrentUser,
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData");
  ASSERT_FALSE(appData.empty());
  const std::string undo = appData + "\\Ostrawin\\Klarvex\\Undo\\";
  const bool existed = GetFileAttributesA(undo.c_str()) != INVALID_FILE_ATTRIBUTES;

  InitPaths();
  EXPECT_EQ(ExeDir(), Parent(exe));
  EXPECT_EQ(WindowsDir(), std::string(windows) + "\\");
  EXPECT_EQ(ProgramFilesDir(), "C:\\PROGRAM FILES\\");
  EXPECT_EQ(CommonFilesDir(), "C:\\PROGRAM FILES\\COMMON FILES\\");
  EXPECT_EQ(ProfileDir(), Parent(appData) + "\\");
  EXPECT_EQ(ProfileDir().rfind("C:\\USERS\\", 0), 0u) << ProfileDir();
  // Wine's token is elevated: the undo files go to the protected folder of the account, the
  // user's own folder keeps Exclusions.txt. Wine gives every folder the one user its programs run
  // as for owner, whatever was asked: no folder of the profile is another account's here.
  EXPECT_EQ(gFolders.untrustedUserFolder, "");
  EXPECT_EQ(UserUndoDir(), undo);
  EXPECT_EQ(UndoDir().rfind("C:\\ProgramData\\Ostrawin\\Klarvex\\S-1-5-21-", 0), 0u) << UndoDir();
  EXPECT_TRUE(CheckUndoFolder().Usable());
  for (const std::string& folder : {UndoDir(), UserUndoDir()}) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << folder;
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  }

  // The doubled separator that a variable leaves behind is harmless to the file functions.
  EXPECT_TRUE(FileExists(CommandToFilePath("%SystemRoot%\\regedit.exe /s x.reg")));
  EXPECT_FALSE(FileExists(WindowsDir() + "no such file.exe"));
  EXPECT_FALSE(FileExists(WindowsDir() + "system32"));
  EXPECT_TRUE(FolderExists(WindowsDir() + "system32"));

  if (!existed) {
    RemoveDirectoryA(undo.c_str());
    RemoveDirectoryA((appData + "\\Ostrawin\\Klarvex").c_str());
    RemoveDirectoryA((appData + "\\Ostrawin").c_str());
  }
}

TEST_F(PlatformWine, FilesFindReadWriteAndDrives) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "kvx-files-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(Files().MakeFolders(folder + "\\a\\b\\"));
  const Bytes data{'x', 0, 0xFF, '\r', '\n'};
  EXPECT_EQ(Files().WriteAll(folder + "\\a\\one.reg", data), 0);
  EXPECT_EQ(Files().WriteAll(folder + "\\missing\\one.reg", data), ERROR_PATH_NOT_FOUND);
  Bytes read;
  ASSERT_TRUE(Files().ReadAll(folder + "\\A\\ONE.REG", read));
  EXPECT_EQ(read, data);

  std::vector<std::string> names;
  auto search = Files().Find(folder + "\\a\\*.*");
  FindEntry entry;
  while (search && search->Next(entry)) names.push_back(entry.name);
  search.reset();
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "b", "one.reg"}));
  EXPECT_EQ(Files().Find(folder + "\\a\\*.txt"), nullptr);

  EXPECT_EQ(Files().DriveOf("C:\\windows"), DriveKind::Fixed);
  EXPECT_EQ(Files().DriveOf("Q:\\x"), DriveKind::Missing);
  EXPECT_TRUE(Files().RemoveFile(folder + "\\a\\one.reg"));
  EXPECT_FALSE(Files().RemoveFile(folder + "\\a\\one.reg"));
  RemoveDirectoryA((folder + "\\a\\b").c_str());
  RemoveDirectoryA((folder + "\\a").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(PlatformWine, CodePageIsWindows1252UnderCUtf8) {
  bool lossy = true;
  EXPECT_EQ(Ansi().ToAnsi(u"caf\u00E9 \u20AC", lossy), "caf\xE9 \x80");
  EXPECT_FALSE(lossy);
  Ansi().ToAnsi(u"\u0391\u03B2", lossy);
  EXPECT_TRUE(lossy);
  Ansi().ToAnsi(u"Ab\u0100c", lossy);
  EXPECT_TRUE(lossy);
  EXPECT_EQ(Ansi().ToWide("\x80\xE9"), u"\u20AC\u00E9");
  EXPECT_EQ(Ansi().Upper("b\xFC"
                         "cher \xE9t\xE9"),
            "B\xDC"
            "CHER \xC9T\xC9");
  EXPECT_EQ(Process().ExpandEnvironment("%NoSuchVariable%\\x"), "%NoSuchVariable%\\x");
  EXPECT_EQ(UpperAscii(Process().ExpandEnvironment("%SystemRoot%\\x")), "C:\\WINDOWS\\X");
}
}  // namespace
