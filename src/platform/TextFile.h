// Reading text files whatever their encoding, and splitting text into lines.
#pragma once

#include <string>

#include "platform/Types.h"

// A text file decoded by its byte-order mark: FF FE UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8,
// anything else the ANSI code page. False when the file cannot be read.
bool ReadTextFile(const std::string& path, std::u16string& text);
// The text split into lines; a line break at the very end starts no further line.
WideList SplitLines(const std::u16string& text);
