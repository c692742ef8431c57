// The simulated registry editor, so native tests run the same flows as Windows: "/e file key"
// exports a key as the system's editor writes it, "/s file" imports a registry script. Like the
// real one it reports nothing; callers find out by looking at the file or the registry.
#pragma once

#include <string>
#include <vector>

#include "platform/RegScript.h"

struct SimPlatform;

// One run of the editor with the command-line text that CreateProcessA would pass (its first
// word is the program's name, as CommandLineToArgvW takes it). Works on the current platform.
void RunSimRegedit(const std::string& commandLine);
// Registers the editor as the simulated process's Windows folder + "\regedit.exe".
void InstallSimRegedit(SimPlatform& sim);

// The words of a command line by CommandLineToArgvW's rules.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// Carries out an import's operations on the current registry.
void ApplyScript(const ParsedScript& script);
