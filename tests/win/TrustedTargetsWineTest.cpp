// What an elevated run takes from data that programs without elevation can plant, on the real
// registry and the system's registry editor: a class is never pointed at a copy of its server in
// a user-writable Windows folder, a value name with a line break never reaches a script, and
// who may change a file is read from its security descriptor.
#include <gtest/gtest.h>
#include <windows.h>
// Declared with what windows.h defines.
#include <sddl.h>

#include <string>

#include "engine/HeadlessHost.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"
#include "platform/TextFile.h"
#include "platform/win32/Win32Backends.h"
#include "support/PlantedWineTest.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

using winereg::Wide;

const std::wstring kClsid = L"SOFTWARE\\Classes\\CLSID\\";
const std::wstring kTempOnly = L"{4B565823-0000-4000-8000-000000000001}";
const std::wstring kMoved = L"{4B565823-0000-4000-8000-000000000002}";
const std::wstring kRun = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// Were its line breaks written as they are, the script would gain a key and a value of its own.
const std::wstring kEvil = L"KvxEvil\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KvxInjected]\r\n\"Hook";

class TrustedTargetsWineTest : public PlantedWineTest {
 protected:
  void RemovePlanted() override {
    winereg::Remove(kClsid + kTempOnly);
    winereg::Remove(kClsid + kMoved);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun.c_str(), kEvil.c_str());
  }
  void PlantFile(const std::string& folder, const std::string& file) {
    ASSERT_TRUE(Files().MakeFolders(folder)) << folder;
    ASSERT_EQ(Files().WriteAll(folder + file, {'M', 'Z'}), status::kSuccess);
    created.push_back(folder + file);
  }
};

TEST_F(TrustedTargetsWineTest, PlantedDataNeverSteersTheRun) {
  winereg::Put(kClsid + kTempOnly + L"\\InprocServer32", L"", REG_SZ,
               Wide(L"C:\\kvx-old\\KvxTempOnly.dll"));
  winereg::Put(kClsid + kTempOnly + L"\\InprocServer32", L"ThreadingModel", REG_SZ, Wide(L"Both"));
  winereg::Put(kClsid + kMoved + L"\\InprocServer32", L"", REG_SZ,
               Wide(L"C:\\kvx-old\\KvxTrusted.dll"));
  PlantFile(WindowsDir() + "temp\\", "KvxTempOnly.dll");
  const std::string vendor = ProgramFilesDir() + "KvxVendor\\";
  PlantFile(vendor, "KvxTrusted.dll");
  folders = {vendor};
  ASSERT_TRUE(winereg::Put(kRun, kEvil.c_str(), REG_SZ, Wide(L"C:\\kvx-gone\\evil.exe")));
  const winereg::Snapshot before = winereg::Tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID");

  HeadlessHost host;

  CleanEngine engine(host);
  engine.OnCleanClicked();
  const std::string undoFile = UndoDir() + UndoFileName;
  created.push_back(undoFile);
  created.push_back(UndoDir() + kFixScriptName);

  // The copy any user could have placed is not taken: the class goes as a gone server.
  const auto narrow = [](const std::wstring& w) { return std::string(w.begin(), w.end()); };
  HKEY gone = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kClsid + kTempOnly + L"\\InprocServer32").c_str(), 0,
                          KEY_READ, &gone),
            ERROR_SUCCESS);
  const std::string moved = vendor + "KVXTRUSTED.DLL";
  EXPECT_EQ(
      ReadStringUpper(RootKey::LocalMachine,
                      "\\SOFTWARE\\Classes\\CLSID\\" + narrow(kMoved) + "\\InprocServer32", ""),
      UpperAscii(moved));
  // The deletion script is gone with its run; had it held a line of the name, its import
  // would have made the key that the name spells.
  EXPECT_FALSE(FileExists(UndoDir() + kFixScriptName));
  // The name with line breaks stays, and no line of the script or the undo file holds them.
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kRun.c_str(), kEvil.c_str(), RRF_RT_ANY, nullptr,
                         nullptr, nullptr),
            ERROR_SUCCESS);
  HKEY injected = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KvxInjected", 0, KEY_READ, &injected),
            ERROR_SUCCESS);
  std::u16string undo;
  ASSERT_TRUE(ReadTextFile(undoFile, undo));
  EXPECT_EQ(undo.find(u"KvxInjected"), std::u16string::npos);

  // The undo file gives both classes back exactly.
  ASSERT_TRUE(RunRegedit(" /s \"" + undoFile + "\""));
  const winereg::Snapshot restored = winereg::Tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID");
  EXPECT_TRUE(restored == before) << winereg::Differences(restored, before);
}

// Who may change a file, by its descriptor: the owner must be the system, the administrators or
// the installer service, and no grant may let a standard user's principals change it.
TEST(ChangeRightOfTest, ReadsOwnerAndGrants) {
  const wchar_t* kUser = L"S-1-5-21-1-2-3-1001";
  struct Case {
    const wchar_t* sddl;
    ChangeRight expected;
  };
  const Case cases[] = {
      {L"O:SYD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)", ChangeRight::AdministratorsOnly},
      {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;GR;;;WD)",
       ChangeRight::AdministratorsOnly},
      // Grants that only pass on to what is created inside do not count.
      {L"O:BAD:(A;OICIIO;FA;;;BU)(A;;0x1200a9;;;AU)", ChangeRight::AdministratorsOnly},
      {L"O:BUD:(A;;FA;;;SY)", ChangeRight::StandardUsers},
      {L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;SY)", ChangeRight::StandardUsers},
      {L"O:BAD:(A;;0x1301bf;;;AU)", ChangeRight::StandardUsers},
      {L"O:BAD:(A;;0x4;;;WD)", ChangeRight::StandardUsers},
      {L"O:BAD:(A;;SD;;;IU)", ChangeRight::StandardUsers},
      {L"O:BAD:(A;;GW;;;BU)", ChangeRight::StandardUsers},
      {L"O:BAD:(A;;WD;;;S-1-5-21-1-2-3-1001)", ChangeRight::StandardUsers},
  };
  PSID user = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(kUser, &user));
  for (const Case& c : cases) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(ChangeRightOf(descriptor, user), c.expected)
        << std::string(c.sddl, c.sddl + wcslen(c.sddl));
    LocalFree(descriptor);
  }
  // No access list at all grants everyone everything (Wine's parser makes an empty one of
  // "D:NO_ACCESS_CONTROL", so the descriptor is made by hand).
  SECURITY_DESCRIPTOR open{};
  ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
  PSID administrators = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"BA", &administrators));
  ASSERT_TRUE(SetSecurityDescriptorOwner(&open, administrators, FALSE));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
  EXPECT_EQ(ChangeRightOf(&open, user), ChangeRight::StandardUsers);
  LocalFree(administrators);
  LocalFree(user);
}

}  // namespace
