// Backups restored by the real registry editor under Wine: every value type and awkward names,
// and whole key trees, compared through the wide registry calls as stored type and bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <random>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "undo/UndoJournal.h"

namespace {

struct WideValue {
  std::wstring name;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<BYTE> Text(std::wstring_view text, bool terminate = true) {
  std::wstring all(text);
  if (terminate) all.push_back(L'\0');
  const auto* bytes = reinterpret_cast<const BYTE*>(all.data());
  return std::vector<BYTE>(bytes, bytes + all.size() * sizeof(wchar_t));
}

std::string Narrow(const std::wstring& text) {
  bool lossy = false;
  return Ansi().ToAnsi(std::u16string(text.begin(), text.end()), lossy);
}

// The tree as stored: one "[path]" line per key, one "name=type:bytes" line per value, values
// sorted by name so that the comparison is about names, types and bytes only.
void DumpTree(HKEY key, const std::wstring& path, std::vector<std::wstring>& out) {
  out.push_back(L"[" + path + L"]");
  std::vector<std::wstring> values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size + 1);
    DWORD dataSize = size;
    RegQueryValueExW(key, name, nullptr, &type, data.data(), &dataSize);
    std::wstring line = std::wstring(name) + L"=" + std::to_wstring(type) + L":";
    for (DWORD b = 0; b < dataSize; ++b) {
      wchar_t hex[4];
      swprintf(hex, 4, L"%02x", data[b]);
      line += hex;
    }
    values.push_back(line);
  }
  std::sort(values.begin(), values.end());
  out.insert(out.end(), values.begin(), values.end());
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    DumpTree(child, path + L"\\" + name, out);
    RegCloseKey(child);
  }
}

class UndoJournalWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseWin32Platform();
    InitPaths();
    std::random_device random;
    key_ = L"Software\\KlarvexTest\\Journal" + std::to_wstring(random());
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
    StartDate = Process().Today();
    OsMajorVersion = 10;
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
    if (!UndoFileName.empty()) Files().RemoveFile(UndoDir() + UndoFileName);
  }

  void Put(const std::wstring& subKey, const WideValue& value) {
    HKEY key = nullptr;
    const std::wstring path = subKey.empty() ? key_ : key_ + L"\\" + subKey;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                             static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::vector<std::wstring> Dump() {
    std::vector<std::wstring> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return out;
    }
    DumpTree(key, key_, out);
    RegCloseKey(key);
    return out;
  }

  std::string KeyPath() const { return "\\" + Narrow(key_); }

  // Deletes the tree, saves the journal and imports it as the undo page does.
  void DeleteSaveAndImport() {
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()), ERROR_SUCCESS);
    ASSERT_TRUE(Dump().empty());
    ASSERT_EQ(SaveUndoFile(UndoDir() + UndoFileName, UndoJournal), 0);
    ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + "/" + UndoFileName + "\""));
  }

  std::wstring key_;
};

const std::vector<WideValue>& AllValues() {
  static const std::vector<WideValue> values = [] {
    std::vector<BYTE> longBinary;
    for (int i = 0; i < 300; ++i) longBinary.push_back(static_cast<BYTE>(i * 7));
    return std::vector<WideValue>{
        {L"quotes", REG_SZ, Text(L"C:\\a \"b\" \\\\c\\")},
        {L"empty", REG_SZ, Text(L"")},
        {L"", REG_SZ, Text(L"the default")},
        {L"accents", REG_SZ, Text(L"\u00e9\u20ac")},
        {L"expand", REG_EXPAND_SZ, Text(L"%SystemRoot%\\x \"1\".dll")},
        {L"multi", REG_MULTI_SZ, Text(std::wstring(L"one\0two \"2\"\\\0", 14))},
        {L"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0x80}},
        {L"binary empty", REG_BINARY, {}},
        {L"binary long", REG_BINARY, longBinary},
        {L"none", REG_NONE, {0xDE, 0xAD}},
        {L"none empty", REG_NONE, {}},
        {L"odd type", 0x1234, {0xAB, 0xCD}},
        {L"say \"hi\"", REG_SZ, Text(L"q")},
        {L"name\\with\\bs", REG_SZ, Text(L"b")},
        {L"[brackets]", REG_SZ, Text(L"c")},
        {L" blanks  around ", REG_SZ, Text(L"d")},
        {L"a=b", REG_DWORD, {1, 0, 0, 0}},
        {L"\\", REG_SZ, Text(L"\\")},
        {L"\"", REG_BINARY, {0x22}},
    };
  }();
  return values;
}

}  // namespace

TEST_F(UndoJournalWinTest, EveryValueTypeAndNameComesBack) {
  for (uint32_t version : {10u, 0u}) {
    SCOPED_TRACE(version);
    OsMajorVersion = version;
    for (const WideValue& value : AllValues()) Put(L"", value);
    const std::vector<std::wstring> before = Dump();
    ASSERT_EQ(before.size(), AllValues().size() + 1);
    BeginUndoJournal();
    for (const WideValue& value : AllValues()) {
      SCOPED_TRACE(Narrow(value.name));
      EXPECT_TRUE(BackupValue(RootKey::CurrentUser, KeyPath(), Narrow(value.name)));
    }
    DeleteSaveAndImport();
    const std::vector<std::wstring> after = Dump();
    EXPECT_EQ(after, before);
    Files().RemoveFile(UndoDir() + UndoFileName);
  }
}

TEST_F(UndoJournalWinTest, BackupKeyRestoresTheWholeTree) {
  for (const WideValue& value : AllValues()) Put(L"", value);
  Put(L"sub a", {L"", REG_SZ, Text(L"a default")});
  Put(L"sub a\\deep \"x\"", {L"v", REG_MULTI_SZ, Text(std::wstring(L"x\0y\0", 4))});
  Put(L"sub b", {L"n", REG_DWORD, {9, 0, 0, 0}});
  const std::vector<std::wstring> before = Dump();
  BeginUndoJournal();
  ASSERT_TRUE(BackupKey(RootKey::CurrentUser, KeyPath()));
  EXPECT_EQ(Files().Attributes(UndoDir() + "tmp.reg"), fileattr::kInvalid);
  DeleteSaveAndImport();
  EXPECT_EQ(Dump(), before);
}

TEST_F(UndoJournalWinTest, NoExportAddsNothing) {
  BeginUndoJournal();
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, KeyPath() + "\\missing"));
  Put(L"", {L"v", REG_SZ, Text(L"x")});
  // The quoted path's trailing backslash escapes the closing quote: the editor exports nothing.
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, KeyPath() + "\\"));
  EXPECT_FALSE(BackupValue(RootKey::CurrentUser, KeyPath() + "\\missing", "v"));
  EXPECT_FALSE(BackupValue(RootKey::CurrentUser, KeyPath(), "missing"));
  EXPECT_EQ(UndoJournal.size(), 4u);  // header, empty line, and the key line of the missing value
}

TEST_F(UndoJournalWinTest, BackupKeyTakesNoExportOfAnotherKey) {
  // On the command line the quote ends the key's name early: the editor is asked for "Kvx".
  Put(L"Kvx\" x", {L"", REG_SZ, Text(L"the key to remove")});
  Put(L"Kvx", {L"", REG_SZ, Text(L"a look-alike")});
  BeginUndoJournal();
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, KeyPath() + "\\Kvx\" x"));
  EXPECT_EQ(UndoJournal.size(), 2u);
  EXPECT_EQ(Files().Attributes(UndoDir() + "tmp.reg"), fileattr::kInvalid);
}
