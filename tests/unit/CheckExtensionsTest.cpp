#include <gtest/gtest.h>

#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCR = RootKey::ClassesRoot;
constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kMachine = "SOFTWARE\\Classes\\";
const std::string kUser = "Software\\Classes\\";

class CheckExtensionsTest : public EngineTest {
 protected:
  // Both passes, as the driver runs them.
  void RunBothPasses() {
    PrepareChecks();
    engine.CheckExtensions(kCR, "\\");
    engine.ResetGauge();
    engine.CheckExtensions(kLM, "\\SOFTWARE\\Classes\\");
  }
};

TEST_F(CheckExtensionsTest, OrphansOfBothPassesAndWhatStays) {
  // Machine-wide orphan: seen in both passes.
  PutString(kLM, kMachine + ".orph", "", "nosuchfile");
  PutKey(kLM, kMachine + ".orph\\OpenWithList\\app.exe");
  // Orphan in the user's classes only: the merged view of pass 1 sees it, pass 2 does not.
  PutString(kCU, kUser + ".uorph", "", "gone");
  // Sound: the type test ignores case.
  PutString(kLM, kMachine + ".good", "", "goodfile");
  PutKey(kLM, kMachine + "GOODFILE");
  // Machine-wide extension whose type only the user registered: works through the merged view.
  PutString(kLM, kMachine + ".usr", "", "userfile");
  PutKey(kCU, kUser + "userfile");
  // Left alone: no default, an empty one, one of another type, one the user may not change.
  PutKey(kLM, kMachine + ".nodef\\ShellNew");
  PutString(kLM, kMachine + ".empty", "", "");
  PutValue(kLM, kMachine + ".bin", "", regtype::kBinary, {'x', 0});
  PutString(kLM, kMachine + ".ro", "", "nothere");
  MarkReadOnly(kLM, kMachine + ".ro");
  // Not an extension: never examined.
  PutString(kLM, kMachine + "notext", "", "nothere");

  RunBothPasses();

  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", "", "[-HKEY_CLASSES_ROOT\\.orph]", "",
                                 "[-HKEY_CLASSES_ROOT\\.uorph]", "",
                                 "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.orph]", ""}));
  EXPECT_EQ(engine.CategoryLog(kAssociations),
            (TextList{"[HKCR]\\.orph ... fixed", "[HKCR]\\.uorph ... fixed",
                      "[HKLM]\\SOFTWARE\\Classes\\.orph ... fixed"}));
  // .orph counts once, though it is backed up and removed through both views.
  EXPECT_EQ(engine.CategoryCount(kAssociations), 2);
  EXPECT_EQ(JournalKeys(),
            (TextList{"[HKEY_CLASSES_ROOT\\.orph]", "[HKEY_CLASSES_ROOT\\.orph\\OpenWithList]",
                      "[HKEY_CLASSES_ROOT\\.orph\\OpenWithList\\app.exe]",
                      // The user's own class is backed up where it lives, to come back there.
                      "[HKEY_CURRENT_USER\\Software\\Classes\\.uorph]",
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.orph]",
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.orph\\OpenWithList]",
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.orph\\OpenWithList\\app.exe]"}));
  // The check itself removes nothing.
  EXPECT_TRUE(sim.registry.HasKey(kLM, kMachine + ".orph"));
  EXPECT_TRUE(sim.registry.HasKey(kCU, kUser + ".uorph"));
}

TEST_F(CheckExtensionsTest, AKeyIsOneFindingThroughEveryViewButTheUsersAndTheMachinesAreTwo) {
  // The machine's key alone, through the classes root and through the machine's classes.
  PutString(kLM, kMachine + ".one", "", "KvxMissing.TypeA");
  // A key of the user and one of the machine: the merged view shows the user's.
  PutString(kLM, kMachine + ".two", "", "gone.m");
  PutString(kCU, kUser + ".two", "", "Gone.U");

  RunBothPasses();

  std::vector<std::string> listed;
  for (const Finding& f : engine.Findings()) listed.push_back(ItemName(f) + "=" + f.data);
  // The data as stored, never upper-cased.
  EXPECT_EQ(listed,
            (std::vector<std::string>{"HKEY_CLASSES_ROOT\\.one=KvxMissing.TypeA",
                                      "HKEY_CLASSES_ROOT\\.two=Gone.U",
                                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.two=gone.m"}));
  EXPECT_EQ(engine.CategoryCount(kAssociations), 3);
  // Every view is still acted on and named in the Details.
  EXPECT_EQ(engine.CategoryLog(kAssociations).size(), 4u);
}

TEST_F(CheckExtensionsTest, EveryTopLevelKeyCountsInTheProgress) {
  // 10 keys, one orphan: the gauge rises once per item and ends at 9.
  for (char c = 'a'; c < 'j'; ++c) PutKey(kLM, kMachine + std::string("type") + c);
  PutString(kLM, kMachine + ".z", "", "nothere");
  PrepareChecks();
  engine.CheckExtensions(kLM, "\\SOFTWARE\\Classes\\");
  EXPECT_EQ(engine.GaugePercent(), 9);
  EXPECT_EQ(engine.CategoryCount(kAssociations), 1);
}

TEST_F(CheckExtensionsTest, ARepairWhoseBackupFailsIsNotScheduled) {
  PutString(kLM, kMachine + ".orph", "", "nosuchfile");
  PutString(kLM, kMachine + ".next", "", "nosuchfile");
  // The editor's export of .orph writes nothing, as for a key it cannot read.
  sim.process.beforeRun = [](const SimProcess::Run& run) {
    return run.arguments.find(".orph") == std::string::npos;
  };
  PrepareChecks();
  engine.CheckExtensions(kLM, "\\SOFTWARE\\Classes\\");
  EXPECT_EQ(FixScript,
            (TextList{"REGEDIT4", "", "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.next]", ""}));
  EXPECT_EQ(engine.CategoryLog(kAssociations),
            TextList{"[HKLM]\\SOFTWARE\\Classes\\.next ... fixed"});
  EXPECT_EQ(engine.CategoryCount(kAssociations), 1);
}

TEST_F(CheckExtensionsTest, NotRunningExaminesNothingAndLeavesTheGauge) {
  PutString(kLM, kMachine + ".orph", "", "nosuchfile");
  PrepareChecks();
  engine.Running = false;
  engine.CheckExtensions(kCR, "\\");
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
  EXPECT_EQ(engine.GaugePercent(), 0);
  EXPECT_GT(host.pumps, 0);
}

}  // namespace
