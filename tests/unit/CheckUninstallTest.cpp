#include <gtest/gtest.h>

#include <functional>

#include "unit/EngineTest.h"

namespace {

constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

Bytes Text(const std::string& text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

class CheckUninstallTest : public EngineTest {};

TEST_F(CheckUninstallTest, RemovesEntriesWithoutAnyUninstallCommand) {
  struct Entry {
    const char* name;
    std::function<void(const std::string& key)> stage;
  };
  const auto none = [this](const std::string& key) {
    PutString(kLM, key, "DisplayName", "Some program");
  };
  const std::vector<Entry> entries = {
      {"{5A1B-GUID}", none},
      {"Open{Only", none},
      {"Close}Only", none},
      {"BraceDisplay",
       [this](const std::string& key) {
         PutString(kLM, key, "DisplayName", "Tool } build {7}");
         PutString(kLM, key, "UninstallString", "");
       }},
      {"NoRemove2", [this](const std::string& key) { PutDword(kLM, key, "NoRemove", 2); }},
      {"NoRemoveText", [this](const std::string& key) { PutString(kLM, key, "NoRemove", "1"); }},
      {"NoRemove1", [this](const std::string& key) { PutDword(kLM, key, "NoRemove", 1); }},
      {"SysComp", [this](const std::string& key) { PutDword(kLM, key, "SystemComponent", 1); }},
      // Eight bytes under REG_DWORD cannot be read as a flag, which may be set: left alone.
      {"WideFlag",
       [this](const std::string& key) {
         PutValue(kLM, key, "SystemComponent", regtype::kDword, Bytes(8, 1));
       }},
      {"EmptyCommand",
       [this](const std::string& key) { PutString(kLM, key, "UninstallString", ""); }},
      {"BinaryCommand",
       [this](const std::string& key) {
         PutValue(kLM, key, "UninstallString", regtype::kBinary, Text("C:\\u.exe"));
       }},
      {"MultiCommand",
       [this](const std::string& key) {
         Bytes data = Text("C:\\u.exe");
         data.push_back(0);
         PutValue(kLM, key, "UninstallString", regtype::kMultiSz, data);
       }},
      {"MissingFile",
       [this](const std::string& key) {
         PutString(kLM, key, "UninstallString", "C:\\gone\\unins000.exe");
       }},
      {"ExpandCommand",
       [this](const std::string& key) {
         PutString(kLM, key, "UninstallString", "%ProgramFiles%\\u.exe", regtype::kExpandSz);
       }},
      {"QuietOnly",
       [this](const std::string& key) { PutString(kLM, key, "QuietUninstallString", "u.exe /S"); }},
      {"ReadOnly",
       [this](const std::string& key) {
         PutString(kLM, key, "DisplayName", "Locked");
         MarkReadOnly(kLM, key);
       }},
  };
  for (const Entry& entry : entries) entry.stage(kList + entry.name);

  PrepareChecks();
  engine.CheckUninstall();

  // Subkeys enumerate in sorted order, so the removals come in that order.
  const std::string del = "[-HKEY_LOCAL_MACHINE\\" + kList;
  EXPECT_EQ(FixScript,
            (TextList{"REGEDIT4", "", del + "BinaryCommand]", "", del + "Close}Only]", "",
                      del + "EmptyCommand]", "", del + "MultiCommand]", "", del + "NoRemove2]", "",
                      del + "NoRemoveText]", "", del + "Open{Only]", ""}));
  const std::string log = "[HKLM]\\" + kList;
  EXPECT_EQ(engine.CategoryLog(kUninstall),
            (TextList{log + "BinaryCommand ... deleted", log + "Close}Only ... deleted",
                      log + "EmptyCommand ... deleted", log + "MultiCommand ... deleted",
                      log + "NoRemove2 ... deleted", log + "NoRemoveText ... deleted",
                      log + "Open{Only ... deleted"}));
  EXPECT_EQ(engine.CategoryCount(kUninstall), 7);
  EXPECT_EQ(JournalKeys().size(), 7u);
  // 16 entries: one gauge step per entry.
  EXPECT_EQ(engine.GaugePercent(), 15);
}

TEST_F(CheckUninstallTest, NotRunningWritesNothing) {
  PutString(kLM, kList + "Old", "DisplayName", "Old");
  PrepareChecks();
  engine.Running = false;
  engine.CheckUninstall();
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
  EXPECT_TRUE(engine.CategoryLog(kUninstall).empty());
  EXPECT_EQ(engine.GaugePercent(), 0);
}

TEST_F(CheckUninstallTest, AMissingListDoesNothing) {
  PrepareChecks();
  engine.CheckUninstall();
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
  EXPECT_EQ(host.pumps, 0);
}

}  // namespace
