// The whole simulated platform: registry, files, process, shell and code page in memory.
// Install() makes it the process-wide backend.
#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimCodePage.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"

struct SimPlatform {
  SimCodePage codePage;  // first: the registry converts through it
  SimRegistry registry{codePage};
  SimFiles files;
  SimProcess process;
  SimShell shell;

  void Install() { UsePlatform({&registry, &files, &process, &shell, &codePage}); }
};
