#include "platform/sim/SimFiles.h"

#include <utility>

#include "platform/LanguageFile.h"
#include "platform/sim/SimCodePage.h"

namespace {
class SimSearch : public FileSearch {
 public:
  explicit SimSearch(std::vector<FindEntry> entries) : entries_(std::move(entries)) {}
  bool Next(FindEntry& entry) override {
    if (next_ >= entries_.size()) return false;
    entry = entries_[next_++];
    return true;
  }

 private:
  std::vector<FindEntry> entries_;
  size_t next_ = 0;
};

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

const SimFiles::Entry* SimFiles::Lookup(const std::string& path) const {
  auto it = entries_.find(Key(Normalise(path)));
  return it == entries_.end() ? nullptr : &it->second;
}

long SimFiles::Fail(const std::string& call, const std::string& path) const {
  return failWhen ? failWhen(SimFileCall{call, path}) : status::kSuccess;
}

std::unique_ptr<FileSearch> SimFiles::Find(const std::string& pattern) {
  WaitWhileFindsHeld();
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  // FindFirstFileA fails on a path that ends with a separator.
  if (pattern.empty() || pattern.back() == '\\' || pattern.back() == '/') return nullptr;
  const std::string normalised = Normalise(pattern);
  if (Fail("Find", normalised) != status::kSuccess) return nullptr;
  const std::string name = LastPart(normalised);
  std::vector<FindEntry> found;
  if (name.find_first_of("*?") == std::string::npos) {
    const Entry* entry = Lookup(normalised);
    if (entry == nullptr || Parent(normalised).empty()) return nullptr;
    found.push_back({LastPart(entry->path), entry->attributes});
    return std::make_unique<SimSearch>(std::move(found));
  }
  const std::string folder = Parent(normalised);
  const Entry* folderEntry = Lookup(folder);
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
  return std::make_unique<SimSearch>(std::move(found));
}

uint32_t SimFiles::Attributes(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (onQuestion) onQuestion(SimFileCall{"Attributes", Normalise(path)});
  const Entry* entry = Lookup(path);
  return entry ? entry->attributes : fileattr::kInvalid;
}

bool SimFiles::Makes(const std::string& normalised, bool honourFailures) {
  // Walk down from the drive, creating what is missing.
  std::vector<std::string> chain;
  for (std::string at = normalised; !at.empty(); at = Parent(at)) chain.push_back(at);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    auto found = entries_.find(Key(*it));
    if (found != entries_.end()) {
      if ((found->second.attributes & fileattr::kDirectory) == 0) return false;
      continue;
    }
    // A missing drive or share cannot be created.
    if (Parent(*it).empty()) return false;
    if (honourFailures && Fail("MakeFolder", *it) != status::kSuccess) return false;
    entries_[Key(*it)] = Entry{*it, fileattr::kDirectory, {}};
  }
  return true;
}

bool SimFiles::MakeFolders(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Makes(Normalise(path), true);
}

bool SimFiles::RemoveFile(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  auto it = entries_.find(Key(normalised));
  if (it == entries_.end() || (it->second.attributes & fileattr::kDirectory) != 0 ||
      (it->second.attributes & fileattr::kReadOnly) != 0) {
    return false;
  }
  if (Fail("RemoveFile", normalised) != status::kSuccess) return false;
  entries_.erase(it);
  return true;
}

bool SimFiles::ReadAll(const std::string& path, Bytes& data) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  const Entry* entry = Lookup(normalised);
  if (entry == nullptr || (entry->attributes & fileattr::kDirectory) != 0) return false;
  if (Fail("ReadAll", normalised) != status::kSuccess) return false;
  data = entry->data;
  return true;
}

long SimFiles::WriteAll(const std::string& path, const Bytes& data) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string normalised = Normalise(path);
  const Entry* parent = Lookup(Parent(normalised));
  if (parent == nullptr || (parent->attributes & fileattr::kDirectory) == 0) {
    return status::kPathNotFound;
  }
  auto it = entries_.find(Key(normalised));
  if (it != entries_.end() &&
      (it->second.attributes & (fileattr::kDirectory | fileattr::kReadOnly)) != 0) {
    return status::kAccessDenied;
  }
  if (long result = Fail("WriteAll", normalised); result != status::kSuccess) return result;
  if (it == entries_.end()) {
    entries_[Key(normalised)] = Entry{normalised, fileattr::kArchive, data};
  } else {
    it->second.data = data;
  }
  return status::kSuccess;
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
  entries_[Key(normalised)] = Entry{normalised, attributes & ~fileattr::kDirectory, content};
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
  entries_.emplace(Key(root), Entry{root, fileattr::kDirectory, {}});
}
