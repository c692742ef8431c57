// The process-wide backend, chosen once at start-up: Win32 in Klarvex.exe, the simulation in
// native tests. The free functions of the platform layer call through it.
#pragma once

#include "platform/CodePage.h"
#include "platform/FileApi.h"
#include "platform/ProcessApi.h"
#include "platform/RegistryApi.h"
#include "platform/ShellApi.h"

struct Platform {
  RegistryApi* registry = nullptr;
  FileApi* files = nullptr;
  ProcessApi* process = nullptr;
  ShellApi* shell = nullptr;
  CodePage* codePage = nullptr;
};

void UsePlatform(const Platform& platform);
const Platform& CurrentPlatform();

inline RegistryApi& Registry() { return *CurrentPlatform().registry; }
inline FileApi& Files() { return *CurrentPlatform().files; }
inline ProcessApi& Process() { return *CurrentPlatform().process; }
inline ShellApi& Shell() { return *CurrentPlatform().shell; }
inline CodePage& Ansi() { return *CurrentPlatform().codePage; }
