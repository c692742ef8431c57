// The index is built on its own thread while the checks go on. A slow disk is staged by holding
// the simulated finds: the walk then stays at its first folder until the test lets it go, so
// what the run does meanwhile is seen at chosen pumps, whatever the threads' timing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/RunMessages.h"
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
    return !host.progressLabels.empty() &&
           host.progressLabels.back() == kProgress[static_cast<size_t>(category - 1)];
  }
  // Pumps after the last category, while the run waits for the walk's end.
  bool AfterTheLastCategory() const {
    const TextList& log = engine.CategoryLog(kTemporary);
    return !log.empty() && log.back().starts_with("Summary:");
  }
  // Holds the walk until the run has pumped n times after the last category.
  void HoldTheWalkUntilTheEndWait(int n, const std::function<void(int)>& atEndPump = {}) {
    sim.files.HoldFinds();
    host.onPump = [this, n, atEndPump, endPumps = 0](int) mutable {
      if (!AfterTheLastCategory() || endPumps >= n) return;
      ++endPumps;
      if (atEndPump) atEndPump(endPumps);
      if (endPumps == n) sim.files.ReleaseFinds();
    };
  }

  // The lines a walk on this thread makes, for comparison with the run's.
  TextList WalkedHere() {
    RecordingHost directHost;
    CleanEngine direct{directHost};
    direct.ScanSystemFolder(WindowsDir());
    direct.ScanSystemFolder(ProgramFilesDir());
    return direct.SystemFileIndex.Lines();
  }

  bool Idle() const { return !engine.Running && host.buttonCaption == "Clean"; }

  // A run whose walk throws when it reaches Program Files: told as an interrupted run, with
  // category 1's repair done and the run ended.
  void RunWithAFailingWalk(const std::string& alsoTold = "") {
    StageProblems();
    sim.files.failWhen = [](const SimFileCall& call) -> long {
      if (call.call == "Find" && UpperAscii(call.path).starts_with("C:\\PROGRAM FILES\\")) {
        throw std::runtime_error("the drive is not ready");
      }
      return status::kSuccess;
    };
    engine.OnCleanClicked();
    sim.files.failWhen = nullptr;
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0],
              "The clean run was interrupted by an error: the drive is not ready\n"
              "The entries found before the error were handled as usual." +
                  alsoTold);
    EXPECT_EQ(engine.CategoryCount(kAssociations), 1);
    EXPECT_TRUE(Idle());
  }

  const std::string kServerLeft =
      "1 item was left in place:\nHKEY_CLASSES_ROOT\\CLSID\\{C0000002}\\InprocServer32\n"
      "Their server files are missing, and the search for where they moved did not end: the run "
      "was stopped or interrupted first.";
};

TEST_F(SystemFileIndexBuildTest, MissingServersAreRepairedBesideAHeldWalkAndSettledAtItsEnd) {
  StageProblems();
  StageMovedServer();
  // Between two moved servers, one that is gone: each waiting repair keeps its own script lines.
  const std::string goneServer = "\\CLSID\\{C0000003}\\InprocServer32";
  const std::string alsoMoved = "\\CLSID\\{C0000004}\\InprocServer32";
  PutString(kCR, goneServer, "", "C:\\OLD\\KVXGONE.DLL");
  PutString(kCR, alsoMoved, "", "C:\\ELSEWHERE\\KVXMOVED.DLL");
  int countedBeforeTheEnd[3] = {};
  int endPumps = 0;
  HoldTheWalkUntilTheEndWait(12, [&](int endPump) {
    endPumps = endPump;
    if (endPump > 1) return;
    for (int k : {kAssociations, kComActiveX, kStartup}) {
      countedBeforeTheEnd[k - 1] = engine.CategoryCount(k);
    }
  });
  engine.OnCleanClicked();

  // Every category was done while the walk was held; the run then kept the window pumping
  // until the walk could go on, and pointed the server at the file the whole index found.
  EXPECT_THAT(countedBeforeTheEnd, testing::ElementsAre(1, 3, 1));
  EXPECT_EQ(endPumps, 12);
  EXPECT_EQ(ReadStringUpper(kCR, kServer, ""), "C:\\PROGRAM FILES\\MOVED\\KVXMOVED.DLL");
  EXPECT_EQ(ReadStringUpper(kCR, alsoMoved, ""), "C:\\PROGRAM FILES\\MOVED\\KVXMOVED.DLL");
  EXPECT_FALSE(KeyExists(kCR, goneServer));
  EXPECT_TRUE(KeyExists(kCR, "\\CLSID\\{C0000003}"));
  const Finding& moved = engine.Findings()[1];
  EXPECT_EQ(moved.rule, "server moved");
  EXPECT_EQ(UpperAscii(moved.newPath), "C:\\PROGRAM FILES\\MOVED\\KVXMOVED.DLL");
  EXPECT_EQ(engine.SystemFileIndex.Lines(), WalkedHere());
  EXPECT_TRUE(host.informations.empty());
  EXPECT_TRUE(Idle());
}

TEST_F(SystemFileIndexBuildTest, ARunWithoutAMissingServerNeverWaitsUntilItsEnd) {
  StageProblems();
  sim.files.HoldFinds();
  bool heldUntilTheLastCategory = false;
  host.onPump = [&](int) {
    if (heldUntilTheLastCategory || !InCategory(kTemporary)) return;
    heldUntilTheLastCategory = true;
    sim.files.ReleaseFinds();
  };
  engine.OnCleanClicked();

  EXPECT_TRUE(heldUntilTheLastCategory);
  EXPECT_EQ(engine.CategoryCount(kAssociations), 1);
  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
  // The run still ends with the same lines, in the same order, as a walk on its own.
  EXPECT_FALSE(engine.SystemFileIndex.Lines().empty());
  EXPECT_EQ(engine.SystemFileIndex.Lines(), WalkedHere());
  EXPECT_TRUE(Idle());
}

TEST_F(SystemFileIndexBuildTest, AStopWhileTheRunWaitsLeavesTheWaitingServerInPlaceAndNamesIt) {
  StageProblems();
  StageMovedServer();
  host.answers = {1};
  // Let go only after the stop: the walk must end at its next entry, not run to its end.
  HoldTheWalkUntilTheEndWait(4, [&](int endPump) {
    if (endPump == 3) engine.OnCleanClicked();  // Stop, confirmed
  });
  engine.OnCleanClicked();

  EXPECT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(engine.SystemFileIndex.Count(), 0u);
  // The server is neither rewritten nor deleted from a partial index.
  EXPECT_EQ(ReadStringUpper(kCR, kServer, ""), kOldServer);
  EXPECT_EQ(engine.Findings()[1].action, Action::LeftInPlace);
  EXPECT_EQ(engine.Findings()[1].reason, runmsg::kNotSearched);
  // What the categories found before the stop is repaired as in any stopped run.
  EXPECT_FALSE(KeyExists(RootKey::LocalMachine, "SOFTWARE\\Classes\\.kvx1"));
  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
  EXPECT_THAT(host.informations, testing::ElementsAre(kServerLeft));
  EXPECT_TRUE(Idle());
}

TEST_F(SystemFileIndexBuildTest, AStopInCategoryOneEndsAHeldWalkWithoutAnyLookup) {
  StageProblems();
  sim.files.HoldFinds();
  host.answers = {1};
  int pumps = 0;
  host.onPump = [&](int) {
    if (!InCategory(kAssociations)) return;
    ++pumps;
    if (pumps == 1) engine.OnCleanClicked();
    if (pumps == 2) sim.files.ReleaseFinds();
  };
  engine.OnCleanClicked();

  EXPECT_EQ(engine.SystemFileIndex.Count(), 0u);
  EXPECT_EQ(engine.CategoryCount(kAssociations), 0);
  EXPECT_TRUE(host.informations.empty());
  EXPECT_TRUE(Idle());
}

// An error in the walk reaches the run's error handling on the window's thread, at the end of
// the categories; a server that waited for the index stays.
TEST_F(SystemFileIndexBuildTest, AWalkThatFailsInterruptsTheRunAndLeavesTheWaitingServer) {
  StageMovedServer();
  HoldTheWalkUntilTheEndWait(1);
  RunWithAFailingWalk("\n\n" + kServerLeft);
  EXPECT_EQ(ReadStringUpper(kCR, kServer, ""), kOldServer);
  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
}

TEST_F(SystemFileIndexBuildTest, AWalkThatFailsWithoutALookupInterruptsTheRunAtItsEnd) {
  RunWithAFailingWalk();
  EXPECT_EQ(engine.CategoryCount(kStartup), 1);
}

}  // namespace
