// The COM/ActiveX checks on the real registry under Wine: planted problems of the four kinds are
// repaired by the system's registry editor in a whole headless run, and the undo file gives every
// one of them back exactly; and what the checks find in a prefix's own COM data.
#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <string>

#include "engine/HeadlessHost.h"
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

// Wine's HKEY_CLASSES_ROOT is the machine's classes key, unmerged.
const std::wstring kClasses = L"SOFTWARE\\Classes\\";

// The planted identifiers: one family, told apart by the last digits.
std::wstring Id(int n) {
  wchar_t text[40];
  swprintf(text, 40, L"{4B565801-0000-4000-8000-0000000000%02X}", n);
  return text;
}

class ComChecksWineTest : public PlantedWineTest {
 protected:
  std::vector<std::wstring> PlantedKeys() const {
    std::vector<std::wstring> keys;
    for (int n = 1; n <= 0x0F; ++n) {
      for (const wchar_t* list : {L"CLSID\\", L"Interface\\", L"TypeLib\\"}) {
        keys.push_back(kClasses + list + Id(n));
      }
    }
    for (const wchar_t* name : {L"Kvx.Orphan.1", L"Kvx.Files.1", L"Kvx.Sound.1"}) {
      keys.push_back(kClasses + name);
    }
    return keys;
  }
  void RemovePlanted() override {
    for (const std::wstring& key : PlantedKeys()) winereg::Remove(key);
  }
};

TEST_F(ComChecksWineTest, PlantedProblemsAreRepairedAndTheUndoFileRestoresThem) {
  const std::wstring clsid = kClasses + L"CLSID\\";
  const std::wstring iface = kClasses + L"Interface\\";
  const std::wstring typelib = kClasses + L"TypeLib\\";
  // CheckCOM: a gone server, a moved one, an unregistered type library, a gone local server,
  // and a server that only the system's own variables place.
  Put(clsid + Id(1), L"", REG_SZ, Wide(L"Klarvex gone server"));
  Put(clsid + Id(1) + L"\\InprocServer32", L"", REG_EXPAND_SZ, Wide(L"C:\\kvx-gone\\KvxGone.dll"));
  Put(clsid + Id(1) + L"\\InprocServer32", L"ThreadingModel", REG_SZ, Wide(L"Both"));
  Put(clsid + Id(2) + L"\\InprocServer32", L"", REG_SZ, Wide(L"C:\\kvx-old\\KvxMoved.dll"));
  Put(clsid + Id(2) + L"\\InprocServer32", L"ThreadingModel", REG_SZ, Wide(L"Apartment"));
  Put(clsid + Id(3) + L"\\InprocServer32", L"", REG_SZ, Wide(L"kernel32.dll"));
  Put(clsid + Id(3) + L"\\TypeLib", L"", REG_SZ, Wide(Id(0x0F)));
  Put(clsid + Id(4) + L"\\LocalServer32", L"", REG_SZ,
      Wide(L"\"C:\\kvx-gone\\KvxLocal.exe\" /automation"));
  Put(clsid + Id(4) + L"\\LocalServer32", L"blob", REG_BINARY, {0x00, 0xFF, 0x80});
  Put(clsid + Id(8) + L"\\InprocServer32", L"", REG_SZ, Wide(L"ole32.dll"));
  Put(clsid + Id(0x0B) + L"\\InprocServer32", L"", REG_EXPAND_SZ,
      Wide(L"%ProgramFiles(x86)%\\kvx\\KvxKept.dll"));
  // CheckActiveX: an entry of an unregistered class, one with a missing icon, open and edit
  // program, and a sound one (including a RUNDLL32 command and an icon in the profile).
  Put(kClasses + L"Kvx.Orphan.1", L"", REG_SZ, Wide(L"Orphan"));
  Put(kClasses + L"Kvx.Orphan.1\\CLSID", L"", REG_SZ, Wide(Id(0x0E)));
  Put(kClasses + L"Kvx.Files.1\\DefaultIcon", L"", REG_SZ, Wide(L"C:\\kvx-gone\\KvxIcon.dll,2"));
  Put(kClasses + L"Kvx.Files.1\\shell\\open\\command", L"", REG_SZ,
      Wide(L"\"C:\\kvx-gone\\KvxApp.exe\" \"%1\""));
  Put(kClasses + L"Kvx.Files.1\\shell\\edit\\command", L"", REG_EXPAND_SZ,
      Wide(L"C:\\kvx-gone\\KvxEdit.exe %1"));
  Put(kClasses + L"Kvx.Sound.1\\CLSID", L"", REG_SZ, Wide(Id(8)));
  Put(kClasses + L"Kvx.Sound.1\\DefaultIcon", L"", REG_EXPAND_SZ,
      Wide(L"%USERPROFILE%\\kvx\\KvxIcon2.dll,0"));
  Put(kClasses + L"Kvx.Sound.1\\shell\\open\\command", L"", REG_SZ,
      Wide(L"rundll32.exe C:\\kvx-gone\\x.dll,Run %1"));
  Put(kClasses + L"Kvx.Sound.1\\shell\\edit\\command", L"", REG_SZ, Wide(L"notepad.exe %1"));
  // CheckInterfaces: an empty shell, an unregistered type library, a gone proxy/stub class.
  Put(iface + Id(5) + L"\\A\\B");
  Put(iface + Id(6), L"", REG_SZ, Wide(L"IKvxLib"));
  Put(iface + Id(6) + L"\\TypeLib", L"", REG_SZ, Wide(Id(0x0F)));
  Put(iface + Id(6) + L"\\TypeLib", L"Version", REG_SZ, Wide(L"1.0"));
  Put(iface + Id(7), L"", REG_SZ, Wide(L"IKvxProxy"));
  Put(iface + Id(7) + L"\\ProxyStubClsid", L"", REG_SZ, Wide(Id(8)));
  Put(iface + Id(7) + L"\\ProxyStubClsid32", L"", REG_SZ, Wide(Id(0x0E)));
  // CheckTypeLib: an empty shell, and an empty help folder of the first version.
  Put(typelib + Id(9) + L"\\1.0\\0\\win64");
  Put(typelib + Id(10) + L"\\1.0", L"", REG_SZ, Wide(L"Kvx help library"));
  Put(typelib + Id(10) + L"\\1.0\\HELPDIR", L"", REG_SZ, Wide(L""));
  Put(typelib + Id(10) + L"\\1.0\\0\\win64", L"", REG_SZ, Wide(L"C:\\kvx\\kvx.tlb"));

  // The moved server's new home in the Windows tree, and the files the variables name.
  const std::string movedFolder = WindowsDir() + "kvxmoved\\";
  const std::string keptX86 = Process().ExpandEnvironment("%ProgramFiles(x86)%\\kvx\\");
  const std::string keptProfile = Process().ExpandEnvironment("%USERPROFILE%\\kvx\\");
  for (const auto& [folder, file] : {std::pair{movedFolder, "KvxMoved.dll"},
                                     {keptX86, "KvxKept.dll"},
                                     {keptProfile, "KvxIcon2.dll"}}) {
    ASSERT_TRUE(Files().MakeFolders(folder)) << folder;
    ASSERT_EQ(Files().WriteAll(folder + file, {'M', 'Z'}), status::kSuccess);
    created.push_back(folder + file);
  }
  folders = {movedFolder, keptX86, keptProfile};

  const winereg::Snapshot before = winereg::Tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes");
  HeadlessHost host;
  CleanEngine engine(host);
  engine.OnCleanClicked();
  created.push_back(UndoDir() + UndoFileName);
  created.push_back(UndoDir() + kFixScriptName);
  ASSERT_TRUE(host.informations.empty()) << host.informations.front();

  auto name = [](int n) {
    const std::wstring id = Id(n);
    return std::string(id.begin(), id.end());
  };
  const TextList log = {
      "COM/ActiveX entries...",
      "[HKCR]\\CLSID\\" + name(1) + "\\InprocServer32=KVXGONE.DLL ... fixed",
      "[HKCR]\\CLSID\\" + name(2) + "\\InprocServer32=KVXMOVED.DLL ... fixed",
      "[HKCR]\\CLSID\\" + name(3) + "\\TypeLib=" + name(0x0F) + " ... deleted",
      "[HKCR]\\CLSID\\" + name(4) + "\\LocalServer32=KVXLOCAL.EXE ... fixed",
      "[HKCR]\\Kvx.Files.1\\DefaultIcon=KVXICON.DLL ... deleted",
      "[HKCR]\\Kvx.Files.1\\shell\\open\\command=KVXAPP.EXE ... deleted",
      "[HKCR]\\Kvx.Files.1\\shell\\edit\\command=KVXEDIT.EXE ... deleted",
      "[HKCR]\\Kvx.Orphan.1 ... deleted",
      "[HKCR]\\Interface\\" + name(5) + " ... deleted",
      "[HKCR]\\Interface\\" + name(6) + " ... deleted",
      "[HKCR]\\Interface\\" + name(7) + "\\ProxyStubClsid32=" + name(0x0E) + " ... deleted",
      "[HKCR]\\Typelib\\" + name(9) + " ... deleted",
      "[HKCR]\\Typelib\\" + name(10) + "\\1.0\\HELPDIR ... deleted",
      "",
      "Summary: 13 items fixed.",
  };
  EXPECT_EQ(engine.CategoryLog(kComActiveX), log);

  // The system's registry editor made exactly these changes, and those of the association
  // check, which finds a few extensions of the prefix's own (named in its list).
  winereg::Snapshot expected = before;
  auto erase = [&expected](const std::wstring& key) {
    std::erase_if(expected,
                  [&key](const auto& entry) { return winereg::IsAtOrBelow(entry.first, key); });
  };
  for (const std::wstring& key :
       {clsid + Id(1) + L"\\InprocServer32", clsid + Id(3) + L"\\TypeLib",
        clsid + Id(4) + L"\\LocalServer32", kClasses + L"Kvx.Orphan.1",
        kClasses + L"Kvx.Files.1\\DefaultIcon", kClasses + L"Kvx.Files.1\\shell\\open\\command",
        kClasses + L"Kvx.Files.1\\shell\\edit\\command", iface + Id(5), iface + Id(6),
        iface + Id(7) + L"\\ProxyStubClsid32", typelib + Id(9),
        typelib + Id(10) + L"\\1.0\\HELPDIR",
        // Wine's 32-bit view shares the type library key.
        kClasses + L"Wow6432Node\\TypeLib\\" + Id(9),
        kClasses + L"Wow6432Node\\TypeLib\\" + Id(10) + L"\\1.0\\HELPDIR"}) {
    erase(key);
  }
  for (const std::string& line : engine.CategoryLog(kAssociations)) {
    const size_t dots = line.find(" ... ");
    if (line.starts_with("[HKCR]\\") && dots != std::string::npos) {
      erase(kClasses + std::wstring(line.begin() + 7, line.begin() + static_cast<long>(dots)));
    }
  }
  const std::string moved = movedFolder + "KVXMOVED.DLL";
  expected[clsid + Id(2) + L"\\InprocServer32"][L""] =
      winereg::Value{REG_SZ, Wide(std::wstring(moved.begin(), moved.end()))};
  const winereg::Snapshot after = winereg::Tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes");
  EXPECT_TRUE(after == expected) << winereg::Differences(after, expected);

  // The undo file gives every repaired key back with its names, types and bytes.
  ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + UndoFileName + "\""));
  const winereg::Snapshot restored = winereg::Tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes");
  EXPECT_TRUE(restored == before) << winereg::Differences(restored, before);
}

// The checks alone over the prefix's own data, nothing imported: a fresh prefix's registered
// files all exist and its keys are all in use, so no rule finds anything; each finding would be
// printed for the record.
TEST_F(ComChecksWineTest, AFreshPrefixsOwnComDataHoldsNoFinding) {
  for (const char* list : {"\\CLSID\\", "\\Interface\\", "\\TypeLib\\", "\\"}) {
    TextList names;
    EXPECT_GT(ListSubKeys(RootKey::ClassesRoot, list, names), 10) << list;
  }
  HeadlessHost host;
  CleanEngine engine(host);
  engine.Running = true;
  engine.ScanSystemFolder(WindowsDir());
  engine.ScanSystemFolder(ProgramFilesDir());
  BeginUndoJournal();
  FixScript = {"REGEDIT4", ""};
  engine.CheckCOM();
  engine.CheckActiveX();
  engine.CheckInterfaces();
  engine.CheckTypeLib();
  for (const std::string& line : engine.CategoryLog(kComActiveX)) std::cout << line << "\n";
  EXPECT_TRUE(engine.CategoryLog(kComActiveX).empty());
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
}

}  // namespace
