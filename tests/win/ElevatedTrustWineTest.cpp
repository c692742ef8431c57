// Under Wine, with the real registry editor: the undo folder of a fresh prefix passes its check,
// a script held for the import can be read by the editor but not written, deleted or renamed
// by a second process, and a report whose folder becomes a link as it is opened leaves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "platform/UndoFolderTrust.h"
#include "platform/win32/Win32Backends.h"
#include "engine/RunReport.h"
#include "ui/ReportRun.h"
#include "support/PlantedWineTest.h"
#include "undo/UndoJournal.h"

namespace {

constexpr char kHeldKey[] = "Software\\KlarvexTest\\Held";

// Runs a command line in a process of its own and waits for its end.
void RunElsewhere(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  commandLine.push_back('\0');
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

class ElevatedTrustWineTest : public PlantedWineTest {
 protected:
  void RemovePlanted() override { RegDeleteTreeA(HKEY_CURRENT_USER, kHeldKey); }
};

TEST_F(ElevatedTrustWineTest, TheUndoFolderOfAFreshPrefixIsTrusted) {
  const UndoFolderCheck check = CheckUndoFolder();
  EXPECT_EQ(check.state, UndoFolderState::Usable) << check.folder;
}

TEST_F(ElevatedTrustWineTest, TheHeldScriptIsImportedAsWrittenWhateverAnotherProcessTries) {
  const std::string path = UndoDir() + "KvxHeld.reg";
  const std::string moved = UndoDir() + "KvxMoved.reg";
  created = {path, moved};
  const std::string text =
      std::string("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\") + kHeldKey + "]\r\n\"v\"=\"1\"\r\n\r\n";
  const Bytes script(text.begin(), text.end());
  long status = 0;
  std::unique_ptr<HeldFile> held = WriteNewAndHold(path, script, status);
  ASSERT_TRUE(held) << status;
  const std::string cmd = WindowsDir() + "system32\\cmd.exe /c ";
  RunElsewhere(cmd + "echo foreign> \"" + path + "\"");
  RunElsewhere(cmd + "del /f \"" + path + "\"");
  RunElsewhere(cmd + "ren \"" + path + "\" KvxMoved.reg");
  EXPECT_EQ(Files().Attributes(moved), fileattr::kInvalid);
  Bytes read;
  ASSERT_TRUE(Files().ReadAll(path, read));
  EXPECT_EQ(read, script);
  // The editor reads the held file.
  EXPECT_TRUE(RunRegedit(" /s \"" + path + "\""));
  held.reset();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kHeldKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// The Unix path of a Windows path: Wine's own export, as no Windows call makes a symbolic link.
std::string UnixPath(const std::wstring& path) {
  using Convert = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = convert != nullptr ? convert(path.c_str()) : nullptr;
  const std::string text = unix != nullptr ? unix : "";
  if (unix != nullptr) HeapFree(GetProcessHeap(), 0, unix);
  return text;
}

// Files whose every hold of one name is preceded by another program's swap of its folder for a
// symbolic link, made by the system's ln through drive Z:.
class SwappingFiles : public Win32Files {
 public:
  std::string name, folder, link;
  std::unique_ptr<HeldFile> Hold(const std::string& path, HoldMode mode, long& status) override {
    if (path == name && MoveFileA(folder.c_str(), (folder + "-away").c_str())) {
      // Wine does not wait for the end of a Unix program: the link is looked for.
      RunElsewhere(link);
      for (int i = 0; i < 100 && Attributes(folder) == fileattr::kInvalid; ++i) Sleep(50);
    }
    return Win32Files::Hold(path, mode, status);
  }
};

TEST_F(ElevatedTrustWineTest, AReportFolderSwappedForALinkAsItIsOpenedLeavesNoFile) {
  const std::string base = "C:\\kvx-swap", target = base + "\\target";
  const std::string unixBase = UnixPath(L"C:\\kvx-swap");
  if (unixBase.empty() || Files().Attributes("Z:\\bin\\ln") == fileattr::kInvalid) {
    GTEST_SKIP() << "no way to make a symbolic link";
  }
  ASSERT_TRUE(Files().MakeFolders(base + "\\reports") && Files().MakeFolders(target));
  SwappingFiles swapping;
  swapping.name = base + "\\reports\\new.json";
  swapping.folder = base + "\\reports";
  swapping.link = "Z:\\bin\\ln -s " + unixBase + "/target " + unixBase + "/reports";
  const Platform before = CurrentPlatform();
  Platform swapped = before;
  swapped.files = &swapping;
  UsePlatform(swapped);
  const int code = RunReport(RunMode::Scan, swapping.name);
  UsePlatform(before);
  EXPECT_EQ(code, kExitNotCompleted);
  EXPECT_NE(Files().Attributes(base + "\\reports"), fileattr::kInvalid);
  EXPECT_EQ(Files().Attributes(target + "\\new.json"), fileattr::kInvalid);
  DeleteFileA((target + "\\new.json").c_str());
  RunElsewhere("Z:\\bin\\rm -rf " + unixBase);
  for (int i = 0; i < 100 && Files().Attributes(base) != fileattr::kInvalid; ++i) Sleep(50);
}

}  // namespace
