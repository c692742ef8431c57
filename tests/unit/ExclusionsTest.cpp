// Exclusions.txt: keys, sub-keys and values that a run never judges, the lines that are not
// paths, and the commented example written on first start.
#include <gtest/gtest.h>

#include "engine/Exclusions.h"
#include "engine/RunMessages.h"
#include "unit/SafetyMachine.h"

namespace {

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class ExclusionsTest : public SafetyMachine {
 protected:
  void SetUp() override {
    SafetyMachine::SetUp();
    StageEveryCategory();
  }
  std::string FilePath() const { return UndoDir() + kExclusionsFileName; }
  void WriteExclusions(const std::string& text) { PutFile(FilePath(), text); }
  bool Judged(const std::string& item) const {
    for (const Finding& f : engine.Findings()) {
      if (ItemName(f) == item) return true;
    }
    return false;
  }
};

TEST_F(ExclusionsTest, ParsesKeysValuesAndNamesBadLines) {
  const Exclusions e = Exclusions::Parse(
      u"# a note\r\n"
      u"\r\n"
      u"  HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.foo  \r\n"
      u"hkcu\\Software\\X, value \"Tool \"1\"\"\r\n"
      u"HKEY_CURRENT_USER\\Software\\X, default value\r\n"
      u"not a path\r\n"
      u"HKEY_NOWHERE\\Software\r\n"
      u"HKEY_CURRENT_USER\\Software\\X, value \"unterminated\r\n"
      u"HKEY_CURRENT_USER\\Software\\\u4e2d\r\n"
      // Whole roots would keep everything below them.
      u"HKEY_LOCAL_MACHINE\r\n"
      u"hklm\\SOFTWARE\\Classes\\\r\n");
  ASSERT_EQ(e.Lines().size(), 3u);
  EXPECT_EQ(e.Lines()[0].number, 3u);
  EXPECT_EQ(e.Lines()[0].text, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.foo");
  ASSERT_EQ(e.BadLines().size(), 6u);
  EXPECT_EQ(e.BadLines()[0].number, 6u);
  EXPECT_EQ(e.BadLines()[0].text, "not a path");
  EXPECT_EQ(e.BadLines()[3].number, 9u);
  EXPECT_EQ(e.BadLines()[4].text, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(e.BadLines()[5].number, 11u);
}

TEST_F(ExclusionsTest, MatchesAtOrBelowAKeyAndExactValuesInEveryClassesView) {
  Exclusions e = Exclusions::Parse(
      u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.foo\n"
      u"HKEY_CURRENT_USER\\Software\\App, value \"Last\"\n");
  struct Case {
    RootKey root;
    const char* key;
    const char* value;  // nullptr: the key with everything below it
    bool kept;
  };
  const Case cases[] = {
      {RootKey::ClassesRoot, "\\.FOO", nullptr, true},
      {RootKey::LocalMachine, "\\SOFTWARE\\Classes\\.foo\\", nullptr, true},
      {RootKey::CurrentUser, "Software\\Classes\\.foo\\sub", nullptr, true},
      {RootKey::ClassesRoot, "\\.foobar", nullptr, false},
      {RootKey::ClassesRoot, "\\.foo", "x", true},
      {RootKey::CurrentUser, "\\Software\\App\\", "LAST", true},
      {RootKey::CurrentUser, "\\Software\\App\\", "Other", false},
      // Removing the key (or one above it) would take the excluded value along.
      {RootKey::CurrentUser, "\\Software\\App", nullptr, true},
      {RootKey::CurrentUser, "\\Software", nullptr, true},
      {RootKey::CurrentUser, "\\Software\\App\\Sub", nullptr, false},
      {RootKey::LocalMachine, "\\Software\\App", nullptr, false},
  };
  for (const Case& c : cases) {
    const std::string value = c.value ? c.value : "";
    EXPECT_EQ(e.Keeps(c.root, c.key, c.value ? &value : nullptr), c.kept) << c.key << " " << value;
  }
  EXPECT_EQ(e.Lines()[0].kept, 4u);
  EXPECT_EQ(e.Lines()[1].kept, 3u);
}

TEST_F(ExclusionsTest, ExcludedKeySubKeyAndValueStayThroughScanAndClean) {
  WriteExclusions(
      "# kept on purpose\r\n"
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.kvx1\r\n"
      "HKEY_CLASSES_ROOT\\CLSID\\{C0000001}\\InprocServer32\r\n"
      "HKEY_LOCAL_MACHINE\\" +
      kRun +
      ", value \"KvxGone2\"\r\n"
      "HKEY_LOCAL_MACHINE\\" +
      kUninstall +
      "KvxApp1, value \"EstimatedSize\"\r\n"
      "just words\r\n");
  const std::string kept[] = {
      "HKEY_CLASSES_ROOT\\.kvx1",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.kvx1",
      "HKEY_CLASSES_ROOT\\CLSID\\{C0000001}\\InprocServer32",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value \"KvxGone2\"",
      "HKEY_LOCAL_MACHINE\\" + kUninstall + "KvxApp1",
  };
  ScanThenCleanAgree("exclusions");
  for (const std::string& item : kept) EXPECT_FALSE(Judged(item)) << item;
  EXPECT_TRUE(Judged("HKEY_CLASSES_ROOT\\.kvx 2"));
  EXPECT_TRUE(sim.registry.Dump(RootKey::LocalMachine, "SOFTWARE\\Classes\\.kvx1").size() > 0);
  EXPECT_EQ(ReadStringUpper(RootKey::ClassesRoot, "\\CLSID\\{C0000001}\\InprocServer32", ""),
            "C:\\GONE\\KVXGONE.DLL");
  EXPECT_EQ(ReadStringUpper(RootKey::LocalMachine, kRun, "KvxGone2"),
            "\"C:\\GONE\\START 2.EXE\" /MIN");
  EXPECT_TRUE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxApp1"));

  const std::vector<Exclusions::Line>& lines = engine.AppliedExclusions().Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].kept, 1u);  // one key, through the classes root and the machine's classes
  EXPECT_EQ(lines[1].kept, 1u);
  EXPECT_EQ(lines[2].kept, 1u);
  EXPECT_EQ(lines[3].kept, 1u);
  // Named at the end of the scan and again at the end of the clean.
  ASSERT_EQ(host.informations.size(), 2u);
  for (const std::string& told : host.informations) {
    EXPECT_NE(told.find("line 6: just words"), std::string::npos) << told;
  }
}

TEST_F(ExclusionsTest, ExcludedParentKeepsTheValuesBelowIt) {
  WriteExclusions("HKEY_CURRENT_USER\\Software\\Kvx App\n");
  engine.OnCleanClicked();
  EXPECT_EQ(ReadStringUpper(RootKey::CurrentUser, "\\Software\\Kvx App\\Recent", "File [1]"),
            "C:\\GONE\\DOC ONE.TXT");
  EXPECT_EQ(engine.AppliedExclusions().Lines()[0].kept, 4u);
  // The end of the run names what each line kept.
  ASSERT_EQ(host.informations.size(), 1u);
  EXPECT_NE(host.informations[0].find("line 1: HKEY_CURRENT_USER\\Software\\Kvx App (4 items)"),
            std::string::npos)
      << host.informations[0];
}

TEST_F(ExclusionsTest, ExampleWrittenOnceAndIgnoredWhenMissing) {
  sim.files.Erase(FilePath());
  engine.OnCleanClicked();
  EXPECT_TRUE(engine.AppliedExclusions().Lines().empty());
  EXPECT_TRUE(host.informations.empty());

  CreateExclusionsFile(FilePath());
  const std::string example = sim.files.FileText(FilePath());
  ASSERT_FALSE(example.empty());
  const Exclusions parsed = Exclusions::Load(FilePath());
  EXPECT_TRUE(parsed.Lines().empty());
  EXPECT_TRUE(parsed.BadLines().empty());
  WriteExclusions("HKEY_CURRENT_USER\\Software\\Mine\n");
  CreateExclusionsFile(FilePath());
  EXPECT_EQ(sim.files.FileText(FilePath()), "HKEY_CURRENT_USER\\Software\\Mine\n");
}

}  // namespace
