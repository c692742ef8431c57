// The 32-bit copies of the redirected keys on a real 64-bit prefix: Wine's own copies hold no
// finding; planted 32-bit problems and look-alikes in the four checks are found or kept as a
// 32-bit program would see them, repaired by the system's registry editor, and given back exactly
// by the undo file.
#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <string>

#include "engine/HeadlessHost.h"
#include "engine/RegistryView.h"
#include "platform/FileApi.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/win32/Win32Platform.h"
#include "support/PlantedWineTest.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

using winereg::Put;
using winereg::Wide;

const std::wstring kClasses32 = L"SOFTWARE\\Classes\\Wow6432Node\\";
const std::wstring kVersion32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";

std::wstring Id(int n) {
  wchar_t text[40];
  swprintf(text, 40, L"{4B565832-0000-4000-8000-0000000000%02X}", n);
  return text;
}
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The trees the planted keys live in, compared before the run and after the undo.
winereg::Snapshot PlantedTrees() {
  winereg::Snapshot all;
  for (const wchar_t* tree :
       {L"SOFTWARE\\Classes\\Wow6432Node\\CLSID", L"SOFTWARE\\Classes\\Wow6432Node\\Interface",
        L"SOFTWARE\\Classes\\TypeLib",
        L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
        L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
    all.merge(winereg::Tree(HKEY_LOCAL_MACHINE, tree));
  }
  return all;
}

class Wow64WineTest : public PlantedWineTest {
 protected:
  void RemovePlanted() override {
    for (int n = 1; n <= 6; ++n) {
      for (const std::wstring& list : {kClasses32 + L"CLSID\\", kClasses32 + L"Interface\\",
                                       std::wstring(L"SOFTWARE\\Classes\\TypeLib\\")}) {
        winereg::Remove(list + Id(n));
      }
    }
    for (const wchar_t* name : {L"Kvx32App", L"Kvx32Cmd"}) {
      winereg::Remove(kVersion32 + L"Uninstall\\" + name);
    }
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kVersion32 + L"Run").c_str(), 0, KEY_ALL_ACCESS, &run) ==
        ERROR_SUCCESS) {
      for (const wchar_t* name : {L"Kvx32Gone", L"Kvx32Kept"}) RegDeleteValueW(run, name);
      RegCloseKey(run);
    }
  }
  // A file where a 32-bit program finds it: the 64-bit program writes it in SysWOW64.
  void PutFile(const std::string& path) {
    ASSERT_EQ(Files().WriteAll(path, {'M', 'Z'}), status::kSuccess) << path;
    created.push_back(path);
  }
};

TEST_F(Wow64WineTest, APrefixHasBothViewsAndItsOwn32BitCopiesHoldNoFinding) {
  // The Wow6432Node keys exist; a shared key is one key in both.
  EXPECT_TRUE(k32BitView.ExistsFor(RootKey::ClassesRoot));
  EXPECT_TRUE(k32BitView.ExistsFor(RootKey::LocalMachine));
  Put(L"SOFTWARE\\Classes\\TypeLib\\" + Id(6));
  EXPECT_TRUE(KeyExists(RootKey::ClassesRoot, "\\Wow6432Node\\TypeLib\\" + Narrow(Id(6))));
  EXPECT_EQ(ProgramFilesX86Dir(), "C:\\PROGRAM FILES (X86)\\");

  HeadlessHost host;

  CleanEngine engine(host);
  engine.Running = true;
  BeginUndoJournal();
  FixScript = {"REGEDIT4", ""};
  engine.CheckCOM(k32BitView);
  engine.CheckInterfaces(k32BitView);
  engine.CheckStartup(RootKey::LocalMachine, k32BitView);
  engine.CheckUninstall(k32BitView);
  for (int k = 1; k <= kCategoryCount; ++k) {
    for (const std::string& line : engine.CategoryLog(k)) std::cout << line << "\n";
    EXPECT_TRUE(engine.CategoryLog(k).empty()) << k;
  }
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
}

TEST_F(Wow64WineTest, Planted32BitProblemsAreRepairedAndTheUndoFileRestoresThem) {
  const std::wstring clsid = kClasses32 + L"CLSID\\";
  const std::wstring iface = kClasses32 + L"Interface\\";
  const std::string sysWow = WindowsDir() + "syswow64\\";
  const std::string x86 = ProgramFilesX86Dir() + "kvx32\\";
  ASSERT_TRUE(Files().MakeFolders(x86));
  PutFile(sysWow + "kvx32srv.dll");
  PutFile(sysWow + "kvx32run.exe");
  PutFile(x86 + "KvxKept32.dll");
  folders.push_back(x86);
  // Classes: a SysWOW64 server under its system32 path and a 32-bit Program Files variable stay;
  // a gone server is found.
  Put(clsid + Id(1) + L"\\InprocServer32", L"", REG_SZ,
      Wide(L"C:\\windows\\system32\\kvx32srv.dll"));
  Put(clsid + Id(2) + L"\\InprocServer32", L"", REG_EXPAND_SZ,
      Wide(L"%SystemRoot%\\system32\\kvx32gone.dll"));
  Put(clsid + Id(2) + L"\\InprocServer32", L"ThreadingModel", REG_SZ, Wide(L"Both"));
  Put(clsid + Id(3) + L"\\InprocServer32", L"", REG_EXPAND_SZ,
      Wide(L"%ProgramFiles%\\kvx32\\KvxKept32.dll"));
  // Interfaces: an empty shell is found; a proxy among the 32-bit classes stays.
  Put(iface + Id(4) + L"\\A\\B");
  Put(iface + Id(5), L"", REG_SZ, Wide(L"IKvx32"));
  Put(iface + Id(5) + L"\\ProxyStubClsid32", L"", REG_SZ, Wide(Id(1)));
  // A shared type library planted through the 32-bit path: one key, found once.
  Put(kClasses32 + L"TypeLib\\" + Id(6) + L"\\1.0\\0\\win32");
  // Run and uninstall entries of 32-bit programs.
  Put(kVersion32 + L"Run", L"Kvx32Gone", REG_SZ, Wide(L"\"C:\\kvx-gone\\run32.exe\" /tray"));
  Put(kVersion32 + L"Run", L"Kvx32Kept", REG_SZ, Wide(L"C:\\windows\\system32\\kvx32run.exe"));
  Put(kVersion32 + L"Uninstall\\Kvx32App", L"DisplayName", REG_SZ, Wide(L"Kvx 32-bit app"));
  Put(kVersion32 + L"Uninstall\\Kvx32Cmd", L"UninstallString", REG_SZ, Wide(L"C:\\x.exe /u"));

  const winereg::Snapshot before = PlantedTrees();
  HeadlessHost host;
  CleanEngine engine(host);
  engine.OnCleanClicked();
  created.push_back(UndoDir() + UndoFileName);
  created.push_back(UndoDir() + kFixScriptName);
  ASSERT_TRUE(host.informations.empty()) << host.informations.front();

  // The planted lines of each category (the prefix's own extensions are found too).
  auto planted = [&](int category) {
    TextList lines;
    for (const std::string& line : engine.CategoryLog(category)) {
      if (line.find("4B565832") != std::string::npos || line.find("Kvx32") != std::string::npos) {
        lines.push_back(line);
      }
    }
    return lines;
  };
  const std::string version = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  EXPECT_EQ(planted(kComActiveX), (TextList{
                                      "[HKCR 32-bit]\\CLSID\\" + Narrow(Id(2)) +
                                          "\\InprocServer32=KVX32GONE.DLL ... fixed",
                                      "[HKCR 32-bit]\\Interface\\" + Narrow(Id(4)) + " ... deleted",
                                      "[HKCR]\\Typelib\\" + Narrow(Id(6)) + " ... deleted",
                                  }));
  EXPECT_EQ(planted(kStartup), TextList{"[HKLM 32-bit]" + version + "Run\\Kvx32Gone ... deleted"});
  EXPECT_EQ(planted(kUninstall),
            TextList{"[HKLM 32-bit]" + version + "Uninstall\\Kvx32App ... deleted"});

  // The registry editor removed exactly the found keys and value from the physical copies.
  winereg::Snapshot expected = before;
  for (const std::wstring& key : {clsid + Id(2) + L"\\InprocServer32", iface + Id(4),
                                  std::wstring(L"SOFTWARE\\Classes\\TypeLib\\") + Id(6),
                                  kVersion32 + L"Uninstall\\Kvx32App"}) {
    std::erase_if(expected,
                  [&key](const auto& entry) { return winereg::IsAtOrBelow(entry.first, key); });
  }
  expected[kVersion32 + L"Run"].erase(L"Kvx32Gone");
  const winereg::Snapshot after = PlantedTrees();
  EXPECT_TRUE(after == expected) << winereg::Differences(after, expected);

  // The undo file names the Wow6432Node keys and gives every one back exactly.
  ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + UndoFileName + "\""));
  const winereg::Snapshot restored = PlantedTrees();
  EXPECT_TRUE(restored == before) << winereg::Differences(restored, before);
}

}  // namespace
