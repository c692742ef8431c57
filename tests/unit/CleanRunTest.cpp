#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kMachine = "SOFTWARE\\Classes\\";
const std::string kList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

const TextList kHeadings = {
    "Extension assotiations...",    "COM/ActiveX entries...",
    "Startup program list...",      "Uninstall entries...",
    "Temporary registry values...", "Application paths, fonts and help files..."};

class CleanRunTest : public EngineTest {
 protected:
  // Three orphaned machine-wide extensions and three uninstall entries without a command.
  void StageProblems() {
    for (const char* ext : {".a1", ".a2", ".a3"}) PutString(kLM, kMachine + ext, "", "nothere");
    for (const char* entry : {"U1", "U2", "U3"}) {
      PutString(kLM, kList + entry, "DisplayName", entry);
    }
  }

  std::string MachineState() const {
    return sim.registry.Dump(kLM, "SOFTWARE") + sim.registry.Dump(kCU, "Software");
  }

  // Presses the button at the pump where `when` first holds, answering the question with answer.
  void PressWhen(std::function<bool()> when, int answer) {
    host.answers.push_back(answer);
    host.onPump = [this, when, pressed = false](int) mutable {
      if (pressed || !when()) return;
      pressed = true;
      engine.OnCleanClicked();
    };
  }

  bool InCategory(const std::string& progress) const {
    return !host.progressLabels.empty() && host.progressLabels.back() == progress;
  }

  // The idle state after a run.
  void ExpectFinished() {
    EXPECT_FALSE(engine.Running);
    EXPECT_EQ(host.buttonCaption, "Clean");
    EXPECT_TRUE(host.closeEnabled);
    EXPECT_FALSE(host.gaugeVisible);
    EXPECT_EQ(host.gaugeShown, 100);
    EXPECT_TRUE(host.detailsLinksActive);
  }

  size_t ImportRuns() const {
    size_t imports = 0;
    for (const SimProcess::Run& run : sim.process.runs) {
      if (run.arguments.rfind(" /s \"", 0) == 0) ++imports;
    }
    return imports;
  }
};

TEST_F(CleanRunTest, AWholeRunRemovesWhatItFoundAndTheUndoFileGivesItBack) {
  StageProblems();
  const std::string before = MachineState();
  bool undoOnDiskAtImport = false;
  std::string scriptAtImport;
  sim.process.beforeRun = [&](const SimProcess::Run& run) {
    if (run.arguments.rfind(" /s \"", 0) != 0) return true;
    undoOnDiskAtImport = sim.files.Exists(UndoPath());
    scriptAtImport = sim.files.FileText(ScriptPath());
    return true;
  };

  engine.OnCleanClicked();

  ExpectFinished();
  const std::string a = "[HKLM]\\SOFTWARE\\Classes\\.a";
  const std::string u = "[HKLM]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\U";
  EXPECT_EQ(engine.CategoryLog(kAssociations),
            (TextList{kHeadings[0], "[HKCR]\\.a1 ... fixed", "[HKCR]\\.a2 ... fixed",
                      "[HKCR]\\.a3 ... fixed", a + "1 ... fixed", a + "2 ... fixed",
                      a + "3 ... fixed", "", "Summary: 3 items fixed."}));
  EXPECT_EQ(engine.CategoryLog(kComActiveX),
            (TextList{kHeadings[1], "", "Summary: 0 items fixed."}));
  EXPECT_EQ(engine.CategoryLog(kUninstall),
            (TextList{kHeadings[3], u + "1 ... deleted", u + "2 ... deleted", u + "3 ... deleted",
                      "", "Summary: 3 items fixed."}));
  EXPECT_EQ(engine.CategoryLog(kTemporary),
            (TextList{kHeadings[4], "", "Summary: 0 items fixed."}));
  EXPECT_EQ(host.progressLabels,
            (std::vector<std::string>{
                "", "Scan system folders. Please wait...", "File assotiations...",
                "COM/ActiveX entries...", "Startup program list...", "Uninstall entries...",
                "Temporary registry values...", "Application paths, fonts and help files...",
                "Summary:  6 items fixed."}));
  EXPECT_EQ(std::vector<std::string>(host.counterLabels, host.counterLabels + kCategoryCount),
            (std::vector<std::string>{"3", "0", "0", "3", "0", "0"}));

  // The script was imported once by the editor, after the undo file was saved, and is gone
  // when the run ends.
  EXPECT_FALSE(sim.files.Exists(ScriptPath()));
  const std::string del = "[-HKEY_LOCAL_MACHINE\\";
  EXPECT_EQ(scriptAtImport,
            "REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\.a1]\r\n\r\n[-HKEY_CLASSES_ROOT\\.a2]\r\n\r\n"
            "[-HKEY_CLASSES_ROOT\\.a3]\r\n\r\n" +
                del + "SOFTWARE\\Classes\\.a1]\r\n\r\n" + del + "SOFTWARE\\Classes\\.a2]\r\n\r\n" +
                del + "SOFTWARE\\Classes\\.a3]\r\n\r\n" + del + kList + "U1]\r\n\r\n" + del +
                kList + "U2]\r\n\r\n" + del + kList + "U3]\r\n\r\n");
  ASSERT_FALSE(sim.process.runs.empty());
  EXPECT_EQ(sim.process.runs.back().application, "C:\\WINDOWS\\regedit.exe");
  EXPECT_EQ(sim.process.runs.back().arguments, " /s \"" + ScriptPath() + "\"");
  EXPECT_EQ(ImportRuns(), 1u);
  EXPECT_TRUE(undoOnDiskAtImport);
  EXPECT_EQ(sim.process.sleptMilliseconds, 1000u);
  EXPECT_TRUE(FixScript.empty());
  EXPECT_TRUE(host.informations.empty());

  // The registry really changed; importing the undo file restores it exactly.
  for (const char* ext : {".a1", ".a2", ".a3"}) {
    EXPECT_FALSE(sim.registry.HasKey(kLM, kMachine + ext)) << ext;
  }
  EXPECT_FALSE(sim.registry.HasKey(kLM, kList + "U1"));
  ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\""));
  EXPECT_EQ(MachineState(), before);
}

TEST_F(CleanRunTest, ARunThatFindsNothingWritesNothingAndStartsNoEditor) {
  engine.OnCleanClicked();
  ExpectFinished();
  EXPECT_TRUE(sim.process.runs.empty());
  EXPECT_FALSE(sim.files.Exists(ScriptPath()));
  EXPECT_FALSE(sim.files.Exists(UndoPath()));
  EXPECT_EQ(host.progressLabels.back(), "Summary:  0 items fixed.");
}

TEST_F(CleanRunTest, ALeftoverScriptIsDeletedAtTheStart) {
  PutFile(ScriptPath(), "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n");
  engine.OnCleanClicked();
  EXPECT_FALSE(sim.files.Exists(ScriptPath()));
}

TEST_F(CleanRunTest, StopDuringTheFirstAssociationPass) {
  StageProblems();
  // The pump of the second extension: the first is repaired, the rest only visited.
  PressWhen([&] { return engine.CategoryCount(kAssociations) == 1; }, 1);
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_EQ(host.questions, std::vector<std::string>{"Cancel operation?"});
  EXPECT_EQ(engine.CategoryLog(kAssociations),
            (TextList{kHeadings[0], "[HKCR]\\.a1 ... fixed", "", "Summary: 1 items fixed."}));
  for (int k = kComActiveX; k <= kCategoryCount; ++k) {
    EXPECT_EQ(engine.CategoryLog(k), TextList{kHeadings[static_cast<size_t>(k - 1)]}) << k;
  }
  EXPECT_EQ(host.progressLabels.back(), "Summary:  1 items fixed.");
  EXPECT_EQ(host.counterLabels[0], "1");
  EXPECT_EQ(ImportRuns(), 1u);
  EXPECT_FALSE(sim.registry.HasKey(kLM, kMachine + ".a1"));
  EXPECT_TRUE(sim.registry.HasKey(kLM, kMachine + ".a2"));
  EXPECT_TRUE(sim.registry.HasKey(kLM, kList + "U1"));
}

TEST_F(CleanRunTest, TheGaugeNeverGoesBackWithinARunAndStartsAtZeroForTheNext) {
  for (int run = 0; run < 2; ++run) {
    StageProblems();
    host.gaugeValues.clear();
    engine.OnCleanClicked();
    // The checks moved the bar; none of them took it back.
    ASSERT_GT(host.gaugeValues.size(), 4u);
    EXPECT_TRUE(std::is_sorted(host.gaugeValues.begin(), host.gaugeValues.end()));
    EXPECT_EQ(host.gaugeValues.front(), 0);
    EXPECT_EQ(host.gaugeValues.back(), 100);
  }
}

TEST_F(CleanRunTest, StopBetweenChecksLeavesTheCategoryOpen) {
  StageProblems();
  PressWhen([&] { return InCategory("COM/ActiveX entries..."); }, 1);
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_EQ(engine.CategoryLog(kAssociations).back(), "Summary: 3 items fixed.");
  // Category 2 was cut short by a test between its checks: no summary, its label keeps "0".
  EXPECT_EQ(engine.CategoryLog(kComActiveX), TextList{kHeadings[1]});
  EXPECT_EQ(host.counterLabels[1], "0");
  EXPECT_EQ(engine.CategoryLog(kUninstall), TextList{kHeadings[3]});
  EXPECT_EQ(
      host.progressLabels,
      (std::vector<std::string>{"", "Scan system folders. Please wait...", "File assotiations...",
                                "COM/ActiveX entries...", "Summary:  3 items fixed."}));
  EXPECT_TRUE(sim.registry.HasKey(kLM, kList + "U1"));
  EXPECT_FALSE(sim.registry.HasKey(kLM, kMachine + ".a3"));
}

TEST_F(CleanRunTest, StopDuringTheUninstallCheckClosesItsCategory) {
  StageProblems();
  PressWhen([&] { return engine.CategoryCount(kUninstall) == 1; }, 1);
  engine.OnCleanClicked();

  ExpectFinished();
  const std::string u = "[HKLM]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\U";
  EXPECT_EQ(engine.CategoryLog(kUninstall),
            (TextList{kHeadings[3], u + "1 ... deleted", "", "Summary: 1 items fixed."}));
  EXPECT_EQ(host.counterLabels[3], "1");
  EXPECT_EQ(engine.CategoryLog(kTemporary), TextList{kHeadings[4]});
  EXPECT_EQ(host.progressLabels.back(), "Summary:  4 items fixed.");
  EXPECT_FALSE(sim.registry.HasKey(kLM, kList + "U1"));
  EXPECT_TRUE(sim.registry.HasKey(kLM, kList + "U2"));
}

TEST_F(CleanRunTest, ANoAnswerChangesNothing) {
  StageProblems();
  PressWhen([&] { return engine.CategoryCount(kUninstall) == 1; }, 2);
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_EQ(host.questions, std::vector<std::string>{"Cancel operation?"});
  // The run went on as if nothing had been pressed.
  const std::string u = "[HKLM]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\U";
  EXPECT_EQ(engine.CategoryLog(kUninstall),
            (TextList{kHeadings[3], u + "1 ... deleted", u + "2 ... deleted", u + "3 ... deleted",
                      "", "Summary: 3 items fixed."}));
  EXPECT_EQ(engine.CategoryLog(kTemporary),
            (TextList{kHeadings[4], "", "Summary: 0 items fixed."}));
  EXPECT_EQ(host.progressLabels.back(), "Summary:  6 items fixed.");
  EXPECT_FALSE(sim.registry.HasKey(kLM, kList + "U3"));
}

TEST_F(CleanRunTest, AClickAfterAConfirmedStopStartsNoSecondRun) {
  StageProblems();
  host.answers = {1};
  int clicks = 0;
  host.onPump = [&](int) {
    if (engine.CategoryCount(kAssociations) == 1 && clicks < 3) {
      ++clicks;
      engine.OnCleanClicked();
    }
  };
  engine.OnCleanClicked();
  ExpectFinished();
  EXPECT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(engine.CategoryLog(kAssociations).front(), kHeadings[0]);
  EXPECT_EQ(engine.CategoryLog(kAssociations).size(), 4u);
  EXPECT_EQ(ImportRuns(), 1u);
}

TEST_F(CleanRunTest, ProblemsWithoutABackupStayAndAreNamed) {
  StageProblems();
  // The editor writes no export of .a2 (seen in both views), as for a key it cannot read.
  sim.process.beforeRun = [](const SimProcess::Run& run) {
    return run.arguments.find(".a2") == std::string::npos;
  };
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_TRUE(sim.registry.HasKey(kLM, kMachine + ".a2"));
  EXPECT_FALSE(sim.registry.HasKey(kLM, kMachine + ".a1"));
  // .a1 and .a3, each once though removed through both views.
  EXPECT_EQ(engine.CategoryCount(kAssociations), 2);
  EXPECT_EQ(host.progressLabels.back(), "Summary:  5 items fixed.");
  EXPECT_EQ(host.informations,
            (std::vector<std::string>{"1 item was left in place:\n"
                                      "HKEY_CLASSES_ROOT\\.a2\n"
                                      "No backup of them could be made, and nothing is removed "
                                      "without one. If the registry editor could not run, "
                                      "starting Klarvex as administrator may help."}));
}

TEST_F(CleanRunTest, TemporaryValuesWhoseDeletionIsRefusedAreNamedAtTheEnd) {
  const std::string mru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  const std::string vendor = "Software\\Vendor\\App";
  PutString(kCU, mru, "a", "notepad\\1");
  PutString(kCU, mru, "b", "cmd\\1");
  PutString(kCU, vendor, "Locked", "C:\\Gone\\1.txt");
  sim.registry.failWhen = [](const SimRegCall& call) {
    const bool refused = call.call == "DeleteValue" && call.value != "b";
    return refused ? status::kAccessDenied : status::kSuccess;
  };
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_EQ(engine.CategoryCount(kTemporary), 1);
  EXPECT_EQ(
      host.informations,
      (std::vector<std::string>{
          "2 items were left in place:\n"
          "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU, "
          "value \"a\"\n"
          "HKEY_CURRENT_USER\\Software\\Vendor\\App, value \"Locked\"\n"
          "The registry refused to delete them; the user may lack the right to."}));

  // The next run names only what it met itself.
  sim.registry.failWhen = nullptr;
  host.informations.clear();
  engine.OnCleanClicked();
  EXPECT_TRUE(host.informations.empty());
  EXPECT_EQ(engine.CategoryCount(kTemporary), 2);
}

TEST_F(CleanRunTest, AnUndoFileThatCannotBeSavedImportsNothing) {
  StageProblems();
  const std::string before = MachineState();
  sim.files.failWhen = [](const SimFileCall& call) -> long {
    return call.call == "WriteAll" && call.path.find("\\Undo ") != std::string::npos
               ? status::kDiskFull
               : status::kSuccess;
  };
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_EQ(ImportRuns(), 0u);
  EXPECT_FALSE(sim.files.Exists(ScriptPath()));
  EXPECT_FALSE(sim.files.Exists(UndoPath()));
  EXPECT_EQ(MachineState(), before);
  ASSERT_EQ(host.informations.size(), 1u);
  const std::string& message = host.informations[0];
  EXPECT_NE(message.find(UndoPath()), std::string::npos) << message;
  EXPECT_NE(message.find("There is not enough space on the disk."), std::string::npos) << message;
}

TEST_F(CleanRunTest, AScriptThatCannotBeSavedOrImportedIsReported) {
  StageProblems();
  const std::string before = MachineState();
  sim.files.failWhen = [](const SimFileCall& call) -> long {
    return call.call == "WriteAll" && call.path.find(kFixScriptName) != std::string::npos
               ? status::kAccessDenied
               : status::kSuccess;
  };
  engine.OnCleanClicked();

  ExpectFinished();
  EXPECT_EQ(ImportRuns(), 0u);
  EXPECT_TRUE(sim.files.Exists(UndoPath()));
  EXPECT_EQ(MachineState(), before);
  ASSERT_EQ(host.informations.size(), 1u);
  EXPECT_NE(host.informations[0].find(ScriptPath() + "\" could not be saved: Access is denied."),
            std::string::npos)
      << host.informations[0];
}

TEST_F(CleanRunTest, AnEditorThatCannotBeStartedIsReported) {
  StageProblems();
  sim.process.beforeRun = [](const SimProcess::Run& run) {
    return run.arguments.rfind(" /s \"", 0) != 0;
  };
  engine.OnCleanClicked();

  ExpectFinished();
  ASSERT_EQ(host.informations.size(), 1u);
  EXPECT_NE(host.informations[0].find("C:\\WINDOWS\\regedit.exe\" could not be started"),
            std::string::npos)
      << host.informations[0];
}

TEST_F(CleanRunTest, AnErrorInACheckStillRunsTheFinalSteps) {
  StageProblems();
  // An error nobody expects, in the middle of the uninstall entries.
  sim.process.beforeRun = [](const SimProcess::Run& run) -> bool {
    if (run.arguments.find("Uninstall\\U2") != std::string::npos) {
      throw std::runtime_error("out of handles");
    }
    return true;
  };
  engine.OnCleanClicked();

  ExpectFinished();
  ASSERT_EQ(host.informations.size(), 1u);
  EXPECT_NE(host.informations[0].find("out of handles"), std::string::npos) << host.informations[0];
  // What was found before the error is removed with its backup on disk.
  EXPECT_TRUE(sim.files.Exists(UndoPath()));
  EXPECT_EQ(ImportRuns(), 1u);
  EXPECT_FALSE(sim.registry.HasKey(kLM, kList + "U1"));
  EXPECT_TRUE(sim.registry.HasKey(kLM, kList + "U3"));
  EXPECT_EQ(engine.CategoryLog(kUninstall).size(), 2u);  // heading and U1, no summary
  EXPECT_EQ(host.progressLabels.back(), "Summary:  4 items fixed.");
}

TEST(StepProgress, TheGaugeAfterAWholeList) {
  struct Case {
    int items;
    int gauge;
  };
  for (const Case& c : {Case{1, 0}, Case{10, 9}, Case{100, 99}, Case{101, 99}, Case{199, 99},
                        Case{200, 100}, Case{1000, 100}}) {
    SCOPED_TRACE(c.items);
    RecordingHost host;
    CleanEngine engine{host};
    for (int i = 0; i < c.items; ++i) engine.StepProgress(i, c.items);
    EXPECT_EQ(engine.GaugePercent(), c.gauge);
  }
}

}  // namespace
