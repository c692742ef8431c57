// The entry's decisions: argument, running instance, hand-over.
#include <gtest/gtest.h>

#include <sstream>

#include "ui/StartUp.h"
#include "ui/Usage.h"

TEST(StartUp, TheArgumentIsUpperCasedByteWise) {
  EXPECT_EQ(CommandArgument("undo"), "UNDO");
  EXPECT_EQ(CommandArgument("cLeAn"), "CLEAN");
  EXPECT_EQ(CommandArgument("\xE9t\xE9"), "\xE9T\xE9");
  EXPECT_EQ(CommandArgument(""), "");
}

TEST(StartUp, DecisionByArgumentAndRunningInstance) {
  struct Case {
    const char* argument;
    bool instance;
    StartAction expected;
  };
  const Case cases[] = {
      {"CLEAN", false, StartAction::OpenWindow},
      {"", false, StartAction::OpenWindow},  // a double-click: the start page, as CLEAN
      {"", true, StartAction::PostClean},
      {"UNDO", false, StartAction::OpenWindow},
      {"OTHER", false, StartAction::OpenWindow},
      {"CLEAN", true, StartAction::PostClean},
      {"UNDO", true, StartAction::PostUndo},
      {"/UNDO", true, StartAction::Refuse},
      {"CLEAN1", true, StartAction::Refuse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.argument) + (c.instance ? " with instance" : " alone"));
    EXPECT_EQ(DecideStart(c.argument, c.instance), c.expected);
  }
  // The open window judges its own users: a run over every user is never handed to it.
  EXPECT_EQ(DecideStart("CLEAN", true, true), StartAction::Refuse);
}

TEST(StartUp, AllUsersStandsBeforeOrAfterTheReport) {
  using Args = std::vector<std::string>;
  struct Case {
    Args arguments;
    bool report;
    std::string path;
    bool allUsers;
  };
  const Case cases[] = {
      {{"SCAN", "/allusers", "/report", "a.json"}, true, "a.json", true},
      {{"clean", "/report", "a.json", "/ALLUSERS"}, true, "a.json", true},
      {{"CLEAN", "/allusers"}, false, "", true},  // the window, over every user
      {{"UNDO", "/allusers"}, false, "", false},
      {{"SCAN", "/report", "/allusers"}, true, "/allusers", false},  // a file of that name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const ReportRequest request = ReportOf(c.arguments);
    EXPECT_EQ(request.wanted, c.report);
    EXPECT_EQ(request.path, c.path);
    EXPECT_EQ(request.allUsers, c.allUsers);
  }
}

TEST(StartUp, UsageIsAskedByItsThreeSwitchesAnywhereButAsTheReportFile) {
  using Args = std::vector<std::string>;
  const std::pair<Args, bool> cases[] = {
      {{"/?"}, true},
      {{"-h"}, true},
      {{"--HELP"}, true},
      {{"SCAN", "/?"}, true},
      {{"CLEAN", "/report", "x.json", "-H"}, true},
      {{"SCAN", "/report", "-h"}, false},  // a file named -h in the current folder
      {{"-help"}, false},
      {{"/h"}, false},
      {{}, false},
  };
  for (const auto& [arguments, asks] : cases) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    EXPECT_EQ(AsksForUsage(arguments), asks);
  }
  // A console 80 columns wide would wrap a line of 80 onto two.
  std::istringstream lines(UsageText());
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST(StartUp, RequestsNeedTheirNumberAndTheirValue) {
  const StartUp registered{0xC0A0, 0xC0A1, "CLEAN", 0};
  EXPECT_EQ(RequestOf(registered, 0xC0A0, 1057), Request::Clean);
  EXPECT_EQ(RequestOf(registered, 0xC0A1, 1058), Request::Undo);
  EXPECT_EQ(RequestOf(registered, 0xC0A0, 1058), Request::None);
  EXPECT_EQ(RequestOf(registered, 0xC0A1, 1057), Request::None);
  EXPECT_EQ(RequestOf(registered, 0x0111, 1057), Request::None);
  // Registration failed: WM_NULL is no request.
  const StartUp failed{};
  EXPECT_EQ(RequestOf(failed, 0, 1057), Request::None);
}
