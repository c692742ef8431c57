// The report run: its arguments, its JSON report, its exit codes, and the lock it shares with
// the window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "engine/RunMessages.h"
#include "engine/RunReport.h"
#include "ui/ReportRun.h"
#include "ui/StartUp.h"
#include "unit/SafetyMachine.h"

namespace {

using nlohmann::json;

// Whether text is valid against docs/report.schema.json: a report, or a summary line.
::testing::AssertionResult MatchesSchema(const std::string& text, bool summaryLine = false) {
  // Tests run side by side: each check writes a file of its own.
  static int checks = 0;
  const std::string file = ::testing::TempDir() + "klarvex-report-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                           std::to_string(++checks) + ".json";
  std::ofstream(file, std::ios::binary) << text << "\n";
  const std::string command =
      std::string("python3 " KLARVEX_SOURCE_DIR "/tests/support/validate-report.py ") +
      (summaryLine ? "--last-line " : "") + file;
  if (std::system(command.c_str()) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "not valid against the schema: " << text;
}

TEST(ReportArguments, OnlyScanOrCleanWithReportAskForOne) {
  struct Case {
    std::vector<std::string> arguments;
    bool wanted;
    RunMode mode;
    const char* path;
  };
  const Case cases[] = {
      {{"SCAN", "/report", "out.json"}, true, RunMode::Scan, "out.json"},
      {{"clean", "/REPORT", "C:\\r.json"}, true, RunMode::Clean, "C:\\r.json"},
      {{"Scan", "/report"}, true, RunMode::Scan, ""},
      {{"SCAN"}, false, RunMode::Scan, ""},
      {{"UNDO", "/report", "x"}, false, RunMode::Scan, ""},
      {{"SCAN", "report", "x"}, false, RunMode::Scan, ""},
      {{}, false, RunMode::Scan, ""},
  };
  for (const Case& c : cases) {
    const ReportRequest r = ReportOf(c.arguments);
    EXPECT_EQ(r.wanted, c.wanted) << ::testing::PrintToString(c.arguments);
    if (!c.wanted) continue;
    EXPECT_EQ(r.mode, c.mode);
    EXPECT_EQ(r.path, c.path);
  }
  // A running instance cannot take SCAN: the start is refused.
  EXPECT_EQ(DecideStart("SCAN", true), StartAction::Refuse);
  EXPECT_EQ(DecideStart("SCAN", false), StartAction::OpenWindow);
}

class ReportRunTest : public SafetyMachine {
 protected:
  void SetUp() override {
    SafetyMachine::SetUp();
    StageEveryCategory();
    // Written by the first start; here before the snapshots.
    CreateExclusionsFile(UndoDir() + kExclusionsFileName);
    PutFolder("C:\\Reports");
    PutString(RootKey::LocalMachine, simkeys::kProfileList + sim.process.userSid,
              "ProfileImagePath", "C:\\Users\\Anna");
  }
  // The report the run wrote, checked against the schema.
  json Report() const {
    const std::string text = sim.files.FileText(kPath);
    EXPECT_TRUE(MatchesSchema(text));
    return json::parse(text);
  }
  // The run's last line on standard output, checked against the schema.
  json Summary() const {
    if (sim.process.outputLines.empty()) return {};
    EXPECT_TRUE(MatchesSchema(sim.process.outputLines.back(), true));
    return json::parse(sim.process.outputLines.back());
  }
  // Whether the machine is as before but for the report file.
  bool OnlyTheReportWritten(const Snapshot& before) {
    Snapshot after = Take();
    after.files.erase(UpperAscii(kPath));
    return after == before;
  }
  static std::vector<std::string> Actions(const json& report) {
    std::vector<std::string> actions;
    for (const json& category : report["categories"]) {
      for (const json& item : category["items"]) actions.push_back(item["action"]);
    }
    return actions;
  }

  const std::string kPath = "C:\\Reports\\klarvex.json";
};

TEST_F(ReportRunTest, ScanReportsEveryFindingAndChangesNothing) {
  const Snapshot before = Take();
  EXPECT_EQ(RunReport(RunMode::Scan, kPath), kExitProblemsFound);
  EXPECT_TRUE(OnlyTheReportWritten(before));
  const json report = Report();
  EXPECT_EQ(report["mode"], "scan");
  EXPECT_EQ(report["exitCode"], 1);
  EXPECT_EQ(report["windows"], "10.0.19045");
  EXPECT_TRUE(report["undoFile"].is_null());
  EXPECT_FALSE(report.contains("error"));
  ASSERT_EQ(report["categories"].size(), 6u);
  EXPECT_EQ(report["categories"][5]["name"], "Application paths, fonts and help files");
  const json& moved = report["categories"][1]["items"][1];
  EXPECT_EQ(moved["item"], "HKEY_CLASSES_ROOT\\CLSID\\{C0000002}\\InprocServer32");
  EXPECT_EQ(moved["root"], "HKEY_CLASSES_ROOT");
  EXPECT_EQ(moved["key"], "CLSID\\{C0000002}\\InprocServer32");
  EXPECT_FALSE(moved.contains("value"));
  EXPECT_EQ(moved["data"], "C:\\Old\\kvxmoved.dll");
  EXPECT_EQ(moved["rule"], "server moved");
  EXPECT_EQ(moved["newPath"], "C:\\PROGRAM FILES\\Moved\\KVXMOVED.DLL");
  EXPECT_EQ(moved["action"], "found");
  EXPECT_EQ(moved["detail"], "[HKCR]\\CLSID\\{C0000002}\\InprocServer32=KVXMOVED.DLL ... found");
  const json& run = report["categories"][2]["items"][0];
  EXPECT_EQ(run["value"], "Kvx \"quoted\" \\ [x]");
  for (const json& category : report["categories"]) {
    EXPECT_EQ(category["count"], category["items"].size());
  }
  // Each extension key once, though the scan met the machine's through two views.
  EXPECT_EQ(report["categories"][0]["count"], 4);
  EXPECT_EQ(report["categories"][0]["summary"], "Summary: 4 problems found.");
  for (const std::string& action : Actions(report)) EXPECT_EQ(action, "found");
  EXPECT_TRUE(sim.process.consoleLines.empty());
  // The machine's classes are the machine's; the user's classes and Run key are the user's.
  const json anna = {{"sid", "S-1-5-21-1-2-3-1001"}, {"profile", "Anna"}};
  json judged = anna;
  judged["state"] = "judged";
  EXPECT_EQ(report["profiles"], json::array({judged}));
  EXPECT_EQ(moved["owner"], "machine");
  EXPECT_EQ(run["owner"], anna);
  for (const json& item : report["categories"][0]["items"]) {
    EXPECT_EQ(item["owner"], item["item"] == "HKEY_CLASSES_ROOT\\.kvxu" ? anna : json("machine"))
        << item["item"];
  }
  EXPECT_EQ(Summary(), json::parse(R"({"schemaVersion":"1.1","program":"Klarvex","mode":"scan",
      "exitCode":1,"counts":{"File associations":4,"COM/ActiveX entries":14,
      "Startup program list":5,"Uninstall entries":3,"Temporary registry values":7,
      "Application paths, fonts and help files":7},
      "profiles":{"judged":1,"skipped":0,"skippedListed":[]},
      "report":"C:\\Reports\\klarvex.json"})"));
}

TEST_F(ReportRunTest, CleanReportsWhatWasDoneAndKeepsTheUndoFile) {
  // The editor cannot export one entry: it has no backup.
  sim.process.beforeRun = [](const SimProcess::Run& run) {
    return run.arguments.find("KvxApp1") == std::string::npos;
  };
  EXPECT_EQ(RunReport(RunMode::Clean, kPath), kExitNotCompleted);
  const json report = Report();
  EXPECT_EQ(report["mode"], "clean");
  ASSERT_TRUE(report["undoFile"].is_string());
  EXPECT_TRUE(sim.files.Exists(report["undoFile"].get<std::string>()));
  EXPECT_FALSE(sim.files.Exists(ScriptPath()));
  // It stays and says why, and the window's message is in the report.
  ASSERT_EQ(report["messages"].size(), 1u);
  EXPECT_NE(report["messages"][0].get<std::string>().find(" left in place:"), std::string::npos);
  EXPECT_EQ(report["error"], "1 item was left in place; the messages say why");
  int left = 0;
  for (const std::string& action : Actions(report)) {
    EXPECT_TRUE(action == "fixed" || action == "deleted" || action == "left in place") << action;
    left += action == "left in place";
  }
  EXPECT_EQ(left, 1);
  const json& entry = report["categories"][3]["items"][1];
  EXPECT_EQ(entry["key"], "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxApp1");
  EXPECT_EQ(entry["reason"], runmsg::kNoBackup);
  EXPECT_EQ(entry["detail"], "");
}

TEST_F(ReportRunTest, CleanOfEverythingEndsWithOneAndAnExcludedItemStays) {
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  PutFile(UndoDir() + kExclusionsFileName,
          "HKEY_CURRENT_USER\\" + run + ", value \"Kvx \"quoted\" \\ [x]\"\r\nnonsense\r\n");
  // Repaired is changed: 1, as for problems found; the next scan finds nothing: 0.
  EXPECT_EQ(RunReport(RunMode::Clean, kPath), kExitProblemsFound);
  const json report = Report();
  EXPECT_EQ(report["exclusions"]["lines"][0]["kept"], 1);
  EXPECT_EQ(report["exclusions"]["badLines"][0]["line"], 2);
  EXPECT_EQ(report["exclusions"]["badLines"][0]["text"], "nonsense");
  EXPECT_EQ(ReadStringUpper(RootKey::CurrentUser, run, "Kvx \"quoted\" \\ [x]"),
            "C:\\GONE\\START1.EXE");
  EXPECT_EQ(RunReport(RunMode::Scan, kPath), kExitClean);
}

TEST_F(ReportRunTest, AnotherRunMeansNoRunAndCodeTwo) {
  sim.process.heldElsewhere.insert(kRunLockName);
  const Snapshot before = Take();
  EXPECT_EQ(RunReport(RunMode::Clean, kPath), kExitNotCompleted);
  EXPECT_TRUE(OnlyTheReportWritten(before));
  const json report = Report();
  EXPECT_EQ(report["error"], runmsg::AnotherRun());
  EXPECT_EQ(report["exitCode"], 2);
  EXPECT_EQ(Summary()["error"], runmsg::AnotherRun());
  EXPECT_EQ(sim.process.consoleLines,
            std::vector<std::string>{
                "Klarvex: Another Klarvex window or report run is using the undo folder."});
}

TEST_F(ReportRunTest, AReportWithNowhereToGoSaysSoBeforeAnythingIsCleaned) {
  const struct {
    std::string path;
    const char* line;
  } cases[] = {
      {"", "Klarvex: no report file is named after /report."},
      {"C:\\Missing\\r.json", "Klarvex: the report's folder C:\\Missing\\ does not exist."},
      {"C:\\Reports\\klarvex.json\\r.json",
       "Klarvex: the report's folder C:\\Reports\\klarvex.json\\ does not exist."},
  };
  PutFile(kPath, "a file, not a folder");
  for (const auto& c : cases) {
    sim.process.consoleLines.clear();
    const Snapshot before = Take();
    EXPECT_EQ(RunReport(RunMode::Clean, c.path), kExitNotCompleted) << c.path;
    EXPECT_TRUE(Take() == before) << c.path;
    EXPECT_EQ(sim.process.consoleLines, std::vector<std::string>{c.line});
    EXPECT_EQ(Summary()["error"], std::string(c.line).substr(9));
  }
}

TEST_F(ReportRunTest, AReportThatCannotBeWrittenEndsWithCodeTwo) {
  sim.files.failWhen = [this](const SimFileCall& call) {
    return call.call == "WriteAll" && UpperAscii(call.path) == UpperAscii(kPath) ? 5L : 0L;
  };
  EXPECT_EQ(RunReport(RunMode::Scan, kPath), kExitNotCompleted);
  EXPECT_EQ(sim.process.consoleLines,
            std::vector<std::string>{
                "Klarvex: the report could not be written to C:\\Reports\\klarvex.json: "
                "Access is denied."});
}

TEST_F(ReportRunTest, SummaryLineStaysUnderTheLimitWithManySkippedProfilesAndCountsThem) {
  ReportFacts facts;
  facts.modeName = "offline-scan";
  facts.reportPath = "C:\\" + std::string(300, 'r') + ".json";
  facts.profiles.push_back({"S-1-5-21-1-2-3-1001", "Anna"});
  for (int i = 0; i < 400; ++i) {
    facts.profiles.push_back({"S-1-5-21-1-2-3-" + std::to_string(2000 + i),
                              "User" + std::to_string(i), false,
                              "its hive is in use by another program: " + std::string(90, 'x')});
  }
  const std::string line = RunSummaryLine(nullptr, facts, kExitNotCompleted,
                                          "stopped: \xC3\xA9" + std::string(3000, 'e'));
  // The schema's check holds the line under the limit.
  EXPECT_TRUE(MatchesSchema(line, true));
  const json profiles = json::parse(line)["profiles"];
  EXPECT_EQ(profiles["judged"], 1);
  EXPECT_EQ(profiles["skipped"], 400);
  EXPECT_GT(profiles["skippedListed"].size(), 0u);
  EXPECT_LT(profiles["skippedListed"].size(), 400u);
}

}  // namespace
