// The undo journal on the simulated machine: file names, headers, the saved bytes, backups of
// values and key trees, and restores through the simulated registry editor.
#include <gtest/gtest.h>

#include "platform/RegScript.h"
#include "platform/TextFile.h"
#include "support/SimFixture.h"
#include "undo/UndoJournal.h"

using namespace std::string_view_literals;

namespace {

constexpr char kTestKey[] = "Software\\KlarvexTest\\Journal";

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

class UndoJournalTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    StartDate = {2026, 3, 7};
    OsMajorVersion = 10;
    UndoJournal.clear();
    FixScript.clear();
    UndoFileName.clear();
  }

  std::vector<std::string> JournalText() const {
    std::vector<std::string> lines;
    for (const std::u16string& line : UndoJournal) {
      bool lossy = false;
      lines.push_back(Ansi().ToAnsi(line, lossy));
    }
    return lines;
  }

  Bytes FileBytes(const std::string& path) {
    Bytes data;
    EXPECT_TRUE(sim.files.ReadAll(path, data)) << path;
    return data;
  }

  // Saves the journal and imports it the way the undo page does.
  void SaveAndImport() {
    ASSERT_EQ(SaveUndoFile(UndoDir() + UndoFileName, UndoJournal), status::kSuccess);
    ASSERT_TRUE(RunRegedit(" /s \"" + UndoDir() + "/" + UndoFileName + "\""));
  }

  void PutUndoFile(int n) {
    PutFile(UndoDir() + "Undo 26-03-07-" + TwoDigits(static_cast<uint16_t>(n)) + ".reg", "x");
  }
};

}  // namespace

TEST_F(UndoJournalTest, ChoosesTheFirstFreeNumber) {
  for (int n : {1, 2, 4}) PutUndoFile(n);
  BeginUndoJournal();
  EXPECT_EQ(UndoFileName, "Undo 26-03-07-03.reg");
  EXPECT_EQ(JournalText(), (std::vector<std::string>{"Windows Registry Editor Version 5.00", ""}));
  // Nothing is written until a run backs something up, so the next run picks the same name.
  EXPECT_FALSE(sim.files.Exists(UndoDir() + UndoFileName));
  BeginUndoJournal();
  EXPECT_EQ(UndoFileName, "Undo 26-03-07-03.reg");
}

TEST_F(UndoJournalTest, NumbersGrowToThreeDigits) {
  for (int n = 1; n <= 99; ++n) PutUndoFile(n);
  StartDate = {2010, 12, 31};
  BeginUndoJournal();
  EXPECT_EQ(UndoFileName, "Undo 10-12-31-01.reg");
  StartDate = {2026, 3, 7};
  BeginUndoJournal();
  EXPECT_EQ(UndoFileName, "Undo 26-03-07-100.reg");
}

TEST_F(UndoJournalTest, HeaderFollowsTheWindowsVersion) {
  const std::pair<uint32_t, std::string> cases[] = {{10, "Windows Registry Editor Version 5.00"},
                                                    {5, "Windows Registry Editor Version 5.00"},
                                                    {4, "REGEDIT4"},
                                                    {0, "REGEDIT4"}};
  for (const auto& [version, header] : cases) {
    SCOPED_TRACE(version);
    OsMajorVersion = version;
    BeginUndoJournal();
    EXPECT_EQ(JournalText(), (std::vector<std::string>{header, ""}));
  }
  // Even under the old header the undo file is UTF-16 with its byte-order mark.
  ASSERT_EQ(SaveUndoFile(UndoDir() + UndoFileName, UndoJournal), status::kSuccess);
  EXPECT_EQ(FileBytes(UndoDir() + UndoFileName), Utf16File(u"REGEDIT4\r\n\r\n"));
}

TEST_F(UndoJournalTest, SavedFilesByteForByte) {
  const WideList journal = {u"Windows Registry Editor Version 5.00", u"", u"[K]",
                            u"@=\"\u00e9\u20ac\"", u""};
  ASSERT_EQ(SaveUndoFile("C:\\u.reg", journal), status::kSuccess);
  EXPECT_EQ(
      FileBytes("C:\\u.reg"),
      Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[K]\r\n@=\"\u00e9\u20ac\"\r\n\r\n"));
  ASSERT_EQ(SaveFixScript("C:\\f.reg", {"REGEDIT4", "", "[-HKEY_CLASSES_ROOT\\.x\xE9]", ""}),
            status::kSuccess);
  EXPECT_EQ(FileBytes("C:\\f.reg"), B("REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\.x\xE9]\r\n\r\n"));
  sim.files.failWhen = [](const SimFileCall& call) {
    return call.call == "WriteAll" ? status::kDiskFull : 0L;
  };
  EXPECT_EQ(SaveUndoFile("C:\\u.reg", journal), status::kDiskFull);
}

TEST_F(UndoJournalTest, ReadsTextByItsByteOrderMark) {
  const std::u16string expected = u"a\u00e9\u20ac\r\nb";
  Bytes be = {0xFE, 0xFF};
  for (char16_t c : expected) {
    be.push_back(static_cast<uint8_t>(c >> 8));
    be.push_back(static_cast<uint8_t>(c & 0xFF));
  }
  const std::pair<const char*, Bytes> files[] = {
      {"le", Utf16File(expected)},
      {"be", be},
      {"utf8", B("\xEF\xBB\xBF"
                 "a\xC3\xA9\xE2\x82\xAC\r\nb")},
      {"ansi", B("a\xE9\x80\r\nb")},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    sim.files.PutFileBytes("C:\\t.txt", bytes);
    std::u16string text;
    ASSERT_TRUE(ReadTextFile("C:\\t.txt", text));
    EXPECT_EQ(text, expected);
  }
  std::u16string text;
  EXPECT_FALSE(ReadTextFile("C:\\missing.txt", text));
  EXPECT_EQ(SplitLines(u"a\r\nb\n\nc\r\n"), (WideList{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(SplitLines(u"a\r\n\r\n"), (WideList{u"a", u""}));
  EXPECT_TRUE(SplitLines(u"").empty());
}

TEST_F(UndoJournalTest, BackupValueBlocks) {
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  PutString(RootKey::CurrentUser, run, "Tool", "C:\\Program Files\\x.exe");
  PutString(RootKey::CurrentUser, run, "name\\with\\bs", "say \"hi\"");
  BeginUndoJournal();
  EXPECT_TRUE(BackupValue(RootKey::CurrentUser, "\\" + run, "Tool"));
  EXPECT_TRUE(BackupValue(RootKey::CurrentUser, "\\" + run + "\\", "name\\with\\bs"));
  EXPECT_FALSE(BackupValue(RootKey::CurrentUser, "\\" + run, "Missing"));
  EXPECT_FALSE(BackupValue(RootKey::CurrentUser, "\\Software\\Nowhere", "Tool"));
  EXPECT_FALSE(BackupValue(RootKey::CurrentUser, "\\", "Missing"));
  EXPECT_EQ(JournalText(),
            (std::vector<std::string>{
                "Windows Registry Editor Version 5.00", "",
                "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]",
                R"("Tool"="C:\\Program Files\\x.exe")", "",
                "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]",
                R"("name\\with\\bs"="say \"hi\"")", "",
                "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]", "",
                "[HKEY_CURRENT_USER\\]", ""}));
}

// Every type and every awkward name comes back with the same type and bytes, under both headers.
TEST_F(UndoJournalTest, ValuesRoundTripThroughTheEditor) {
  const std::vector<std::tuple<std::string, uint32_t, Bytes>> values = {
      {"quotes \"and\" \\back\\slashes", regtype::kSz, B("C:\\a \"b\" \\\\c\\\0"sv)},
      {"empty", regtype::kSz, B("\0"sv)},
      {"zero length", regtype::kSz, {}},
      {"", regtype::kSz, B("default\0"sv)},
      {"expand", regtype::kExpandSz, B("%SystemRoot%\\x.dll\0"sv)},
      {"multi", regtype::kMultiSz, B("one\0two \"2\"\0\0"sv)},
      {"dword", regtype::kDword, {0x78, 0x56, 0x34, 0x12}},
      {"qword", regtype::kQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"binary empty", regtype::kBinary, {}},
      {"none", regtype::kNone, {0xDE, 0xAD}},
      {"odd type", 0x1234, {0xAB, 0xCD}},
      {"[brackets] = blanks ", regtype::kSz, B("\xE9\x80\0"sv)},
      {"\\", regtype::kSz, B("\\\0"sv)},
  };
  Bytes longBinary;
  for (int i = 0; i < 300; ++i) longBinary.push_back(static_cast<uint8_t>(i * 7));
  for (uint32_t version : {10u, 0u}) {
    SCOPED_TRACE(version);
    OsMajorVersion = version;
    for (const auto& [name, type, data] : values)
      PutValue(RootKey::CurrentUser, kTestKey, name, type, data);
    PutValue(RootKey::CurrentUser, kTestKey, "binary long", regtype::kBinary, longBinary);
    const std::string before = sim.registry.Dump(RootKey::CurrentUser, kTestKey);
    BeginUndoJournal();
    for (const auto& [name, type, data] : values) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(BackupValue(RootKey::CurrentUser, std::string("\\") + kTestKey, name));
    }
    EXPECT_TRUE(BackupValue(RootKey::CurrentUser, std::string("\\") + kTestKey, "binary long"));
    ASSERT_EQ(sim.registry.DeleteTree(RootHandle(RootKey::CurrentUser), kTestKey),
              status::kSuccess);
    SaveAndImport();
    EXPECT_EQ(sim.registry.Dump(RootKey::CurrentUser, kTestKey), before);
    sim.registry.DeleteTree(RootHandle(RootKey::CurrentUser), kTestKey);
    sim.files.Erase(UndoDir() + UndoFileName);
  }
}

TEST_F(UndoJournalTest, BackupKeyCopiesTheWholeExportedTree) {
  const std::string tree = std::string(kTestKey) + "\\Tree";
  PutString(RootKey::CurrentUser, tree, "", "top");
  PutValue(RootKey::CurrentUser, tree, "bin", regtype::kBinary, {1, 2});
  PutValue(RootKey::CurrentUser, tree + "\\b sub", "m", regtype::kMultiSz, B("x\0\0"sv));
  PutDword(RootKey::CurrentUser, tree + "\\a sub\\deep", "d\"q", 7);
  PutKey(RootKey::CurrentUser, tree + "\\a sub\\empty");
  const std::string before = sim.registry.Dump(RootKey::CurrentUser, tree);
  // A stale export from before must not be mistaken for this one.
  PutFile(UndoDir() + "tmp.reg", "stale");
  BeginUndoJournal();
  ASSERT_TRUE(BackupKey(RootKey::CurrentUser, "\\" + tree));
  EXPECT_EQ(sim.process.runs.back().application, "C:\\WINDOWS\\regedit.exe");
  EXPECT_EQ(sim.process.runs.back().arguments,
            " /s /e \"" + UndoDir() + "tmp.reg\" \"HKEY_CURRENT_USER\\" + tree + "\"");
  EXPECT_FALSE(sim.files.Exists(UndoDir() + "tmp.reg"));
  const std::string key = "[HKEY_CURRENT_USER\\" + tree;
  EXPECT_EQ(
      JournalText(),
      (std::vector<std::string>{
          "Windows Registry Editor Version 5.00", "", key + "]", "@=\"top\"", "\"bin\"=hex:01,02",
          "", key + "\\a sub]", "", key + "\\a sub\\deep]", "\"d\\\"q\"=dword:00000007", "",
          key + "\\a sub\\empty]", "", key + "\\b sub]", "\"m\"=hex(7):78,00,00,00,00,00", ""}));
  ASSERT_EQ(sim.registry.DeleteTree(RootHandle(RootKey::CurrentUser), tree), status::kSuccess);
  SaveAndImport();
  EXPECT_EQ(sim.registry.Dump(RootKey::CurrentUser, tree), before);
}

TEST_F(UndoJournalTest, BackupKeyAddsNothingWithoutAnExport) {
  PutKey(RootKey::CurrentUser, kTestKey);
  BeginUndoJournal();
  PutFile(UndoDir() + "tmp.reg", "stale");
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, "\\Software\\Missing"));
  // A quoted key path that ends in a backslash reaches the editor as another name.
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, std::string("\\") + kTestKey + "\\"));
  sim.process.beforeRun = [](const SimProcess::Run&) { return false; };
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, std::string("\\") + kTestKey));
  EXPECT_EQ(UndoJournal.size(), 2u);
  EXPECT_FALSE(sim.files.Exists(UndoDir() + "tmp.reg"));
}

TEST_F(UndoJournalTest, BackupKeyTakesNoExportOfAnotherKey) {
  const std::string parent = std::string(kTestKey) + "\\";
  // On the command line the quote ends the key's name early: the editor is asked for "Kvx".
  PutString(RootKey::CurrentUser, parent + "Kvx\" x", "", "the key to remove");
  PutString(RootKey::CurrentUser, parent + "Kvx", "", "a look-alike");
  BeginUndoJournal();
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, "\\" + parent + "Kvx\" x"));
  // An editor that writes a name's line breaks as they are: the export opens another key.
  const std::u16string key = u"HKEY_CURRENT_USER\\" + Ansi().ToWide(parent) + u"Kvx";
  sim.process.beforeRun = [&](const SimProcess::Run&) {
    sim.files.PutFileBytes(UndoDir() + "tmp.reg",
                           Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[" + key +
                                     u"]\r\n\"a\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Run]\r\n"
                                     u"\"b\"=\"x\"\r\n\r\n"));
    return false;
  };
  EXPECT_FALSE(BackupKey(RootKey::CurrentUser, "\\" + parent + "Kvx"));
  EXPECT_EQ(UndoJournal.size(), 2u);
  EXPECT_FALSE(sim.files.Exists(UndoDir() + "tmp.reg"));
}

// Many keys below one parent share one export of it, and each key's backup is the same text as
// its own export. An export in which a value's line breaks wrote a key line of a sibling (here
// right before the sibling's own part) is not used at all.
TEST_F(UndoJournalTest, SiblingBackupsShareTheirParentsExport) {
  const std::string parent = std::string(kTestKey) + "\\";
  const std::string parentName = "HKEY_CURRENT_USER\\" + std::string(kTestKey);
  const auto exportOf = [&](const std::string& key) {
    EXPECT_TRUE(RunRegedit("/s /e \"C:\\k.reg\" \"" + key + "\""));
    const WideList lines = SplitLines(DecodeText(FileBytes("C:\\k.reg")));
    return WideList(lines.begin() + 2, lines.end());
  };
  TextList names;
  for (int i = 0; i < 60; ++i) names.push_back("E" + TwoDigits(static_cast<uint16_t>(i)));
  for (const std::string& name : names) PutString(RootKey::CurrentUser, parent + name, "v", name);
  PutDword(RootKey::CurrentUser, parent + "E07\\sub", "d", 7);
  const std::string before = sim.registry.Dump(RootKey::CurrentUser, kTestKey);
  // Lines a value's line breaks could put into the parent's export, before the line given: a
  // second part of a sibling, and a part of no key that takes the rest of E05's part.
  const std::u16string wideParent = Ansi().ToWide(parentName);
  const std::pair<std::u16string, WideList> forgeries[] = {
      {u"", {}},
      {u"[" + wideParent + u"\\E06]", {u"[" + wideParent + u"\\E06]", u"\"x\"=\"1\"", u""}},
      {u"\"v\"=\"E05\"", {u"", u"[" + wideParent + u"\\Zed]"}}};
  for (const auto& [anchor, forgedLines] : forgeries) {
    const bool forged = !forgedLines.empty();
    SCOPED_TRACE(forgedLines.size());
    sim.process.beforeRun = nullptr;
    BeginUndoJournal();
    WideList expected = UndoJournal;
    for (const std::string& name : names) {
      const WideList lines = exportOf(parentName + "\\" + name);
      expected.insert(expected.end(), lines.begin(), lines.end());
    }
    if (forged) {
      WideList lines = exportOf(parentName);
      lines.insert(std::find(lines.begin(), lines.end(), anchor), forgedLines.begin(),
                   forgedLines.end());
      std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n";
      for (const std::u16string& line : lines) text += line + u"\r\n";
      sim.process.beforeRun = [&, text](const SimProcess::Run& run) {
        if (!run.arguments.ends_with(parentName + "\"")) return true;
        sim.files.PutFileBytes(UndoDir() + "tmp.reg", Utf16File(text));
        return false;
      };
    }
    const size_t runsBefore = sim.process.runs.size();
    for (const std::string& name : names) {
      ASSERT_TRUE(BackupKey(RootKey::CurrentUser, "\\" + parent + name));
    }
    EXPECT_EQ(UndoJournal, expected);
    // Two editor runs on their own and one of the parent, or one per key after a refused cut.
    EXPECT_EQ(sim.process.runs.size() - runsBefore, forged ? names.size() + 1 : 3u);
  }
  sim.process.beforeRun = nullptr;
  for (const std::string& name : names) {
    sim.registry.DeleteTree(RootHandle(RootKey::CurrentUser), parent + name);
  }
  SaveAndImport();
  EXPECT_EQ(sim.registry.Dump(RootKey::CurrentUser, kTestKey), before);
  // A few keys of a long list are exported on their own, never the list.
  for (int i = 0; i < 3000; ++i) PutKey(RootKey::CurrentUser, parent + "L" + std::to_string(i));
  BeginUndoJournal();
  const size_t runsBefore = sim.process.runs.size();
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(BackupKey(RootKey::CurrentUser, "\\" + parent + "L" + std::to_string(i)));
  }
  EXPECT_EQ(sim.process.runs.size() - runsBefore, 4u);
  // Nor a short list one of whose keys holds a large tree, most of what its export would be.
  const std::string shortList = std::string(kTestKey) + "\\Short\\";
  for (int i = 0; i < 2000; ++i)
    PutKey(RootKey::CurrentUser, shortList + "Tree\\" + std::to_string(i));
  for (int i = 0; i < 10; ++i) PutKey(RootKey::CurrentUser, shortList + "S" + std::to_string(i));
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(BackupKey(RootKey::CurrentUser, "\\" + shortList + "S" + std::to_string(i)));
  }
  EXPECT_EQ(sim.process.runs.size() - runsBefore, 14u);
}

TEST_F(UndoJournalTest, EditorExportAndImportFiles) {
  PutDword(RootKey::CurrentUser, "Software\\E", "v", 1);
  ASSERT_TRUE(RunRegedit("/s /e \"C:\\x.reg\" \"HKEY_CURRENT_USER\\Software\\E\""));
  EXPECT_EQ(FileBytes("C:\\x.reg"),
            Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n"
                      u"[HKEY_CURRENT_USER\\Software\\E]\r\n\"v\"=dword:00000001\r\n\r\n"));
  // Short root names and missing keys give no file.
  ASSERT_TRUE(RunRegedit("/s /e \"C:\\y.reg\" \"HKCU\\Software\\E\""));
  ASSERT_TRUE(RunRegedit("/s /e \"C:\\y.reg\" \"HKEY_CURRENT_USER\\Software\\None\""));
  EXPECT_FALSE(sim.files.Exists("C:\\y.reg"));

  PutFile("C:\\ansi.reg",
          "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"s\"=\"\xE9\"\r\n"
          "\"e\"=hex(2):41,00\r\n\r\n[-HKEY_CURRENT_USER\\Software\\E]\r\n");
  PutFile("C:\\utf8.reg",
          "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\U]\r\n");
  ASSERT_TRUE(RunRegedit(" /s \"C:\\ansi.reg\" \"C:\\utf8.reg\""));
  EXPECT_EQ(sim.registry.Dump(RootKey::CurrentUser, "Software\\A"),
            "[HKEY_CURRENT_USER\\Software\\A]\n\"s\"=1:e9,00,00,00\n\"e\"=2:41,00,00,00\n");
  EXPECT_FALSE(sim.registry.HasKey(RootKey::CurrentUser, "Software\\E"));
  EXPECT_FALSE(sim.registry.HasKey(RootKey::CurrentUser, "Software\\U"));
}
