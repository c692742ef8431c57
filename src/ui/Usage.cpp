#include "ui/Usage.h"

#include "platform/RegistryOps.h"

bool AsksForUsage(const std::vector<std::string>& arguments) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0 && UpperAscii(arguments[i - 1]) == "/REPORT") continue;
    const std::string word = UpperAscii(arguments[i]);
    if (word == "/?" || word == "-H" || word == "--HELP") return true;
  }
  return false;
}

std::string UsageText() {
  // Under 80 columns: a console of that width wraps the 80th character onto a line of its own.
  static const char* const kLines[] = {
      "Klarvex removes obsolete registry entries, each backed up first.",
      "",
      "Usage:",
      "  Klarvex.exe                     the start page, as a double-click or CLEAN",
      "  Klarvex.exe CLEAN               the start page: Clean scans and repairs",
      "  Klarvex.exe SCAN                the preview: Scan lists what it finds and",
      "                                  changes nothing; Clean repairs what is ticked",
      "  Klarvex.exe UNDO                the Undo page: gives back what was removed",
      "  Klarvex.exe SCAN /report FILE   no window: a scan, its JSON report in FILE",
      "  Klarvex.exe CLEAN /report FILE  no window: a clean, its JSON report in FILE",
      "  ... SCAN|CLEAN /allusers ...    every user of the machine, each judged by",
      "                                  their own settings (needs elevation)",
      "  Klarvex.exe /?                  this text (also -h or --help)",
      "",
      "Commands are read without regard to case. A report run ends with exit code",
      "0 (nothing found), 1 (problems found, or repaired by CLEAN) or 2 (the run",
      "could not be completed; the report's \"error\" says why). Its last line on",
      "standard output is a JSON summary of the run.",
      "While a Klarvex window is open, a start without a command, CLEAN and UNDO",
      "are handed to that window; any other start is refused with exit code 2.",
      "The texts come from English.ini beside Klarvex.exe when it is there.",
  };
  std::string text;
  for (const char* line : kLines) text += std::string(line) + "\r\n";
  return text;
}
