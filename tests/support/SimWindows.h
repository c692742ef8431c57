// The settings every simulated Windows starts from, for the unit tests' machine and the fuzz
// targets' alike: the folders' registry values, the user's AppData, both classes keys, the
// Windows folder, the program's own path and the environment that names them.
#pragma once

#include <string>

#include "platform/sim/SimPlatform.h"

namespace simkeys {
inline constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Below it, one key a profile, named by the account's SID.
inline const std::string kProfileList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
}  // namespace simkeys

inline void StageWindows(SimPlatform& sim) {
  sim.registry.StageString(RootKey::LocalMachine, simkeys::kCurrentVersion, "ProgramFilesDir",
                           "C:\\Program Files");
  sim.registry.StageString(RootKey::LocalMachine, simkeys::kCurrentVersion, "CommonFilesDir",
                           "C:\\Program Files\\Common Files");
  sim.registry.StageString(RootKey::CurrentUser, simkeys::kShellFolders, "AppData",
                           "C:\\Users\\user\\AppData\\Roaming");
  sim.registry.StageKey(RootKey::LocalMachine, "SOFTWARE\\Classes");
  sim.registry.StageKey(RootKey::CurrentUser, "Software\\Classes");
  sim.process.windowsDirectory = "C:\\WINDOWS";
  sim.process.exePath = "C:\\Program Files\\Klarvex\\Klarvex.exe";
  for (const auto& [name, value] : {std::pair{"SystemRoot", "C:\\WINDOWS"},
                                    {"windir", "C:\\WINDOWS"},
                                    {"ProgramFiles", "C:\\Program Files"},
                                    {"SystemDrive", "C:"},
                                    {"APPDATA", "C:\\Users\\user\\AppData\\Roaming"}}) {
    sim.process.SetEnvironment(name, value);
  }
}
