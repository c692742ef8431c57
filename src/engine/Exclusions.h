// The user's exclusions: keys and values that a run never judges, read from Exclusions.txt
// beside the undo files. A key keeps itself and everything below it; a value keeps only itself.
#pragma once

#include <string>
#include <vector>

#include "engine/RunMessages.h"
#include "platform/Types.h"

inline constexpr const char* kExclusionsFileName = runmsg::kExclusionsFile;

class Exclusions {
 public:
  struct Line {
    size_t number = 0;  // 1-based line number in the file
    std::string text;
    size_t kept = 0;  // items this line kept in the current run
  };

  // The file's lines; bad lines are collected, not applied.
  static Exclusions Parse(const std::u16string& text);
  // A missing or unreadable file means no exclusions.
  static Exclusions Load(const std::string& path);

  // Whether a line keeps the item: a key (to be removed with everything below it) or, with
  // valueName, one value. The first line that keeps it counts it.
  bool Keeps(RootKey root, const std::string& keyPath, const std::string* valueName);

  const std::vector<Line>& Lines() const { return lines_; }
  const std::vector<Line>& BadLines() const { return badLines_; }

 private:
  struct Entry {
    std::string key;  // canonical: upper-cased, classes views merged, single backslashes
    bool isValue = false;
    std::string value;  // upper-cased
  };
  std::vector<Entry> entries_;  // one per line in lines_
  std::vector<Line> lines_;
  std::vector<Line> badLines_;
};

// Writes the commented example when no file is there yet; a failed write is not an error.
void CreateExclusionsFile(const std::string& path);
