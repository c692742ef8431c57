// The file system seam: find-first/find-next, attributes, folders, whole-file reads and writes.
// Paths are Windows paths in the ANSI code page.
#pragma once

#include <memory>

#include "platform/Types.h"

struct FindEntry {
  std::string name;
  uint32_t attributes = 0;
};

// One running find-first/find-next enumeration; closed when destroyed.
class FileSearch {
 public:
  virtual ~FileSearch() = default;
  // The next entry, false at the end.
  virtual bool Next(FindEntry& entry) = 0;
};

enum class DriveKind { Missing, Fixed, Removable, Remote, Other };

// Who may change a file or folder (write, append, delete, or take it over): only administrators
// and the system, standard users too, or Unknown where the platform keeps no descriptor that
// speaks of a standard user.
enum class ChangeRight { Unknown, StandardUsers, AdministratorsOnly };

class FileApi {
 public:
  virtual ~FileApi() = default;

  // FindFirstFileA on a pattern ("C:\dir\*.*", "C:\dir\*.reg" or an exact path); the first entry
  // is delivered by the first Next(). nullptr when nothing matches or the folder cannot be read.
  virtual std::unique_ptr<FileSearch> Find(const std::string& pattern) = 0;
  // GetFileAttributesA; fileattr::kInvalid when the path does not exist.
  virtual uint32_t Attributes(const std::string& path) = 0;
  // Creates a folder and every missing parent; true when the folder exists afterwards.
  virtual bool MakeFolders(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Whole-file read; false when the file cannot be opened or read.
  virtual bool ReadAll(const std::string& path, Bytes& data) = 0;
  // Whole-file write, replacing the file. Returns the Win32 status (kSuccess when every byte is
  // on disk), so a caller can name the system's reason.
  virtual long WriteAll(const std::string& path, const Bytes& data) = 0;
  // What kind of drive a path lies on ("C:\x" -> the drive C:\, "\\server\share" -> Remote).
  virtual DriveKind DriveOf(const std::string& path) = 0;
  // Whether a program without elevation may change the file or folder at path: its owner and
  // the rights its access list grants. A path whose descriptor cannot be read counts as
  // changeable by standard users.
  virtual ChangeRight WhoMayChange(const std::string& path) = 0;
  // A value from an INI file by the private-profile rules (GetPrivateProfileStringA on
  // Windows; the portable reader of LanguageFile.h over the file's bytes in the simulation).
  virtual std::string ReadProfileString(const std::string& path, const std::string& section,
                                        const std::string& key, const std::string& fallback) = 0;
};
