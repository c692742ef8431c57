// Startup and temporary values on the real registry through the headless host: Run values go
// with the registry editor's import at the end of the run, history and path-like values at once,
// and the undo file brings every one back with its type and bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/HeadlessHost.h"
#include "platform/FileApi.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

// Wine keeps a key's values in sorted order, Windows in the order they were made.
TextList Sorted(TextList lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

const std::wstring kRun = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kRunMru = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::wstring kFarCopy = L"SOFTWARE\\Far\\SavedDialogHistory\\Copy";
const std::wstring kVendor = L"Software\\KvxTest";

using winereg::Snapshot;
using winereg::Wide;

// Every value of HKCU\Software, by key path and name.
Snapshot UserSoftware() { return winereg::Tree(HKEY_CURRENT_USER, L"Software"); }

bool HasValue(const std::wstring& path, const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

// Notes, at the first pump after category 5 has deleted something, whether a Run value that the
// run scheduled for deletion is still there: it must be, since only the import removes it.
class ObservingHost final : public HeadlessHost {
 public:
  CleanEngine engine{*this};
  bool sawFirstDeletion = false;
  bool runValueThenPresent = false;
  bool historyValueThenPresent = true;

  void PumpMessages() override {
    if (sawFirstDeletion || engine.CategoryCount(kTemporary) == 0) return;
    sawFirstDeletion = true;
    runValueThenPresent = HasValue(kRun, L"KvxGoneRun");
    historyValueThenPresent = HasValue(kRunMru, L"kvxa");
  }
};

class TemporaryValuesWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseWin32Platform();
    InitPaths();
    runExisted = KeyExists(kRun);
    runMruExisted = KeyExists(kRunMru);
    farExisted = KeyExists(L"SOFTWARE\\Far");
    Remove();
  }

  void TearDown() override {
    Remove();
    for (const std::string& file : created) Files().RemoveFile(file);
  }

  static void DeleteKey(const std::wstring& path) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  }

  static bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  void Put(const std::wstring& path, const wchar_t* name, DWORD type,
           const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    planted.emplace_back(path, name);
  }

  // Everything this test planted, and the keys it created.
  void Remove() {
    for (const auto& [path, name] : planted)
      RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str());
    for (const wchar_t* name : {L"KvxGoneRun", L"Kvx\"Quote\\Run", L"KvxKeptRun"}) {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun.c_str(), name);
    }
    DeleteKey(kVendor);
    if (!runExisted) DeleteKey(kRun);
    if (!runMruExisted) DeleteKey(kRunMru);
    if (!farExisted) DeleteKey(L"SOFTWARE\\Far");
  }

  bool runExisted = false;
  bool runMruExisted = false;
  bool farExisted = false;
  std::vector<std::pair<std::wstring, std::wstring>> planted;
  std::vector<std::string> created;
};

TEST_F(TemporaryValuesWineTest, PlantedValuesAreRemovedAndTheUndoFileRestoresThem) {
  Put(kRun, L"KvxGoneRun", REG_SZ, Wide(L"\"C:\\kvx\\gone\\tool.exe\" /tray"));
  Put(kRun, L"Kvx\"Quote\\Run", REG_EXPAND_SZ, Wide(L"C:\\kvx\\gone\\q.exe"));
  Put(kRun, L"KvxKeptRun", REG_SZ, Wide(L"C:\\windows\\notepad.exe"));
  Put(kRunMru, L"kvxa", REG_SZ, Wide(L"notepad\\1"));
  Put(kRunMru, L"kvxMRUList", REG_SZ, Wide(L"a"));
  Put(kRunMru, L"kvxexp", REG_EXPAND_SZ, Wide(L"%WINDIR%\\x"));
  Put(kFarCopy, L"Lines", REG_SZ, Wide(L"C:\\kvx \"copy\""));
  Put(kVendor + L"\\App", L"Last", REG_SZ, Wide(L"C:\\kvx\\gone\\caf\u00e9.txt"));
  Put(kVendor + L"\\App", L"Typed", REG_EXPAND_SZ, Wide(L"C:\\kvx\\gone\\%USERNAME%.txt"));
  Put(kVendor + L"\\App", L"Floppy", REG_SZ, Wide(L"A:\\SETUP.EXE"));
  Put(kVendor + L"\\App", L"Kept", REG_SZ, Wide(L"C:\\windows\\notepad.exe"));
  Put(kVendor + L"\\App", L"Archive", REG_SZ, Wide(L"Archive C:\\windows\\win.ini"));
  Put(kVendor + L"\\App\\Deeper\\Still", L"Path", REG_SZ, Wide(L"C:\\kvx\\gone\\y.txt"));
  Put(kVendor + L"\\MicrosoftTools", L"Last", REG_SZ, Wide(L"C:\\kvx\\gone\\z.txt"));
  const Snapshot before = UserSoftware();

  ObservingHost host;
  CleanEngine& engine = host.engine;
  engine.OnCleanClicked();
  const std::string undoFile = UndoDir() + UndoFileName;
  created = {undoFile, UndoDir() + kFixScriptName};

  EXPECT_TRUE(host.informations.empty()) << host.informations.front();
  const std::string run = "[HKCU]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
  EXPECT_EQ(Sorted(engine.CategoryLog(kStartup)),
            Sorted({"Startup program list...", run + "KvxGoneRun ... deleted",
                    run + "Kvx\"Quote\\Run ... deleted", "", "Summary: 2 items fixed."}));
  TextList ourLines;
  for (const std::string& line : engine.CategoryLog(kTemporary)) {
    if (line.find("kvx") != std::string::npos || line.find("Kvx") != std::string::npos ||
        line.find("Far") != std::string::npos) {
      ourLines.push_back(line);
    }
  }
  const std::string mru =
      "[HKCU]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU\\";
  EXPECT_EQ(Sorted(ourLines),
            Sorted({mru + "kvxa ... deleted", mru + "kvxMRUList ... deleted",
                    "[HKCU]\\SOFTWARE\\Far\\SavedDialogHistory\\Copy\\Lines ... deleted",
                    "[HKCU]\\Software\\KvxTest\\App\\Last ... deleted",
                    "[HKCU]\\Software\\KvxTest\\App\\Typed ... deleted",
                    "[HKCU]\\Software\\KvxTest\\App\\Floppy ... deleted",
                    "[HKCU]\\Software\\KvxTest\\App\\Deeper\\Still\\Path ... deleted"}));

  // Category 5 deleted at once, while the Run values waited for the import.
  EXPECT_TRUE(host.sawFirstDeletion);
  EXPECT_FALSE(host.historyValueThenPresent);
  EXPECT_TRUE(host.runValueThenPresent);

  const Snapshot after = UserSoftware();
  for (const auto& [path, name] : std::vector<std::pair<std::wstring, const wchar_t*>>{
           {kRun, L"KvxGoneRun"},
           {kRun, L"Kvx\"Quote\\Run"},
           {kRunMru, L"kvxa"},
           {kRunMru, L"kvxMRUList"},
           {kFarCopy, L"Lines"},
           {kVendor + L"\\App", L"Last"},
           {kVendor + L"\\App", L"Typed"},
           {kVendor + L"\\App", L"Floppy"},
           {kVendor + L"\\App\\Deeper\\Still", L"Path"}}) {
    EXPECT_FALSE(HasValue(path, name)) << "still there: " << std::string(path.begin(), path.end());
  }
  for (const auto& [path, name] : std::vector<std::pair<std::wstring, const wchar_t*>>{
           {kRun, L"KvxKeptRun"},
           {kRunMru, L"kvxexp"},
           {kVendor + L"\\App", L"Kept"},
           {kVendor + L"\\App", L"Archive"},
           {kVendor + L"\\MicrosoftTools", L"Last"}}) {
    EXPECT_TRUE(HasValue(path, name)) << "removed: " << std::string(path.begin(), path.end());
  }

  // Importing the undo file gives back every value with its type and bytes.
  ASSERT_TRUE(FileExists(undoFile));
  ASSERT_TRUE(RunRegedit(" /s \"" + undoFile + "\""));
  const Snapshot restored = UserSoftware();
  const std::vector<std::wstring> watched = {kRun, kRunMru, kFarCopy, kVendor};
  for (const auto& [path, values] : before) {
    const bool ours = std::any_of(watched.begin(), watched.end(), [&](const std::wstring& key) {
      return _wcsnicmp(path.c_str(), key.c_str(), key.size()) == 0;
    });
    if (!ours) continue;
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    ASSERT_TRUE(restored.count(path));
    EXPECT_TRUE(restored.at(path) == values);
  }
  EXPECT_TRUE(restored == before);
}

}  // namespace
