// A run killed at any point of a flood of values deleted at once: the undo file it leaves is a
// whole registry script, and it gives back every value removed so far.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "unit/SafetyMachine.h"

namespace {

struct Killed : std::runtime_error {
  Killed() : std::runtime_error("the process was killed here") {}
};

constexpr int kHistoryValues = 300;
constexpr int kWalkKeys = 3;
constexpr int kWalkValues = 60;

void StageFlood(SafetyMachine& m) {
  const RootKey cu = RootKey::CurrentUser;
  for (int i = 0; i < kHistoryValues; ++i) {
    m.sim.registry.StageString(cu, "Software\\Microsoft\\Internet Explorer\\TypedURLs",
                               "url" + std::to_string(i),
                               "http://example.com/" + std::to_string(i) + "\"q\"\\");
  }
  for (int k = 0; k < kWalkKeys; ++k) {
    for (int i = 0; i < kWalkValues; ++i) {
      m.sim.registry.StageString(
          cu, "Software\\Kvx Flood\\List" + std::to_string(k), "File" + std::to_string(i),
          "C:\\Gone\\" + std::to_string(k) + "\\" + std::to_string(i) + ".txt");
    }
  }
}

// Cleans a machine with every category's problems and the flood. At change `killAt` (from 1;
// a registry deletion or write, or a file write or append) the process dies: that change and
// every later one fail. Returns how many changes a whole run makes when killAt is 0.
int RunKilledAt(int killAt) {
  SafetyMachine m;
  m.Start();
  m.StageEveryCategory();
  StageFlood(m);
  const std::set<std::string> before = m.Items();
  int changes = 0;
  bool dead = false;
  auto change = [&]() -> long {
    if (dead) return status::kAccessDenied;
    if (++changes != killAt) return status::kSuccess;
    dead = true;
    throw Killed();
  };
  m.sim.registry.failWhen = [&](const SimRegCall& call) -> long {
    const bool write = call.call == "SetValue" || call.call == "DeleteValue" ||
                       call.call == "DeleteTree" || call.call == "Create";
    return write ? change() : status::kSuccess;
  };
  int undoWrites = 0, undoReplaced = 0;
  m.sim.files.failWhen = [&](const SimFileCall& call) -> long {
    if (call.call != "WriteAll" && call.call != "Append") return status::kSuccess;
    if (call.path.find("\\Undo ") != std::string::npos) {
      ++undoWrites;
      undoReplaced += call.call == "WriteAll";
    }
    return change();
  };
  m.sim.process.beforeRun = [&](const SimProcess::Run&) { return !dead; };
  try {
    m.engine.OnCleanClicked();
  } catch (const Killed&) {
    // Past the run: the process ended here.
  }
  m.sim.registry.failWhen = nullptr;
  m.sim.files.failWhen = nullptr;
  const std::vector<std::string> undoFiles = m.UndoFiles();
  EXPECT_LE(undoFiles.size(), 1u);
  for (const std::string& path : undoFiles) {
    Bytes data;
    EXPECT_TRUE(m.sim.files.ReadAll(path, data));
    const ParsedScript script = ParseScriptFile(data);
    EXPECT_NE(script.version, ScriptVersion::Invalid) << path;
    EXPECT_TRUE(script.skippedLines.empty()) << path << " line " << script.skippedLines.front();
  }
  if (killAt == 0) {
    EXPECT_GT(before.size() - m.Items().size(), size_t{kHistoryValues});
    // Written whole once, then appended to once per key of values and at the end.
    EXPECT_EQ(undoReplaced, 1);
    EXPECT_LE(undoWrites, 3 + kWalkKeys + 3);
  }
  m.ApplyUndoFiles();
  const std::set<std::string> restored = m.Items();
  int lost = 0;
  for (const std::string& item : before) {
    if (!restored.contains(item) && ++lost <= 3) ADD_FAILURE() << "lost " << item;
  }
  m.Stop();
  return changes;
}

TEST(FloodKillTest, AKillAtAnyPointLeavesAWholeUndoFileWithEveryValueRemoved) {
  const int changes = RunKilledAt(0);
  ASSERT_GT(changes, kHistoryValues);
  // Points spread over the whole run, the first and last change among them.
  std::mt19937 random(33);
  std::vector<int> points{1, changes};
  for (int i = 0; i < 24; ++i) points.push_back(1 + static_cast<int>(random() % changes));
  for (int k : points) {
    SCOPED_TRACE("killed at change " + std::to_string(k) + " of " + std::to_string(changes));
    RunKilledAt(k);
  }
}

}  // namespace
