// Scan mode: the same checks as a clean, nothing changed, every line and summary saying what was
// found; the preview's button that scans first and cleans after; the lock that keeps two runs
// apart.
#include <gtest/gtest.h>

#include "engine/Categories.h"
#include "engine/RunMessages.h"
#include "unit/SafetyMachine.h"

namespace {

class ScanMode : public SafetyMachine {
 protected:
  void SetUp() override {
    SafetyMachine::SetUp();
    planted = StageEveryCategory();
  }

  int Total() const {
    int total = 0;
    for (int k = 1; k <= kCategoryCount; ++k) total += engine.CategoryCount(k);
    return total;
  }
  const Finding* FindingFor(const std::string& item) const {
    for (const Finding& f : engine.Findings()) {
      if (ItemName(f) == item) return &f;
    }
    return nullptr;
  }

  int planted = 0;
};

TEST_F(ScanMode, FindsEveryPlantedProblemAndChangesNothing) {
  ScanThenCleanAgree("every category");
  // The machine-wide extensions are also met through the classes root.
  EXPECT_GE(Total(), planted);
}

TEST_F(ScanMode, ListsWhatItFoundWithItsRule) {
  ASSERT_TRUE(engine.Run(RunMode::Scan));
  const int found = static_cast<int>(engine.Findings().size());
  EXPECT_EQ(Total(), found);
  EXPECT_EQ(host.progressLabels.back(), "Summary:  " + std::to_string(found) + " problems found.");
  EXPECT_TRUE(host.informations.empty());
  EXPECT_TRUE(UndoFiles().empty());
  EXPECT_FALSE(sim.files.Exists(ScriptPath()));
  for (int k = 1; k <= kCategoryCount; ++k) {
    const TextList& log = engine.CategoryLog(k);
    ASSERT_GE(log.size(), 3u);
    for (size_t i = 1; i + 2 < log.size(); ++i)
      EXPECT_TRUE(log[i].ends_with(" ... found")) << log[i];
    EXPECT_EQ(log.back(),
              "Summary: " + std::to_string(engine.CategoryCount(k)) + " problems found.");
  }
  struct Expected {
    const char* item;
    const char* rule;
    const char* data;
    const char* newPath;
  };
  const Expected expected[] = {
      {"HKEY_CLASSES_ROOT\\CLSID\\{C0000001}\\InprocServer32", "server file missing",
       "C:\\Gone\\kvxgone.dll", ""},
      {"HKEY_CLASSES_ROOT\\CLSID\\{C0000002}\\InprocServer32", "server moved",
       "C:\\Old\\kvxmoved.dll", "C:\\PROGRAM FILES\\Moved\\KVXMOVED.DLL"},
      {"HKEY_CLASSES_ROOT\\CLSID\\{C0000004}\\TypeLib", "type library not registered", "{TL-GONE}",
       ""},
      {"HKEY_CLASSES_ROOT\\Kvx.Gone.1", "class not registered", "{NOPE}", ""},
      {"HKEY_CLASSES_ROOT\\Interface\\{I0000001}", "empty key", "", ""},
      {"HKEY_CLASSES_ROOT\\Typelib\\{T0000002}\\1.0\\HELPDIR", "empty help folder", "", ""},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value \"KvxGone3\"",
       "program missing", "C:\\Gone\\start3.exe", ""},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxApp1",
       "no uninstall command", "", ""},
      {"HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU, value "
       "\"a\"",
       "history list", "cmd\\1", ""},
      {"HKEY_CURRENT_USER\\Software\\Kvx App\\Recent, value \"File [1]\"", "file missing",
       "C:\\Gone\\doc one.txt", ""},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.item);
    const Finding* f = FindingFor(e.item);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->rule, e.rule);
    EXPECT_EQ(f->data, e.data);
    EXPECT_EQ(f->newPath, e.newPath);
    EXPECT_EQ(f->action, Action::Found);
  }
}

TEST_F(ScanMode, PreviewScansFirstThenCleans) {
  engine.BeginPreview();
  engine.OnCleanClicked();
  EXPECT_EQ(engine.LastRun(), RunMode::Scan);
  EXPECT_TRUE(UndoFiles().empty());
  EXPECT_EQ(host.buttonCaption, "Clean");
  engine.OnCleanClicked();
  EXPECT_EQ(engine.LastRun(), RunMode::Clean);
  EXPECT_EQ(UndoFiles().size(), 1u);
  EXPECT_EQ(engine.UndoFileWritten(), UndoFiles().front());
  EXPECT_EQ(host.progressLabels.back(), "Summary:  " + std::to_string(Total()) + " items fixed.");
}

TEST_F(ScanMode, NoRunWhileAnotherProcessHoldsTheLock) {
  sim.process.heldElsewhere.insert(kRunLockName);
  const Snapshot before = Take();
  engine.OnCleanClicked();
  EXPECT_TRUE(Take() == before);
  EXPECT_EQ(host.informations, std::vector<std::string>{runmsg::AnotherRun()});
  EXPECT_FALSE(engine.Running);
  // Once the other run has ended, the next click cleans.
  sim.process.heldElsewhere.clear();
  engine.OnCleanClicked();
  EXPECT_GE(Total(), planted);
}

TEST_F(ScanMode, CleanTellsWhatBecameOfEachItem) {
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxApp1";
  // The editor's import cannot remove this entry: it stays, and says why.
  sim.registry.FailWritesBelow(RootKey::LocalMachine, entry);
  engine.OnCleanClicked();
  const Finding* stays = FindingFor("HKEY_LOCAL_MACHINE\\" + entry);
  ASSERT_NE(stays, nullptr);
  EXPECT_EQ(stays->action, Action::LeftInPlace);
  EXPECT_EQ(stays->reason, runmsg::kNotChanged);
  const Finding* moved = FindingFor("HKEY_CLASSES_ROOT\\CLSID\\{C0000002}\\InprocServer32");
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->action, Action::Fixed);
  const Finding* run = FindingFor(
      "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU, "
      "value \"a\"");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->action, Action::Deleted);
  EXPECT_FALSE(run->viaScript);
}

}  // namespace
