// The command line's usage: when a start asks for it, and the text printed for it.
#pragma once

#include <string>
#include <vector>

// arguments: the command line's arguments after the program's name. True when one of them is
// "/?", "-h" or "--help" (case ignored); the word after /report is a file name, whatever it reads.
bool AsksForUsage(const std::vector<std::string>& arguments);

// Every command line form with what it does, the exit codes of the runs without a window and
// what a running window takes; lines end with CRLF.
std::string UsageText();
