// The files an elevated run may point a machine-wide entry at: only those that programs without
// elevation cannot change, nor swap by changing a folder above them.
#pragma once

#include <string>
#include <vector>

// The subfolders of the Windows folder that every user may write to. They are known by name, so
// they are kept out of the search even where no descriptor says who may change them.
class UserWritableFolders {
 public:
  explicit UserWritableFolders(const std::string& windowsDir);
  // Whether path is one of the folders or lies below one (ASCII letter case ignored).
  bool Hold(const std::string& path) const;

 private:
  std::vector<std::string> folders_;  // upper-cased, each ending with a backslash
};

// True when standard users can change neither the file at path (a local drive path) nor any
// folder between the drive's root and it, no folder on the way is a reparse point, and it does
// not lie in a user-writable Windows folder. A path that cannot be read is not trusted.
bool StandardUsersCannotChange(const std::string& path);
