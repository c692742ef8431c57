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
  SeamTime registry;    // every RegistryApi call
  SeamTime files;       // every FileApi call on the run's own thread, find-next steps included
  SeamTime process;     // every ProcessApi call
  SeamTime keyBackups;  // from a backup's first scratch-file call to its last
  SeamTime exports;     // the registry editor's /e runs alone
  SeamTime import;      // the registry editor's /s runs (the final import)
  SeamTime sleep;       // the pause before the import
  SeamTime undoWrites;  // whole-file writes of undo files
  SeamTime pump;        // filled in by the host
  // The index build: every file call made on another thread than the run's is the folder walk's.
  // Only that thread writes these; read them once the run has ended (the walk is joined then).
  SeamTime indexFiles;      // the walk's file calls
  uint64_t indexStart = 0;  // start of the walk's first call
  uint64_t indexEnd = 0;    // end of its last
  uint64_t indexFinds = 0;  // folders opened by the walk
  uint64_t indexEntries = 0;
  // The deletion script as the editor was given it: the run removes the file when it ends.
  Bytes importedScript;
};

// Installs the timing decorators over the platform in use now; the profile collects from then
// on. The thread that installs them is the run's; calls from any other are the index build's.
class TimedPlatform {
 public:
  TimedPlatform();
  ~TimedPlatform();
  TimedPlatform(const TimedPlatform&) = delete;
  TimedPlatform& operator=(const TimedPlatform&) = delete;

  void Install();
  // Puts the platform back as it was before Install.
  void Uninstall();
  RunProfile& Profile();
  // Closes a backup still open at the end of the run.
  void Finish();

 private:
  struct Impl;
  Impl* impl_;
};
