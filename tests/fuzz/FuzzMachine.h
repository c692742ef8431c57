// The simulated Windows every fuzz target that needs a platform runs on: the unit tests' settings
// with a few system files, both Program Files, an App Paths entry, a PATH, and the folders
// computed from them. It is made once per process; a target keeps the inputs it stages apart
// from it.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Paths.h"
#include "platform/offline/HiveFile.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimRegedit.h"
#include "support/SimWindows.h"

inline SimPlatform& FuzzMachine() {
  static SimPlatform* sim = [] {
    auto* machine = new SimPlatform;
    machine->Install();
    for (const char* file :
         {"C:\\WINDOWS\\regedit.exe", "C:\\WINDOWS\\notepad.exe",
          "C:\\WINDOWS\\System32\\kernel32.dll", "C:\\WINDOWS\\System32\\rundll32.exe",
          "C:\\WINDOWS\\SysWOW64\\kernel32.dll", "C:\\Program Files\\Vendor\\app.exe",
          "C:\\Program Files (x86)\\Vendor\\app32.exe", "C:\\Tools\\tool.cmd"}) {
      machine->files.PutFile(file);
    }
    StageWindows(*machine);
    machine->registry.StageString(RootKey::LocalMachine, simkeys::kCurrentVersion,
                                  "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
    machine->registry.StageString(RootKey::LocalMachine,
                                  std::string(simkeys::kCurrentVersion) + "\\App Paths\\vendor.exe",
                                  "", "C:\\Program Files\\Vendor\\app.exe");
    machine->process.SetEnvironment("ProgramFiles(x86)", "C:\\Program Files (x86)");
    machine->process.SetEnvironment("Path", "C:\\WINDOWS\\System32;C:\\Tools;%ProgramFiles%");
    InitPaths();
    InstallSimRegedit(*machine);
    return machine;
  }();
  return *sim;
}

inline std::string FuzzText(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// The input cut at NUL bytes: the words of a command line as the program receives them.
inline std::vector<std::string> FuzzWords(const uint8_t* data, size_t size) {
  std::vector<std::string> words(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      words.emplace_back();
    else
      words.back().push_back(static_cast<char>(data[i]));
  }
  return words;
}

// The input as a hive file, opened as klarvex-offline opens one; nullptr when it is none. The
// file is gone again once opened: the hive reads from the open descriptor.
inline std::unique_ptr<HiveFile> FuzzHive(const char* target, const uint8_t* data, size_t size) {
  const std::string path =
      "/tmp/klarvex-fuzz-" + std::string(target) + "-" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return nullptr;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  std::string why;
  std::unique_ptr<HiveFile> hive = HiveFile::Open(path, why);
  std::remove(path.c_str());
  return hive;
}
