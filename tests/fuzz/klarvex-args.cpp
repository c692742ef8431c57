// The command line of Klarvex.exe, any program may start it with: split as Windows splits it,
// then the start decision and the report run read from its words.
#include "FuzzMachine.h"
#include "ui/StartUp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words = SplitCommandLine("Klarvex.exe " + FuzzText(data, size));
  words.erase(words.begin());
  const std::string command = CommandArgument(words.empty() ? "" : words[0]);
  DecideStart(command, false);
  DecideStart(command, true);
  const ReportRequest report = ReportOf(words);
  if (report.wanted && words.size() < 2) __builtin_trap();
  return 0;
}
