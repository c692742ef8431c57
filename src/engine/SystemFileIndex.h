// One line per file below the Windows and Program Files folders, NAME=FOLDER, in the order the
// walk found them; looked up by bare file name, first match wins, letter case ignored.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/Types.h"

class SystemFileIndex {
 public:
  void Clear();
  // name must already be upper-cased by the code page's rules; folder ends with a backslash.
  void Add(const std::string& upperName, const std::string& folder);
  // Index of the first line whose name equals fileName without regard to case; -1 if none.
  int Find(const std::string& fileName) const;
  // The next line after `line` with the same name; -1 after the last.
  int NextOfName(int line) const { return next_.at(static_cast<size_t>(line)); }
  // The folder part of line i (after its first "=").
  std::string FolderOf(int line) const;
  const TextList& Lines() const { return lines_; }
  size_t Count() const { return lines_.size(); }

 private:
  TextList lines_;
  struct Named {
    int first;
    int last;
  };
  std::unordered_map<std::string, Named> named_;  // upper-cased name -> its first and last line
  std::vector<int> next_;                         // per line: the next of its name, or -1
};
