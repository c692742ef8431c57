// The file system in memory: Windows paths compared without regard to case, files and folders
// with attributes, find-first/find-next with "." and "..", whole-file reads and writes. Safe to
// call from several threads at once, like the system's file functions.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/FileApi.h"

// Who owns a file or folder, for the undo folder's trust.
enum class SimOwner { User, Administrators, System, OtherUser };

// One file call about to happen, offered to SimFiles::failWhen.
struct SimFileCall {
  std::string call;  // "Find", "MakeFolder", "RemoveFile", "ReadAll", "WriteAll",
                     // "Append" (a held file's)
  std::string path;  // the path as normalised: "C:\WINDOWS\x.dll" (spelling kept)
};

class SimFiles : public FileApi {
 public:
  SimFiles();

  std::unique_ptr<FileSearch> Find(const std::string& pattern) override;
  uint32_t Attributes(const std::string& path) override;
  uint32_t Look(const std::string& path, long& why) override;
  bool MakeFolders(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool ReadAll(const std::string& path, Bytes& data) override;
  long WriteAll(const std::string& path, const Bytes& data) override;
  DriveKind DriveOf(const std::string& path) override;
  ChangeRight WhoMayChange(const std::string& path) override;
  std::string ReadProfileString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& fallback) override;
  std::unique_ptr<HeldFile> Hold(const std::string& path, HoldMode mode, long& status) override;
  long MakeProtectedFolder(const std::string& path, const std::string& readerSid) override;

  // --- Staging for tests: parents are created as needed, injected failures do not apply.
  void PutFile(const std::string& path, const std::string& content = {},
               uint32_t attributes = fileattr::kArchive);
  void PutFileBytes(const std::string& path, const Bytes& content,
                    uint32_t attributes = fileattr::kArchive);
  void PutFolder(const std::string& path, uint32_t attributes = fileattr::kDirectory);
  // A junction or folder link at path to target (which it shows as its content, as Windows
  // does): a folder entry with the reparse attribute.
  void PutFolderLink(const std::string& path, const std::string& target);
  // A second name for an existing file: both names share the bytes and count two links.
  void PutHardLink(const std::string& path, const std::string& existing);
  void SetOwner(const std::string& path, SimOwner owner);
  // Removes a file or a folder with everything below it.
  void Erase(const std::string& path);
  bool Exists(const std::string& path) const;
  // The file's bytes as text ("" when missing).
  std::string FileText(const std::string& path) const;
  // Full paths (as spelt) of the entries directly in a folder, sorted without regard to case.
  std::vector<std::string> List(const std::string& folder) const;
  // Lets programs without elevation change the file or folder (as a grant of write access to
  // Users does on Windows). Everything else may be changed by administrators only.
  void LetStandardUsersChange(const std::string& path);
  // Drive kinds by letter ("C"); letters not set are missing. C: starts as a fixed drive.
  void SetDrive(char letter, DriveKind kind);

  // --- A slow disk, for work that overlaps the folder walk: while held, every Find waits until
  // released (at most `limit`, so a test that never releases fails instead of hanging). The
  // other calls go on meanwhile.
  void HoldFinds(std::chrono::milliseconds limit = std::chrono::seconds(10));
  void ReleaseFinds();

  // --- Failure injection: a non-zero answer fails the call (WriteAll returns it as its
  // status, e.g. status::kDiskFull). Called with the file system locked, on the thread that
  // makes the call.
  std::function<long(const SimFileCall&)> failWhen;
  // --- Observation: called for every question that changes nothing ("Attributes", "DriveOf"),
  // on the thread that asks, with the file system locked.
  std::function<void(const SimFileCall&)> onQuestion;

  struct Entry {
    std::string path;  // full path as spelt
    uint32_t attributes = 0;
    Bytes data;
    uint32_t links = 1;
    SimOwner owner = SimOwner::User;
    std::string target;   // a folder link's target
    uint64_t fileId = 0;  // shared by the names of one hard-linked file; 0 for a single name
    bool standardUsersMayChange = false;
    bool operator==(const Entry&) const = default;
  };
  // Access and sharing of an open handle, as CreateFile's masks: read, write, delete.
  enum : uint32_t { kReadAccess = 1, kWriteAccess = 2, kDeleteAccess = 4 };
  // Every file and folder, for tests that prove a run changed nothing.
  const std::map<std::string, Entry>& Entries() const { return entries_; }

 private:
  friend class SimHeldFile;
  static Entry NewEntry(const std::string& path, uint32_t attributes, const Bytes& data = {});
  // "C:\Dir\x" with separators cleaned; its key is the upper-cased text.
  std::string Normalise(const std::string& path) const;
  // The normalised path with every folder link on the way replaced by its target (the last
  // part too when followLast); "" when the links lead round in a circle.
  std::string Resolve(const std::string& normalised, bool followLast, int depth = 0) const;
  // Whether a new handle with this access and sharing agrees with those open on the entry.
  bool ShareAllows(const std::string& key, uint32_t access, uint32_t share) const;
  // Writes data to the entry and every other name of the same file.
  void Store(Entry& entry, const Bytes& data);
  void EraseName(const std::string& key);
  static std::string Key(const std::string& normalised);
  static std::string Parent(const std::string& normalised);
  // The entry a path names; through a link in its last part only when followLast.
  const Entry* Lookup(const std::string& path, bool followLast = false) const;
  bool Makes(const std::string& normalised, bool honourFailures);
  long Fail(const std::string& call, const std::string& path) const;

  void WaitWhileFindsHeld();

  // Guards entries_ and drives_; recursive, as failWhen may look at the files.
  mutable std::recursive_mutex mutex_;
  std::map<std::string, Entry> entries_;  // upper-cased normalised path -> entry
  struct Opener {
    int id;
    uint32_t access;
    uint32_t share;
    bool deleteOnClose;
  };
  std::map<std::string, std::vector<Opener>> open_;  // key -> the handles open on it
  int nextOpener_ = 1;
  uint64_t nextFileId_ = 1;
  std::map<char, DriveKind> drives_;

  std::mutex holdMutex_;
  std::condition_variable released_;
  bool findsHeld_ = false;
  std::chrono::milliseconds holdLimit_{0};
};
