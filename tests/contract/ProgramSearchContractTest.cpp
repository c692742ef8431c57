// Programs that Windows starts are found alike on the simulated platform and under Wine, and
// their gone twins are not: a bare name along App Paths and PATH, a path past 260 characters
// (spelt in several ways), and a command without an extension. The folder walk of the system
// file index reaches a file past 260 characters too.
#include <gtest/gtest.h>

#include <string>

#include "engine/OwnerContext.h"
#include "engine/ProgramSearch.h"
#include "engine/WindowsFolders.h"
#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"
#include "support/ContractBackend.h"
#include "support/RecordingHost.h"

namespace {

const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kLook = "C:\\klarvex\\tmp\\look";
const std::string kLong = kLook + "\\" + std::string(140, 'L') + "\\" + std::string(130, 'M');

struct LookAlike {
  std::string command;  // as a Run value holds it; kLook and kLong put in for @ and #
  bool found;
};
const LookAlike kLookAlikes[] = {
    {"kvxlookapp.exe /tray", true},
    {"kvxlookgone.exe /tray", false},
    {"kvxlooktool.exe", true},
    {"kvxlooknotool.exe", false},
    {"#\\kvxlong.exe /x", true},
    {"#\\kvxlonggone.exe /x", false},
    {"@\\Kvx App\\kvxlookapp", true},
    {"@\\Kvx App\\kvxlookgone", false},
    // The system's clean-up of a path's text holds past 260 characters too.
    {"#.\\kvxlong.exe", true},
    {"#\\..//" + std::string(130, 'M') + "\\\\kvxlong.exe", true},
};

std::string Spelled(std::string command) {
  for (auto [mark, text] : {std::pair{'#', kLong}, std::pair{'@', kLook}}) {
    for (size_t at = command.find(mark); at != std::string::npos; at = command.find(mark)) {
      command.replace(at, 1, text);
    }
  }
  return command;
}

class ProgramSearchContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ContractBegin();
    gFolders.windowsDir = Process().WindowsDirectory() + "\\";
    for (const char* file : {"\\Kvx App\\kvxlookapp.exe", "\\Tools\\kvxlooktool.exe"}) {
      ContractPutFile(kLook + file);
    }
    ContractPutFile(kLong + "\\kvxlong.exe");
    Entry("kvxlookapp.exe", kLook + "\\Kvx App\\kvxlookapp.exe");
    Entry("kvxlookgone.exe", kLook + "\\Gone\\kvxlookgone.exe");
    const RegKey environment = RegKey::Create(RootKey::CurrentUser, "Environment");
    userPathWasSet_ = KeyHasPath();
    if (userPathWasSet_) return;
    const std::string path = "%SystemDrive%" + kLook.substr(2) + "\\Tools";
    environment.Set("Path", regtype::kExpandSz, Bytes(path.begin(), path.end() + 1));
  }
  void TearDown() override {
    for (const char* name : {"kvxlookapp.exe", "kvxlookgone.exe"}) {
      Registry().DeleteTree(
          RegKey(RootKey::LocalMachine, kAppPaths, keyaccess::kAllAccess).Handle(), name);
    }
    if (!userPathWasSet_) DeleteValueIfExists(RootKey::CurrentUser, "Environment", "Path");
    gFolders = {};
    ContractEnd();
  }
  static void Entry(const std::string& name, const std::string& file) {
    RegKey::Create(RootKey::LocalMachine, kAppPaths + "\\" + name)
        .Set("", regtype::kSz, Bytes(file.begin(), file.end() + 1));
  }
  static bool KeyHasPath() {
    uint32_t type = 0;
    Bytes data;
    return RegKey(RootKey::CurrentUser, "Environment", keyaccess::kRead)
               .Query("Path", type, data) == status::kSuccess;
  }
  bool userPathWasSet_ = false;
};

TEST_F(ProgramSearchContract, WhatWindowsStartsIsFoundAndItsGoneTwinIsNot) {
  if (userPathWasSet_) GTEST_SKIP() << "the user's PATH is the machine's own";
  // A user's Run value: judged with the user's PATH after the machine's.
  const OwnerContext user = UserContext(MachineContext(), UserHive{});
  const JudgedBy judged(user);
  const ProgramSearchKept search;
  for (const LookAlike& alike : kLookAlikes) {
    const std::string command = Spelled(alike.command);
    EXPECT_EQ(ReferencedFileIsSound(Ansi().Upper(command), CommandToFilePath(command)), alike.found)
        << command;
  }
}

TEST_F(ProgramSearchContract, TheIndexWalkReachesAFilePast260Characters) {
  RecordingHost host;
  CleanEngine engine{host};
  engine.ScanSystemFolder(kLook + "\\");
  const int line = engine.SystemFileIndex.Find("KVXLONG.EXE");
  ASSERT_GE(line, 0);
  EXPECT_EQ(engine.SystemFileIndex.FolderOf(line), kLong + "\\");
}

}  // namespace
