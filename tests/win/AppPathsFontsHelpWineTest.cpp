// Application paths, fonts, help files and the program-name cache on a real prefix: what the
// prefix's own entries give, and planted problems and look-alikes in all four places repaired
// through the system's registry editor (the cache at once) and given back exactly by the undo file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <string>

#include "engine/HeadlessHost.h"
#include "platform/FileApi.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "support/PlantedWineTest.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

using winereg::Wide;

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::wstring kAppPaths32 =
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::wstring kFonts = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::wstring kHelp = L"SOFTWARE\\Microsoft\\Windows\\Help";
const std::wstring kHtmlHelp32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\HTML Help";
const std::wstring kMui =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";

struct Planted {
  HKEY root;
  std::wstring key;
  std::wstring name;  // "" for an application path: its default value
  std::wstring data;
  bool goes;
};
// Everything planted below is named "Kvx..." or "kvx...", so the test never touches the rest.
const Planted kPlanted[] = {
    {HKEY_LOCAL_MACHINE, kAppPaths + L"KvxGone.exe", L"", L"C:\\kvx-gone\\gone.exe", true},
    {HKEY_LOCAL_MACHINE, kAppPaths + L"KvxArgs.exe", L"", L"\"C:\\windows\\notepad.exe\" /x",
     false},
    {HKEY_LOCAL_MACHINE, kAppPaths + L"KvxX86.exe", L"", L"%ProgramFiles%\\kvx86\\app.exe", false},
    {HKEY_LOCAL_MACHINE, kAppPaths32 + L"KvxGone32.exe", L"", L"%ProgramFiles%\\kvx-gone\\32.exe",
     true},
    {HKEY_CURRENT_USER, kAppPaths + L"KvxUser.exe", L"", L"C:\\kvx-gone\\user.exe", true},
    {HKEY_LOCAL_MACHINE, kFonts, L"Kvx Kept (TrueType)", L"kvxkept.ttf", false},
    {HKEY_LOCAL_MACHINE, kFonts, L"Kvx Absent (TrueType)", L"Q:\\kvx\\absent.ttf", false},
    {HKEY_LOCAL_MACHINE, kFonts, L"Kvx Gone (TrueType)", L"kvxgone.ttf", true},
    {HKEY_CURRENT_USER, kFonts, L"Kvx User (TrueType)", L"C:\\kvx-gone\\user.ttf", true},
    {HKEY_LOCAL_MACHINE, kHelp, L"kvxkept.hlp", L"C:\\windows\\", false},
    {HKEY_LOCAL_MACHINE, kHelp, L"kvxgone.hlp", L"C:\\kvx-gone\\", true},
    {HKEY_LOCAL_MACHINE, kHtmlHelp32, L"kvx32.chm", L"C:\\kvx-gone", true},
    {HKEY_CURRENT_USER, kMui, L"@C:\\kvx-gone\\res.dll,-1", L"Kvx resource", false},
    {HKEY_CURRENT_USER, kMui, L"C:\\windows\\notepad.exe.FriendlyAppName", L"Kvx notepad", false},
    {HKEY_CURRENT_USER, kMui, L"C:\\kvx-gone\\app.exe.FriendlyAppName", L"Kvx app", true},
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool IsPlanted(const std::string& text) {
  return text.find("Kvx") != std::string::npos || text.find("kvx") != std::string::npos;
}

winereg::Snapshot PlantedTrees() {
  winereg::Snapshot all;
  for (const wchar_t* tree :
       {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
        L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths",
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
        L"SOFTWARE\\Microsoft\\Windows\\Help",
        L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\HTML Help"}) {
    all.merge(winereg::Tree(HKEY_LOCAL_MACHINE, tree));
  }
  for (const std::wstring& tree : {kAppPaths.substr(0, kAppPaths.size() - 1), kFonts, kMui}) {
    for (auto& [key, values] : winereg::Tree(HKEY_CURRENT_USER, tree))
      all[L"HKCU\\" + key] = values;
  }
  return all;
}

class AppPathsFontsHelpWineTest : public PlantedWineTest {
 protected:
  void RemovePlanted() override {
    for (const Planted& p : kPlanted) {
      if (p.name.empty()) {
        winereg::Remove(p.key, p.root);
        continue;
      }
      HKEY key = nullptr;
      if (RegOpenKeyExW(p.root, p.key.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
      RegDeleteValueW(key, p.name.c_str());
      RegCloseKey(key);
    }
  }
  void PutFile(const std::string& path) {
    ASSERT_EQ(Files().WriteAll(path, {'k', 'v', 'x'}), status::kSuccess) << path;
    created.push_back(path);
  }
  // A scan of the whole prefix: the findings of the places this test is about.
  static std::vector<Finding> Scanned() {
    HeadlessHost host;
    CleanEngine engine(host);
    EXPECT_TRUE(engine.Run(RunMode::Scan));
    std::vector<Finding> found;
    for (const Finding& f : engine.Findings()) {
      if (f.category == kAppPathsFontsHelp || f.rule == "cached program missing")
        found.push_back(f);
    }
    return found;
  }
};

// Wine registers its own bitmap fonts by bare name but keeps no file of them in C:\windows\Fonts:
// by Windows' rule those entries are dead, and they are all a fresh prefix gives. With a
// Windows-like Fonts folder, one holding a file for every registered name, nothing is found.
TEST_F(AppPathsFontsHelpWineTest,
       APrefixGivesOnlyItsOwnFontsWithoutFilesAndNothingOnceTheyAreThere) {
  const std::vector<Finding> fresh = Scanned();
  for (const Finding& f : fresh) {
    std::cout << "  " << f.detail << " (" << f.data << ")\n";
    EXPECT_EQ(f.rule, "font file missing") << f.detail;
    EXPECT_EQ(f.data.find_first_of("\\:"), std::string::npos) << f.data;
    EXPECT_FALSE(FileExists(WindowsDir() + "Fonts\\" + f.data)) << f.data;
  }
  for (const Finding& f : fresh) PutFile(WindowsDir() + "Fonts\\" + f.data);
  EXPECT_TRUE(Scanned().empty());
}

TEST_F(AppPathsFontsHelpWineTest, PlantedProblemsGoLookAlikesStayAndTheUndoFileGivesThemBack) {
  const std::string x86 = ProgramFilesX86Dir() + "kvx86\\";
  ASSERT_TRUE(Files().MakeFolders(x86));
  folders.push_back(x86);
  PutFile(x86 + "app.exe");
  PutFile(WindowsDir() + "Fonts\\kvxkept.ttf");
  PutFile(WindowsDir() + "kvxkept.hlp");
  // The prefix's own dead fonts are given files, so that only the planted entries are found.
  for (const Finding& f : Scanned()) PutFile(WindowsDir() + "Fonts\\" + f.data);
  for (const Planted& p : kPlanted) {
    ASSERT_TRUE(winereg::PutIn(p.root, p.key, p.name.c_str(), REG_SZ, Wide(p.data)));
  }
  const winereg::Snapshot before = PlantedTrees();

  HeadlessHost host;

  CleanEngine engine(host);
  engine.OnCleanClicked();
  created.push_back(UndoDir() + UndoFileName);
  created.push_back(UndoDir() + kFixScriptName);
  ASSERT_TRUE(host.informations.empty()) << host.informations.front();

  // The registry editor removed what was found; the cache's value went at once.
  for (const Planted& p : kPlanted) {
    HKEY key = nullptr;
    bool kept = RegOpenKeyExW(p.root, p.key.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (kept) {
      kept = p.name.empty() ||
             RegQueryValueExW(key, p.name.c_str(), nullptr, nullptr, nullptr, nullptr) == 0;
      RegCloseKey(key);
    }
    EXPECT_EQ(kept, !p.goes) << Narrow(p.key + L" " + p.name);
  }
  std::string found;
  for (int k : {kTemporary, kAppPathsFontsHelp}) {
    for (const std::string& line : engine.CategoryLog(k))
      found += IsPlanted(line) ? line + "\n" : "";
  }
  EXPECT_EQ(std::count(found.begin(), found.end(), '\n'), 8) << found;

  ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + UndoFileName + "\""));
  const winereg::Snapshot restored = PlantedTrees();
  EXPECT_TRUE(restored == before) << winereg::Differences(restored, before);
}

}  // namespace
