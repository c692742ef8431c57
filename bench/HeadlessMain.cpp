// KlarvexBench.exe: one whole clean run through the headless host under the real Win32
// backends, timed at the platform seams, beside the bare measurements it is judged against.
// Prints one "key value" line per measurement, then the run's findings for the answer key:
//   time NAME MILLISECONDS [CALLS]     count NAME N     memory NAME MB
//   detail CATEGORY LINE               script LINE      information TEXT
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/BareWalk.h"
#include "bench/TimedPlatform.h"
#include "engine/HeadlessHost.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "undo/UndoJournal.h"

namespace {

using Clock = std::chrono::steady_clock;

// The headless host, pumping the thread's queue as the main window does (at most once per
// 4 ms, then everything pending), so that the run pays what a run with a window pays per item.
class BenchHost final : public HeadlessHost {
 public:
  explicit BenchHost(RunProfile& profile) : profile_(profile) {}

 protected:
  void PumpMessages() override {
    const uint64_t start = Ticks();
    const ULONGLONG now = GetTickCount64();
    if (now - lastPump_ >= 4) {
      lastPump_ = now;
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    ++profile_.pump.calls;
    profile_.pump.ticks += Ticks() - start;
  }

 private:
  RunProfile& profile_;
  ULONGLONG lastPump_ = 0;
};

void Time(const char* name, double ms, uint64_t calls = 0) {
  if (calls) {
    std::printf("time %s %.3f %llu\n", name, ms, static_cast<unsigned long long>(calls));
  } else {
    std::printf("time %s %.3f\n", name, ms);
  }
}

void Time(const char* name, const SeamTime& seam) { Time(name, TicksToMs(seam.ticks), seam.calls); }

void Count(const char* name, uint64_t n) {
  std::printf("count %s %llu\n", name, static_cast<unsigned long long>(n));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Microseconds per lookup at the built index: names met in the walk, in another letter case,
// and as many names found nowhere.
double LookupMicroseconds(const SystemFileIndex& index) {
  const TextList& lines = index.Lines();
  if (lines.empty()) return 0;
  std::mt19937 random(7);
  std::vector<std::string> names;
  for (int i = 0; i < 2000; ++i) {
    std::string line = lines[random() % lines.size()];
    std::string name = line.substr(0, line.find('='));
    if (i % 2) {
      CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
    } else {
      name = "missing" + std::to_string(i) + ".dll";
    }
    names.push_back(name);
  }
  constexpr int kRounds = 100;
  int found = 0;
  const auto start = Clock::now();
  for (int round = 0; round < kRounds; ++round) {
    for (const std::string& name : names) found += index.Find(name) >= 0;
  }
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  Count("index-lookups-found", static_cast<uint64_t>(found));
  return us / (kRounds * static_cast<double>(names.size()));
}

void PrintLines(const char* tag, const Bytes& bytes) {
  std::string line;
  for (uint8_t byte : bytes) {
    if (byte == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::printf("%s %s\n", tag, line.c_str());
      line.clear();
    } else {
      line += static_cast<char>(byte);
    }
  }
  if (!line.empty()) std::printf("%s %s\n", tag, line.c_str());
}

double BareFolders() {
  const BareCount windows = BareFolderWalk(WindowsDir());
  const BareCount programs = BareFolderWalk(ProgramFilesDir());
  Count("bare-folders-opened", windows.keys + programs.keys);
  Count("bare-files-found", windows.entries + programs.entries);
  return windows.ms + programs.ms;
}

void Bare(const std::string& exportFile) {
  Time("bare-folders", BareFolders());
  const BareCount registry = BareRegistryWalk();
  Time("bare-registry", registry.ms);
  Count("bare-keys-opened", registry.keys);
  Count("bare-values-read", registry.entries);
  // Both walks at once, the folders on a second thread: the floor for a run whose index is
  // built beside its checks.
  const auto pairedStart = Clock::now();
  double pairedFolders = 0;
  std::thread folders([&pairedFolders] {
    pairedFolders = BareFolderWalk(WindowsDir()).ms + BareFolderWalk(ProgramFilesDir()).ms;
  });
  const BareCount pairedRegistry = BareRegistryWalk();
  folders.join();
  Time("bare-paired",
       std::chrono::duration<double, std::milli>(Clock::now() - pairedStart).count());
  Time("bare-paired-folders", pairedFolders);
  Time("bare-paired-registry", pairedRegistry.ms);
  // A small key of the kind the run backs up, and the bench's own marker key.
  const struct {
    const char* name;
    const char* key;
  } exports[] = {{"bare-regedit-export", "HKEY_CLASSES_ROOT\\Kvx.Document0"},
                 {"bare-regedit-export-marker", "HKEY_LOCAL_MACHINE\\SOFTWARE\\KvxBench"}};
  for (const auto& what : exports) {
    std::vector<double> starts;
    for (int i = 0; i < 5; ++i)
      starts.push_back(BareRegeditExport(WindowsDir(), exportFile, what.key));
    Time(what.name, Median(starts));
  }
}

// A clean run, or a scan (which changes nothing) of the same machine.
void Run(bool scan) {
  TimedPlatform timed;
  timed.Install();
  RunProfile& profile = timed.Profile();
  BenchHost host(profile);
  CleanEngine engine(host);
  const uint64_t start = Ticks();
  if (scan) {
    engine.Run(RunMode::Scan);
  } else {
    engine.OnCleanClicked();
  }
  const uint64_t end = Ticks();
  timed.Finish();
  timed.Uninstall();

  const double runMs = TicksToMs(end - start);
  const double backupMs = TicksToMs(profile.keyBackups.ticks);
  const double fixedMs = TicksToMs(profile.sleep.ticks + profile.import.ticks);
  Time("run", runMs);
  Time("run-without-backups", runMs - backupMs - fixedMs);
  Time("registry", profile.registry);
  Time("files", profile.files);
  Time("process", profile.process);
  Time("index-build", TicksToMs(profile.indexEnd - profile.indexStart));
  Time("index-files", profile.indexFiles);
  Count("index-folders-opened", profile.indexFinds);
  Count("index-entries", profile.indexEntries);
  Count("index-lines", engine.SystemFileIndex.Count());
  Time("key-backups", profile.keyBackups);
  Time("exports", profile.exports);
  Time("undo-writes", profile.undoWrites);
  Time("import", profile.import);
  Time("sleep", profile.sleep);
  Time("pump", profile.pump);
  Time("index-lookup-us", LookupMicroseconds(engine.SystemFileIndex));

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
    std::printf("memory peak-working-set %.1f\n",
                static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
    std::printf("memory peak-pagefile %.1f\n",
                static_cast<double>(memory.PeakPagefileUsage) / (1024.0 * 1024.0));
  }
  for (int category = 1; category <= kCategoryCount; ++category) {
    Count(("category-" + std::to_string(category)).c_str(),
          static_cast<uint64_t>(engine.CategoryCount(category)));
    for (const std::string& line : engine.CategoryLog(category)) {
      std::printf("detail %d %s\n", category, line.c_str());
    }
  }
  PrintLines("script", profile.importedScript);
  for (const std::string& message : host.informations) {
    std::printf("information %s\n", message.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "all";
  if (mode != "all" && mode != "bare" && mode != "run" && mode != "scan") {
    std::fprintf(stderr, "usage: KlarvexBench [all|bare|run|scan]\n");
    return 2;
  }
  UseWin32Platform();
  InitPaths();
  StartDate = Process().Today();
  OsMajorVersion = Process().OsMajorVersion();
  CalibrateTicks();
  std::printf("folder windows %s\nfolder program-files %s\nfolder undo %s\n", WindowsDir().c_str(),
              ProgramFilesDir().c_str(), UndoDir().c_str());
  // The bare export writes where the program's backups write, so the two compare like with like.
  if (mode == "all" || mode == "bare") Bare(UndoDir() + "bare-export.reg");
  if (mode != "bare") Run(mode == "scan");
  std::fflush(stdout);
  return 0;
}
