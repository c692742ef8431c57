// KlarvexBench.exe: one whole clean run through the headless host under the real Win32
// backends, timed at the platform seams, beside the bare measurements it is judged against.
// Prints one "key value" line per measurement, then the run's findings for the answer key:
//   time NAME MILLISECONDS [CALLS]     count NAME N     memory NAME MB
//   detail CATEGORY LINE               script LINE      information TEXT
// "users" measures instead what each user adds to a scan over every user (UserParts below);
// "users-scan" makes one scan over every user.
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

// The run's findings, as the answer key lists them, and what it told the person.
void PrintFindings(CleanEngine& engine, const RunProfile& profile, const BenchHost& host) {
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
  PrintFindings(engine, profile, host);
}

// One scan over the users given; with print, its findings too.
SeamTime TimedScan(UsersJudged users, bool print) {
  TimedPlatform timed;
  timed.Install();
  RunProfile& profile = timed.Profile();
  BenchHost host(profile);
  CleanEngine engine(host);
  engine.JudgeUsers(users);
  const uint64_t start = Ticks();
  engine.Run(RunMode::Scan);
  const uint64_t end = Ticks();
  timed.Finish();
  timed.Uninstall();
  if (print) PrintFindings(engine, profile, host);
  return {profile.registry.calls, end - start};
}

constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct ListedProfile {
  std::string sid;
  DWORD type = REG_SZ;
  std::string folder;
};

// The profiles the machine lists whose hive is loaded at HKEY_USERS, the running user's aside.
std::vector<ListedProfile> LoadedProfiles() {
  std::vector<ListedProfile> loaded;
  HKEY list = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &list) != ERROR_SUCCESS) {
    return loaded;
  }
  const std::string running = Process().UserSid();
  char sid[256];
  for (DWORD i = 0, size = sizeof sid;
       RegEnumKeyExA(list, i, sid, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, size = sizeof sid) {
    HKEY hive = nullptr;
    if (running == sid || RegOpenKeyExA(HKEY_USERS, sid, 0, KEY_READ, &hive) != ERROR_SUCCESS) {
      continue;
    }
    RegCloseKey(hive);
    ListedProfile profile{.sid = sid, .type = REG_SZ, .folder = {}};
    char folder[MAX_PATH] = {};
    DWORD bytes = sizeof folder - 1;
    RegGetValueA(list, sid, "ProfileImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                 &profile.type, folder, &bytes);
    profile.folder = folder;
    loaded.push_back(profile);
  }
  RegCloseKey(list);
  return loaded;
}

// Lists only the profile given of those (every one when only is null), so that a run over every
// user judges the running user and that one.
void ListOnly(const std::vector<ListedProfile>& profiles, const ListedProfile* only) {
  for (const ListedProfile& profile : profiles) {
    const std::string key = std::string(kProfileList) + "\\" + profile.sid;
    if (only != nullptr && only != &profile) {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
      continue;
    }
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), "ProfileImagePath", profile.type,
                    profile.folder.c_str(), static_cast<DWORD>(profile.folder.size() + 1));
  }
}

// What each user adds to a scan: after a warm-up, scans of the machine alone, with the running
// user, with the running user and each other loaded profile in turn, and over every user, whose
// findings are printed. Scans change nothing, so they follow each other on the same registry.
void UserParts() {
  const std::vector<ListedProfile> profiles = LoadedProfiles();
  Count("users-other-profiles", profiles.size());
  TimedScan(UsersJudged::Every, false);
  Time("users-machine", TimedScan(UsersJudged::None, false));
  Time("users-running", TimedScan(UsersJudged::Running, false));
  for (size_t i = 0; i < profiles.size(); ++i) {
    ListOnly(profiles, &profiles[i]);
    Time(("users-profile-" + std::to_string(i + 1)).c_str(), TimedScan(UsersJudged::Every, false));
  }
  ListOnly(profiles, nullptr);
  Time("users-every", TimedScan(UsersJudged::Every, true));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "all";
  if (mode != "all" && mode != "bare" && mode != "run" && mode != "scan" && mode != "users" &&
      mode != "users-scan") {
    std::fprintf(stderr, "usage: KlarvexBench [all|bare|run|scan|users|users-scan]\n");
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
  if (mode == "users") {
    UserParts();
  } else if (mode == "users-scan") {
    Time("users-every", TimedScan(UsersJudged::Every, true));
  } else if (mode != "bare") {
    Run(mode == "scan");
  }
  std::fflush(stdout);
  return 0;
}
