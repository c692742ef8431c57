// "Klarvex.exe SCAN /report FILE" and "CLEAN /report FILE": one run through the headless host,
// its JSON report written to FILE.
#pragma once

#include <string>

#include "ui/StartUp.h"

// Returns the exit code: 0 nothing found or all fixed, 1 problems found by a scan, 2 the run
// could not be completed (or its report could not be written).
int RunReport(const ReportRequest& request);
// A report run for the running user alone.
inline int RunReport(RunMode mode, const std::string& reportPath) {
  return RunReport({.wanted = true, .mode = mode, .path = reportPath});
}
