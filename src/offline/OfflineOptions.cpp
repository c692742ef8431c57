#include "offline/OfflineOptions.h"

#include <map>

const char* const kOfflineHelp =
    "Usage: klarvex-offline --windows DIR [--user NAME | --ntuser FILE [--usrclass FILE]]\n"
    "                       --report FILE [--exclusions FILE] [--quiet]\n"
    "\n"
    "Scans a Windows that is not running, from its disk mounted or unpacked below DIR, with the\n"
    "same rules as \"Klarvex.exe SCAN /report\", and writes the same JSON report (mode\n"
    "\"offline-scan\"). Nothing is written to the hives or the disk.\n"
    "\n"
    "  --windows DIR      the folder that stands for drive C: (it holds "
    "Windows\\System32\\config\\\n"
    "                     SOFTWARE); names below it are matched without regard to case, and\n"
    "                     files on other drives count as absent, so they are not judged\n"
    "  --user NAME        the user whose registry is judged: the profile folder's name as the\n"
    "                     machine's ProfileList has it (needed when there are several users)\n"
    "  --ntuser FILE      the user's NTUSER.DAT instead of the one of a profile\n"
    "  --usrclass FILE    with --ntuser: the user's UsrClass.dat (HKCU\\Software\\Classes)\n"
    "  --report FILE      where the JSON report is written (its folder must exist)\n"
    "  --exclusions FILE  an Exclusions.txt to keep items by, as the program's own file does\n"
    "  --quiet            no progress line on standard error\n"
    "  --help             this text\n"
    "\n"
    "Exit codes: 0 nothing found, 1 problems found, 2 the scan could not be completed (a\n"
    "missing or damaged hive, an unwritable report); the report's \"error\" says why.\n"
    "A progress line goes to standard error on a terminal; one summary line to standard output.\n";

OfflineOptions ParseOfflineOptions(const std::vector<std::string>& arguments, std::string& error) {
  OfflineOptions options;
  const std::map<std::string, std::string OfflineOptions::*> valued = {
      {"--windows", &OfflineOptions::windows}, {"--user", &OfflineOptions::user},
      {"--ntuser", &OfflineOptions::ntuser},   {"--usrclass", &OfflineOptions::usrclass},
      {"--report", &OfflineOptions::report},   {"--exclusions", &OfflineOptions::exclusions},
  };
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--quiet" || argument == "-q") {
      options.quiet = true;
    } else if (const auto it = valued.find(argument); it != valued.end()) {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = argument + " needs a value";
        return options;
      }
      options.*(it->second) = arguments[++i];
    } else {
      error = "unknown argument " + argument;
      return options;
    }
  }
  if (options.help) return options;
  if (options.windows.empty())
    error = "--windows DIR is required";
  else if (options.report.empty())
    error = "--report FILE is required";
  else if (!options.user.empty() && !options.ntuser.empty())
    error = "--user and --ntuser exclude each other";
  else if (!options.usrclass.empty() && options.ntuser.empty())
    error = "--usrclass goes with --ntuser";
  return options;
}
