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

// What a handle says about the file or folder it holds, whatever its path says now.
struct HeldFacts {
  uint32_t attributes = 0;  // fileattr::kReparsePoint for a link or junction itself
  uint32_t links = 0;       // hard links: names the file has
  // Owned by the user running the program, the Administrators group or the system: no other
  // account could have placed it or may change who can write it.
  bool trustedOwner = false;
  std::string finalPath;  // the path the system resolved for the handle
};

// Who may change a file or folder (write, append, delete, or take it over): only administrators
// and the system, standard users too, or Unknown where the platform keeps no descriptor that
// speaks of a standard user.
enum class ChangeRight { Unknown, StandardUsers, AdministratorsOnly };

// A file or folder opened by handle, without following a link or junction in its last part;
// closed when destroyed. Others may read it but not write, delete or rename it while it is held
// (a folder: not delete or rename it).
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  virtual HeldFacts Facts() = 0;
  // The whole content from the start; kFileTooLarge beyond limit bytes. Win32 status.
  virtual long Read(Bytes& data, size_t limit) = 0;
  // Replaces the whole content and flushes it to disk. Win32 status.
  virtual long Replace(const Bytes& data) = 0;
  // Adds data at the end and flushes it to disk; a failed append leaves the file as it was
  // where the system allows. Win32 status.
  virtual long Append(const Bytes& data) = 0;
  // Removes the file's name once the handle is closed. Win32 status.
  virtual long Delete() = 0;
  // AdministratorsOnly when it is owned by the system or the Administrators and its access list
  // (entries only passed on to what is made inside included) lets nobody else write, append,
  // delete or take it over: what a folder made for administrators alone looks like.
  virtual ChangeRight WhoMayChange() = 0;
  // Makes a folder of this name inside the held folder, relative to its handle (so wherever its
  // path now leads), as FileApi::MakeProtectedFolder makes one, and holds it as KeptFolder.
  // nullptr with the Win32 status (kAlreadyExists for a name that exists).
  virtual std::unique_ptr<HeldFile> MakeFolder(const std::string& /*name*/,
                                               const std::string& /*readerSid*/, long& status) {
    status = status::kAccessDenied;
    return nullptr;
  }
};

// How a file is held. Every file mode lets others read and nothing else.
enum class HoldMode {
  CreateNew,     // a new file (never one that exists) to write and delete
  Read,          // an existing file to read
  ReadToDelete,  // an existing file to read and then delete
  Write,         // an existing file to write
  Folder,        // an existing folder, only to ask about it; others may do anything
  Lock,          // a file to hold alone, created when missing: shared with nobody
  KeptFolder,    // an existing folder to make folders in, which nobody may rename or delete
};
class FileApi {
 public:
  virtual ~FileApi() = default;

  // FindFirstFileA on a pattern of any length ("C:\dir\*.*", "C:\dir\*.reg" or an exact path); the
  // first entry is delivered by the first Next(). nullptr when nothing matches or the folder cannot
  // be read.
  virtual std::unique_ptr<FileSearch> Find(const std::string& pattern) = 0;
  // GetFileAttributes of a path of any length; fileattr::kInvalid when the path does not exist
  // or cannot be asked about.
  virtual uint32_t Attributes(const std::string& path) = 0;
  // The same, with the system's reason when there are no attributes: kFileNotFound or
  // kPathNotFound when nothing is there, another status when the path could not be asked about.
  virtual uint32_t Look(const std::string& path, long& why) {
    const uint32_t attributes = Attributes(path);
    why = attributes == fileattr::kInvalid ? status::kFileNotFound : status::kSuccess;
    return attributes;
  }
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

  // Creates one folder (its parent must exist, a name that exists fails with kAlreadyExists)
  // owned by the Administrators, with full control for them and the system, reading for
  // readerSid, and nothing inherited from the folders above. Win32 status.
  virtual long MakeProtectedFolder(const std::string& path, const std::string& readerSid) = 0;

  // --- Files held by handle (see HeldFile). nullptr with the Win32 status when it cannot be
  // opened: kFileExists for CreateNew on an existing name, kSharingViolation while another
  // holder forbids it.
  virtual std::unique_ptr<HeldFile> Hold(const std::string& path, HoldMode mode, long& status) = 0;
};
