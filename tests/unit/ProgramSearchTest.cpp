// What only the simulated machine can stage of the program search: the shell's app execution
// aliases, a PATH folder on a removable drive, a path no file call takes, the index as the last
// place, and App Paths and PATH read once per run.
#include <gtest/gtest.h>

#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kEnvironment = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::string kAliases = "C:\\Users\\user\\AppData\\Local\\Microsoft\\WindowsApps\\";

class ProgramSearchTest : public EngineTest {
 protected:
  void StageMachine() override {
    EngineTest::StageMachine();
    sim.process.SetEnvironment("LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local");
    PutString(RootKey::LocalMachine, kEnvironment, "Path", "%SystemRoot%\\System32;E:\\Tools",
              regtype::kExpandSz);
    sim.files.SetDrive('E', DriveKind::Fixed);
    // An alias: an empty file with a reparse point, which the shell resolves when it starts it.
    sim.files.PutFile(kAliases + "kvxalias.exe", "", fileattr::kArchive | fileattr::kReparsePoint);
    PutFile("C:\\Program Files\\Vendor\\kvxindexed.exe");
  }
  // The Run values the run removed, by name.
  std::vector<std::string> Removed() const {
    std::vector<std::string> names;
    for (const Finding& f : engine.Findings()) {
      if (f.category == kStartup) names.push_back(f.valueName);
    }
    return names;
  }
};

TEST_F(ProgramSearchTest, AliasesIndexedNamesAndUnaskablePathsStayAGoneNameGoes) {
  PutString(kCU, kRun, "Alias", "kvxalias.exe");
  PutString(kCU, kRun, "Indexed", "kvxindexed.exe");
  PutString(kCU, kRun, "Unaskable", "C:\\" + std::string(33000, 'x') + ".exe");
  PutString(kCU, kRun, "GoneName", "kvxgone.exe");
  int pathReads = 0;
  sim.registry.failWhen = [&](const SimRegCall& call) {
    if (call.call == "Open" && call.key.ends_with("Session Manager\\Environment")) ++pathReads;
    return 0L;
  };

  engine.OnCleanClicked();

  EXPECT_EQ(Removed(), std::vector<std::string>{"GoneName"});
  EXPECT_EQ(pathReads, 1);
}

TEST_F(ProgramSearchTest, APathFolderOnARemovableDriveRulesNoBareNameOut) {
  PutString(kCU, kRun, "GoneName", "kvxgone.exe");
  PutString(kCU, kRun, "GonePath", "C:\\Gone\\kvxgone.exe");
  sim.files.SetDrive('E', DriveKind::Removable);

  engine.OnCleanClicked();

  EXPECT_EQ(Removed(), std::vector<std::string>{"GonePath"});
}

}  // namespace
