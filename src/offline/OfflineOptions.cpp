#include "offline/OfflineOptions.h"

#include <map>

const char* const kOfflineHelp =
    "Usage: klarvex-offline --windows DIR [--user NAME | --ntuser FILE [--usrclass FILE]]\n"
    "                       --report FILE [--exclusions FILE] [--registry-only] [--quiet]\n"
    "\n"
    "Scans a Windows that is not running, from its disk mounted or unpacked below DIR, with the\n"
    "same rules as \"Klarvex.exe SCAN /report\", and writes the same JSON report (mode\n"
    "\"offline-scan\"). Nothing is written to the hives or the disk.\n"
    "\n"
    "  --windows DIR      the folder that stands for drive C: (it holds "
    "Windows\\System32\\config\\\n"
    "                     SOFTWARE); names below it are matched without regard to case, and\n"
    "                     files on other drives count as absent, so they are not judged\n"
    "  --user NAME        judge this user alone: the profile folder's name as the machine's\n"
    "                     ProfileList has it. Without --user and --ntuser every profile that\n"
    "                     ProfileList names is judged, each with the hives below its folder;\n"
    "                     a profile whose hives are missing or refused is skipped, with why,\n"
    "                     in the report's \"profiles\"\n"
    "  --ntuser FILE      judge this user's NTUSER.DAT alone instead of the profiles\n"
    "  --usrclass FILE    with --ntuser: the user's UsrClass.dat (HKCU\\Software\\Classes)\n"
    "  --report FILE      where the JSON report is written (its folder must exist); - for\n"
    "                     standard output (the summary line then goes to standard error)\n"
    "  --exclusions FILE  an Exclusions.txt to keep items by, as the program's own file does\n"
    "  --registry-only    judge the hives alone when DIR holds no Windows (a disk that was not\n"
    "                     mounted): no file is judged missing, and the report says so\n"
    "  --quiet            no progress line on standard error\n"
    "  --help             this text\n"
    "\n"
    "Exit codes: 0 nothing found, 1 problems found, 2 the scan could not be completed (a\n"
    "missing or damaged machine hive or hive given, a hive in the wrong role, no Windows\n"
    "below DIR, a user the machine does not list, an unreadable exclusions file, a wrong\n"
    "argument); the report's \"error\" says why.\n"
    "A progress line goes to standard error on a terminal; one summary line to standard output.\n";

OfflineOptions ParseOfflineOptions(const std::vector<std::string>& arguments, std::string& error) {
  OfflineOptions options;
  const std::map<std::string, std::string OfflineOptions::*> valued = {
      {"--windows", &OfflineOptions::windows}, {"--user", &OfflineOptions::user},
      {"--ntuser", &OfflineOptions::ntuser},   {"--usrclass", &OfflineOptions::usrclass},
      {"--report", &OfflineOptions::report},   {"--exclusions", &OfflineOptions::exclusions},
  };
  auto wrong = [&error](const std::string& why) {
    if (error.empty()) error = why;
  };
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--quiet" || argument == "-q") {
      options.quiet = true;
    } else if (argument == "--registry-only") {
      options.registryOnly = true;
    } else if (const auto it = valued.find(argument); it != valued.end()) {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        wrong(argument + " needs a value");
        break;
      }
      options.*(it->second) = arguments[++i];
    } else {
      wrong("unknown argument " + argument);
    }
  }
  if (options.help) return options;
  if (options.windows.empty())
    wrong("--windows DIR is required");
  else if (options.report.empty())
    wrong("--report FILE is required");
  else if (!options.user.empty() && !options.ntuser.empty())
    wrong("--user and --ntuser exclude each other");
  else if (!options.usrclass.empty() && options.ntuser.empty())
    wrong("--usrclass goes with --ntuser");
  return options;
}
