// The JSON report of a run without a window: what the run was, what it found and did with each
// item, the exclusions it applied, the messages a window would have shown, and its exit code.
#pragma once

#include <string>
#include <vector>

#include "engine/CleanEngine.h"

// The form of the report, first in every report. Its major number changes when a reader of the
// old form could misread the new one; docs/report.schema.json describes this version and changes
// with it.
inline constexpr char kReportSchemaVersion[] = "1.1";
// The most a management engine keeps of a program's last output line.
inline constexpr size_t kSummaryLineLimit = 2048;

// 0 nothing found, 1 problems found by a scan or all repaired by a clean (a fleet engine's
// "changed"), also when a profile could not be judged, 2 the run could not be completed.
enum ExitCode : int { kExitClean = 0, kExitProblemsFound = 1, kExitNotCompleted = 2 };

// A user's profile as the report names it: its SID and its folder's name ("Anna" for
// C:\Users\Anna). A skipped one says why it was not judged.
struct ReportProfile {
  std::string sid;
  std::string profile;
  bool judged = true;
  std::string reason = {};
  // Where the run reached the user's hive: its key below HKEY_USERS; "" for HKEY_CURRENT_USER.
  std::string hive = {};
};

struct ReportFacts {
  RunMode mode = RunMode::Scan;
  // The mode as the report names it when the host's differs ("offline-scan"); "" for mode's.
  std::string modeName;
  // Where the exclusions were read from when not the undo folder's file.
  std::string exclusionsFile;
  std::string version;
  std::string windows;
  std::string started;  // UTC, ISO 8601
  std::string ended;
  bool ran = false;  // false: the run never started (see messages)
  std::vector<std::string> messages;
  // Every profile the run judged or skipped. A user's finding belongs to the profile whose hive
  // holds it; without one, to the first judged.
  std::vector<ReportProfile> profiles;
  std::string reportPath;  // as the starter named it, in UTF-8, for the summary line
};

// The exit code of the engine's last run, and in why the reason for a 2.
int ReportExitCode(const CleanEngine& engine, const ReportFacts& facts, std::string& why);
// The report as UTF-8 JSON text.
std::string RunReportJson(const CleanEngine& engine, const ReportFacts& facts, int exitCode,
                          const std::string& why);
// The last line of a report run's standard output: one compact JSON object of the run's mode,
// exit code, counts, profiles and report, under kSummaryLineLimit bytes however many profiles
// were skipped (the list is cut and the rest counted). engine is null for a run that never had
// one.
std::string RunSummaryLine(const CleanEngine* engine, const ReportFacts& facts, int exitCode,
                           const std::string& why);
// The profile of the account the process runs for: its SID, and the last part of the folder
// ProfileList names for it (else of the profile folder the process was given).
ReportProfile RunningUserProfile();
// The users the engine's last run judged and skipped, as the report names them; the running
// user's as RunningUserProfile.
std::vector<ReportProfile> ReportProfiles(const CleanEngine& engine);
// The current time, UTC, as "2026-12-07T09:30:00Z".
std::string UtcNow();
