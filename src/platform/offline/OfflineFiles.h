// The file seam over a Windows disk mounted or unpacked below a Linux folder that stands for
// drive C:, read-only. Names match without regard to case, as on NTFS; every other drive is
// absent. The program's own folder (where Exclusions.txt is read) is the host's: a folder that
// exists for the run only, holding just the exclusions file the host was given.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileApi.h"

class OfflineFiles : public FileApi {
 public:
  // With registryOnly no file is judged: drive C: proves nothing, as an absent drive does.
  OfflineFiles(CodePage& codePage, std::string driveC, bool registryOnly = false);
  // folder: the Windows path of the program's own folder; exclusions: the Linux path of the
  // file read as its Exclusions.txt ("" for none).
  void SetHostFolder(const std::string& folder, const std::string& exclusions);
  // The Linux path of a file or folder on drive C: found without regard to case; "" when
  // there is none.
  std::string DiskPathOf(const std::string& path);
  // The same for a file the scan reads itself (a hive), reached through no link or junction;
  // "" when there is none, with why when a link lies on the way.
  std::string ImageFileOf(const std::string& path, std::string& why);

  std::unique_ptr<FileSearch> Find(const std::string& pattern) override;
  uint32_t Attributes(const std::string& path) override;
  bool MakeFolders(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool ReadAll(const std::string& path, Bytes& data) override;
  long WriteAll(const std::string& path, const Bytes& data) override;
  DriveKind DriveOf(const std::string& path) override;
  ChangeRight WhoMayChange(const std::string& path) override;
  long MakeProtectedFolder(const std::string& path, const std::string& readerSid) override;
  std::string ReadProfileString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& fallback) override;
  std::unique_ptr<HeldFile> Hold(const std::string& path, HoldMode mode, long& status) override;

 private:
  struct Entry {
    std::string diskName;  // as on the disk (UTF-8)
    std::string name;      // in the code page; "" when it cannot hold it
    uint32_t attributes = 0;
  };
  using Listing = std::unordered_map<std::u16string, Entry>;  // by folded name

  // The Linux path of a Windows path on drive C:; false when it lies elsewhere or is missing.
  // link, when given, gets the Windows path of the first link on the way ("" for none).
  bool DiskPath(const std::string& path, std::string& disk, std::string* link = nullptr);
  const Listing& ListingOf(const std::string& folder);
  uint32_t AttributesOnDisk(const std::string& disk);
  // What of the host's folder a path names: it answers for them, not the disk.
  enum class HostPart { None, Above, Folder, Exclusions };
  HostPart HostPartOf(const std::string& path) const;
  uint32_t ExclusionsAttributes() const;
  std::u16string Folded(const std::string& path) const;

  CodePage& codePage_;
  std::string driveC_;
  bool registryOnly_;
  std::u16string hostFolder_;  // folded, without a closing backslash
  std::string exclusions_;
  std::mutex mutex_;  // the index build walks on its own thread
  std::unordered_map<std::string, Listing> listings_;
};
