// Under Wine, with the real registry editor: the undo folder of a fresh prefix passes its check,
// and a script held for the import can be read by the editor but not written, deleted or renamed
// by a second process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/HeldFiles.h"
#include "platform/UndoFolderTrust.h"
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

}  // namespace
