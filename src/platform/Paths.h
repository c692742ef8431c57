// System folders, computed once at start-up, and the path text operations of the checks.
#pragma once

#include <cstdint>
#include <string>

struct Folders {
  std::string exeDir;      // no trailing backslash
  std::string windowsDir;  // each of the rest ends with a backslash
  std::string programFilesDir;
  std::string commonFilesDir;
  // A 32-bit program's folders ("ProgramFilesDir (x86)", "CommonFilesDir (x86)"); the 64-bit
  // ones where Windows has no such value.
  std::string programFilesX86Dir;
  std::string commonFilesX86Dir;
  std::string profileDir;
  // The running user's profile folder, as the machine's profile list names it for the user's
  // account (else the folder above the user's roaming data); with a final backslash.
  std::string userProfileDir;
  // An elevated run's user folder setting that pointed outside the user's profile, and was
  // ignored for the default place below it; "" when none was.
  std::string ignoredFolderSetting;
  // An elevated run's first folder from the user's profile down to userUndoDir that another
  // account owns: nothing is read from it, written to it or made in it. "" when there is none,
  // and for a run without elevation.
  std::string untrustedUserFolder;
  // Where the run keeps its undo files, deletion script and exports: userUndoDir for a standard
  // run, a folder below programDataDir that only administrators may change for an elevated one.
  std::string undoDir;
  // The undo folder the user's profile gives (Shell Folders\AppData); Exclusions.txt lives there.
  std::string userUndoDir;
  std::string programDataDir;  // no trailing backslash; "" for a standard run
  bool elevated = false;
};

// The process-wide folders; empty until InitPaths.
extern Folders gFolders;
inline const std::string& ExeDir() { return gFolders.exeDir; }
inline const std::string& WindowsDir() { return gFolders.windowsDir; }
inline const std::string& ProgramFilesDir() { return gFolders.programFilesDir; }
inline const std::string& CommonFilesDir() { return gFolders.commonFilesDir; }
inline const std::string& ProgramFilesX86Dir() { return gFolders.programFilesX86Dir; }
inline const std::string& CommonFilesX86Dir() { return gFolders.commonFilesX86Dir; }
inline const std::string& ProfileDir() { return gFolders.profileDir; }
inline const std::string& UserProfileDir() { return gFolders.userProfileDir; }
inline const std::string& UndoDir() { return gFolders.undoDir; }
inline const std::string& UserUndoDir() { return gFolders.userUndoDir; }

// Which program a path is named for: a 32-bit program on 64-bit Windows finds its system
// folder redirected and its own Program Files folders and variables.
enum class ProgramKind { k64Bit, k32Bit };

// Sets the folders and creates UndoDir when it is missing (CheckUndoFolder says whether it can
// be used). An elevated run makes its protected folder; it makes the user's folder only where
// no link lies on the way.
void InitPaths();

std::string ExpandPathVars(const std::string& text, ProgramKind kind = ProgramKind::k64Bit);
// For a 32-bit program the result is the path as that program reaches it (see RedirectedFor32Bit).
std::string CommandToFilePath(const std::string& text, ProgramKind kind = ProgramKind::k64Bit);
// Where a 32-bit program's access to path lands: WindowsDir's System32 (but for the folders
// Windows exempts), lastgood\System32 and regedit.exe lie in SysWOW64; Sysnative is System32.
std::string RedirectedFor32Bit(const std::string& path);
std::string TwoDigits(uint16_t n);
std::string EscapeBackslashes(const std::string& text);

// A folder's path without the backslashes it ends with; a drive's root (C:\) keeps its own.
std::string WithoutBackslash(std::string folder);
// path ending in a backslash (one added when it has none).
std::string WithBackslash(std::string path);
// The name of the last folder of a folder's path: "Anna" for C:\Users\Anna\.
std::string FolderName(const std::string& folder);
// The part of a path after its last backslash or colon (the whole text when it has neither).
std::string FileNamePart(const std::string& path);
// True when a find-first search on exactly this path yields an entry that is not a folder.
bool FileExists(const std::string& path);
// True when the path's attributes can be read and carry the directory flag.
bool FolderExists(const std::string& path);
