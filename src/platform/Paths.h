// System folders, computed once at start-up, and the path text operations of the checks.
#pragma once

#include <cstdint>
#include <string>

struct Folders {
  std::string exeDir;      // no trailing backslash
  std::string windowsDir;  // each of the rest ends with a backslash
  std::string programFilesDir;
  std::string commonFilesDir;
  std::string profileDir;
  std::string undoDir;
};

// The process-wide folders; empty until InitPaths.
extern Folders gFolders;
inline const std::string& ExeDir() { return gFolders.exeDir; }
inline const std::string& WindowsDir() { return gFolders.windowsDir; }
inline const std::string& ProgramFilesDir() { return gFolders.programFilesDir; }
inline const std::string& CommonFilesDir() { return gFolders.commonFilesDir; }
inline const std::string& ProfileDir() { return gFolders.profileDir; }
inline const std::string& UndoDir() { return gFolders.undoDir; }

// Sets the six folders and creates UndoDir (falling back to ExeDir + "\" when it cannot).
void InitPaths();

std::string ExpandPathVars(const std::string& text);
std::string CommandToFilePath(const std::string& text);
std::string TwoDigits(uint16_t n);
std::string EscapeBackslashes(const std::string& text);

// The part of a path after its last backslash or colon (the whole text when it has neither).
std::string FileNamePart(const std::string& path);
// True when a find-first search on exactly this path yields an entry that is not a folder.
bool FileExists(const std::string& path);
// True when the path's attributes can be read and carry the directory flag.
bool FolderExists(const std::string& path);
