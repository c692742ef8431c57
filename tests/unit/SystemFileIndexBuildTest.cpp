// The index is built on its own thread while the checks go on. A slow disk is staged by holding
// the simulated finds: the walk then stays at its first folder until the test lets it go, so
// what the run does meanwhile is seen at chosen pumps, whatever the threads' timing.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/RegistryOps.h"
#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCR = RootKey::ClassesRoot;
const std::string kServer = "\\CLSID\\{C0000002}\\InprocServer32";
const std::string kOldServer = "C:\\OLD\\KVXMOVED.DLL";

class SystemFileIndexBuildTest : public EngineTest {
 protected:
  // An orphaned extension (category 1: two repairs, one per pass over the classes) and a
  // startup value naming a gone program (category 3).
  void StageProblems() {
    PutString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.kvx1", "", "kvxmissing.type");
    PutString(RootKey::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone",
              "C:\\Gone\\gone.exe");
  }
  // A class whose server moved below Program Files: its lookup is the index's first.
  void StageMovedServer() {
    PutFile("C:\\Program Files\\Moved\\kvxmoved.dll");
    PutString(kCR, kServer, "", kOldServer);
  }

  bool InCategory(int category) const {
    static const TextList kProgress = {"File assotiations...", "COM/ActiveX entries...",
                                       "Startup program list...", "Uninstall entries...",
                                       "Temporary registry values..."};
    return !engine.progressLabels.empty() &&
           engine.progressLabels.back() == kProgress[static_cast<size_t>(category - 1)];
  }
  // Pumps in category 2 before its first repair: the class's own item step, then the lookup's
  // wait.
  bool BeforeTheLookupsRepair() const {
    return InCategory(kComActiveX) && engine.CategoryCount(kComActiveX) == 0;
  }

  // The lines a walk on this thread makes, for comparison with the run's.
  TextList WalkedHere() {
    RecordingEngine direct;
    direct.ScanSystemFolder(WindowsDir());
    direct.ScanSystemFolder(ProgramFilesDir());
    return direct.SystemFileIndex.Lines();
  }

  bool Idle() const { return !engine.Running && engine.buttonCaption == "Clean"; }

  // A run whose walk throws when it reaches Program Files: told as an interrupted run, with
  // category 1's repair done and the run ended.
  void RunWithAFailingWalk() {
    StageProblems();
    sim.files.failWhen = [](const SimFileCall& call) -> long {
      if (call.call == "Find" && UpperAscii(call.path).starts_with("C:\\PROGRAM FILES\\")) {
        throw std::runtime_error("the drive is not ready");
      }
      return status::kSuccess;
    };
    engine.OnCleanClicked();
    sim.files.failWhen = nullptr;
    ASSERT_EQ(engine.informations.size(), 1u);
    EXPECT_EQ(engine.informations[0],
              "The clean run was interrupted by an error: the drive is not ready\n"
              "The entries found before the error were handled as usual.");
    EXPECT_EQ(engine.CategoryCount(kAssociations), 2);
    EXPECT_TRUE(Idle());
  }
};

TEST_F(SystemFileIndexBuildTest, TheLookupWaitsForAHeldWalkPumpingAndFindsTheMovedServer) {
  StageProblems();
  StageMovedServer();
  sim.files.HoldFinds();
  int waitPumps = 0;
  engine.onPump = [&](int) {
    if (BeforeTheLookupsRepair() && ++waitPumps == 12) sim.files.ReleaseFinds();
  };
  engine.OnCleanClicked();

  // Category 1 was done while the walk was held; the lookup kept the window pumping until the
  // walk could go on, then used the whole index.
  EXPECT_EQ(engine.CategoryCount(kAssociations), 2);
  EXPECT_GE(waitPumps, 12);
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 1);
  EXPECT_EQ(ReadStringUpper(kCR, kServer, ""), "C:\\PROGRAM FILES\\MOVED\\KVXMOVED.DLL");
  EXPECT_EQ(engine.SystemFileIndex.Lines(), WalkedHere());
  EXPECT_TRUE(engine.informations.empty());
  EXPECT_TRUE(Idle());
}

TEST_F(SystemFileIndexBuildTest, ARunWithoutAMissingServerNeverWaitsUntilItsEnd) {
  StageProblems();
  sim.files.HoldFinds();
  bool heldUntilTheLastCategory = false;
  engine.onPump = [&](int) {
    if (heldUntilTheLastCategory || !InCategory(kTemporary)) return;
    heldUntilTheLastCategory = true;
    sim.files.ReleaseFinds();
  };
  engine.OnCleanClicked();

  EXPECT_TRUE(heldUntilTheLastCategory);
  EXPECT_EQ(engine.CategoryCount(kAssociations), 2);
  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
  // The run still ends with the same lines, in the same order, as a walk on its own.
  EXPECT_FALSE(engine.SystemFileIndex.Lines().empty());
  EXPECT_EQ(engine.SystemFileIndex.Lines(), WalkedHere());
  EXPECT_TRUE(Idle());
}

TEST_F(SystemFileIndexBuildTest, AStopWhileTheLookupWaitsEndsTheWalkAndJudgesNothingByIt) {
  StageProblems();
  StageMovedServer();
  sim.files.HoldFinds();
  engine.answers = {1};
  int waitPumps = 0;
  engine.onPump = [&](int) {
    if (!InCategory(kComActiveX)) return;
    ++waitPumps;
    if (waitPumps == 3) engine.OnCleanClicked();  // Stop, confirmed
    // Let go only after the stop: the walk must end at its next entry, not run to its end.
    if (waitPumps == 4) sim.files.ReleaseFinds();
  };
  engine.OnCleanClicked();

  EXPECT_EQ(engine.questions.size(), 1u);
  EXPECT_EQ(engine.SystemFileIndex.Count(), 0u);
  // The server is neither rewritten nor deleted from a partial index.
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
  EXPECT_EQ(ReadStringUpper(kCR, kServer, ""), kOldServer);
  // What category 1 found before the stop is repaired as in any stopped run.
  EXPECT_EQ(engine.CategoryCount(kAssociations), 2);
  EXPECT_EQ(engine.CategoryCount(kStartup), 0);
  EXPECT_TRUE(engine.informations.empty());
  EXPECT_TRUE(Idle());
}

TEST_F(SystemFileIndexBuildTest, AStopInCategoryOneEndsAHeldWalkWithoutAnyLookup) {
  StageProblems();
  sim.files.HoldFinds();
  engine.answers = {1};
  int pumps = 0;
  engine.onPump = [&](int) {
    if (!InCategory(kAssociations)) return;
    ++pumps;
    if (pumps == 1) engine.OnCleanClicked();
    if (pumps == 2) sim.files.ReleaseFinds();
  };
  engine.OnCleanClicked();

  EXPECT_EQ(engine.SystemFileIndex.Count(), 0u);
  EXPECT_EQ(engine.CategoryCount(kAssociations), 0);
  EXPECT_TRUE(engine.informations.empty());
  EXPECT_TRUE(Idle());
}

// An error in the walk reaches the run's error handling on the window's thread: at the lookup
// when there is one (category 2 stops there), else at the end of the categories.
TEST_F(SystemFileIndexBuildTest, AWalkThatFailsInterruptsTheRunAtTheLookup) {
  StageMovedServer();
  RunWithAFailingWalk();
  EXPECT_EQ(ReadStringUpper(kCR, kServer, ""), kOldServer);
  EXPECT_EQ(engine.CategoryCount(kStartup), 0);
}

TEST_F(SystemFileIndexBuildTest, AWalkThatFailsWithoutALookupInterruptsTheRunAtItsEnd) {
  RunWithAFailingWalk();
  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
}

}  // namespace
