// Whose settings judge an item: every place an item can lie, with a variable that the machine,
// the user, both (the user's pointing elsewhere) or neither defines. A scan of the whole run
// says which items it finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/Categories.h"
#include "unit/EngineTest.h"

namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kMachineEnvironment[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

enum class Place { MachineRun, UserRun, MachineClass, UserClass };

struct Verdict {
  Place place;
  const char* data;  // the program or server the entry names
  bool found;        // judged a problem
};

// KVXM: the machine's (C:\Kvx); KVXU: the user's only (C:\Kvx); KVXBOTH: the machine's names
// C:\Kvx, the user's a folder that does not exist. C:\Kvx holds tool.exe and tool.dll.
const Verdict kVerdicts[] = {
    {Place::MachineRun, "%KVXM%\\tool.exe", false},
    {Place::MachineRun, "%KVXM%\\gone.exe", true},
    {Place::MachineRun, "%KVXBOTH%\\tool.exe", false},
    {Place::MachineRun, "%KVXU%\\gone.exe", false},
    {Place::MachineRun, "%KVXNONE%\\gone.exe", false},
    {Place::UserRun, "%KVXU%\\tool.exe", false},
    {Place::UserRun, "%KVXU%\\gone.exe", true},
    {Place::UserRun, "%KVXM%\\gone.exe", true},
    {Place::UserRun, "%KVXBOTH%\\tool.exe", true},
    {Place::UserRun, "%KVXNONE%\\gone.exe", false},
    {Place::MachineClass, "%KVXBOTH%\\tool.dll", false},
    {Place::MachineClass, "%KVXM%\\gone.dll", true},
    {Place::UserClass, "%KVXU%\\gone.dll", true},
};

class OwnerContextTest : public EngineTest {};

TEST_F(OwnerContextTest, EachItemIsJudgedByItsOwnersSettings) {
  PutFile("C:\\Kvx\\tool.exe");
  PutFile("C:\\Kvx\\tool.dll");
  PutString(RootKey::LocalMachine, kMachineEnvironment, "KVXM", "C:\\Kvx");
  PutString(RootKey::LocalMachine, kMachineEnvironment, "KVXBOTH", "C:\\Kvx");
  PutString(RootKey::CurrentUser, "Environment", "KVXU", "C:\\Kvx");
  PutString(RootKey::CurrentUser, "Environment", "KVXBOTH", "C:\\Nowhere");
  // The process's own environment is the user's: it must judge nothing of the machine's.
  sim.process.SetEnvironment("KVXBOTH", "C:\\Nowhere");
  for (size_t i = 0; i < std::size(kVerdicts); ++i) {
    const Verdict& v = kVerdicts[i];
    const std::string name = "Kvx" + std::to_string(i);
    const std::string clsid = "{0000000" + std::to_string(i % 10) + "-" + std::to_string(i) + "}";
    const bool inRun = v.place == Place::MachineRun || v.place == Place::UserRun;
    const bool machine = v.place == Place::MachineRun || v.place == Place::MachineClass;
    PutString(machine ? RootKey::LocalMachine : RootKey::CurrentUser,
              inRun ? kRun : "SOFTWARE\\Classes\\CLSID\\" + clsid + "\\InprocServer32",
              inRun ? name : "", v.data);
  }
  ASSERT_TRUE(engine.Run(RunMode::Scan));
  for (size_t i = 0; i < std::size(kVerdicts); ++i) {
    const Verdict& v = kVerdicts[i];
    const bool inRun = v.place == Place::MachineRun || v.place == Place::UserRun;
    const std::string item =
        inRun ? "\\Run\\Kvx" + std::to_string(i) : "-" + std::to_string(i) + "}\\InprocServer32=";
    const bool found = std::ranges::any_of(
        engine.CategoryLog(inRun ? kStartup : kComActiveX),
        [&](const std::string& line) { return line.find(item) != std::string::npos; });
    EXPECT_EQ(found, v.found) << static_cast<int>(v.place) << " " << v.data;
  }
}

}  // namespace
