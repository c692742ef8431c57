// The command line of klarvex-offline as a pipeline passes it: one word per NUL-separated part.
#include "FuzzMachine.h"
#include "offline/OfflineOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const OfflineOptions options = ParseOfflineOptions(FuzzWords(data, size), error);
  // Options that parsed name the disk and the report; an error always says what is wrong.
  if (error.empty() && !options.help && (options.windows.empty() || options.report.empty()))
    __builtin_trap();
  return 0;
}
