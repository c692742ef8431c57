// What the checks learn of the files their entries name. Many entries name the same file (one
// server DLL serves many classes, one program many verbs), and nothing the checks do changes
// such a file: while a FileFactsKept lives, each path's attributes and each drive's kind are
// read from the file system once. Without one, every question goes to the file system.
#pragma once

#include <string>

#include "platform/FileApi.h"

class FileFactsKept {
 public:
  FileFactsKept();
  ~FileFactsKept();
  FileFactsKept(const FileFactsKept&) = delete;
  FileFactsKept& operator=(const FileFactsKept&) = delete;
};

// FileExists and FolderExists of a path an entry names, of any length. A path the system cannot
// be asked about (nor told that nothing is there) counts as a file: it rules nothing out.
bool NamedFileExists(const std::string& path);
bool NamedFolderExists(const std::string& path);
// The kind of drive a path an entry names lies on.
DriveKind NamedDriveKind(const std::string& path);
