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
  SimRegistry registry;
  SimFiles files;
  SimProcess process;
  SimShell shell;
  SimCodePage codePage;

  void Install() { UsePlatform({&registry, &files, &process, &shell, &codePage}); }
};
