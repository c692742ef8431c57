// klarvex-offline: the scan of a Windows that is not running, for image pipelines.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/RunReport.h"
#include "offline/OfflineOptions.h"
#include "offline/OfflineScan.h"

int main(int argc, char** argv) {
  std::string error;
  const OfflineOptions options =
      ParseOfflineOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (options.help) {
    std::fputs(kOfflineHelp, stdout);
    return kExitClean;
  }
  // Progress is for a person watching: never into a pipeline's log.
  return RunOfflineScan(options, error.empty() ? error : error + " (see --help)",
                        !options.quiet && isatty(STDERR_FILENO) == 1);
}
