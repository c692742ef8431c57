#include "offline/OfflineScan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/RunReport.h"
#include "offline/OfflineHost.h"
#include "offline/OfflineMachine.h"
#include "offline/ReportFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/offline/RegularFile.h"
#include "platform/sim/SimCodePage.h"
#include "platform/sim/SimShell.h"
#include "undo/UndoJournal.h"

namespace {

constexpr char kUndoBelowProfile[] = "AppData\\Roaming\\Ostrawin\\Klarvex\\Undo\\";
constexpr char kRegistryOnly[] =
    "Only the registry was judged (--registry-only): no program, file or folder was looked for "
    "on the disk, so none is reported missing.";

// A process that starts nothing and, for a user's hive the run could not load, says why.
class OfflineProcess final : public SimProcess {
 public:
  std::string ErrorText(long status) override {
    const std::string refusal = registry == nullptr ? std::string() : registry->Refusal(status);
    return refusal.empty() ? SimProcess::ErrorText(status) : refusal;
  }
  const OfflineRegistry* registry = nullptr;
};

// The seams over the machine: its hives, its disk, and a process that starts nothing.
struct OfflineBackends {
  OfflineBackends(const std::string& driveC, bool registryOnly)
      : files(codePage, driveC, registryOnly) {}
  void Use(const OfflineRegistry::Hives& hives) {
    registry = std::make_unique<OfflineRegistry>(codePage, hives, &files);
    process.registry = registry.get();
    UsePlatform({registry.get(), &files, &process, &shell, &codePage});
  }

  SimCodePage codePage;
  OfflineFiles files;
  OfflineProcess process;
  SimShell shell;
  std::unique_ptr<OfflineRegistry> registry;
};

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "" when the exclusions file given can be read as one; else why not. A mistyped name must not
// pass as "no exclusions", which would report what the user meant to keep.
std::string ExclusionsRefused(const std::string& path) {
  if (path.empty()) return {};
  int error = 0;
  const int file = OpenRegularFile(path, false, error);
  if (file >= 0) {
    close(file);
    return {};
  }
  return "the exclusions file " + path +
         " cannot be read: " + (error != 0 ? std::strerror(error) : "it is not a regular file");
}

// What must hold before the scan starts; "" when it does.
std::string Unusable(const OfflineOptions& options, OfflineFiles& files) {
  if (!IsFolder(options.windows)) return "no folder " + options.windows;
  if (std::string why = ExclusionsRefused(options.exclusions); !why.empty()) return why;
  // A disk that was not mounted would make every program and file of the registry "missing".
  if (!options.registryOnly) {
    for (const char* file :
         {"C:\\Windows\\System32\\kernel32.dll", "C:\\Windows\\System32\\ntdll.dll"}) {
      if (files.DiskPathOf(file).empty()) {
        return "no Windows below " + options.windows + " (" + file +
               " is not there): mount the disk, or give --registry-only to judge the hives alone";
      }
    }
  }
  return {};
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

// The user judged: its ProfileList entry, else the folder its hive was given from.
ReportProfile JudgedUser(const OfflineMachine& machine, const OfflineOptions& options) {
  const std::string& profile = machine.Profile();
  std::string name = profile.substr(profile.find_last_of('\\') + 1);
  if (name.empty()) {
    std::string folder = options.ntuser.substr(0, options.ntuser.find_last_of('/') + 1);
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    name = folder.substr(folder.find_last_of('/') + 1);
  }
  return {machine.Sid(), name};
}

// Opens the machine and runs the engine's scan over it; facts get what the report needs.
void ScanMachine(const OfflineOptions& options, OfflineBackends& backends, OfflineMachine& machine,
                 OfflineHost& host, CleanEngine& engine, ReportFacts& facts) {
  std::string why = Unusable(options, backends.files);
  bool opened = why.empty() && machine.OpenMachineHives(options, backends.files, why);
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
  // Without a user named, each profile is reached below HKEY_USERS and none is the running
  // user's; a user named is the running one, through HKEY_CURRENT_USER.
  const bool every = options.EveryProfile();
  backends.process.userSid = every ? std::string() : machine.Sid();
  engine.JudgeUsers(every ? UsersJudged::Every : UsersJudged::Running);
  SetFolders(backends, machine, options);
  facts.windows = backends.process.OsVersionText();
  facts.ran = engine.Run(RunMode::Scan);
  host.EndProgress();
  facts.messages = host.informations;
  if (options.registryOnly) facts.messages.push_back(kRegistryOnly);
  if (facts.ran)
    facts.profiles = every ? ReportProfiles(engine) : std::vector{JudgedUser(machine, options)};
}

// Two lines for the log of a pipeline, whatever the outcome: one for a person, then one compact
// JSON object for a management engine, which keeps the last line. On standard error when the
// report itself takes standard output.
int Summary(const OfflineOptions& options, const std::string& outcome, int code, bool written,
            const CleanEngine* engine, const ReportFacts& facts, const std::string& why) {
  FILE* out = options.report == "-" ? stderr : stdout;
  std::fprintf(out, "klarvex-offline: %s: %s, exit code %d, %s\n",
               options.windows.empty() ? "(no --windows)" : options.windows.c_str(),
               outcome.c_str(), code,
               written ? ("report " + options.report).c_str() : "no report written");
  std::fprintf(out, "%s\n", RunSummaryLine(engine, facts, code, why).c_str());
  return code;
}

}  // namespace

int RunOfflineScan(const OfflineOptions& options, const std::string& argumentError,
                   bool showProgress) {
  ReportFacts facts;
  facts.mode = RunMode::Scan;
  facts.modeName = "offline-scan";
  facts.version = KLARVEX_VERSION;
  facts.exclusionsFile = options.exclusions;
  facts.reportPath = options.report;
  facts.started = UtcNow();
  // The report and the summary line are written through the code page even when no hive could
  // be opened.
  OfflineBackends backends(options.windows, options.registryOnly);
  backends.Use({});
  // Nothing is read before the report is known to have a place.
  ReportFile report;
  std::string why;
  const bool placed =
      !options.report.empty() &&
      report.Place(options.report, {options.windows, options.ntuser, options.usrclass}, why);
  if (!argumentError.empty()) why = argumentError;
  if (!why.empty()) std::fprintf(stderr, "klarvex-offline: %s\n", why.c_str());
  if (!placed) {
    return Summary(options, "not completed", kExitNotCompleted, false, nullptr, facts, why);
  }
  OfflineMachine machine;
  OfflineHost host(showProgress);
  CleanEngine engine(host);
  if (why.empty()) {
    ScanMachine(options, backends, machine, host, engine, facts);
  } else {
    facts.messages = {"The scan could not start: " + why + "."};
  }
  facts.ended = UtcNow();
  std::vector<std::string> warnings = machine.Warnings();
  warnings.insert(warnings.end(), backends.registry->Warnings().begin(),
                  backends.registry->Warnings().end());
  for (const std::string& warning : warnings) {
    std::fprintf(stderr, "klarvex-offline: warning: %s\n", warning.c_str());
    facts.messages.push_back(warning);
  }
  int code = ReportExitCode(engine, facts, why);
  // A read that failed part-way would make the findings a partial list.
  if (const std::string damage = backends.registry->Damage();
      !damage.empty() && code != kExitNotCompleted) {
    code = kExitNotCompleted;
    why = damage;
  }
  if (code == kExitNotCompleted && argumentError.empty())
    std::fprintf(stderr, "klarvex-offline: %s\n", why.c_str());
  std::string unwritten;
  if (!report.Write(RunReportJson(engine, facts, code, why), unwritten)) {
    std::fprintf(stderr, "klarvex-offline: %s\n", unwritten.c_str());
    return Summary(options, "not completed", kExitNotCompleted, false, &engine, facts, unwritten);
  }
  int64_t found = 0;
  for (int k = 1; k <= kCategoryCount; ++k) found += engine.CategoryCount(k);
  return Summary(
      options,
      code == kExitNotCompleted ? "not completed" : std::to_string(found) + " problems found", code,
      true, &engine, facts, why);
}
