// The floor a clean run is measured against: the same registry keys and values and the same
// folders, read with the plain Win32 calls and nothing else (one handle per level, no name
// lists, no upper-casing, no judgement), and one plain start of the registry editor.
#pragma once

#include <cstdint>
#include <string>

struct BareCount {
  double ms = 0;
  uint64_t keys = 0;     // keys opened (registry) or folders opened (files)
  uint64_t entries = 0;  // values read (registry) or files found (files)
};

// Opens, enumerates and reads what the five categories' checks read: the classes root's keys
// with their file type, class, icon and verb commands, every class's server and type library,
// every interface and type library tree up to its first value and their references, the Run
// and uninstall keys, the eighteen history keys and the per-user software tree outside the
// Microsoft and classes branches.
BareCount BareRegistryWalk();
// FindFirstFileA/FindNextFileA over folder (with trailing backslash) and everything below it.
BareCount BareFolderWalk(const std::string& folder);
// One hidden start of windowsDir + "regedit.exe" exporting key to file, waited for; the file
// is removed afterwards. Milliseconds.
double BareRegeditExport(const std::string& windowsDir, const std::string& file,
                         const std::string& key);
