// One scan of a Windows that is not running: its hives and disk behind the platform seams, the
// engine's scan over them, and the same JSON report as a report run, in mode "offline-scan".
#pragma once

#include <string>

#include "offline/OfflineOptions.h"

// Returns the exit code: 0 nothing found, 1 problems found, 2 not completed. With an
// argumentError (what was wrong with the command line) nothing is scanned, but a report that
// has a place says why.
int RunOfflineScan(const OfflineOptions& options, const std::string& argumentError,
                   bool showProgress);
