#include "platform/offline/OfflineFiles.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/ListedSearch.h"
#include "platform/TextFile.h"
#include "platform/offline/RegularFile.h"
#include "platform/sim/SimCodePage.h"

namespace {

// A folder of the host's that only answers what it is.
class HeldFolder : public HeldFile {
 public:
  HeldFolder(std::string path, bool trusted) : path_(std::move(path)), trusted_(trusted) {}
  HeldFacts Facts() override { return {fileattr::kDirectory, 1, trusted_, path_}; }
  long Read(Bytes&, size_t) override { return status::kAccessDenied; }
  long Replace(const Bytes&) override { return status::kAccessDenied; }
  long Append(const Bytes&) override { return status::kAccessDenied; }
  long Delete() override { return status::kAccessDenied; }
  ChangeRight WhoMayChange() override { return ChangeRight::Unknown; }

 private:
  std::string path_;
  bool trusted_;
};

bool OnDriveC(const std::string& path) {
  return path.size() >= 2 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' &&
         (path.size() == 2 || path[2] == '\\');
}

// Only a regular file is read, opened without waiting: a FIFO or a device on the disk (or given
// as the exclusions file) would hold the scan for good.
bool ReadLinuxFile(const std::string& path, Bytes& data) {
  int error = 0;
  const int file = OpenRegularFile(path, false, error);
  if (file < 0) return false;
  data.clear();
  unsigned char block[65536];
  ssize_t got = 0;
  while ((got = read(file, block, sizeof block)) > 0) data.insert(data.end(), block, block + got);
  close(file);
  return got == 0;
}

// The exclusions file the host was given, read through a handle like any file of its own.
class HeldHostFile : public HeldFile {
 public:
  HeldHostFile(std::string path, std::string hostPath)
      : path_(std::move(path)), hostPath_(std::move(hostPath)) {}
  HeldFacts Facts() override { return {fileattr::kArchive, 1, true, path_}; }
  long Read(Bytes& data, size_t limit) override {
    struct stat info {};
    if (stat(hostPath_.c_str(), &info) != 0) return status::kFileNotFound;
    if (static_cast<size_t>(info.st_size) > limit) return kFileTooLarge;
    return ReadLinuxFile(hostPath_, data) ? status::kSuccess : status::kAccessDenied;
  }
  long Replace(const Bytes&) override { return status::kAccessDenied; }
  long Append(const Bytes&) override { return status::kAccessDenied; }
  long Delete() override { return status::kAccessDenied; }
  ChangeRight WhoMayChange() override { return ChangeRight::Unknown; }

 private:
  // ERROR_FILE_TOO_LARGE
  static constexpr long kFileTooLarge = 223;
  std::string path_;
  std::string hostPath_;
};

}  // namespace

OfflineFiles::OfflineFiles(CodePage& codePage, std::string driveC, bool registryOnly)
    : codePage_(codePage), driveC_(std::move(driveC)), registryOnly_(registryOnly) {
  while (driveC_.size() > 1 && driveC_.back() == '/') driveC_.pop_back();
}

void OfflineFiles::SetHostFolder(const std::string& folder, const std::string& exclusions) {
  hostFolder_ = Folded(folder);
  exclusions_ = exclusions;
}

std::string OfflineFiles::DiskPathOf(const std::string& path) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string disk;
  return DiskPath(path, disk) ? disk : std::string();
}

std::u16string OfflineFiles::Folded(const std::string& path) const {
  std::u16string folded = FoldWide(codePage_.ToWide(path));
  while (folded.size() > 3 && folded.back() == u'\\') folded.pop_back();
  return folded;
}

const OfflineFiles::Listing& OfflineFiles::ListingOf(const std::string& folder) {
  auto [it, isNew] = listings_.try_emplace(folder);
  if (!isNew) return it->second;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string diskName = entry->d_name;
      if (diskName == "." || diskName == "..") continue;
      const std::u16string wide = Utf8Text(Bytes(diskName.begin(), diskName.end()));
      Entry found{diskName, {}, AttributesOnDisk(folder + "/" + diskName)};
      if (codePage_.ToAnsiName(wide, found.name) != status::kSuccess) found.name.clear();
      // Two names that differ only in case cannot both be reached from Windows: the first stays.
      it->second.try_emplace(FoldWide(wide), std::move(found));
    }
    closedir(dir);
  }
  return it->second;
}

uint32_t OfflineFiles::AttributesOnDisk(const std::string& disk) {
  struct stat link {};
  if (lstat(disk.c_str(), &link) != 0) return fileattr::kInvalid;
  if (S_ISLNK(link.st_mode)) {
    // A junction or link of the mounted disk: shown as one, never walked into.
    struct stat target {};
    const bool folder = stat(disk.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return fileattr::kReparsePoint | (folder ? fileattr::kDirectory : 0);
  }
  return S_ISDIR(link.st_mode) ? fileattr::kDirectory : fileattr::kArchive;
}

std::string OfflineFiles::ImageFileOf(const std::string& path, std::string& why) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string disk;
  std::string link;
  why.clear();
  if (!DiskPath(path, disk, &link)) return {};
  if (link.empty()) return disk;
  why = link + " is a link or junction of the disk, which the scan does not follow";
  return {};
}

bool OfflineFiles::DiskPath(const std::string& path, std::string& disk, std::string* link) {
  if (!OnDriveC(path)) return false;
  std::vector<std::string> parts;
  size_t start = 2;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  disk = driveC_;
  std::string windows = path.substr(0, 2);
  if (link != nullptr) link->clear();
  for (const std::string& part : parts) {
    const Listing& listing = ListingOf(disk);
    const auto it = listing.find(FoldWide(codePage_.ToWide(part)));
    if (it == listing.end()) return false;
    disk += "/" + it->second.diskName;
    windows += "\\" + part;
    if (link != nullptr && link->empty() && (it->second.attributes & fileattr::kReparsePoint) != 0)
      *link = windows;
  }
  return true;
}

OfflineFiles::HostPart OfflineFiles::HostPartOf(const std::string& path) const {
  if (hostFolder_.empty() || !OnDriveC(path)) return HostPart::None;
  const std::u16string folded = Folded(path);
  if (folded == hostFolder_) return HostPart::Folder;
  if (folded == hostFolder_ + u"\\EXCLUSIONS.TXT") return HostPart::Exclusions;
  const bool above =
      folded.size() > 3 && hostFolder_.starts_with(folded) && hostFolder_[folded.size()] == u'\\';
  return above ? HostPart::Above : HostPart::None;
}

uint32_t OfflineFiles::ExclusionsAttributes() const {
  struct stat info {};
  return !exclusions_.empty() && stat(exclusions_.c_str(), &info) == 0 && S_ISREG(info.st_mode)
             ? fileattr::kArchive
             : fileattr::kInvalid;
}

std::unique_ptr<FileSearch> OfflineFiles::Find(const std::string& pattern) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const size_t last = pattern.rfind('\\');
  if (last == std::string::npos || last + 1 >= pattern.size()) return nullptr;
  const std::string name = pattern.substr(last + 1);
  std::string disk;
  if (!DiskPath(pattern.substr(0, last), disk)) return nullptr;
  const std::string upper = codePage_.Upper(name);
  std::vector<FindEntry> found;
  const bool all = name == "*" || name == "*.*";
  if (all && last > 2) {
    found.push_back({".", fileattr::kDirectory});
    found.push_back({"..", fileattr::kDirectory});
  }
  for (const auto& [folded, entry] : ListingOf(disk)) {
    if (entry.name.empty()) continue;
    if (all || fnmatch(upper.c_str(), codePage_.Upper(entry.name).c_str(), FNM_NOESCAPE) == 0) {
      found.push_back({entry.name, entry.attributes});
    }
  }
  if (found.empty()) return nullptr;
  return std::make_unique<ListedSearch>(std::move(found));
}

uint32_t OfflineFiles::Attributes(const std::string& path) {
  const HostPart part = HostPartOf(path);
  if (part == HostPart::Folder) return fileattr::kDirectory;
  if (part == HostPart::Exclusions) return ExclusionsAttributes();
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string disk;
  if (DiskPath(path, disk)) return AttributesOnDisk(disk);
  return part == HostPart::Above ? fileattr::kDirectory : fileattr::kInvalid;
}

bool OfflineFiles::MakeFolders(const std::string&) { return false; }

bool OfflineFiles::RemoveFile(const std::string&) { return false; }

bool OfflineFiles::ReadAll(const std::string& path, Bytes& data) {
  const HostPart part = HostPartOf(path);
  if (part == HostPart::Exclusions) return !exclusions_.empty() && ReadLinuxFile(exclusions_, data);
  if (part == HostPart::Folder) return false;
  std::string disk;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!DiskPath(path, disk)) return false;
  }
  return ReadLinuxFile(disk, data);
}

long OfflineFiles::WriteAll(const std::string&, const Bytes&) { return status::kAccessDenied; }

DriveKind OfflineFiles::DriveOf(const std::string& path) {
  if (path.starts_with("\\\\")) return DriveKind::Remote;
  return OnDriveC(path.substr(0, 3)) && !registryOnly_ ? DriveKind::Fixed : DriveKind::Missing;
}

// Who may write on the disk of a Windows that is not running is not for this side to say.
ChangeRight OfflineFiles::WhoMayChange(const std::string&) { return ChangeRight::Unknown; }

// A scan writes nowhere, least of all on the disk it judges.
long OfflineFiles::MakeProtectedFolder(const std::string&, const std::string&) {
  return status::kAccessDenied;
}

std::string OfflineFiles::ReadProfileString(const std::string&, const std::string&,
                                            const std::string&, const std::string& fallback) {
  return fallback;
}

std::unique_ptr<HeldFile> OfflineFiles::Hold(const std::string& path, HoldMode mode, long& status) {
  status = status::kAccessDenied;
  if (mode == HoldMode::Read && HostPartOf(path) == HostPart::Exclusions &&
      ExclusionsAttributes() != fileattr::kInvalid) {
    status = status::kSuccess;
    return std::make_unique<HeldHostFile>(path, exclusions_);
  }
  if (mode != HoldMode::Folder) return nullptr;
  // Only the host's own folder is vouched for: it is the host's, not the image's.
  if (HostPartOf(path) == HostPart::Folder) return std::make_unique<HeldFolder>(path, true);
  if (!fileattr::NameAFolder(Attributes(path))) {
    status = status::kFileNotFound;
    return nullptr;
  }
  status = status::kSuccess;
  return std::make_unique<HeldFolder>(path, false);
}
