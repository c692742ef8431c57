// The benchmark's profile is only worth its numbers if each seam call lands in the right phase:
// the folder index (walked on its own thread), the key backups (the registry editor's export and
// its scratch file) and the final import. A whole headless run over the simulated machine checks
// the attribution.
#include "bench/TimedPlatform.h"
#include "engine/HeadlessHost.h"
#include "support/SimFixture.h"
#include "undo/UndoJournal.h"

namespace {

class BenchProfileTest : public SimTest {
 protected:
  void StageMachine() override {
    SimTest::StageMachine();
    // Two orphaned extensions in the machine-wide classes: four key backups in two passes.
    PutString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.orphan1", "", "missing.type1");
    PutString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.orphan2", "", "missing.type2");
    // A Run value naming a missing program: a value backup, no export.
    PutString(RootKey::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone",
              "C:\\Gone\\gone.exe");
  }
};

TEST_F(BenchProfileTest, SeamCallsLandInTheirPhases) {
  const Platform before = CurrentPlatform();
  StartDate = Process().Today();
  CalibrateTicks();
  TimedPlatform timed;
  timed.Install();
  HeadlessHost host;
  CleanEngine engine(host);
  engine.OnCleanClicked();
  timed.Finish();
  timed.Uninstall();
  const RunProfile& p = timed.Profile();

  EXPECT_EQ(CurrentPlatform().registry, before.registry);
  EXPECT_EQ(CurrentPlatform().files, before.files);
  EXPECT_EQ(CurrentPlatform().process, before.process);

  ASSERT_EQ(engine.CategoryCount(1), 2);
  ASSERT_EQ(engine.CategoryCount(3), 1);
  EXPECT_EQ(p.exports.calls, 4u);
  EXPECT_EQ(p.keyBackups.calls, 4u);
  EXPECT_GE(p.keyBackups.ticks, p.exports.ticks);
  EXPECT_EQ(p.import.calls, 1u);
  EXPECT_EQ(p.sleep.calls, 1u);

  // The index: the file calls of the walk's own thread, from its first to its last.
  EXPECT_GT(p.indexStart, 0u);
  EXPECT_GT(p.indexEnd, p.indexStart);
  // Every folder lists "." and ".."; every folder but the two starting ones is an entry too.
  EXPECT_EQ(p.indexEntries, engine.SystemFileIndex.Count() + 3 * p.indexFinds - 2);
  // One find per folder, one step per entry and the step that ends each listing.
  EXPECT_EQ(p.indexFiles.calls, 2 * p.indexFinds + p.indexEntries);
  EXPECT_GT(p.registry.calls, 0u);
  EXPECT_GT(p.files.calls, 0u);
}

}  // namespace
