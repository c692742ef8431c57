// The command line of klarvex-offline.
#pragma once

#include <string>
#include <vector>

struct OfflineOptions {
  std::string windows;  // the folder that stands for drive C:
  std::string user;     // a profile's folder name, as ProfileList names it
  std::string ntuser;   // or the user's hive files themselves
  std::string usrclass;
  std::string report;
  std::string exclusions;  // "" for none
  bool quiet = false;
  bool help = false;
};

// The options, or in error what is wrong with them.
OfflineOptions ParseOfflineOptions(const std::vector<std::string>& arguments, std::string& error);
extern const char* const kOfflineHelp;
