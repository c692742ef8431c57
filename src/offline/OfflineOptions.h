// The command line of klarvex-offline.
#pragma once

#include <string>
#include <vector>

struct OfflineOptions {
  std::string windows;  // the folder that stands for drive C:
  std::string user;     // a profile's folder name, as ProfileList names it
  std::string ntuser;   // or the user's hive files themselves
  std::string usrclass;
  std::string report;         // "-" for standard output
  std::string exclusions;     // "" for none
  bool registryOnly = false;  // judge no file: the disk is not there or not mounted
  bool quiet = false;
  bool help = false;

  // No user named: every profile the machine lists is judged.
  bool EveryProfile() const { return user.empty() && ntuser.empty(); }
};

// The options, or in error the first thing wrong with them; the options after a wrong one are
// still read, so that a report named there can say what was wrong.
OfflineOptions ParseOfflineOptions(const std::vector<std::string>& arguments, std::string& error);
extern const char* const kOfflineHelp;
