// The registry operations against whichever backend this build provides: the simulation
// natively, the real registry under Wine. Each test works in a scratch key of its own.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"
#include "platform/TextFile.h"
#include "support/ContractBackend.h"

namespace {
constexpr RootKey kUser = RootKey::CurrentUser;

// Every test runs on a Western code page and on UTF-8; a backend runs those it can provide
// (natively both, under Wine the one the process was started with).
class RegistryContract : public ::testing::TestWithParam<uint32_t> {
 protected:
  void SetUp() override {
    if (!ContractOffersCodePage(GetParam())) GTEST_SKIP() << "code page " << GetParam();
    scratch = ContractBegin(GetParam());
  }
  void TearDown() override {
    if (!scratch.empty()) ContractEnd();
  }
  static bool Utf8() { return Ansi().Identifier() == codepage::kUtf8; }
  // Text as the code page spells it (the tests use only text that every code page here holds).
  static std::string Narrow(const std::u16string& text) {
    bool lossy = false;
    return Ansi().ToAnsi(text, lossy);
  }

  // "\" + scratch + "\" + sub: written as the callers write key paths.
  std::string Key(const std::string& sub = {}) const {
    return "\\" + scratch + (sub.empty() ? "" : "\\" + sub);
  }
  void MakeKey(const std::string& sub) {
    RegKey key = RegKey::Create(kUser, Key(sub));
    ASSERT_TRUE(key.IsOpen()) << sub;
  }
  void SetRaw(const std::string& sub, const std::string& name, uint32_t type, const Bytes& data) {
    RegKey key = RegKey::Create(kUser, Key(sub));
    ASSERT_EQ(key.Set(name, type, data), status::kSuccess) << sub << " " << name;
  }
  void SetText(const std::string& sub, const std::string& name, const std::string& text,
               uint32_t type = regtype::kSz) {
    Bytes data(text.begin(), text.end());
    data.push_back(0);
    SetRaw(sub, name, type, data);
  }
  static TextList Sorted(TextList list) {
    std::sort(list.begin(), list.end());
    return list;
  }

  std::string scratch;
};

INSTANTIATE_TEST_SUITE_P(CodePages, RegistryContract, ::testing::Values(1252u, 65001u),
                         [](const auto& param) { return "Cp" + std::to_string(param.param); });

TEST_P(RegistryContract, ListSubKeysOfAMissingKeyEmptiesTheList) {
  TextList list{"left over"};
  EXPECT_EQ(ListSubKeys(kUser, Key("missing"), list), 0);
  EXPECT_TRUE(list.empty());
  list = {"left over"};
  EXPECT_EQ(ListValueNames(kUser, Key("missing"), list), 0);
  EXPECT_TRUE(list.empty());
}

TEST_P(RegistryContract, SubKeysComeInSortedOrderWhateverTheSpelling) {
  for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE"}) MakeKey(name);
  const TextList expected{"alpha", "Bravo", "CHARLIE", "delta"};
  TextList list;
  for (const std::string& path : {Key(), Key() + "\\", scratch, scratch + "\\"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ListSubKeys(kUser, path, list), 4);
    EXPECT_EQ(list, expected);
  }
}

TEST_P(RegistryContract, ValueNamesIncludeTheDefaultAsEmptyName) {
  SetText("", "", "default");
  SetText("", "Second", "2");
  SetText("", "first", "1");
  TextList list;
  EXPECT_EQ(ListValueNames(kUser, Key(), list), 3);
  // Windows keeps creation order, Wine sorts: the set is what both promise.
  EXPECT_EQ(Sorted(list), (TextList{"", "Second", "first"}));
}

TEST_P(RegistryContract, ClassesRootListsItsTopLevelKeysForAnEmptyPathOrALoneBackslash) {
  TextList empty;
  TextList backslash;
  EXPECT_GT(ListSubKeys(RootKey::ClassesRoot, "", empty), 0);
  EXPECT_GT(ListSubKeys(RootKey::ClassesRoot, "\\", backslash), 0);
  EXPECT_EQ(empty, backslash);
  EXPECT_NE(std::find(empty.begin(), empty.end(), ".txt"), empty.end());
}

TEST_P(RegistryContract, ReadOnlyKeyReadsButNeverEnumeratesOrChanges) {
  MakeKey("locked\\child");
  SetText("locked", "name", "c:\\tools\\x.exe");
  ContractMarkReadOnly(kUser, Key("locked").substr(1));
  const std::string locked = Key("locked");

  TextList list{"left over"};
  EXPECT_EQ(ListSubKeys(kUser, locked, list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(ListValueNames(kUser, locked, list), 0);
  EXPECT_TRUE(KeyExists(kUser, locked));
  EXPECT_FALSE(CanOpenFullAccess(kUser, locked));
  EXPECT_EQ(ReadStringUpper(kUser, locked, "name"), "C:\\TOOLS\\X.EXE");
  EXPECT_FALSE(DeleteValueIfExists(kUser, locked, "name"));
  EXPECT_EQ(ReadStringUpper(kUser, locked, "name"), "C:\\TOOLS\\X.EXE");
  // The key cannot be opened for writing, so nothing is written and nothing is raised.
  EXPECT_NO_THROW(WriteStringValue(kUser, locked, "new", "text"));
  EXPECT_EQ(ReadStringUpper(kUser, locked, "new"), "");
}

TEST_P(RegistryContract, ReadStringUpperCountsOnlyStringTypes) {
  SetText("", "", "default text");
  const std::string buecher = Narrow(u"c:\\B\u00FCcher\\x.exe");
  SetText("", "sz", buecher);
  SetText("", "expand", "%SystemRoot%\\system32\\x.dll", regtype::kExpandSz);
  SetText("", "digits", "1");
  SetRaw("", "emptySz", regtype::kSz, {});
  SetRaw("", "nulOnly", regtype::kSz, {0});
  SetRaw("", "unterminated", regtype::kSz, {'a', 'b'});
  SetRaw("", "embeddedNul", regtype::kSz, {'a', 0, 'b', 0});
  SetRaw("", "multi", regtype::kMultiSz, {'a', 0, 'b', 0, 0});
  SetRaw("", "binary", regtype::kBinary, {'a', 'b', 0});
  SetRaw("", "dword", regtype::kDword, {1, 0, 0, 0});
  SetRaw("", "qword", regtype::kQword, {1, 0, 0, 0, 0, 0, 0, 0});
  SetRaw("", "none", regtype::kNone, {'a', 0});

  const struct {
    const char* name;
    std::string expected;
  } cases[] = {
      {"", "DEFAULT TEXT"},
      // The non-ASCII letter keeps its byte: upper-casing is a-z only.
      {"sz", UpperAscii(buecher)},
      {"expand", "%SYSTEMROOT%\\SYSTEM32\\X.DLL"},
      {"digits", "1"},
      {"emptySz", ""},
      {"nulOnly", ""},
      {"unterminated", "AB"},
      {"embeddedNul", "A"},
      {"multi", ""},
      {"binary", ""},
      {"dword", ""},
      {"qword", ""},
      {"none", ""},
      {"missing", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadStringUpper(kUser, Key(), c.name), c.expected);
  }
  EXPECT_EQ(ReadStringUpper(kUser, Key("missing key"), "sz"), "");
}

TEST_P(RegistryContract, ReadDwordCountsOnlyDwords) {
  SetRaw("", "minusOne", regtype::kDword, {0xFF, 0xFF, 0xFF, 0xFF});
  SetRaw("", "one", regtype::kDword, {1, 0, 0, 0});
  SetRaw("", "big", regtype::kDword, {0x78, 0x56, 0x34, 0x12});
  SetText("", "text", "1");
  SetRaw("", "binary", regtype::kBinary, {1, 0, 0, 0});
  EXPECT_EQ(ReadDword(kUser, Key(), "minusOne"), -1);
  EXPECT_EQ(ReadDword(kUser, Key(), "one"), 1);
  EXPECT_EQ(ReadDword(kUser, Key(), "big"), 0x12345678);
  EXPECT_EQ(ReadDword(kUser, Key(), "text"), 0);
  EXPECT_EQ(ReadDword(kUser, Key(), "binary"), 0);
  EXPECT_EQ(ReadDword(kUser, Key(), "missing"), 0);
  EXPECT_EQ(ReadDword(kUser, Key("missing key"), "one"), 0);
}

TEST_P(RegistryContract, ReadDwordOfOversizedDataRaises) {
  SetRaw("", "wide", regtype::kDword, {1, 0, 0, 0, 0, 0, 0, 0});
  try {
    ReadDword(kUser, Key(), "wide");
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_STREQ(error.what(), "Failed to get data for 'wide'");
  }
}

TEST_P(RegistryContract, WriteStringValueCreatesTheMissingKeysAndStoresTheTerminator) {
  const std::string deep = Key("a\\b\\c");
  ASSERT_FALSE(KeyExists(kUser, Key("a")));
  WriteStringValue(kUser, deep, "name", "Text");
  EXPECT_TRUE(KeyExists(kUser, deep));
  RegKey key(kUser, deep, keyaccess::kRead);
  uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(key.Query("name", type, data), status::kSuccess);
  EXPECT_EQ(type, regtype::kSz);
  EXPECT_EQ(data, (Bytes{'T', 'e', 'x', 't', 0}));
  // Written again: replaced, not added.
  WriteStringValue(kUser, deep, "name", "");
  TextList names;
  EXPECT_EQ(ListValueNames(kUser, deep, names), 1);
  ASSERT_EQ(key.Query("name", type, data), status::kSuccess);
  EXPECT_EQ(data, Bytes{0});
}

TEST_P(RegistryContract, DeleteValueIfExistsDeletesOnlyWhatIsThere) {
  SetText("", "keep", "1");
  SetText("", "gone", "2");
  EXPECT_FALSE(DeleteValueIfExists(kUser, Key(), "missing"));
  EXPECT_FALSE(DeleteValueIfExists(kUser, Key("missing key"), "gone"));
  EXPECT_TRUE(DeleteValueIfExists(kUser, Key(), "GONE"));
  EXPECT_FALSE(DeleteValueIfExists(kUser, Key(), "gone"));
  TextList names;
  ListValueNames(kUser, Key(), names);
  EXPECT_EQ(names, TextList{"keep"});
}

TEST_P(RegistryContract, KeyNamesMatchWithoutRegardToCase) {
  MakeKey("MixedCase");
  EXPECT_TRUE(KeyExists(kUser, Key("mixedcase")));
  EXPECT_TRUE(CanOpenFullAccess(kUser, Key("MIXEDCASE")));
  EXPECT_FALSE(KeyExists(kUser, Key("other")));
  EXPECT_FALSE(CanOpenFullAccess(kUser, Key("other")));
}

// Names the code page cannot hold would come back as '?' or as a best-fit twin that opens
// another key; they are left out so that nothing is judged or repaired under a wrong name.
TEST_P(RegistryContract, NamesOutsideTheCodePageAreLeftOut) {
  MakeKey("AbAc");
  MakeKey("Plain");
  for (const std::u16string& name :
       {std::u16string(u"Ελληνικά"), std::u16string(u"中文键"), std::u16string(u"Ab\u0100c")}) {
    ContractCreateWideKey(kUser, scratch, name);
    ContractSetWideValue(kUser, scratch, name);
  }
  SetText("", "AbAc", "twin");
  const std::string cafe = Narrow(u"caf\u00E9");
  SetText("", cafe, "both code pages hold it");

  TextList keys;
  TextList values;
  ListSubKeys(kUser, Key(), keys);
  ListValueNames(kUser, Key(), values);
  if (Utf8()) {
    // UTF-8 holds every name: all are listed, as their UTF-8 bytes.
    const std::string greek = Narrow(u"Ελληνικά");
    const std::string chinese = Narrow(u"中文键");
    const std::string latin = Narrow(u"AbĀc");
    EXPECT_EQ(Sorted(keys), Sorted({"AbAc", "Plain", greek, chinese, latin}));
    EXPECT_EQ(Sorted(values), Sorted({"AbAc", cafe, greek, chinese, latin}));
  } else {
    EXPECT_EQ(keys, (TextList{"AbAc", "Plain"}));
    EXPECT_EQ(Sorted(values), (TextList{"AbAc", cafe}));
  }
}

// Value data read as stored keeps every character; read as the code page's text it is judged
// only when it survives the round trip, as names are.
TEST_P(RegistryContract, TextDataReadsExactlyAndIsJudgedOnlyWhenTheCodePageHoldsIt) {
  MakeKey("data");
  RegKey key = RegKey::Create(kUser, Key("data"));
  const struct {
    const char16_t* name;
    std::u16string text;
    bool onlyUtf8;  // survives only the UTF-8 round trip
  } cases[] = {
      {u"latin", u"C:\\Caf\u00E9\\x.exe", false},
      {u"greek", u"C:\\\u03A9mega\\x.exe", true},
      {u"cyrillic", u"http://\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444/", true},
      {u"hebrew", u"C:\\\u05D1\u05D9\u05EA\\x.exe", true},
      {u"cjk", u"C:\\\u4E2D\u6587\\x.exe", true},
      {u"emoji", u"C:\\\U0001F600\\x.exe", true},
  };
  for (const auto& c : cases) {
    const std::u16string name = c.name;
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    const Bytes stored = Utf16LeBytes(c.text + u'\0');
    ASSERT_EQ(Registry().SetValueW(key.Handle(), name, regtype::kSz, stored), status::kSuccess);
    uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(key.QueryStored(std::string(name.begin(), name.end()), type, data), status::kSuccess);
    EXPECT_EQ(type, regtype::kSz);
    EXPECT_EQ(data, stored);
    std::string text;
    const long read = key.QueryText(std::string(name.begin(), name.end()), type, text);
    const std::string path = Key("data");
    if (c.onlyUtf8 && !Utf8()) {
      EXPECT_EQ(read, status::kNoUnicodeTranslation);
      EXPECT_THROW(ReadStringUpper(kUser, path, std::string(name.begin(), name.end())),
                   UnreadableText);
    } else {
      EXPECT_EQ(read, status::kSuccess);
      EXPECT_EQ(Ansi().ToWide(text), c.text);
      EXPECT_EQ(ReadStringUpper(kUser, path, std::string(name.begin(), name.end())),
                UpperAscii(text));
    }
  }
  // Text written through the code page is stored as UTF-16.
  SetText("data", "ansi", Narrow(u"caf\u00E9"));
  uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(key.QueryStored("ansi", type, data), status::kSuccess);
  EXPECT_EQ(data, Utf16LeBytes(std::u16string(u"caf\u00E9") + u'\0'));
}
}  // namespace
