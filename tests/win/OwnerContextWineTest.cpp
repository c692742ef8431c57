// Whose settings judge an item, on the real registry: a machine-wide startup entry is judged by
// the machine's environment, whatever the user who started the run (and so the process) set; a
// user's entry by the user's own variables.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/HeadlessHost.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"
#include "platform/win32/Win32Platform.h"
#include "support/PlantedWineTest.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

using winereg::Wide;

const std::wstring kRun = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kMachineEnvironment =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

class OwnerContextWineTest : public PlantedWineTest {
 protected:
  void RemovePlanted() override {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun.c_str(), L"KvxMachineTool");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMachineEnvironment.c_str(), L"KVXHOME");
    for (const wchar_t* name : {L"KvxUserTool", L"KvxUserGone"}) {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun.c_str(), name);
    }
    for (const wchar_t* name : {L"KVXHOME", L"KVXUSER"}) {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Environment", name);
    }
    SetEnvironmentVariableW(L"KVXHOME", nullptr);
  }
};

TEST_F(OwnerContextWineTest, TheMachinesEntryIsJudgedByTheMachineAUsersByTheUser) {
  const std::string tools = ProgramFilesDir() + "KvxOwner\\";
  ASSERT_TRUE(Files().MakeFolders(tools));
  ASSERT_EQ(Files().WriteAll(tools + "kvxtool.exe", {'M', 'Z'}), status::kSuccess);
  created = {tools + "kvxtool.exe"};
  folders = {tools};
  const std::wstring wideTools(tools.begin(), tools.end());
  ASSERT_TRUE(
      winereg::PutIn(HKEY_LOCAL_MACHINE, kMachineEnvironment, L"KVXHOME", REG_SZ, Wide(wideTools)));
  ASSERT_TRUE(winereg::PutIn(HKEY_LOCAL_MACHINE, kRun, L"KvxMachineTool", REG_EXPAND_SZ,
                             Wide(L"%KVXHOME%\\kvxtool.exe")));
  // The user points the machine's variable at a missing folder, in the hive and in the process
  // the run inherits.
  ASSERT_TRUE(winereg::PutIn(HKEY_CURRENT_USER, L"Environment", L"KVXHOME", REG_SZ,
                             Wide(L"C:\\kvx-nowhere")));
  SetEnvironmentVariableW(L"KVXHOME", L"C:\\kvx-nowhere");
  ASSERT_TRUE(
      winereg::PutIn(HKEY_CURRENT_USER, L"Environment", L"KVXUSER", REG_SZ, Wide(wideTools)));
  ASSERT_TRUE(winereg::PutIn(HKEY_CURRENT_USER, kRun, L"KvxUserTool", REG_EXPAND_SZ,
                             Wide(L"%KVXUSER%\\kvxtool.exe")));
  ASSERT_TRUE(winereg::PutIn(HKEY_CURRENT_USER, kRun, L"KvxUserGone", REG_EXPAND_SZ,
                             Wide(L"%KVXUSER%\\kvxgone.exe")));

  HeadlessHost host;
  CleanEngine engine(host);
  engine.OnCleanClicked();
  created.push_back(UndoDir() + UndoFileName);

  const auto present = [&](HKEY root, const wchar_t* name) {
    return RegGetValueW(root, kRun.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  };
  EXPECT_TRUE(present(HKEY_LOCAL_MACHINE, L"KvxMachineTool"));
  EXPECT_TRUE(present(HKEY_CURRENT_USER, L"KvxUserTool"));
  EXPECT_FALSE(present(HKEY_CURRENT_USER, L"KvxUserGone"));
}

// Any program of the user may point the user's folder settings anywhere: an elevated run keeps to
// the profile the machine lists, names the ignored setting once, and creates nothing there.
TEST(OwnerFolderWineTest, AFolderSettingOutsideTheProfileIsIgnored) {
  UseWin32Platform();
  const std::wstring shellFolders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  std::wstring kept(1024, L'\0');
  DWORD bytes = static_cast<DWORD>(kept.size() * sizeof(wchar_t));
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, shellFolders.c_str(), L"AppData", RRF_RT_REG_SZ,
                         nullptr, kept.data(), &bytes),
            ERROR_SUCCESS);
  kept.resize(bytes / sizeof(wchar_t) - 1);
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  for (const std::wstring& elsewhere :
       {std::wstring(system), std::wstring(L"C:\\users\\kvxother")}) {
    ASSERT_TRUE(
        winereg::PutIn(HKEY_CURRENT_USER, shellFolders, L"AppData", REG_SZ, Wide(elsewhere)));
    InitPaths();
    winereg::PutIn(HKEY_CURRENT_USER, shellFolders, L"AppData", REG_SZ, Wide(kept));
    const std::string narrow(elsewhere.begin(), elsewhere.end());
    EXPECT_EQ(UserUndoDir().rfind(UpperAscii(UserProfileDir()), 0), 0u) << UserUndoDir();
    HeadlessHost host;
    CleanEngine engine(host);
    ASSERT_TRUE(engine.Run(RunMode::Scan));
    ASSERT_TRUE(engine.Run(RunMode::Scan));
    int named = 0;
    for (const std::string& told : host.informations) {
      named += told.find(UpperAscii(narrow)) != std::string::npos;
    }
    EXPECT_EQ(named, 1) << narrow;
    EXPECT_FALSE(FolderExists(narrow + "\\Ostrawin")) << narrow;
  }
  InitPaths();
}

}  // namespace
