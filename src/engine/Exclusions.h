// The user's exclusions: keys and values that a run never judges, read from Exclusions.txt
// beside the undo files. A key keeps itself and everything below it; a value keeps only itself.
#pragma once

#include <string>
#include <vector>

#include "engine/RunMessages.h"
#include "platform/Paths.h"
#include "platform/Types.h"

inline constexpr const char* kExclusionsFileName = runmsg::kExclusionsFile;
// The user edits it, so it stays in the user's own folder also for an elevated run.
inline std::string ExclusionsFile() { return UserUndoDir() + kExclusionsFileName; }
// The largest Exclusions.txt read: far above any list a person keeps by hand.
inline constexpr size_t kMaxExclusionsFile = 1u << 20;

class Exclusions {
 public:
  // One key (with everything below it), or one value of it, in the form lines are compared in.
  struct Entry {
    std::string key;  // canonical: upper-cased, classes views merged, single backslashes
    bool isValue = false;
    std::string value;  // upper-cased
    bool operator==(const Entry&) const = default;
  };
  static Entry EntryFor(RootKey root, const std::string& keyPath, const std::string* valueName);
  // Whether excluding one item keeps another: a key keeps everything at or below it, a value only
  // itself; and an item whose removal would take the excluded one along is kept too.
  static bool Covers(const Entry& excluded, const Entry& item);

  struct Line {
    size_t number = 0;  // 1-based line number in the file
    std::string text;
    size_t kept = 0;  // items this line kept in the current run
  };

  // The file's lines; bad lines are collected, not applied.
  static Exclusions Parse(const std::u16string& text);
  // A missing file means no exclusions. One that is there but is a link, lies behind one, has a
  // second name, is larger than kMaxExclusionsFile or cannot be read is refused: the user edits
  // it, so an elevated run would otherwise read any file for him.
  static Exclusions Load(const std::string& path);
  // The read's Win32 status when the file was refused, else kSuccess.
  long Refused() const { return refused_; }

  // Whether a line keeps the item: a key (to be removed with everything below it) or, with
  // valueName, one value. The first line that keeps it counts it, unless counted is false (the
  // item was counted already, through another view of the classes root).
  bool Keeps(RootKey root, const std::string& keyPath, const std::string* valueName,
             bool counted = true);
  // Kept for this run only, as a line of the file would keep it; not one of Lines().
  void KeepForThisRun(const Entry& entry) { runOnly_.push_back(entry); }

  const std::vector<Line>& Lines() const { return lines_; }
  const std::vector<Line>& BadLines() const { return badLines_; }

 private:
  friend bool AddExclusion(const std::string&, RootKey, const std::string&, const std::string*,
                           std::string&);
  std::vector<Entry> entries_;  // one per line in lines_
  std::vector<Entry> runOnly_;
  std::vector<Line> lines_;
  std::vector<Line> badLines_;
  long refused_ = 0;
};

// Writes the commented example when no file is there yet; a failed write is not an error.
void CreateExclusionsFile(const std::string& path);
// "Ignore always": appends the line naming the key, or with valueName one value of it, to the
// file at path (made with its example first when there is none), in the file's own encoding so
// that nothing already there changes. False, with the reason, when the file could not be read or
// written, or when that line would not read back as this very item (a name ending in a blank).
bool AddExclusion(const std::string& path, RootKey root, const std::string& keyPath,
                  const std::string* valueName, std::string& reason);
