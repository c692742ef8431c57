// Where Windows looks for a program named without a folder ("kvxtool.exe /tray"), in its order:
// the App Paths registrations of the user and of the machine, the Windows folders, the folders
// of the system's and the user's PATH, the shell's app execution aliases; and last, where a
// check asks for it, the system file index.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Paths.h"

// While one lives, App Paths and PATH are read from the registry once, at its creation; without
// one, each question reads them anew. lastPlace is asked about a bare name found nowhere else:
// true when it holds the name or cannot rule it out.
class ProgramSearchKept {
 public:
  explicit ProgramSearchKept(std::function<bool(const std::string& name)> lastPlace = {});
  ~ProgramSearchKept();
  ProgramSearchKept(const ProgramSearchKept&) = delete;
  ProgramSearchKept& operator=(const ProgramSearchKept&) = delete;
};

// The places a check leaves out of the search.
struct SearchPlaces {
  // An application path is not judged by its own registration.
  bool appPaths = true;
  // A class whose server is found only in the index has moved: its check repairs that.
  bool lastPlace = true;
};

// The names Windows tries for a program: the name itself and, when its file name has no
// extension, the name with .EXE, .COM, .BAT and .CMD, in that order.
std::vector<std::string> ProgramNameForms(const std::string& path);

// True when Windows, asked to start the program `name` (no folder, drive or variable), finds
// it in one of the places, or when a place (a PATH folder on a drive that proves nothing) cannot
// rule it out.
bool FindsBareProgram(const std::string& name, ProgramKind kind, SearchPlaces places = {});
