// The JSON report of a run without a window: what the run was, what it found and did with each
// item, the exclusions it applied, the messages a window would have shown, and its exit code.
#pragma once

#include <string>
#include <vector>

#include "engine/CleanEngine.h"

// 0 nothing found or all fixed, 1 problems found by a scan, 2 the run could not be completed.
enum ExitCode : int { kExitClean = 0, kExitProblemsFound = 1, kExitNotCompleted = 2 };

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
};

// The exit code of the engine's last run, and in why the reason for a 2.
int ReportExitCode(const CleanEngine& engine, const ReportFacts& facts, std::string& why);
// The report as UTF-8 JSON text.
std::string RunReportJson(const CleanEngine& engine, const ReportFacts& facts, int exitCode,
                          const std::string& why);
// The current time, UTC, as "2026-12-07T09:30:00Z".
std::string UtcNow();
