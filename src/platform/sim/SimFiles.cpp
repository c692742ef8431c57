#include "platform/sim/SimFiles.h"

#include <utility>

#include "platform/LanguageFile.h"
#include "platform/ListedSearch.h"
#include "platform/sim/SimCodePage.h"

namespace {
// '*' and '?' compared without regard to case; "*.*" matches names without a dot too.
bool Matches(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  const std::string p = Cp1252Upper(pattern);
  const std::string n = Cp1252Upper(name);
  size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

bool IsUnc(const std::string& path) {
  return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::string LastPart(const std::string& normalised) {
  const size_t last = normalised.rfind('\\');
  return last == std::string::npos ? normalised : normalised.substr(last + 1);
}
}  // namespace

SimFiles::Entry SimFiles::NewEntry(const std::string& path, uint32_t attributes,
                                   const Bytes& data) {
  Entry entry;
  entry.path = path;
  entry.attributes = attributes;
  entry.data = data;
  return entry;
}

SimFiles::SimFiles() { SetDrive('C', DriveKind::Fixed); }

std::string SimFiles::Normalise(const std::string& path) const {
  std::string text = path;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  std::string root;
  std::string rest;
  if (IsUnc(text)) {
    root = "\\\\";
    rest = text.substr(2);
  } else if (text.size() >= 2 && text[1] == ':') {
    root = std::string(1, static_cast<char>(Cp1252Upper(text.substr(0, 1))[0])) + ":";
    rest = text.substr(2);
  } else {
    root = "C:";  // the current drive and folder are C:\ in the simulation
    rest = text;
  }
  // Doubled separators count as one, as Windows' file functions treat them.
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&] {
    // The system drops the dots and blanks that end a name ("Program Files." is the folder).
    if (part != "." && part != "..") {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    }
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : rest) {
    if (c == '\\') {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  std::string result = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 || root != "\\\\") result += '\\';
    result += parts[i];
  }
  return result;
}

std::string SimFiles::Key(const std::string& normalised) { return Cp1252Upper(normalised); }

std::string SimFiles::Parent(const std::string& normalised) {
  const size_t last = normalised.rfind('\\');
  if (last == std::string::npos || (IsUnc(normalised) && last < 2)) return {};
  return normalised.substr(0, last);
}

const SimFiles::Entry* SimFiles::Lookup(const std::string& path, bool followLast) const {
  auto it = entries_.find(Key(Resolve(Normalise(path), followLast)));
  return it == entries_.end() ? nullptr : &it->second;
}

// Windows gives up after 63 reparse points in one name (ERROR_CANT_RESOLVE_FILENAME).
std::string SimFiles::Resolve(const std::string& normalised, bool followLast, int depth) const {
  constexpr int kMaxLinks = 63;
  // The drive ("C:") or the share ("\\server\share") is never a link.
  size_t start = normalised.find('\\');
  if (IsUnc(normalised)) {
    const size_t share = normalised.find('\\', 2);
    start = share == std::string::npos ? share : normalised.find('\\', share + 1);
  }
  if (start == std::string::npos) return normalised;
  std::string at = normalised.substr(0, start);
  while (start < normalised.size()) {
    size_t end = normalised.find('\\', start + 1);
    if (end == std::string::npos) end = normalised.size();
    at += normalised.substr(start, end - start);
    start = end;
    auto it = entries_.find(Key(at));
    if (it == entries_.end() || it->second.target.empty()) continue;
    if (start == normalised.size() && !followLast) continue;
    if (depth >= kMaxLinks) return {};
    at = Resolve(Normalise(it->second.target), true, depth + 1);
    if (at.empty()) return {};
  }
  return at;
}

bool SimFiles::ShareAllows(const std::string& key, uint32_t access, uint32_t share) const {
  auto it = open_.find(key);
  if (it == open_.end()) return true;
  for (const Opener& o : it->second) {
    if ((access & ~o.share) != 0 || (o.access & ~share) != 0) return false;
  }
  return true;
}

void SimFiles::Store(Entry& entry, const Bytes& data) {
  entry.data = data;
  if (entry.fileId == 0) return;
  for (auto& [key, other] : entries_) {
    if (other.fileId == entry.fileId) other.data = data;
  }
}

void SimFiles::EraseName(const std::string& key) {
  auto it = entries_.find(key);
  if (it == entries_.end()) return;
  const uint64_t id = it->second.fileId;
  entries_.erase(it);
  if (id == 0) return;
  for (auto& [other, entry] : entries_) {
    if (entry.fileId == id) --entry.links;
  }
}

long SimFiles::Fail(const std::string& call, const std::string& path) const {
  return failWhen ? failWhen(SimFileCall{call, path}) : status::kSuccess;
}

std::unique_ptr<FileSearch> SimFiles::Find(const std::string& pattern) {
  WaitWhileFindsHeld();
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  // A find-first search fails on a path that ends with a separator; one of MAX_PATH or more is
  // listed in its long form.
  if (pattern.empty() || pattern.back() == '\\' || pattern.back() == '/') return nullptr;
  const std::string normalised = Normalise(pattern);
  if (Fail("Find", normalised) != status::kSuccess) return nullptr;
  const std::string name = LastPart(normalised);
  std::vector<FindEntry> found;
  if (name.find_first_of("*?") == std::string::npos) {
    // An exact name finds the entry itself, a link as the link.
    const Entry* entry = Lookup(normalised);
    if (entry == nullptr || Parent(normalised).empty()) return nullptr;
    found.push_back({LastPart(entry->path), entry->attributes});
    return std::make_unique<ListedSearch>(std::move(found));
  }
  // A folder reached through a link lists its target's entries.
  const std::string folder = Resolve(Parent(normalised), true);
  const Entry* folderEntry = folder.empty() ? nullptr : Lookup(folder);
  if (folderEntry == nullptr || (folderEntry->attributes & fileattr::kDirectory) == 0) {
    return nullptr;
  }
  // Every folder but a drive's root lists itself and its parent first.
  if (!Parent(folder).empty()) {
    for (const char* dots : {".", ".."}) {
      if (Matches(name, dots)) found.push_back({dots, fileattr::kDirectory});
    }
  }
  const std::string prefix = Key(folder) + "\\";
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
    const std::string child = LastPart(it->second.path);
    if (Matches(name, child)) found.push_back({child, it->second.attributes});
  }
  if (found.empty()) return nullptr;
  return std::make_unique<ListedSearch>(std::move(found));
}

uint32_t SimFiles::Attributes(const std::string& path) {
  long why = status::kSuccess;
  return Look(path, why);
}

uint32_t SimFiles::Look(const std::string& path, long& why) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (onQuestion) onQuestion(SimFileCall{"Attributes", Normalise(path)});
  // Even the wide calls with the "\\?\" form end at 32,767 characters.
  constexpr size_t kLongestPath = 32767;
  if (path.size() > kLongestPath) {
    why = status::kFileNameTooLong;
    return fileattr::kInvalid;
  }
  // GetFileAttributes tells about a link itself, not where it leads: an app execution alias
  // (an empty file with the reparse attribute) is a file like any other.
  const Entry* entry = Lookup(path);
  why = entry ? status::kSuccess : status::kFileNotFound;
  return entry ? entry->attributes : fileattr::kInvalid;
}

bool SimFiles::Makes(const std::string& normalised, bool honourFailures) {
  // Walk down from the drive, creating what is missing; CreateDirectory follows links.
  std::vector<std::string> chain;
  for (std::string at = normalised; !at.empty(); at = Parent(at)) chain.push_back(at);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const std::string at = honourFailures ? Resolve(*it, true) : *it;
    if (at.empty()) return false;
    auto found = entries_.find(Key(at));
    if (found != entries_.end()) {
      if ((found->second.attributes & fileattr::kDirectory) == 0) return false;
      continue;
    }
    // A missing drive or share cannot be created.
    if (Parent(at).empty()) return false;
    if (honourFailures && Fail("MakeFolder", at) != status::kSuccess) return false;
    entries_[Key(at)] = NewEntry(at, fileattr::kDirectory, {});
  }
  return true;
}

bool SimFiles::MakeFolders(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Makes(Normalise(path), true);
}

// DeleteFileA removes a link itself, never what it leads to; it shares reading, writing and
// deleting with the handles already open.
bool SimFiles::RemoveFile(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Resolve(Normalise(path), false);
  auto it = entries_.find(Key(normalised));
  if (it == entries_.end() || (it->second.attributes & fileattr::kDirectory) != 0 ||
      (it->second.attributes & fileattr::kReadOnly) != 0 ||
      !ShareAllows(it->first, kDeleteAccess, kReadAccess | kWriteAccess | kDeleteAccess)) {
    return false;
  }
  if (Fail("RemoveFile", normalised) != status::kSuccess) return false;
  EraseName(it->first);
  return true;
}

// As a CreateFileA for reading that shares reading and writing.
bool SimFiles::ReadAll(const std::string& path, Bytes& data) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Resolve(Normalise(path), true);
  const Entry* entry = Lookup(normalised);
  if (entry == nullptr || (entry->attributes & fileattr::kDirectory) != 0 ||
      !ShareAllows(Key(normalised), kReadAccess, kReadAccess | kWriteAccess)) {
    return false;
  }
  if (Fail("ReadAll", normalised) != status::kSuccess) return false;
  data = entry->data;
  return true;
}

// As CreateFileA with CREATE_ALWAYS and no sharing: it follows links, a hard link included.
long SimFiles::WriteAll(const std::string& path, const Bytes& data) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Resolve(Normalise(path), true);
  const Entry* parent = normalised.empty() ? nullptr : Lookup(Parent(normalised));
  if (parent == nullptr || (parent->attributes & fileattr::kDirectory) == 0) {
    return status::kPathNotFound;
  }
  auto it = entries_.find(Key(normalised));
  if (it != entries_.end() &&
      (it->second.attributes & (fileattr::kDirectory | fileattr::kReadOnly)) != 0) {
    return status::kAccessDenied;
  }
  if (!ShareAllows(Key(normalised), kWriteAccess, 0)) return status::kSharingViolation;
  if (long result = Fail("WriteAll", normalised); result != status::kSuccess) return result;
  if (it == entries_.end()) {
    entries_[Key(normalised)] = NewEntry(normalised, fileattr::kArchive, data);
  } else {
    Store(it->second, data);
  }
  return status::kSuccess;
}

namespace {
struct HoldRule {
  uint32_t access;
  uint32_t share;
  bool create;     // a missing file is created
  bool mustBeNew;  // an existing name fails
};

HoldRule RuleOf(HoldMode mode) {
  constexpr uint32_t r = SimFiles::kReadAccess, w = SimFiles::kWriteAccess,
                     d = SimFiles::kDeleteAccess;
  switch (mode) {
    case HoldMode::CreateNew:
      return {r | w | d, r, true, true};
    case HoldMode::Read:
      return {r, r, false, false};
    case HoldMode::ReadToDelete:
      return {r | d, r, false, false};
    case HoldMode::Write:
      return {r | w, r, false, false};
    case HoldMode::Lock:
      return {r | w, 0, true, false};
    case HoldMode::Folder:
      return {0, r | w | d, false, false};
    case HoldMode::KeptFolder:
      return {0, r | w, false, false};
  }
  return {};
}
}  // namespace

class SimHeldFile : public HeldFile {
 public:
  SimHeldFile(SimFiles& files, std::string key, int id, uint32_t access)
      : files_(files), key_(std::move(key)), id_(id), access_(access) {}
  ~SimHeldFile() override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    std::vector<SimFiles::Opener>& openers = files_.open_[key_];
    bool remove = false;
    std::erase_if(openers, [&](const SimFiles::Opener& o) {
      remove = remove || (o.id == id_ && o.deleteOnClose);
      return o.id == id_;
    });
    if (openers.empty()) files_.open_.erase(key_);
    if (remove) files_.EraseName(key_);
  }
  SimHeldFile(const SimHeldFile&) = delete;
  SimHeldFile& operator=(const SimHeldFile&) = delete;

  HeldFacts Facts() override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    const SimFiles::Entry* entry = Held();
    if (entry == nullptr) return {};
    return {entry->attributes, entry->links, entry->owner != SimOwner::OtherUser, entry->path};
  }
  long Read(Bytes& data, size_t limit) override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    const SimFiles::Entry* entry = Held();
    if (entry == nullptr || (access_ & SimFiles::kReadAccess) == 0) return status::kAccessDenied;
    if (long failed = files_.Fail("ReadAll", entry->path); failed != status::kSuccess) {
      return failed;
    }
    if (entry->data.size() > limit) return status::kFileTooLarge;
    data = entry->data;
    return status::kSuccess;
  }
  long Replace(const Bytes& data) override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    SimFiles::Entry* entry = Held();
    if (entry == nullptr || (access_ & SimFiles::kWriteAccess) == 0) return status::kAccessDenied;
    if (long failed = files_.Fail("WriteAll", entry->path); failed != status::kSuccess) {
      return failed;
    }
    files_.Store(*entry, data);
    return status::kSuccess;
  }
  ChangeRight WhoMayChange() override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    const SimFiles::Entry* entry = Held();
    const bool admins =
        entry != nullptr && !entry->standardUsersMayChange &&
        (entry->owner == SimOwner::Administrators || entry->owner == SimOwner::System);
    return admins ? ChangeRight::AdministratorsOnly : ChangeRight::StandardUsers;
  }

  long Append(const Bytes& data) override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    SimFiles::Entry* entry = Held();
    if (entry == nullptr || (access_ & SimFiles::kWriteAccess) == 0) return status::kAccessDenied;
    if (long failed = files_.Fail("Append", entry->path); failed != status::kSuccess) {
      return failed;
    }
    Bytes grown = entry->data;
    grown.insert(grown.end(), data.begin(), data.end());
    files_.Store(*entry, grown);
    return status::kSuccess;
  }
  // As NtCreateFile relative to the held folder: wherever its name has gone since.
  std::unique_ptr<HeldFile> MakeFolder(const std::string& name, const std::string& readerSid,
                                       long& status) override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    const SimFiles::Entry* entry = Held();
    status = entry == nullptr ? status::kPathNotFound
                              : files_.MakeProtectedFolder(entry->path + "\\" + name, readerSid);
    if (status != status::kSuccess) return nullptr;
    return files_.Hold(entry->path + "\\" + name, HoldMode::KeptFolder, status);
  }
  long Delete() override {
    const std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    const SimFiles::Entry* entry = Held();
    if (entry == nullptr || (access_ & SimFiles::kDeleteAccess) == 0) return status::kAccessDenied;
    if (files_.Fail("RemoveFile", entry->path) != status::kSuccess) return status::kAccessDenied;
    for (SimFiles::Opener& o : files_.open_[key_]) {
      if (o.id == id_) o.deleteOnClose = true;
    }
    return status::kSuccess;
  }

 private:
  SimFiles::Entry* Held() {
    auto it = files_.entries_.find(key_);
    return it == files_.entries_.end() ? nullptr : &it->second;
  }

  SimFiles& files_;
  std::string key_;
  int id_;
  uint32_t access_;
};

std::unique_ptr<HeldFile> SimFiles::Hold(const std::string& path, HoldMode mode, long& result) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const HoldRule rule = RuleOf(mode);
  // Asked first: an injection may change the files, as another process could just before.
  const long injected = Fail("Hold", Normalise(path));
  // FILE_FLAG_OPEN_REPARSE_POINT: links on the way are followed, one in the last part is not.
  const std::string normalised = Resolve(Normalise(path), false);
  const Entry* parent = normalised.empty() ? nullptr : Lookup(Parent(normalised), true);
  result = status::kSuccess;
  if (parent == nullptr || (parent->attributes & fileattr::kDirectory) == 0) {
    result = status::kPathNotFound;
    return nullptr;
  }
  const std::string key = Key(normalised);
  auto it = entries_.find(key);
  const bool folder = mode == HoldMode::Folder || mode == HoldMode::KeptFolder;
  if (it == entries_.end() && !rule.create) result = status::kFileNotFound;
  if (it != entries_.end() && rule.mustBeNew) result = status::kFileExists;
  if (it != entries_.end() && ((it->second.attributes & fileattr::kDirectory) != 0) != folder) {
    result = status::kAccessDenied;
  }
  if (result == status::kSuccess && !ShareAllows(key, rule.access, rule.share)) {
    result = status::kSharingViolation;
  }
  if (result == status::kSuccess) result = injected;
  if (result != status::kSuccess) return nullptr;
  if (it == entries_.end()) entries_[key] = NewEntry(normalised, fileattr::kArchive, {});
  const int id = nextOpener_++;
  open_[key].push_back({id, rule.access, rule.share, false});
  return std::make_unique<SimHeldFile>(*this, key, id, rule.access);
}

// CreateDirectoryA follows links in the folders above, never one at the name itself.
long SimFiles::MakeProtectedFolder(const std::string& path, const std::string& /*readerSid*/) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Resolve(Normalise(path), false);
  const Entry* parent = normalised.empty() ? nullptr : Lookup(Parent(normalised), true);
  if (parent == nullptr || (parent->attributes & fileattr::kDirectory) == 0) {
    return status::kPathNotFound;
  }
  if (entries_.count(Key(normalised)) != 0) return status::kAlreadyExists;
  if (long failed = Fail("MakeFolder", normalised); failed != status::kSuccess) return failed;
  Entry folder = NewEntry(normalised, fileattr::kDirectory);
  folder.owner = SimOwner::Administrators;
  entries_[Key(normalised)] = folder;
  return status::kSuccess;
}

void SimFiles::PutFolderLink(const std::string& path, const std::string& target) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  Makes(Parent(normalised), false);
  Entry link = NewEntry(normalised, fileattr::kDirectory | fileattr::kReparsePoint);
  link.target = Normalise(target);
  entries_[Key(normalised)] = link;
}

void SimFiles::PutHardLink(const std::string& path, const std::string& existing) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = entries_.find(Key(Normalise(existing)));
  if (it == entries_.end()) return;
  if (it->second.fileId == 0) it->second.fileId = nextFileId_++;
  Entry name = it->second;
  name.path = Normalise(path);
  Makes(Parent(name.path), false);
  entries_[Key(name.path)] = name;
  for (auto& [key, entry] : entries_) {
    if (entry.fileId == name.fileId) ++entry.links;
  }
}

void SimFiles::SetOwner(const std::string& path, SimOwner owner) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = entries_.find(Key(Normalise(path)));
  if (it != entries_.end()) it->second.owner = owner;
}

DriveKind SimFiles::DriveOf(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  if (onQuestion) onQuestion(SimFileCall{"DriveOf", normalised});
  if (IsUnc(normalised)) return DriveKind::Remote;
  auto it = drives_.find(normalised[0]);
  return it == drives_.end() ? DriveKind::Missing : it->second;
}

ChangeRight SimFiles::WhoMayChange(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (onQuestion) onQuestion(SimFileCall{"WhoMayChange", Normalise(path)});
  const Entry* entry = Lookup(path);
  // As on Windows, a path whose descriptor cannot be read vouches for nothing.
  if (entry == nullptr || entry->standardUsersMayChange) return ChangeRight::StandardUsers;
  return ChangeRight::AdministratorsOnly;
}

void SimFiles::LetStandardUsersChange(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = entries_.find(Key(Normalise(path)));
  if (it != entries_.end()) it->second.standardUsersMayChange = true;
}

void SimFiles::HoldFinds(std::chrono::milliseconds limit) {
  const std::lock_guard<std::mutex> lock(holdMutex_);
  findsHeld_ = true;
  holdLimit_ = limit;
}

void SimFiles::ReleaseFinds() {
  const std::lock_guard<std::mutex> lock(holdMutex_);
  findsHeld_ = false;
  released_.notify_all();
}

void SimFiles::WaitWhileFindsHeld() {
  std::unique_lock<std::mutex> lock(holdMutex_);
  released_.wait_for(lock, holdLimit_, [this] { return !findsHeld_; });
}

std::string SimFiles::ReadProfileString(const std::string& path, const std::string& section,
                                        const std::string& key, const std::string& fallback) {
  Bytes data;
  if (!ReadAll(path, data)) return fallback;
  return ProfileString(std::string(data.begin(), data.end()), section, key, fallback);
}

void SimFiles::PutFile(const std::string& path, const std::string& content, uint32_t attributes) {
  PutFileBytes(path, Bytes(content.begin(), content.end()), attributes);
}

void SimFiles::PutFileBytes(const std::string& path, const Bytes& content, uint32_t attributes) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  Makes(Parent(normalised), false);
  entries_[Key(normalised)] = NewEntry(normalised, attributes & ~fileattr::kDirectory, content);
}

void SimFiles::PutFolder(const std::string& path, uint32_t attributes) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  Makes(normalised, false);
  entries_[Key(normalised)].attributes = attributes | fileattr::kDirectory;
}

void SimFiles::Erase(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string key = Key(Normalise(path));
  entries_.erase(key);
  const std::string prefix = key + "\\";
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
    it = entries_.erase(it);
  }
}

bool SimFiles::Exists(const std::string& path) const {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Lookup(path) != nullptr;
}

std::string SimFiles::FileText(const std::string& path) const {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Entry* entry = Lookup(path);
  return entry ? std::string(entry->data.begin(), entry->data.end()) : std::string();
}

std::vector<std::string> SimFiles::List(const std::string& folder) const {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> paths;
  const std::string prefix = Key(Normalise(folder)) + "\\";
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (it->first.find('\\', prefix.size()) == std::string::npos) paths.push_back(it->second.path);
  }
  return paths;
}

void SimFiles::SetDrive(char letter, DriveKind kind) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const char upper = static_cast<char>(Cp1252Upper(std::string(1, letter))[0]);
  const std::string root = std::string(1, upper) + ":";
  if (kind == DriveKind::Missing) {
    drives_.erase(upper);
    Erase(root);
    return;
  }
  drives_[upper] = kind;
  entries_.emplace(Key(root), NewEntry(root, fileattr::kDirectory, {}));
}
