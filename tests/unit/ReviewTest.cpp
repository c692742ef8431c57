// Choose before Clean: the Clean after a reviewed scan repairs exactly the ticked findings, leaves
// what appeared since, and "Ignore always" writes a line the exclusions file reads back.
#include <gtest/gtest.h>

#include <functional>

#include "engine/Exclusions.h"
#include "platform/LanguageFile.h"
#include "support/FormTest.h"
#include "unit/SafetyMachine.h"

namespace {

const std::string kApp =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxApp1";
const std::string kRecent = "HKEY_CURRENT_USER\\Software\\Kvx App\\Recent, value \"File [1]\"";
const std::string kAppeared =
    "1 problems appeared after the scan and were left; scan again to review them.";

struct Outcome {
  std::set<std::string> before, after, restored;
  std::vector<Finding> findings;
  std::vector<std::string> told;
};

// A clean of a fresh machine of every category with the given exclusions file; with a review,
// a scan comes first and review acts on it (and on the machine) before the Clean.
Outcome CleanMachine(const std::string& exclusions,
                     const std::function<void(SafetyMachine&)>& review = nullptr) {
  SafetyMachine m;
  m.Start();
  m.StageEveryCategory();
  if (!exclusions.empty()) m.sim.files.PutFile(UndoDir() + kExclusionsFileName, exclusions);
  Outcome out;
  out.before = m.Items();
  if (review) {
    m.engine.Run(RunMode::Scan);
    review(m);
  }
  m.engine.Run(RunMode::Clean);
  out.after = m.Items();
  out.findings = m.engine.Findings();
  out.told = m.engine.informations;
  m.ApplyUndoFiles();
  out.restored = m.Items();
  m.Stop();
  return out;
}

void Untick(SafetyMachine& m, const std::string& item) {
  const std::vector<Finding>& found = m.engine.Findings();
  for (size_t i = 0; i < found.size(); ++i) {
    if (ItemName(found[i]) == item) return m.engine.ScanReview().Tick(i, false);
  }
  ADD_FAILURE() << item << " not found by the scan";
}

TEST(Review, UntickedFindingsAreKeptAsIfExcludedAndTheRestRepaired) {
  const Outcome excluded = CleanMachine(kApp + "\r\n" + kRecent + "\r\n");
  const Outcome reviewed = CleanMachine("", [](SafetyMachine& m) {
    Untick(m, kApp);
    Untick(m, kRecent);
  });
  EXPECT_EQ(reviewed.after, excluded.after);
  EXPECT_TRUE(reviewed.after.contains("[" + kApp + "]"));
  EXPECT_EQ(reviewed.told, std::vector<std::string>{});
  EXPECT_EQ(reviewed.findings.size(), excluded.findings.size());
  for (const Finding& f : reviewed.findings) {
    EXPECT_NE(ItemName(f), kApp);
    EXPECT_NE(ItemName(f), kRecent);
    EXPECT_NE(f.action, Action::LeftInPlace) << ItemName(f);
  }
  EXPECT_EQ(reviewed.restored, reviewed.before);
}

TEST(Review, AProblemThatAppearedAfterTheScanIsLeftAndNamed) {
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const Outcome out = CleanMachine("", [&](SafetyMachine& m) {
    m.sim.registry.StageString(RootKey::LocalMachine, run, "KvxNew", "C:\\Gone\\new.exe",
                               regtype::kSz);
  });
  EXPECT_EQ(out.told, std::vector<std::string>{kAppeared});
  const auto planted = std::find_if(out.findings.begin(), out.findings.end(),
                                    [](const Finding& f) { return f.valueName == "KvxNew"; });
  ASSERT_NE(planted, out.findings.end());
  EXPECT_EQ(planted->action, Action::LeftInPlace);
  EXPECT_TRUE(std::any_of(out.after.begin(), out.after.end(), [](const std::string& line) {
    return line.find("\"KvxNew\"") != std::string::npos;
  }));
  EXPECT_FALSE(out.after.contains("[" + kApp + "]"));
}

class IgnoreAlways : public SimTest {};

TEST_F(IgnoreAlways, TheLineReadsBackAsTheSameItemWhateverTheFileHeld) {
  const std::string path = UndoDir() + kExclusionsFileName;
  struct Item {
    RootKey root;
    const char* key;
    const char* value;  // nullptr: the key
  };
  const Item items[] = {
      {RootKey::LocalMachine, "SOFTWARE\\Classes\\.kvx [q]=@", nullptr},
      {RootKey::ClassesRoot, "Wow6432Node\\CLSID\\{C1}\\InprocServer32", nullptr},
      {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kvx \"q\" \\"},
      {RootKey::CurrentUser, "Software\\Kvx App\\Recent", ""},
  };
  // No file yet; an ANSI file without a final line break; UTF-16 and UTF-8 files.
  const std::vector<Bytes> files = {
      {}, {'#', ' ', 'n'}, Utf16File(u"# n\r\n"), {0xEF, 0xBB, 0xBF, '#', '\r', '\n'}};
  for (const Bytes& start : files) {
    if (!start.empty()) sim.files.PutFile(path, std::string(start.begin(), start.end()));
    for (const Item& item : items) {
      const std::string value = item.value ? item.value : "";
      const std::string* name = item.value ? &value : nullptr;
      std::string reason;
      ASSERT_TRUE(AddExclusion(path, item.root, item.key, name, reason)) << reason;
      Exclusions read = Exclusions::Load(path);
      EXPECT_TRUE(read.Keeps(item.root, item.key, name)) << item.key;
      EXPECT_TRUE(read.BadLines().empty());
    }
    Bytes now;
    ASSERT_TRUE(sim.files.ReadAll(path, now));
    EXPECT_TRUE(std::equal(start.begin(), start.end(), now.begin()));
    EXPECT_EQ(Exclusions::Load(path).Lines().size(), std::size(items));
    sim.files.RemoveFile(path);
  }
  // A key whose name ends in a blank cannot be a line: the parser trims it to its parent.
  std::string reason;
  EXPECT_FALSE(AddExclusion(path, RootKey::CurrentUser, "Software\\Kvx ", nullptr, reason));
  EXPECT_FALSE(sim.files.Exists(path));
}

}  // namespace

namespace {

using ReviewPage = FormTest;

TEST_F(ReviewPage, ListsEachItemOnceTicksAndIgnoresForGood) {
  PutString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.kvxr", "", "kvxmissing.type");
  form.CreateForm();
  form.BeginPreview();
  form.OnCleanClicked();
  form.DetailsLinkClick(1);
  EXPECT_TRUE(view.shown[Ctl::FindingsList]);
  EXPECT_FALSE(view.shown[Ctl::DetailsList]);
  // The key is one row, though the scan met it through two views of the classes root.
  ASSERT_EQ(view.findings.size(), 1u);
  EXPECT_EQ(view.findings[0].problem, "Type not registered");
  EXPECT_EQ(view.findings[0].item, ".kvxr - HKEY_CLASSES_ROOT");
  EXPECT_EQ(view.findings[0].data, "kvxmissing.type");
  form.OnFindingTicked(0, false);
  EXPECT_FALSE(view.findings[0].ticked);
  form.OnTickAllClicked();
  EXPECT_TRUE(view.findings[0].ticked);

  view.findingSelected = 0;
  dialogs.confirmation.presses = {1};
  form.OnIgnoreClicked();
  std::u16string file;
  ASSERT_TRUE(ReadTextFile(UndoDir() + kExclusionsFileName, file));
  EXPECT_TRUE(file.ends_with(u"\r\nHKEY_CLASSES_ROOT\\.kvxr\r\n"));
  EXPECT_TRUE(view.findings.empty());
  form.OnCleanClicked();
  EXPECT_TRUE(sim.registry.GetValue(RootKey::LocalMachine, "SOFTWARE\\Classes\\.kvxr", ""));
  EXPECT_EQ(dialogs.information.shown,
            std::vector<std::string>{"Exclusions.txt kept these items out of the run:\nline 8: "
                                     "HKEY_CLASSES_ROOT\\.kvxr (1 item)"});
}

}  // namespace
