// What the simulated platform adds to the contract: the merged classes view, refusals that Wine
// cannot stage, and the file system's Windows manners.
#include <gtest/gtest.h>

#include "platform/RegKey.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "support/SimFixture.h"

namespace {
constexpr RootKey kClasses = RootKey::ClassesRoot;

class SimRegistryTest : public SimTest {};

TEST_F(SimRegistryTest, ClassesRootMergesTheUsersClassesOverTheMachines) {
  PutString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.abc", "", "machine.abc");
  PutString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.abc", "Content Type", "text/plain");
  PutString(RootKey::CurrentUser, "Software\\Classes\\.ABC", "", "user.abc");
  PutKey(RootKey::CurrentUser, "Software\\Classes\\.user");
  PutKey(RootKey::LocalMachine, "SOFTWARE\\Classes\\.machine");

  EXPECT_EQ(ReadStringUpper(kClasses, "\\.abc", ""), "USER.ABC");
  EXPECT_EQ(ReadStringUpper(kClasses, "\\.abc", "Content Type"), "TEXT/PLAIN");
  TextList keys;
  EXPECT_EQ(ListSubKeys(kClasses, "\\", keys), 3);
  EXPECT_EQ(keys, (TextList{".ABC", ".machine", ".user"}));
  TextList values;
  EXPECT_EQ(ListValueNames(kClasses, "\\.abc\\", values), 2);
  EXPECT_EQ(values, (TextList{"", "Content Type"}));
}

TEST_F(SimRegistryTest, WritesThroughClassesRootGoToTheUsersKeyOnlyWhenItExists) {
  PutKey(RootKey::CurrentUser, "Software\\Classes\\.mine");
  WriteStringValue(kClasses, "\\.mine", "", "mine");
  WriteStringValue(kClasses, "\\.new\\shell", "", "new");
  EXPECT_TRUE(sim.registry.GetValue(RootKey::CurrentUser, "Software\\Classes\\.mine", ""));
  EXPECT_FALSE(sim.registry.GetValue(RootKey::LocalMachine, "SOFTWARE\\Classes\\.mine", ""));
  EXPECT_TRUE(sim.registry.GetValue(RootKey::LocalMachine, "SOFTWARE\\Classes\\.new\\shell", ""));
  EXPECT_FALSE(sim.registry.HasKey(RootKey::CurrentUser, "Software\\Classes\\.new"));
}

TEST_F(SimRegistryTest, RefusedWriteRaisesWithTheValueName) {
  PutKey(RootKey::CurrentUser, "Software\\Locked");
  sim.registry.FailWritesBelow(RootKey::CurrentUser, "Software\\Locked");
  try {
    WriteStringValue(RootKey::CurrentUser, "\\Software\\Locked", "Setting", "1");
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'Setting'");
  }
  // A key that cannot even be created is no error.
  EXPECT_NO_THROW(WriteStringValue(RootKey::CurrentUser, "\\Software\\Locked\\Sub", "x", "1"));
  EXPECT_FALSE(sim.registry.HasKey(RootKey::CurrentUser, "Software\\Locked\\Sub"));
}

TEST_F(SimRegistryTest, RefusedEnumerationIndexesAreSkipped) {
  for (const char* name : {"a", "b", "c"}) PutKey(RootKey::CurrentUser, std::string("S\\") + name);
  sim.registry.StageKeyWide(RootKey::CurrentUser, u"S\\\u4E2D");
  TextList keys;
  EXPECT_EQ(ListSubKeys(RootKey::CurrentUser, "\\S", keys), 3);
  EXPECT_EQ(keys, (TextList{"a", "b", "c"}));
}

TEST_F(SimRegistryTest, EveryOperationClosesItsHandles) {
  PutString(RootKey::CurrentUser, "S", "v", "1");
  MarkReadOnly(RootKey::CurrentUser, "R");
  TextList list;
  for (const char* path : {"\\S", "\\R", "\\missing"}) {
    ListSubKeys(RootKey::CurrentUser, path, list);
    ListValueNames(RootKey::CurrentUser, path, list);
    ReadStringUpper(RootKey::CurrentUser, path, "v");
    ReadDword(RootKey::CurrentUser, path, "v");
    KeyExists(RootKey::CurrentUser, path);
    CanOpenFullAccess(RootKey::CurrentUser, path);
    DeleteValueIfExists(RootKey::CurrentUser, path, "none");
    WriteStringValue(RootKey::CurrentUser, path, "w", "1");
  }
  EXPECT_EQ(sim.registry.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, ReadsFallBackToSmallerRights) {
  PutString(RootKey::CurrentUser, "S", "v", "x");
  std::vector<std::string> opens;
  sim.registry.failWhen = [&](const SimRegCall& call) -> long {
    if (call.call != "Open") return 0;
    opens.push_back(call.key);
    return opens.size() < 3 ? status::kAccessDenied : status::kSuccess;
  };
  EXPECT_EQ(ReadStringUpper(RootKey::CurrentUser, "\\S", "v"), "X");
  EXPECT_EQ(opens.size(), 3u);
  opens.clear();
  sim.registry.failWhen = [&](const SimRegCall& call) -> long {
    if (call.call == "Open") opens.push_back(call.key);
    return call.call == "Open" ? status::kAccessDenied : status::kSuccess;
  };
  EXPECT_EQ(ReadDword(RootKey::CurrentUser, "\\S", "v"), 0);
  EXPECT_EQ(opens, std::vector<std::string>(3, "HKEY_CURRENT_USER\\S"));
}

TEST_F(SimRegistryTest, ShortDwordDataFillTheLowBytes) {
  PutValue(RootKey::CurrentUser, "S", "short", regtype::kDword, {0x34, 0x12});
  PutValue(RootKey::CurrentUser, "S", "empty", regtype::kDword, {});
  EXPECT_EQ(ReadDword(RootKey::CurrentUser, "\\S", "short"), 0x1234);
  EXPECT_EQ(ReadDword(RootKey::CurrentUser, "\\S", "empty"), 0);
}

TEST_F(SimRegistryTest, RootTable) {
  EXPECT_EQ(RootKeyName(RootKey::ClassesRoot), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(RootTag(RootKey::LocalMachine), "[HKLM]");
  EXPECT_EQ(RootFromName("hkey_current_user"), RootKey::CurrentUser);
  EXPECT_EQ(RootFromName("HKCU"), std::nullopt);
  EXPECT_EQ(RootTag(RootKey::Users), "[HKU]");
  EXPECT_EQ(RootKeyName(static_cast<RootKey>(0x80000004u)), "");
}

class SimFilesTest : public SimTest {
 protected:
  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    std::unique_ptr<FileSearch> search = sim.files.Find(pattern);
    FindEntry entry;
    while (search && search->Next(entry)) names.push_back(entry.name);
    return names;
  }
};

TEST_F(SimFilesTest, FindListsLikeWindows) {
  PutFile("C:\\Undo\\Undo 26-12-07-1.reg");
  PutFile("C:\\Undo\\b.REG");
  PutFile("C:\\Undo\\notes");
  PutFolder("C:\\Undo\\Sub.reg");
  using Names = std::vector<std::string>;
  EXPECT_EQ(this->Names("C:\\Undo\\*.*"),
            (Names{".", "..", "b.REG", "notes", "Sub.reg", "Undo 26-12-07-1.reg"}));
  EXPECT_EQ(this->Names("c:\\undo\\*.reg"), (Names{"b.REG", "Sub.reg", "Undo 26-12-07-1.reg"}));
  EXPECT_EQ(this->Names("C:\\UNDO\\NOTES"), Names{"notes"});
  EXPECT_EQ(this->Names("C:\\Undo\\missing"), Names{});
  EXPECT_EQ(this->Names("C:\\Missing\\*.*"), Names{});
  EXPECT_EQ(this->Names("C:\\Undo\\"), Names{});
  EXPECT_EQ(this->Names("C:\\*.*").front(), "Program Files");
}

TEST_F(SimFilesTest, WritesReadsAndFailures) {
  const Bytes data{'a', 0, 'b'};
  EXPECT_EQ(sim.files.WriteAll("C:\\Undo\\x.reg", data), status::kPathNotFound);
  ASSERT_TRUE(sim.files.MakeFolders("C:\\Undo\\Deep\\Er\\"));
  EXPECT_EQ(sim.files.WriteAll("C:\\undo\\deep\\er\\x.reg", data), status::kSuccess);
  Bytes read;
  ASSERT_TRUE(sim.files.ReadAll("C:\\Undo\\Deep\\Er\\X.REG", read));
  EXPECT_EQ(read, data);
  EXPECT_EQ(sim.files.Attributes("C:\\Undo\\Deep"), fileattr::kDirectory);
  sim.files.failWhen = [](const SimFileCall& call) {
    return call.call == "WriteAll" ? status::kDiskFull : status::kSuccess;
  };
  EXPECT_EQ(sim.files.WriteAll("C:\\Undo\\y.reg", data), status::kDiskFull);
  EXPECT_FALSE(sim.files.Exists("C:\\Undo\\y.reg"));
  EXPECT_FALSE(sim.files.MakeFolders("D:\\x"));
  EXPECT_FALSE(sim.files.MakeFolders("C:\\WINDOWS\\notepad.exe\\x"));
  EXPECT_TRUE(sim.files.RemoveFile("C:\\Undo\\Deep\\Er\\x.reg"));
  EXPECT_FALSE(sim.files.RemoveFile("C:\\Undo\\Deep\\Er\\x.reg"));
  EXPECT_FALSE(sim.files.RemoveFile("C:\\Undo\\Deep"));
}

TEST_F(SimFilesTest, DriveKinds) {
  sim.files.SetDrive('e', DriveKind::Removable);
  EXPECT_EQ(sim.files.DriveOf("C:\\x"), DriveKind::Fixed);
  EXPECT_EQ(sim.files.DriveOf("e:\\x"), DriveKind::Removable);
  EXPECT_EQ(sim.files.DriveOf("Q:\\x"), DriveKind::Missing);
  EXPECT_EQ(sim.files.DriveOf("\\\\server\\share\\x"), DriveKind::Remote);
}

TEST(SimCodePageTest, Windows1252BothWaysAndItsUpperCase) {
  SimCodePage codePage;
  EXPECT_EQ(codePage.ToWide("\x80\xE9\x9F"), u"\u20AC\u00E9\u0178");
  bool lossy = true;
  EXPECT_EQ(codePage.ToAnsi(u"\u20AC\u00E9", lossy), "\x80\xE9");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(codePage.ToAnsi(u"A\u0100\U0001F600", lossy), "A??");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(codePage.Upper("az\xE0\xF7\xFE\xDF\x9A\x9C\x9E\xFF\xB5"),
            "AZ\xC0\xF7\xDE\xDF\x8A\x8C\x8E\x9F\xB5");
}
}  // namespace

// Windows documents that WideCharToMultiByte under UTF-8 refuses WC_NO_BEST_FIT_CHARS and a
// used-default pointer; the code page's own conversion never asks for either there.
TEST(SimCodePageTest, Utf8RefusesWhatWindowsRefusesAndHoldsEveryWellFormedText) {
  SimCodePage codePage;
  codePage.identifier = codepage::kUtf8;
  std::string ansi = "left over";
  bool usedDefault = false;
  EXPECT_EQ(codePage.FromWide(u"x", codepage::kNoBestFitChars, nullptr, ansi),
            codepage::kInvalidFlags);
  EXPECT_EQ(codePage.FromWide(u"x", 0, &usedDefault, ansi), codepage::kInvalidParameter);
  EXPECT_EQ(codePage.FromWide(u"\u00E9\u4E2D\U0001F600", 0, nullptr, ansi), 0);
  EXPECT_EQ(ansi, "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(codePage.ToWide(ansi), u"\u00E9\u4E2D\U0001F600");
  EXPECT_EQ(codePage.ToWide("a\xFF"
                            "b"),
            u"a\uFFFD"
            "b");

  const struct {
    std::u16string wide;
    bool lossy;
  } cases[] = {
      {u"", false},
      {u"caf\u00E9 \u0391\u03B2 \u05D0 \u4E2D \U0001F600", false},
      {std::u16string(u"a\0b", 3), false},
      {std::u16string(u"lone \xD800 high"), true},
      {std::u16string(u"lone \xDC00 low"), true},
  };
  for (const auto& c : cases) {
    bool lossy = !c.lossy;
    const std::string text = codePage.ToAnsi(c.wide, lossy);
    EXPECT_EQ(lossy, c.lossy) << text;
    if (!c.lossy) {
      EXPECT_EQ(codePage.ToWide(text), c.wide);
    }
  }
  EXPECT_EQ(codePage.Upper("caf\xC3\xA9"), "CAF\xC3\xA9");
}
