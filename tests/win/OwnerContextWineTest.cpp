// Whose settings judge an item, on the real registry: a machine-wide startup entry is judged by
// the machine's environment, whatever the user who started the run (and so the process) set; a
// user's entry by the user's own variables. Nor do the user's folder settings steer where an
// elevated run writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

TEST_F(OwnerContextWineTest, EachOwnersSettingsJudgeItsItemsAndTheUsersFoldersSteerNothing) {
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
  // Any program of the user may point the user's folder settings anywhere (here System32): an
  // elevated run keeps to the profile the machine lists, names the setting once and creates
  // nothing there. The setting is put back as soon as the run has read it.
  const std::wstring shellFolders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const winereg::Value kept =
      winereg::Tree(HKEY_CURRENT_USER, shellFolders)[shellFolders][L"AppData"];
  ASSERT_EQ(kept.type, static_cast<DWORD>(REG_SZ));
  const std::string system = WindowsDir() + "system32";
  ASSERT_TRUE(winereg::PutIn(HKEY_CURRENT_USER, shellFolders, L"AppData", REG_SZ,
                             Wide(std::wstring(system.begin(), system.end()))));
  InitPaths();
  winereg::PutIn(HKEY_CURRENT_USER, shellFolders, L"AppData", kept.type, kept.data);
  EXPECT_EQ(UserUndoDir().rfind(UpperAscii(UserProfileDir()), 0), 0u) << UserUndoDir();

  HeadlessHost host;
  CleanEngine engine(host);
  engine.OnCleanClicked();
  created.push_back(UndoDir() + UndoFileName);
  ASSERT_TRUE(engine.Run(RunMode::Scan));

  const auto present = [&](HKEY root, const wchar_t* name) {
    return RegGetValueW(root, kRun.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  };
  EXPECT_TRUE(present(HKEY_LOCAL_MACHINE, L"KvxMachineTool"));
  EXPECT_TRUE(present(HKEY_CURRENT_USER, L"KvxUserTool"));
  EXPECT_FALSE(present(HKEY_CURRENT_USER, L"KvxUserGone"));
  const auto names = [&](const std::string& told) {
    return told.find(UpperAscii(system)) != std::string::npos;
  };
  EXPECT_EQ(std::ranges::count_if(host.informations, names), 1);
  EXPECT_FALSE(FolderExists(system + "\\Ostrawin"));
}

}  // namespace
