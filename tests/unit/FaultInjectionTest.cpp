// Every injection point of a run with problems of every category, failed in turn or made the
// point where the machine stops: whatever is gone from the registry is in an undo file on disk,
// a run that goes on ends in its idle state, and a user who was not told saw no false success.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>

#include "undo/ImportCheck.h"
#include "unit/SafetyMachine.h"

namespace {

enum class Point { RegistryWrite, FullAccessOpen, FileSave, EditorRun };
enum class Mode { Fail, Stop };

const char* Name(Point point) {
  switch (point) {
    case Point::RegistryWrite:
      return "registry write";
    case Point::FullAccessOpen:
      return "full-access open";
    case Point::FileSave:
      return "file save";
    case Point::EditorRun:
      return "registry editor run";
  }
  return "";
}

bool IsWrite(const SimRegCall& call) {
  return call.call == "SetValue" || call.call == "DeleteValue" || call.call == "DeleteTree" ||
         call.call == "Create";
}
bool IsFullAccessOpen(const SimRegCall& call) {
  return call.call == "Open" && (call.access & ~keyaccess::kRead) != 0;
}

struct Crash : std::runtime_error {
  Crash() : std::runtime_error("the machine stopped here") {}
};

// Counts the injection points as they pass; at point `target` of kind `kind` (from 1) it fails
// the call, or stops the machine: the call throws and every change after it fails. The file
// hook is also called from the folder walk's thread.
class Injector {
 public:
  Injector(SafetyMachine& m, Point kind, int target, Mode mode)
      : kind_(kind), target_(target), mode_(mode) {
    m.sim.registry.failWhen = [this](const SimRegCall& call) -> long {
      if (stopped_ && (IsWrite(call) || IsFullAccessOpen(call))) return status::kAccessDenied;
      if (IsWrite(call)) return Pass(Point::RegistryWrite, status::kAccessDenied);
      if (IsFullAccessOpen(call)) return Pass(Point::FullAccessOpen, status::kAccessDenied);
      return status::kSuccess;
    };
    m.sim.files.failWhen = [this](const SimFileCall& call) -> long {
      const bool save = call.call == "WriteAll" || call.call == "Append";
      const bool changes = save || call.call == "RemoveFile" || call.call == "MakeFolder";
      if (stopped_ && changes) return status::kAccessDenied;
      if (save) return Pass(Point::FileSave, 112);
      return status::kSuccess;
    };
    m.sim.process.beforeRun = [this](const SimProcess::Run&) {
      if (stopped_) return false;
      return Pass(Point::EditorRun, 1) == status::kSuccess;
    };
  }

  std::map<Point, int> counts;
  bool fired = false;

 private:
  long Pass(Point point, long failure) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const int n = ++counts[point];
    if (point != kind_ || n != target_) return status::kSuccess;
    fired = true;
    if (mode_ == Mode::Fail) return failure;
    stopped_ = true;
    throw Crash();
  }

  Point kind_;
  int target_;
  Mode mode_;
  std::mutex mutex_;
  std::atomic<bool> stopped_{false};
};

struct Outcome {
  std::set<std::string> before, after, restored;
  int total = 0;
  bool idle = false;
  bool told = false;
  bool fired = false;
  TextList notInEffect;
  std::map<Point, int> counts;
};

Outcome RunWithFault(Point kind, int target, Mode mode) {
  SafetyMachine m;
  m.Start();
  m.StageEveryCategory();
  Outcome out;
  out.before = m.Items();
  {
    Injector injector(m, kind, target, mode);
    try {
      m.engine.OnCleanClicked();
    } catch (const Crash&) {
      // Thrown past the run: the process would have ended here.
    }
    out.counts = injector.counts;
    out.fired = injector.fired;
  }
  m.sim.registry.failWhen = nullptr;
  m.sim.files.failWhen = nullptr;
  m.sim.process.beforeRun = nullptr;
  out.after = m.Items();
  for (int k = 1; k <= kCategoryCount; ++k) out.total += m.engine.CategoryCount(k);
  const RecordingHost& h = m.host;
  out.idle = !m.engine.Running && h.buttonCaption == "Clean" && h.closeEnabled && !h.gaugeVisible;
  out.told = !h.informations.empty();
  const std::string script = UndoDir() + kFixScriptName;
  if (m.sim.files.Exists(script)) out.notInEffect = ItemsNotInEffectOfFile(script);
  m.ApplyUndoFiles();
  out.restored = m.Items();
  m.Stop();
  return out;
}

std::vector<std::string> Missing(const std::set<std::string>& wanted,
                                 const std::set<std::string>& have) {
  std::vector<std::string> missing;
  for (const std::string& item : wanted) {
    if (!have.contains(item)) missing.push_back(item);
  }
  return missing;
}

TEST(FaultInjectionTest, EveryFaultLeavesEveryRemovalInAnUndoFileOnDisk) {
  // A clean run first: its outcome, and how many points of each kind it passes.
  const Outcome clean = RunWithFault(Point::EditorRun, 0, Mode::Fail);
  ASSERT_TRUE(clean.idle);
  ASSERT_FALSE(clean.told);
  ASSERT_GT(clean.total, 20);
  for (const std::string& item : Missing(clean.before, clean.restored)) ADD_FAILURE() << item;
  for (const std::string& item : Missing(clean.restored, clean.before))
    ADD_FAILURE() << "+" << item;

  int injected = 0;
  for (Point kind :
       {Point::RegistryWrite, Point::FullAccessOpen, Point::FileSave, Point::EditorRun}) {
    const int points = clean.counts.contains(kind) ? clean.counts.at(kind) : 0;
    EXPECT_GT(points, 0) << Name(kind);
    for (Mode mode : {Mode::Fail, Mode::Stop}) {
      for (int k = 1; k <= points; ++k) {
        SCOPED_TRACE(std::string(Name(kind)) + " " + std::to_string(k) + "/" +
                     std::to_string(points) + (mode == Mode::Stop ? " stops" : " fails"));
        const Outcome out = RunWithFault(kind, k, mode);
        ASSERT_TRUE(out.fired);
        ++injected;
        // Gone from the registry, and not given back by the undo files on disk.
        const std::vector<std::string> lost = Missing(out.before, out.restored);
        EXPECT_TRUE(lost.empty()) << lost.size() << " lost, first: " << lost.front();
        if (mode == Mode::Stop) continue;
        EXPECT_TRUE(out.idle);
        // A removal the run scheduled that did not happen is never passed over in silence,
        // and an outcome that differs from the clean run's shows as fewer items or a message.
        EXPECT_TRUE(out.notInEffect.empty() || out.told) << out.notInEffect.front();
        EXPECT_TRUE(out.after == clean.after || out.total < clean.total || out.told);
      }
    }
  }
  std::cout << "[ faults   ] " << injected << " faults injected over " << clean.total
            << " repairs\n";
}

// The folder walk runs beside the checks. Made to fail at each of its folders in turn, or
// stopped by the user while it lists each one, the run ends as after any error or stop: idle,
// told of an error, and every removal in an undo file on disk.
// Runs the machine with every category's problems; its folder walk fails at folder k (from 1),
// or the user stops the run while the walk lists folder k. Returns how many folders the walk
// listed.
int RunWithWalkFault(int k, bool stop) {
  SafetyMachine m;
  m.Start();
  m.StageEveryCategory();
  const std::set<std::string> before = m.Items();
  const std::string windows = UpperAscii(WindowsDir());
  const std::string programs = UpperAscii(ProgramFilesDir());
  std::atomic<int> walked{0};
  std::atomic<bool> pressStop{false};
  m.sim.files.failWhen = [&](const SimFileCall& call) -> long {
    const std::string path = UpperAscii(call.path);
    if (call.call != "Find" || !path.ends_with("\\*.*") ||
        !(path.starts_with(windows) || path.starts_with(programs)) || ++walked != k) {
      return status::kSuccess;
    }
    if (!stop) throw std::runtime_error("the folder cannot be read");
    pressStop = true;
    return status::kSuccess;
  };
  m.host.answers = {1};
  m.host.onPump = [&](int) {
    if (pressStop.exchange(false)) m.engine.OnCleanClicked();
  };
  m.engine.OnCleanClicked();
  m.sim.files.failWhen = nullptr;
  const RecordingHost& e = m.host;
  // A walk that fails says so; a stop is no error.
  if (k > 0 && !stop) {
    EXPECT_EQ(e.informations.size(), 1u);
    EXPECT_TRUE(e.informations.size() == 1 &&
                e.informations[0].find("the folder cannot be read") != std::string::npos);
  } else {
    // A stop is no error; classes whose moved server was still being searched for are named.
    for (const std::string& told : e.informations) {
      EXPECT_NE(told.find("the search for where they moved did not end"), std::string::npos);
    }
  }
  EXPECT_TRUE(!m.engine.Running && e.buttonCaption == "Clean" && e.closeEnabled && !e.gaugeVisible);
  m.ApplyUndoFiles();
  const std::vector<std::string> lost = Missing(before, m.Items());
  EXPECT_TRUE(lost.empty()) << lost.size() << " lost, first: " << lost.front();
  m.Stop();
  return walked;
}

// The folder walk runs beside the checks. Made to fail at each of its folders in turn, or
// stopped by the user while it lists each one, the run ends as after any other error or stop:
// idle, told of the error, and every removal in an undo file on disk.
TEST(FaultInjectionTest, AWalkThatFailsOrIsStoppedAtAnyFolderLosesNothing) {
  const int folders = RunWithWalkFault(0, false);
  ASSERT_GT(folders, 5);
  for (bool stop : {false, true}) {
    for (int k = 1; k <= folders; ++k) {
      SCOPED_TRACE(std::string(stop ? "stopped" : "failed") + " at folder " + std::to_string(k));
      RunWithWalkFault(k, stop);
    }
  }
}

}  // namespace
