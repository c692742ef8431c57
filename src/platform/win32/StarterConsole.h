// Where a program of the window subsystem writes for the program that started it.
#pragma once

#include <string>

enum class StarterStream { Output, Errors };

// Writes text to that standard handle when it was redirected to a file or a pipe (a batch
// file's redirection), or else to the console of the process that started this one. False when
// there is neither, as for a start from the desktop.
bool WriteToStarter(StarterStream stream, const std::string& text);
