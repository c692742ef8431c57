// The benchmark's profile of a clean run, taken at the platform seams: decorators around the
// registry, file and process backends that add up the time spent inside each call, and tell
// apart the phases a run goes through (folder index, key backups, the final import) by what
// is being called. Nothing in the engine knows it is being timed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

// A cheap clock: the processor's time-stamp counter where there is one (a few nanoseconds per
// read, where the system clock under Wine costs a system call), calibrated against steady_clock.
uint64_t Ticks();
double TicksToMs(uint64_t ticks);
// Measures the counter's rate over a short wait; call once before any TicksToMs.
void CalibrateTicks();

struct SeamTime {
  uint64_t calls = 0;
  uint64_t ticks = 0;
};

struct RunProfile {
  SeamTime registry;        // every RegistryApi call
  SeamTime files;           // every FileApi call, the find-next steps included
  SeamTime process;         // every ProcessApi call
  SeamTime keyBackups;      // from a backup's first scratch-file call to its last
  SeamTime exports;         // the registry editor's /e runs alone
  SeamTime import;          // the registry editor's /s runs (the final import)
  SeamTime sleep;           // the pause before the import
  SeamTime undoWrites;      // whole-file writes of undo files
  SeamTime pump;            // filled in by the host
  SeamTime indexPump;       // the part of `pump` spent while the index was built
  uint64_t indexStart = 0;  // first find in the Windows folder
  uint64_t indexEnd = 0;    // first registry call after it
  uint64_t indexFinds = 0;  // folders opened while the index was built
  uint64_t indexEntries = 0;
};

// Installs the timing decorators over the platform in use now; the profile collects from then
// on. windowsDir is the folder whose "*.*" find starts the index build.
class TimedPlatform {
 public:
  TimedPlatform();
  ~TimedPlatform();
  TimedPlatform(const TimedPlatform&) = delete;
  TimedPlatform& operator=(const TimedPlatform&) = delete;

  void Install(const std::string& windowsDir);
  // Puts the platform back as it was before Install.
  void Uninstall();
  RunProfile& Profile();
  // Closes a backup still open at the end of the run.
  void Finish();
  bool InIndexBuild() const;

 private:
  struct Impl;
  Impl* impl_;
};
