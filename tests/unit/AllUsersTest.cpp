// A run over every user of a machine with five profiles: the running user's (through
// HKEY_CURRENT_USER), Anna's (logged on: her hive is loaded), Ben's (not logged on: his hives are
// files), Kim's (her hive is missing) and Lee's (his folder is a link to Ben's). Each is judged in
// its own hive by its own settings.

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "engine/Categories.h"
#include "engine/Profiles.h"
#include "engine/RunReport.h"
#include "platform/RegistryOps.h"
#include "ui/StartUp.h"
#include "unit/EngineTest.h"

namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

constexpr char kMe[] = "S-1-5-21-9-1000";
constexpr char kAnna[] = "S-1-5-21-9-1001";
constexpr char kBen[] = "S-1-5-21-9-1002";
constexpr char kKim[] = "S-1-5-21-9-1003";

class AllUsersTest : public EngineTest {
 protected:
  void StageMachine() override {
    EngineTest::StageMachine();
    sim.process.userSid = kMe;
    sim.registry.currentUserSid = kMe;
    PutFile("C:\\Kvx\\tool.exe");
    for (auto [sid, folder] : {std::pair{kMe, "%SystemDrive%\\Users\\user"},
                               {kAnna, "%SystemDrive%\\Users\\Anna"},
                               {kBen, "%SystemDrive%\\Users\\Ben"},
                               {kKim, "%SystemDrive%\\Users\\Kim"},
                               {"S-1-5-21-9-1004", "%SystemDrive%\\Users\\Lee"},
                               {"S-1-5-18", "%SystemRoot%\\system32\\config\\systemprofile"}}) {
      PutString(RootKey::LocalMachine, simkeys::kProfileList + std::string(sid), "ProfileImagePath",
                folder, regtype::kExpandSz);
    }
    PutString(RootKey::LocalMachine, kRun, "MachineGone", "C:\\Gone\\m.exe");
    PutString(RootKey::CurrentUser, kRun, "Gone", "C:\\Gone\\me.exe");
    // KVXHOME names the tool's folder for Anna, a missing one for Ben: each is judged by it.
    for (auto [hive, home] : {std::pair{std::string(kAnna), "C:\\Kvx"}, {"Ben", "C:\\Nowhere"}}) {
      PutString(RootKey::Users, hive + "\\Environment", "KVXHOME", home);
      PutString(RootKey::Users, hive + "\\" + kRun, "Tool", "%KVXHOME%\\tool.exe");
      PutString(RootKey::Users, hive + "\\" + kRun, "Gone", "C:\\Gone\\" + hive + ".exe");
    }
    PutString(RootKey::Users, std::string(kAnna) + "_Classes\\.aaa", "", "Anna.Missing");
    PutString(RootKey::Users, "BenClasses\\.bbb", "", "Ben.Missing");
    sim.registry.SaveHiveFile("Ben", "C:\\Users\\Ben\\NTUSER.DAT");
    // Lee's profile folder is a link to Ben's: a user's program may place one there.
    sim.files.PutFolderLink("C:\\Users\\Lee", "C:\\Users\\Ben");
    sim.registry.SaveHiveFile("BenClasses",
                              "C:\\Users\\Ben\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat");
  }

  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (const Finding& f : engine.Findings()) items.push_back(ItemName(f));
    return items;
  }

  std::string UsersState() const {
    return sim.registry.Dump(RootKey::Users, kAnna) + sim.registry.Dump(RootKey::CurrentUser, "");
  }

  // Ben's hive as its file holds it, read by loading it as the Undo page would.
  std::string BensHive() {
    EXPECT_EQ(Registry().LoadHive(RunHiveName(kBen), "C:\\Users\\Ben\\NTUSER.DAT"), 0);
    const std::string dump = sim.registry.Dump(RootKey::Users, RunHiveName(kBen));
    EXPECT_EQ(Registry().UnloadHive(RunHiveName(kBen)), 0);
    return dump;
  }

  // The Undo page's import of the last run's undo file.
  void ImportUndoFile() {
    Bytes script;
    ASSERT_TRUE(sim.files.ReadAll(engine.UndoFileWritten(), script));
    const UndoFileHives hives(script);
    sim.files.PutFileBytes("C:\\undo.reg", script);
    RunRegedit(" /s \"C:\\undo.reg\"");
  }

  bool RunHivesLoaded() const {
    return sim.registry.HasKey(RootKey::Users, RunHiveName(kBen)) ||
           sim.registry.HasKey(RootKey::Users, RunHiveName(kBen) + "_Classes");
  }
};

const std::string kBenHive = "HKEY_USERS\\Klarvex_S-1-5-21-9-1002";
const std::string kRunItem = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value ";

TEST_F(AllUsersTest, EveryProfileIsJudgedInItsOwnHiveAndTheUndoFileGivesItBack) {
  engine.JudgeUsers(UsersJudged::Every);
  ASSERT_TRUE(engine.Run(RunMode::Scan));
  EXPECT_EQ(Items(), (std::vector<std::string>{
                         "HKEY_USERS\\S-1-5-21-9-1001_Classes\\.aaa",
                         kBenHive + "_Classes\\.bbb",
                         "HKEY_CURRENT_USER" + kRunItem + "\"Gone\"",
                         "HKEY_USERS\\S-1-5-21-9-1001" + kRunItem + "\"Gone\"",
                         kBenHive + kRunItem + "\"Tool\"",
                         kBenHive + kRunItem + "\"Gone\"",
                         "HKEY_LOCAL_MACHINE" + kRunItem + "\"MachineGone\"",
                     }));
  EXPECT_FALSE(RunHivesLoaded());
  ASSERT_EQ(engine.SkippedProfiles().size(), 2u);
  EXPECT_NE(host.informations.back().find("Kim: its hive C:\\Users\\Kim\\NTUSER.DAT could not"),
            std::string::npos);
  EXPECT_NE(host.informations.back().find("C:\\Users\\Lee is a link or junction"),
            std::string::npos);
  // Another user's line names the profile; the report names each finding's owner.
  EXPECT_EQ(engine.CategoryLog(kStartup)[3],
            "[HKU]\\Klarvex_S-1-5-21-9-1002\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"
            "Tool (Ben) ... found");
  ReportFacts facts;
  facts.ran = true;
  facts.profiles = ReportProfiles(engine);
  const auto report = nlohmann::json::parse(RunReportJson(engine, facts, 1, ""));
  std::vector<std::string> owners;
  for (const auto& category : report["categories"]) {
    for (const auto& item : category["items"]) {
      owners.push_back(item["owner"].is_string() ? "machine"
                                                 : item["owner"]["profile"].get<std::string>());
    }
  }
  EXPECT_EQ(owners,
            (std::vector<std::string>{"Anna", "Ben", "user", "Anna", "Ben", "Ben", "machine"}));
  EXPECT_EQ(report["profiles"].size(), 5u);

  // The clean removes each; its undo file gives back exactly what was removed, into Ben's hive
  // files loaded again for the import, or through his hive once he has logged on.
  const std::string users = UsersState();
  const std::string ben = BensHive();
  ASSERT_TRUE(engine.Run(RunMode::Clean));
  EXPECT_EQ(engine.CategoryCount(kStartup), 5);
  EXPECT_FALSE(RunHivesLoaded());
  ImportUndoFile();
  EXPECT_FALSE(RunHivesLoaded());
  EXPECT_EQ(UsersState(), users);
  EXPECT_EQ(BensHive(), ben);
  ASSERT_TRUE(engine.Run(RunMode::Clean));
  ASSERT_EQ(Registry().LoadHive(kBen, "C:\\Users\\Ben\\NTUSER.DAT"), 0);
  ImportUndoFile();
  // His hive as the run named it: the same keys and values, below his SID.
  std::string loggedOn = sim.registry.Dump(RootKey::Users, kBen);
  const std::string sid = std::string("HKEY_USERS\\") + kBen;
  for (size_t at = loggedOn.find(sid); at != std::string::npos; at = loggedOn.find(sid, at + 1)) {
    loggedOn.replace(at, sid.size(), "HKEY_USERS\\" + RunHiveName(kBen));
  }
  EXPECT_EQ(loggedOn, ben);
}

TEST_F(AllUsersTest, TheHivesLoadedForTheRunAreLetGoAfterAnError) {
  engine.JudgeUsers(UsersJudged::Every);
  sim.registry.failWhen = [](const SimRegCall& call) -> long {
    if (call.key.find("Klarvex_") != std::string::npos && call.call == "Open") {
      throw std::runtime_error("the disk is gone");
    }
    return 0;
  };
  ASSERT_TRUE(engine.Run(RunMode::Clean));
  EXPECT_EQ(engine.RunError(), "the disk is gone");
  EXPECT_FALSE(RunHivesLoaded());
}

TEST_F(AllUsersTest, ARunAsTheSystemAccountJudgesTheMachineAloneAndSaysHowToJudgeTheUsers) {
  engine.JudgeUsers(UsersJudged::None);
  ASSERT_TRUE(engine.Run(RunMode::Scan));
  EXPECT_EQ(Items(),
            (std::vector<std::string>{"HKEY_LOCAL_MACHINE" + kRunItem + "\"MachineGone\""}));
  EXPECT_NE(host.informations.back().find("SCAN /allusers"), std::string::npos);
  // Who is judged by whom: the system's own account judges nobody unless asked; only an
  // elevated run may judge every user.
  sim.process.userSid = kSystemAccountSid;
  EXPECT_EQ(UsersOfTheRun(false), UsersJudged::None);
  EXPECT_NE(AllUsersRefusal(true), "");
  sim.process.elevated = true;
  EXPECT_EQ(AllUsersRefusal(true), "");
  // With nothing found, a profile that could not be judged still ends a report run with 1.
  const CleanEngine idle(host);
  ReportFacts facts;
  facts.ran = true;
  facts.profiles = {{kAnna, "Anna"}, {kKim, "Kim", false, "its hive is missing"}};
  std::string why;
  EXPECT_EQ(ReportExitCode(idle, facts, why), kExitProblemsFound);
}

}  // namespace
