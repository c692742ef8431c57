// A whole clean run on the real registry through the headless host: planted orphans are removed
// by the system's registry editor, nothing else changes, and the undo file brings them back.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "engine/HeadlessHost.h"
#include "platform/FileApi.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "support/PlantedWineTest.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

const wchar_t kClasses[] = L"SOFTWARE\\Classes\\";
const wchar_t kUninstallList[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

using winereg::Dword;
using winereg::Put;
using winereg::ReadTree;
using winereg::Snapshot;
using winereg::Wide;

Snapshot Machine() {
  Snapshot state;
  ReadTree(HKEY_LOCAL_MACHINE, L"SOFTWARE", state);
  ReadTree(HKEY_CURRENT_USER, L"Software", state);
  return state;
}

// The part of a snapshot at or below one key.
Snapshot Below(const Snapshot& state, const std::wstring& path) {
  Snapshot part;
  for (const auto& [key, values] : state) {
    if (key == path || key.rfind(path + L"\\", 0) == 0) part[key] = values;
  }
  return part;
}

// The keys the detail lines of the association and uninstall categories name. Under Wine the
// classes root is the machine's classes key.
std::vector<std::wstring> ReportedKeys(const CleanEngine& engine) {
  std::vector<std::wstring> keys;
  for (int category : {kAssociations, kUninstall}) {
    for (const std::string& line : engine.CategoryLog(category)) {
      const size_t end = line.find(" ... ");
      if (end == std::string::npos) continue;
      const std::wstring path(line.begin() + 7, line.begin() + static_cast<long>(end));
      keys.push_back(line.rfind("[HKCR]", 0) == 0 ? L"SOFTWARE\\Classes\\" + path : path);
    }
  }
  return keys;
}

// The lines of a detail list that name the test's own keys.
TextList PlantedLines(const TextList& log) {
  TextList lines;
  for (const std::string& line : log) {
    if (line.find("Kvx") != std::string::npos || line.find("kvx") != std::string::npos) {
      lines.push_back(line);
    }
  }
  return lines;
}

class CleanRunWineTest : public PlantedWineTest {
 protected:
  // Planted keys, each removed before and after the test.
  const std::vector<std::wstring> planted = {
      std::wstring(kClasses) + L".kvxorph1",
      std::wstring(kClasses) + L".kvxorph2",
      std::wstring(kClasses) + L".kvxgood",
      std::wstring(kClasses) + L"KvxGoodType",
      std::wstring(kUninstallList) + L"KvxOrphanEntry",
      std::wstring(kUninstallList) + L"KvxValidEntry",
      std::wstring(kUninstallList) + L"KvxSystemEntry",
  };

  void RemovePlanted() override {
    for (const std::wstring& key : planted) {
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    }
  }

  void Plant() {
    const std::wstring orph1 = std::wstring(kClasses) + L".kvxorph1";
    Put(orph1, L"", REG_SZ, Wide(L"KvxNoSuchType1"));
    Put(orph1, L"Content Type", REG_SZ, Wide(L"text/x-kvx"));
    Put(orph1, L"bin", REG_BINARY, {0x00, 0xFF, 0x10, 0x80});
    Put(orph1, L"count", REG_DWORD, Dword(0xDEADBEEF));
    Put(orph1, L"path", REG_EXPAND_SZ, Wide(L"%SystemRoot%\\kvx \"quoted\".exe"));
    Put(orph1, L"list", REG_MULTI_SZ, Wide(std::wstring(L"one\0two\0", 8)));
    Put(orph1 + L"\\OpenWithProgids", L"KvxNoSuchType1", REG_NONE, {});
    Put(std::wstring(kClasses) + L".kvxorph2", L"", REG_SZ, Wide(L"kvxnosuchtype2"));
    Put(std::wstring(kClasses) + L".kvxgood", L"", REG_SZ, Wide(L"kvxgoodtype"));
    Put(std::wstring(kClasses) + L"KvxGoodType", L"", REG_SZ, Wide(L"A sound type"));
    const std::wstring orphan = std::wstring(kUninstallList) + L"KvxOrphanEntry";
    Put(orphan, L"DisplayName", REG_SZ, Wide(L"Klarvex test leftover"));
    Put(orphan, L"EstimatedSize", REG_DWORD, Dword(1234));
    Put(orphan, L"UninstallString", REG_SZ, Wide(L""));
    Put(std::wstring(kUninstallList) + L"KvxValidEntry", L"UninstallString", REG_SZ,
        Wide(L"C:\\gone\\unins000.exe"));
    Put(std::wstring(kUninstallList) + L"KvxSystemEntry", L"SystemComponent", REG_DWORD, Dword(1));
  }
};

TEST_F(CleanRunWineTest, PlantedOrphansAreRemovedAndTheUndoFileRestoresThem) {
  Plant();
  const Snapshot before = Machine();
  const std::wstring orph1 = L"SOFTWARE\\Classes\\.kvxorph1";
  const std::wstring orph2 = L"SOFTWARE\\Classes\\.kvxorph2";
  const std::wstring entry = std::wstring(kUninstallList) + L"KvxOrphanEntry";
  ASSERT_EQ(Below(before, orph1).size(), 2u);

  HeadlessHost host;

  CleanEngine engine(host);
  engine.OnCleanClicked();
  const std::string undoFile = UndoDir() + UndoFileName;
  const std::string script = UndoDir() + kFixScriptName;
  created = {undoFile, script};

  EXPECT_TRUE(host.informations.empty()) << host.informations.front();
  EXPECT_FALSE(engine.Running);
  EXPECT_EQ(host.buttonCaption, "Clean");
  // A fresh prefix holds a few orphaned extensions of its own; they go too, and are restored.
  const std::string classes = "[HKLM]\\SOFTWARE\\Classes\\";
  EXPECT_EQ(PlantedLines(engine.CategoryLog(kAssociations)),
            (TextList{"[HKCR]\\.kvxorph1 ... fixed", "[HKCR]\\.kvxorph2 ... fixed",
                      classes + ".kvxorph1 ... fixed", classes + ".kvxorph2 ... fixed"}));
  EXPECT_EQ(engine.CategoryLog(kUninstall),
            (TextList{"Uninstall entries...",
                      "[HKLM]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                      "KvxOrphanEntry ... deleted",
                      "", "Summary: 1 items fixed."}));
  for (int category : {kComActiveX, kStartup, kTemporary}) {
    EXPECT_EQ(engine.CategoryCount(category), 0) << category;
  }

  // The real registry editor removed what the run reported, and nothing else.
  Snapshot expected = before;
  for (const std::wstring& gone : ReportedKeys(engine)) {
    for (const auto& [key, values] : Below(before, gone)) expected.erase(key);
  }
  // Wine's own fonts that have no file in the Fonts folder go too; Wine links the 32-bit path
  // of the font list to the same key.
  for (const Finding& f : engine.Findings()) {
    if (f.category != kAppPathsFontsHelp || !f.isValue) continue;
    for (auto& [key, values] : expected) {
      if (key.ends_with(L"Windows NT\\CurrentVersion\\Fonts")) {
        values.erase(std::wstring(f.valueName.begin(), f.valueName.end()));
      }
    }
  }
  const Snapshot after = Machine();
  EXPECT_TRUE(after == expected) << "the clean changed more than it reported:\n"
                                 << winereg::Differences(expected, after);
  EXPECT_TRUE(Below(after, orph1).empty());
  EXPECT_TRUE(Below(after, orph2).empty());
  EXPECT_TRUE(Below(after, entry).empty());
  EXPECT_EQ(Below(after, L"SOFTWARE\\Classes\\.kvxgood"),
            Below(before, L"SOFTWARE\\Classes\\.kvxgood"));

  // Importing the undo file gives back the same names, types and bytes.
  ASSERT_TRUE(FileExists(undoFile));
  ASSERT_TRUE(RunRegedit(" /s \"" + undoFile + "\""));
  const Snapshot restored = Machine();
  for (const std::wstring& key : {orph1, orph2, entry}) {
    EXPECT_TRUE(Below(restored, key) == Below(before, key));
  }
  EXPECT_TRUE(restored == before) << winereg::Differences(before, restored);
}

}  // namespace
