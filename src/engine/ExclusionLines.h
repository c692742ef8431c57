// Taking a line back out of the exclusions file, from the page that lists its lines.
#pragma once

#include <string>

// Removes line number (1-based) with its line break from the file at path, when that line still
// reads text (blanks around it aside); every other byte stays as it was, in the file's own
// encoding. False, with the reason, when the file could not be read or written, the line has
// changed since it was listed, or the file holds text that would not be written back unchanged.
bool RemoveExclusionLine(const std::string& path, size_t number, const std::string& text,
                         std::string& reason);
