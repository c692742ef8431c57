// The Klarvex window already running, found by what only Klarvex makes.
#pragma once

#include <windows.h>

// The main window of the running instance: a window of Klarvex's own class while another
// process holds the instance mutex. nullptr when there is none; this process then holds the
// mutex for the rest of its life, and so becomes the instance a later start finds.
HWND RunningInstance();
