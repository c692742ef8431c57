// Text the code page cannot hold, on the real registry with the real registry editor: a clean
// and the undo file's import give back every byte, and data the code page cannot spell is never
// judged. The same test runs in the build whose code page is UTF-8 (its manifest asks for it),
// where every text can be spelled and is judged like any other. There Wine's regedit.exe still
// reads single-byte scripts in the system's code page, unlike Windows, where both agree: the
// planted items keep ASCII names, so their FixScript lines read the same either way, and their
// data reach the registry only through the UTF-16 undo file and the program's own calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/HeadlessHost.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Platform.h"
#include "support/WineRegistry.h"
#include "undo/UndoJournal.h"

namespace {

using winereg::PutIn;
using winereg::Snapshot;
using winereg::Tree;
using winereg::Wide;

const wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
const wchar_t kUni[] = L"Software\\KvxUni";
const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kClsid[] = L"SOFTWARE\\Classes\\CLSID\\";
const wchar_t kFiles[] = L"C:\\kvxuni\\";
const wchar_t kClasses[] = L"SOFTWARE\\Classes\\";
const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Greek, Cyrillic, Hebrew, CJK and emoji folder names: Windows-1252 holds none of them.
const wchar_t* const kFolders[] = {L"\u0391\u03B8\u03AE\u03BD\u03B1", L"\u041C\u043E\u0438",
                                   L"\u05D1\u05D9\u05EA", L"\u4E2D\u6587", L"Apps \U0001F600"};

bool Utf8() { return GetACP() == CP_UTF8; }

std::wstring ProgIdOf(size_t i) { return L"KvxUniProg" + std::to_wstring(i); }
std::wstring AppOf(size_t i) { return L"KvxUniApp" + std::to_wstring(i); }

std::wstring ClsidOf(size_t i) {
  return L"{6B1A2C3D-0000-4000-8000-0000000000" + std::to_wstring(10 + i) + L"}";
}

class TextOutsideCodePageWine : public ::testing::Test {
 protected:
  void SetUp() override {
    UseWin32Platform();
    InitPaths();
    Clear();
  }
  void TearDown() override {
    Clear();
    for (const std::wstring& file : files) DeleteFileW(file.c_str());
    for (const wchar_t* folder : kFolders)
      RemoveDirectoryW((kFiles + std::wstring(folder)).c_str());
    RemoveDirectoryW(kFiles);
    DeleteFileA((UndoDir() + UndoFileName).c_str());
    DeleteFileA((UndoDir() + kFixScriptName).c_str());
  }
  void Clear() {
    winereg::Remove(kTypedUrls, HKEY_CURRENT_USER);
    winereg::Remove(kUni, HKEY_CURRENT_USER);
    for (size_t i = 0; i < std::size(kFolders) * 2; ++i) {
      HKEY run = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, kRun, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, (L"KvxRun" + std::to_wstring(i)).c_str());
        RegCloseKey(run);
      }
      winereg::Remove(kClsid + ClsidOf(i));
      winereg::Remove(kClasses + ProgIdOf(i));
      winereg::Remove(kUninstall + AppOf(i));
    }
  }

  // Every planted key as stored.
  Snapshot State() const {
    Snapshot state = Tree(HKEY_CURRENT_USER, kTypedUrls);
    for (auto& entry : Tree(HKEY_CURRENT_USER, kUni)) state.insert(entry);
    Snapshot run = Tree(HKEY_CURRENT_USER, kRun);
    for (auto& [key, values] : run) {
      for (auto& [name, value] : values) {
        if (name.rfind(L"KvxRun", 0) == 0) state[key][name] = value;
      }
    }
    for (size_t i = 0; i < std::size(kFolders) * 2; ++i) {
      for (const std::wstring& key :
           {kClsid + ClsidOf(i), kClasses + ProgIdOf(i), kUninstall + AppOf(i)}) {
        for (auto& entry : Tree(HKEY_LOCAL_MACHINE, key)) state.insert(entry);
      }
    }
    return state;
  }

  bool HasValue(HKEY root, const std::wstring& key, const std::wstring& name) const {
    const Snapshot tree = Tree(root, key);
    auto it = tree.find(key);
    return it != tree.end() && it->second.contains(name);
  }

  std::wstring MakeFile(const wchar_t* folder, const std::wstring& name) {
    const std::wstring dir = kFiles + std::wstring(folder);
    CreateDirectoryW(kFiles, nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring path = dir + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    files.push_back(path);
    return path;
  }

  // The detail lines that name a planted item.
  static std::vector<std::string> Listed(const CleanEngine& engine) {
    std::vector<std::string> lines;
    for (int category = 1; category <= kCategoryCount; ++category) {
      for (const std::string& line : engine.CategoryLog(category)) {
        if (line.find("Kvx") != std::string::npos || line.find("6B1A2C3D") != std::string::npos) {
          lines.push_back(line);
        }
      }
    }
    return lines;
  }

  std::vector<std::wstring> files;
};

TEST_F(TextOutsideCodePageWine, CleanAndUndoGiveBackEveryByteAndJudgeOnlyWhatCanBeRead) {
  const std::wstring doc =
      L"C:\\\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B\\"
      L"\u043E\u0442\u0447\u0451\u0442.doc";
  PutIn(HKEY_CURRENT_USER, kTypedUrls, L"url1", REG_SZ,
        Wide(L"http://\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444/"));
  PutIn(HKEY_CURRENT_USER, kTypedUrls, L"url2", REG_SZ, Wide(L"http://example.com/\u03A9mega"));
  PutIn(HKEY_CURRENT_USER, kUni, L"Doc", REG_SZ, Wide(doc));
  // Each folder: a Run value, a COM server and a path-like value naming a file that exists, and
  // the same naming one that does not.
  size_t n = 0;
  std::vector<std::wstring> missingRun;
  for (const wchar_t* folder : kFolders) {
    for (bool exists : {true, false}) {
      const std::wstring tag = std::to_wstring(n);
      const std::wstring path = exists ? MakeFile(folder, L"app" + tag + L".exe")
                                       : kFiles + std::wstring(folder) + L"\\gone" + tag + L".exe";
      PutIn(HKEY_CURRENT_USER, kRun, (L"KvxRun" + tag).c_str(), REG_SZ,
            Wide(L"\"" + path + L"\" /min"));
      PutIn(HKEY_LOCAL_MACHINE, kClsid + ClsidOf(n) + L"\\InprocServer32", L"", REG_SZ, Wide(path));
      PutIn(HKEY_CURRENT_USER, kUni, (L"File" + tag).c_str(), REG_SZ, Wide(path));
      if (!exists) missingRun.push_back(L"KvxRun" + tag);
      ++n;
    }
  }
  const Snapshot before = State();

  HeadlessHost host;

  CleanEngine engine(host);
  engine.OnCleanClicked();
  ASSERT_TRUE(host.informations.empty()) << host.informations.front();

  // The history list goes whatever it holds.
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kTypedUrls, L"url1"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kTypedUrls, L"url2"));
  // The rest is judged only where the code page spells it, and goes only when its file is gone.
  EXPECT_EQ(HasValue(HKEY_CURRENT_USER, kUni, L"Doc"), !Utf8());
  for (size_t i = 0; i < n; ++i) {
    const bool exists = i % 2 == 0;
    const std::wstring tag = std::to_wstring(i);
    SCOPED_TRACE(std::string(tag.begin(), tag.end()));
    EXPECT_EQ(HasValue(HKEY_CURRENT_USER, kRun, L"KvxRun" + tag), exists || !Utf8());
    EXPECT_EQ(HasValue(HKEY_LOCAL_MACHINE, kClsid + ClsidOf(i) + L"\\InprocServer32", L""),
              exists || !Utf8());
    EXPECT_EQ(HasValue(HKEY_CURRENT_USER, kUni, L"File" + tag), exists || !Utf8());
  }
  // Nothing unjudged is listed; under UTF-8 each missing file is, once per check.
  EXPECT_EQ(Listed(engine).size(), Utf8() ? 1 + 3 * missingRun.size() : 0u);

  ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + UndoFileName + "\""));
  const Snapshot restored = State();
  EXPECT_TRUE(restored == before) << winereg::Differences(before, restored);
}

// Icons, open commands and uninstall strings: read upper-cased through the code page, so text it
// cannot spell must leave the whole item alone, never read as empty (an entry without an uninstall
// string goes) nor as a '?' path (a file that exists would be judged missing).
TEST_F(TextOutsideCodePageWine, IconsCommandsAndUninstallStringsAreJudgedOnlyWhenReadable) {
  size_t n = 0;
  for (const wchar_t* folder : kFolders) {
    for (bool exists : {true, false}) {
      const std::wstring tag = std::to_wstring(n);
      const std::wstring path = exists ? MakeFile(folder, L"tool" + tag + L".exe")
                                       : kFiles + std::wstring(folder) + L"\\gone" + tag + L".exe";
      const std::wstring progId = kClasses + ProgIdOf(n);
      PutIn(HKEY_LOCAL_MACHINE, progId + L"\\DefaultIcon", L"", REG_SZ, Wide(path + L",0"));
      PutIn(HKEY_LOCAL_MACHINE, progId + L"\\shell\\open\\command", L"", REG_SZ,
            Wide(L"\"" + path + L"\" \"%1\""));
      PutIn(HKEY_LOCAL_MACHINE, kUninstall + AppOf(n), L"DisplayName", REG_SZ, Wide(L"Kvx " + tag));
      PutIn(HKEY_LOCAL_MACHINE, kUninstall + AppOf(n), L"UninstallString", REG_SZ,
            Wide(L"\"" + path + L"\" /uninstall"));
      ++n;
    }
  }
  const Snapshot before = State();

  HeadlessHost host;

  CleanEngine engine(host);
  engine.OnCleanClicked();
  ASSERT_TRUE(host.informations.empty()) << host.informations.front();

  for (size_t i = 0; i < n; ++i) {
    const bool exists = i % 2 == 0;
    const std::wstring progId = kClasses + ProgIdOf(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(HasValue(HKEY_LOCAL_MACHINE, progId + L"\\DefaultIcon", L""), exists || !Utf8());
    EXPECT_EQ(HasValue(HKEY_LOCAL_MACHINE, progId + L"\\shell\\open\\command", L""),
              exists || !Utf8());
    // An uninstall string counts by its presence, whatever it names.
    EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kUninstall + AppOf(i), L"UninstallString"));
  }
  EXPECT_EQ(Listed(engine).size(), Utf8() ? n : 0u);

  ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + UndoFileName + "\""));
  const Snapshot restored = State();
  EXPECT_TRUE(restored == before) << winereg::Differences(before, restored);
}

}  // namespace
