// The Klarvex window already running, to hand a CLEAN or UNDO request to.
#pragma once

#include <cstdint>

inline constexpr const char* kInstanceLockName = "Klarvex.Instance";

// The main window of the running instance: a window of Klarvex's class made by this program
// running with this process's elevation, while another process holds the instance lock (taken
// where a program of lower rights cannot take it first). 0 when there is none; this process then
// holds the lock for the rest of its life, and so becomes the instance a later start finds.
uintptr_t RunningInstance();
