#include "offline/OfflineScan.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "engine/RunReport.h"
#include "offline/OfflineHost.h"
#include "offline/OfflineMachine.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/sim/SimCodePage.h"
#include "platform/sim/SimShell.h"
#include "undo/UndoJournal.h"

namespace {

constexpr char kUndoBelowProfile[] = "AppData\\Roaming\\Ostrawin\\Klarvex\\Undo\\";

// The seams over the machine: its hives, its disk, and a process that starts nothing.
struct OfflineBackends {
  explicit OfflineBackends(const std::string& driveC) : files(codePage, driveC) {}
  void Use(const OfflineRegistry::Hives& hives) {
    registry = std::make_unique<OfflineRegistry>(codePage, hives);
    UsePlatform({registry.get(), &files, &process, &shell, &codePage});
  }

  SimCodePage codePage;
  OfflineFiles files;
  SimProcess process;
  SimShell shell;
  std::unique_ptr<OfflineRegistry> registry;
};

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FolderOf(const std::string& path) {
  const size_t last = path.rfind('/');
  return last == std::string::npos ? "." : path.substr(0, last + 1);
}

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string result = real;
  std::free(real);
  return result;
}

// Whether the report would land in the Windows being judged (its disk, or a hive file given),
// which the scan promises never to change.
bool WritesIntoImage(const OfflineOptions& options) {
  const std::string folder = RealPath(FolderOf(options.report)) + "/";
  const std::string windows = RealPath(options.windows) + "/";
  if (windows.size() > 1 && folder.starts_with(windows)) return true;
  const std::string report = RealPath(options.report);
  return !report.empty() &&
         (report == RealPath(options.ntuser) || report == RealPath(options.usrclass));
}

// The run's last line on standard output, for the pipeline that started it.
int Summarised(const CleanEngine* engine, const ReportFacts& facts, int code,
               const std::string& why) {
  std::printf("%s\n", RunSummaryLine(engine, facts, code, why).c_str());
  return code;
}

int Refuse(const ReportFacts& facts, const std::string& why, const CleanEngine* engine = nullptr) {
  std::fprintf(stderr, "klarvex-offline: %s\n", why.c_str());
  return Summarised(engine, facts, kExitNotCompleted, why);
}

// The user judged: its ProfileList entry, else the folder its hive was given from.
ReportProfile JudgedUser(const OfflineMachine& machine, const OfflineOptions& options) {
  const std::string& profile = machine.Profile();
  std::string name = profile.substr(profile.find_last_of('\\') + 1);
  if (name.empty()) {
    const std::string folder = RealPath(FolderOf(options.ntuser));
    name = folder.substr(folder.rfind('/') + 1);
  }
  return {machine.Sid(), name};
}

// The folders a running Windows would give the program. Its own folder is the host's, kept
// below the user's profile as on Windows; the image holds none of it.
void SetFolders(OfflineBackends& backends, const OfflineMachine& machine,
                const OfflineOptions& options) {
  InitPaths();
  if (gFolders.profileDir.size() < 4 || gFolders.profileDir[1] != ':') {
    gFolders.profileDir =
        (machine.Profile().empty() ? "C:\\Users\\Offline" : machine.Profile()) + "\\";
    gFolders.undoDir = gFolders.profileDir + kUndoBelowProfile;
    gFolders.userUndoDir = gFolders.undoDir;
  }
  if (gFolders.userProfileDir.empty() && !machine.Profile().empty()) {
    gFolders.userProfileDir = machine.Profile() + "\\";
  }
  // Exclusions.txt is read from the user's own folder, as on Windows.
  backends.files.SetHostFolder(UserUndoDir(), options.exclusions);
  ::OsMajorVersion = backends.process.OsMajorVersion();
}

// Opens the machine and runs the engine's scan over it; facts get what the report needs.
void ScanMachine(const OfflineOptions& options, OfflineBackends& backends, OfflineMachine& machine,
                 OfflineHost& host, CleanEngine& engine, ReportFacts& facts) {
  std::string why;
  bool opened = machine.OpenMachineHives(options, backends.files, why);
  if (opened) {
    backends.Use(machine.Hives());
    opened = machine.OpenUserHives(options, backends.files, why);
  }
  if (!opened) {
    facts.messages = {"The scan could not start: " + why + "."};
    return;
  }
  backends.Use(machine.Hives());
  machine.Describe(backends.process);
  SetFolders(backends, machine, options);
  facts.windows = backends.process.OsVersionText();
  facts.ran = engine.Run(RunMode::Scan);
  host.EndProgress();
  facts.messages = host.informations;
  if (facts.ran) facts.profiles = {JudgedUser(machine, options)};
}

}  // namespace

int RunOfflineScan(const OfflineOptions& options, bool showProgress) {
  ReportFacts facts;
  facts.mode = RunMode::Scan;
  facts.modeName = "offline-scan";
  facts.reportPath = options.report;
  OfflineBackends backends(options.windows);
  // The report and the summary line are written through the code page even when no hive
  // could be opened.
  backends.Use({});
  // Nothing is read before the report is known to have a place.
  if (!IsFolder(FolderOf(options.report))) {
    return Refuse(facts, "the report's folder " + FolderOf(options.report) + " does not exist.");
  }
  if (!IsFolder(options.windows)) return Refuse(facts, "no folder " + options.windows + ".");
  if (WritesIntoImage(options)) {
    return Refuse(facts, "the report " + options.report +
                             " would be written into the Windows being scanned, which is never "
                             "changed.");
  }
  facts.version = KLARVEX_VERSION;
  facts.exclusionsFile = options.exclusions;
  facts.started = UtcNow();
  OfflineMachine machine;
  OfflineHost host(showProgress);
  CleanEngine engine(host);
  ScanMachine(options, backends, machine, host, engine, facts);
  facts.ended = UtcNow();
  for (const std::string& warning : machine.Warnings()) {
    std::fprintf(stderr, "klarvex-offline: warning: %s\n", warning.c_str());
    facts.messages.push_back(warning);
  }
  std::string why;
  int code = ReportExitCode(engine, facts, why);
  // A read that failed part-way would make the findings a partial list.
  if (const std::string damage = backends.registry->Damage();
      !damage.empty() && code != kExitNotCompleted) {
    code = kExitNotCompleted;
    why = damage;
  }
  if (code == kExitNotCompleted) std::fprintf(stderr, "klarvex-offline: %s\n", why.c_str());
  const std::string text = RunReportJson(engine, facts, code, why);
  std::ofstream report(options.report, std::ios::binary | std::ios::trunc);
  if (!report.write(text.data(), static_cast<std::streamsize>(text.size())) || !report.flush()) {
    return Refuse(facts, "the report could not be written to " + options.report + ".", &engine);
  }
  int64_t found = 0;
  for (int k = 1; k <= kCategoryCount; ++k) found += engine.CategoryCount(k);
  const std::string outcome =
      code == kExitNotCompleted ? "not completed" : std::to_string(found) + " problems found";
  std::printf("klarvex-offline: %s: %s, exit code %d, report %s\n", options.windows.c_str(),
              outcome.c_str(), code, options.report.c_str());
  return Summarised(&engine, facts, code, why);
}
