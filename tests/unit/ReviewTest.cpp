// Choose before Clean: the Clean after a reviewed scan repairs exactly the ticked findings, leaves
// what appeared since, and "Ignore always" writes a line the exclusions file reads back.
#include <gtest/gtest.h>

#include <functional>

#include "engine/Exclusions.h"
#include "platform/LanguageFile.h"
#include "platform/TextFile.h"
#include "support/FormTest.h"
#include "unit/SafetyMachine.h"

namespace {

const std::string kApp =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxApp1";
const std::string kRecent = "HKEY_CURRENT_USER\\Software\\Kvx App\\Recent, value \"File [1]\"";
const std::string kAppeared =
    "1 problem appeared after the scan and was left; scan again to review it.\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value \"KvxNew\"";

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
  out.told = m.host.informations;
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
  EXPECT_EQ(view.texts[Ctl::DetailsFooter], "1 problem found, 0 ticked.");
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
  // Said on the start page, not in a message after each run.
  EXPECT_EQ(dialogs.information.shown, std::vector<std::string>{});
  EXPECT_EQ(view.texts[Ctl::KeptOutLabel], "1 item kept out of this run by Exclusions.txt.");
}

}  // namespace

namespace {

using PreviewButton = FormTest;

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Counts follow every choice; the Clean repairs the ticked only, and the button then scans.
TEST_F(PreviewButton, CountsFollowTheTicksAndAfterItsCleanTheButtonScansAgain) {
  for (const char* entry : {"KvxA", "KvxB", "KvxC"}) {
    PutString(RootKey::LocalMachine, kUninstall + entry, "DisplayName", entry);
  }
  form.CreateForm();
  form.BeginPreview();
  form.OnCleanClicked();
  const auto counts = [&] {
    return view.texts[Ctl::Counter4] + " | " + view.texts[Ctl::ProgressLabel] + " | " +
           view.texts[Ctl::DetailsFooter];
  };
  form.DetailsLinkClick(4);
  EXPECT_EQ(counts(),
            "3 of 3 | Summary:  3 problems found, 3 ticked. | 3 problems found, 3 "
            "ticked.");
  form.OnFindingTicked(0, false);
  EXPECT_EQ(counts(),
            "2 of 3 | Summary:  3 problems found, 2 ticked. | 3 problems found, 2 "
            "ticked.");
  form.OnUntickAllClicked();
  EXPECT_EQ(view.texts[Ctl::Counter4], "0 of 3");
  form.OnTickAllClicked();
  EXPECT_EQ(view.texts[Ctl::Counter4], "3 of 3");
  view.findingSelected = 1;
  dialogs.confirmation.presses = {1};
  form.OnIgnoreClicked();
  form.OnFindingTicked(1, false);
  EXPECT_EQ(counts(),
            "1 of 2 | Summary:  2 problems found, 1 ticked. | 2 problems found, 1 "
            "ticked.");

  form.OnCleanClicked();
  EXPECT_EQ(form.Engine().LastRun(), RunMode::Clean);
  EXPECT_TRUE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxB"));
  EXPECT_TRUE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxC"));
  EXPECT_FALSE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxA"));
  EXPECT_EQ(view.texts[Ctl::CleanButton], "Scan again");
  // Pressed again it scans: the unticked entry is offered again, nothing is removed.
  form.OnCleanClicked();
  EXPECT_EQ(form.Engine().LastRun(), RunMode::Scan);
  EXPECT_TRUE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxC"));
  EXPECT_EQ(view.texts[Ctl::CleanButton], "Clean");
  EXPECT_EQ(view.texts[Ctl::Counter4], "1 of 1");
}

// The start page's link scans at once as the preview; after the Clean its undo is offered.
TEST_F(PreviewButton, ScanFirstStartsThePreviewAndTheCleanAfterItOffersItsUndo) {
  PutString(RootKey::LocalMachine, kUninstall + "KvxA", "DisplayName", "A");
  form.CreateForm();
  form.OnScanFirstClicked();
  EXPECT_EQ(form.Engine().LastRun(), RunMode::Scan);
  EXPECT_EQ(view.texts[Ctl::Counter4], "1 of 1");
  EXPECT_EQ(view.texts[Ctl::UndoPageLink], "Undo ...");
  form.OnCleanClicked();
  EXPECT_FALSE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxA"));
  EXPECT_EQ(view.texts[Ctl::UndoPageLink], "Undo clean ...");
}

TEST_F(PreviewButton, AStoppedScanIsNeverFollowedByAClean) {
  PutString(RootKey::LocalMachine, kUninstall + "KvxA", "DisplayName", "A");
  form.CreateForm();
  form.BeginPreview();
  view.onPump = [&](int pump) {
    if (pump != 1) return;
    dialogs.confirmation.presses = {1};
    form.OnCleanClicked();
  };
  form.OnCleanClicked();
  view.onPump = nullptr;
  EXPECT_EQ(view.texts[Ctl::CleanButton], "Scan again");
  form.OnCleanClicked();
  EXPECT_EQ(form.Engine().LastRun(), RunMode::Scan);
  EXPECT_TRUE(KeyExists(RootKey::LocalMachine, kUninstall + "KvxA"));
}

}  // namespace

namespace {

using IgnoredPage = FormTest;

// The page lists the file's lines with the last run's counts; taking one out leaves every other
// byte of the file as it was, in its own encoding.
TEST_F(IgnoredPage, ListsTheLinesAndTakesTheChosenOneOutLeavingTheRestAsItWas) {
  const std::string path = UndoDir() + kExclusionsFileName;
  const std::u16string head = u"# n\u00e9\r\nHKEY_CURRENT_USER\\Software\\Kvx One\r\n";
  const std::u16string tail = u"  HKEY_LOCAL_MACHINE\\SOFTWARE\\Kvx Three \r\nnot a line";
  const std::u16string taken = u"HKEY_CURRENT_USER\\Software\\Kvx Two\n";
  const std::vector<Bytes> files = {Utf16File(head + taken + tail), {0xEF, 0xBB, 0xBF}, {}};
  form.CreateForm();
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    Bytes start = files[i];
    if (i > 0) {
      const Bytes text = EncodedLike(start.empty() ? Bytes{'x'} : start, head + taken + tail);
      start.insert(start.end(), text.begin(), text.end());
    }
    sim.files.PutFile(path, std::string(start.begin(), start.end()));
    form.OpenIgnoredPage();
    EXPECT_EQ(view.front, Page::Ignored);
    ASSERT_EQ(view.ignored.size(), 4u);
    EXPECT_EQ(view.ignored[1].line, "HKEY_CURRENT_USER\\Software\\Kvx Two");
    EXPECT_EQ(view.ignored[3].line, "not a line");

    view.ignoredSelected = 1;
    dialogs.confirmation.presses = {2};
    form.OnRemoveIgnoredClicked();
    EXPECT_EQ(view.ignored.size(), 4u);
    dialogs.confirmation.presses = {1};
    form.OnRemoveIgnoredClicked();
    ASSERT_EQ(view.ignored.size(), 3u);
    EXPECT_EQ(view.ignored[1].line, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kvx Three");
    Bytes now;
    ASSERT_TRUE(sim.files.ReadAll(path, now));
    Bytes expected(start.begin(), start.end());
    const Bytes before = EncodedLike(start.empty() ? Bytes{'x'} : start, head);
    const Bytes cut = EncodedLike(start.empty() ? Bytes{'x'} : start, taken);
    const size_t at = (i == 0 ? 2 : i == 1 ? 3 : 0) + before.size();
    expected.erase(expected.begin() + static_cast<long>(at),
                   expected.begin() + static_cast<long>(at + cut.size()));
    EXPECT_EQ(now, expected);
  }
  // A line changed since it was listed is not taken out.
  view.ignoredSelected = 0;
  sim.files.PutFile(path, "HKEY_CURRENT_USER\\Software\\Other\r\n");
  dialogs.confirmation.presses = {1};
  dialogs.information.shown.clear();
  form.OnRemoveIgnoredClicked();
  EXPECT_EQ(dialogs.information.shown.size(), 1u);
  EXPECT_TRUE(sim.files.Exists(path));
}

// The count beside a line is what it kept in the last run. Elevated, the page reads the file
// the user edits, not one in the protected folder.
TEST_F(IgnoredPage, ShowsWhatEachLineKeptInTheLastRun) {
  sim.process.elevated = true;
  sim.files.PutFolder("C:\\ProgramData");
  InitPaths();
  ASSERT_NE(UndoDir(), UserUndoDir());
  PutString(RootKey::LocalMachine, kUninstall + "KvxA", "DisplayName", "A");
  sim.files.PutFile(ExclusionsFile(), "HKEY_LOCAL_MACHINE\\" + kUninstall +
                                          "KvxA\r\nHKEY_CURRENT_USER\\Software\\X\r\n");
  form.CreateForm();
  form.OpenIgnoredPage();
  ASSERT_EQ(view.ignored.size(), 2u);
  EXPECT_EQ(view.ignored[0].kept, "not in the last run");
  EXPECT_FALSE(view.shown[Ctl::IgnoredHint]);
  form.Engine().Run(RunMode::Scan);
  form.OpenIgnoredPage();
  ASSERT_EQ(view.ignored.size(), 2u);
  EXPECT_EQ(view.ignored[0].kept, "1");
  EXPECT_EQ(view.ignored[1].kept, "0");
  // Empty, the page says what it is for in place of the list.
  sim.files.PutFile(ExclusionsFile(), "");
  form.OpenIgnoredPage();
  EXPECT_TRUE(view.shown[Ctl::IgnoredHint]);
  EXPECT_FALSE(view.shown[Ctl::IgnoredList]);
  EXPECT_TRUE(view.texts[Ctl::IgnoredHint].starts_with("Items you chose to \"Ignore always\""));
}

}  // namespace
