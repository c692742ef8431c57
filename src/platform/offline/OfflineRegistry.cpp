#include "platform/offline/OfflineRegistry.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/TextFile.h"
#include "platform/offline/HiveRole.h"
#include "platform/sim/SimCodePage.h"

namespace {

// ERROR_FILE_CORRUPT: what a read of a damaged hive answers.
constexpr long kFileCorrupt = 1392;
// A hive load refused: Win32 keeps codes with bit 29 set for applications' own errors, so none
// of these is taken for one the system gives. The low bits number the reasons.
constexpr long kRefused = 0x20000000;

std::vector<std::u16string> SplitPath(const std::u16string& path) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find(u'\\', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool IsRoot(RegHandle key) {
  return key == RootHandle(RootKey::ClassesRoot) || key == RootHandle(RootKey::CurrentUser) ||
         key == RootHandle(RootKey::LocalMachine) || key == RootHandle(RootKey::Users);
}

}  // namespace

OfflineRegistry::OfflineRegistry(CodePage& codePage, Hives hives, OfflineFiles* image)
    : codePage_(codePage), hives_(hives), image_(image) {}

OfflineRegistry::Listing& OfflineRegistry::ListingOf(const Node& node, bool withValues) {
  auto [it, isNew] = listings_[node.hive].try_emplace(node.node);
  Listing& listing = it->second;
  if (isNew) {
    node.hive->Children(node.node, listing.children);
    for (HiveEntry& child : listing.children) child.name.shrink_to_fit();
    std::sort(
        listing.children.begin(), listing.children.end(),
        [](const HiveEntry& a, const HiveEntry& b) { return FoldWide(a.name) < FoldWide(b.name); });
    for (const HiveEntry& child : listing.children) listing.folded.push_back(FoldWide(child.name));
  }
  if (withValues && !listing.valuesRead) {
    node.hive->Values(node.node, listing.values);
    listing.valuesRead = true;
  }
  return listing;
}

bool OfflineRegistry::Child(const Node& node, const std::u16string& folded, Node& child) {
  const Listing& listing = ListingOf(node, false);
  const auto at = std::lower_bound(listing.folded.begin(), listing.folded.end(), folded);
  if (at == listing.folded.end() || *at != folded) return false;
  child = {node.hive, listing.children[static_cast<size_t>(at - listing.folded.begin())].handle};
  return true;
}

bool OfflineRegistry::CurrentControlSet(Node& controlSet) {
  Node select;
  if (!Child({hives_.system, hives_.system->Root()}, u"SELECT", select)) return false;
  std::vector<HiveEntry> values;
  if (!hives_.system->Values(select.node, values)) return false;
  for (const HiveEntry& value : values) {
    uint32_t type = 0;
    Bytes data;
    if (FoldWide(value.name) != u"CURRENT" || !hives_.system->Data(value.handle, type, data) ||
        type != 4 || data.size() < 4) {
      continue;
    }
    const uint32_t number = data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24;
    char name[32];
    std::snprintf(name, sizeof name, "CONTROLSET%03u", number);
    const std::string ascii = name;
    return Child({hives_.system, hives_.system->Root()}, std::u16string(ascii.begin(), ascii.end()),
                 controlSet);
  }
  return false;
}

bool OfflineRegistry::LayersOf(RootKey root, const std::vector<std::u16string>& path,
                               Handle& handle) {
  handle.root = root;
  size_t used = 0;
  Layers layers;
  auto rootOf = [](HiveFile* hive) { return Node{hive, hive->Root()}; };
  if (root == RootKey::Users) {
    if (path.empty()) {
      handle.hiveRoot = true;
      return true;
    }
    const auto hive = loaded_.find(FoldWide(path[0]));
    if (hive == loaded_.end()) return false;
    layers.push_back(rootOf(hive->second.hive.get()));
    used = 1;
  } else if (root == RootKey::LocalMachine) {
    if (path.empty()) {
      handle.hiveRoot = true;
      return true;
    }
    const std::u16string first = FoldWide(path[0]);
    HiveFile* hive = first == u"SOFTWARE" ? hives_.software
                     : first == u"SYSTEM" ? hives_.system
                                          : nullptr;
    if (hive == nullptr) return false;
    layers.push_back(rootOf(hive));
    used = 1;
    // A running Windows links SYSTEM\CurrentControlSet to the set that Select\Current names;
    // the hive holds only the numbered sets.
    Node controlSet;
    if (hive == hives_.system && path.size() >= 2 && FoldWide(path[1]) == u"CURRENTCONTROLSET" &&
        CurrentControlSet(controlSet)) {
      layers = {controlSet};
      used = 2;
    }
  } else if (root == RootKey::CurrentUser) {
    // Software\Classes of the user is UsrClass.dat, a hive of its own.
    if (hives_.userClasses != nullptr && path.size() >= 2 && FoldWide(path[0]) == u"SOFTWARE" &&
        FoldWide(path[1]) == u"CLASSES") {
      layers.push_back(rootOf(hives_.userClasses));
      used = 2;
    } else if (hives_.user != nullptr) {
      layers.push_back(rootOf(hives_.user));
    } else if (!path.empty()) {
      return false;
    }
  } else {
    // Without UsrClass.dat the user's classes are what NTUSER.DAT holds at Software\Classes.
    Node software;
    Node classes;
    if (hives_.userClasses != nullptr) {
      layers.push_back(rootOf(hives_.userClasses));
    } else if (hives_.user != nullptr && Child(rootOf(hives_.user), u"SOFTWARE", software) &&
               Child(software, u"CLASSES", classes)) {
      layers.push_back(classes);
    }
    if (hives_.software != nullptr && Child(rootOf(hives_.software), u"CLASSES", classes)) {
      layers.push_back(classes);
    }
  }
  for (; used < path.size(); ++used) {
    const std::u16string folded = FoldWide(path[used]);
    Layers below;
    for (const Node& node : layers) {
      Node child;
      if (Child(node, folded, child)) below.push_back(child);
    }
    if (below.empty()) return false;
    layers = std::move(below);
  }
  handle.layers = std::move(layers);
  return true;
}

OfflineRegistry::Handle* OfflineRegistry::Find(RegHandle key) {
  if (IsRoot(key)) {
    auto [it, isNew] = handles_.try_emplace(key);
    if (isNew) LayersOf(static_cast<RootKey>(key), {}, it->second);
    return &it->second;
  }
  const auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

long OfflineRegistry::Resolve(RegHandle parent, const std::string& path, Handle& handle) {
  const Handle* from = Find(parent);
  if (from == nullptr) return status::kInvalidHandle;
  std::vector<std::u16string> parts = SplitPath(codePage_.ToWide(path));
  if (parts.empty()) {
    handle.root = from->root;
    handle.hiveRoot = from->hiveRoot;
    handle.layers = from->layers;
    return status::kSuccess;
  }
  // A path below an open key: walked on from that key's own layers.
  if (from->hiveRoot || IsRoot(parent)) {
    return LayersOf(from->root, parts, handle) ? status::kSuccess : status::kFileNotFound;
  }
  handle.root = from->root;
  Layers layers = from->layers;
  for (const std::u16string& part : parts) {
    const std::u16string folded = FoldWide(part);
    Layers below;
    for (const Node& node : layers) {
      Node child;
      if (Child(node, folded, child)) below.push_back(child);
    }
    if (below.empty()) return status::kFileNotFound;
    layers = std::move(below);
  }
  handle.layers = std::move(layers);
  return status::kSuccess;
}

long OfflineRegistry::Open(RegHandle parent, const std::string& path, uint32_t, RegHandle& key) {
  key = 0;
  Handle handle;
  if (long result = Resolve(parent, path, handle); result != status::kSuccess) return result;
  key = next_++;
  handles_.emplace(key, std::move(handle));
  return status::kSuccess;
}

long OfflineRegistry::Create(RegHandle parent, const std::string& path, uint32_t access,
                             RegHandle& key) {
  // An existing key opens as RegCreateKeyEx would open it; nothing new is made.
  const long result = Open(parent, path, access, key);
  return result == status::kSuccess ? result : status::kAccessDenied;
}

long OfflineRegistry::Close(RegHandle key) {
  if (IsRoot(key)) return status::kSuccess;
  return handles_.erase(key) == 1 ? status::kSuccess : status::kInvalidHandle;
}

OfflineRegistry::Handle* OfflineRegistry::Merged(RegHandle key) {
  Handle* handle = Find(key);
  if (handle == nullptr || handle->merged) return handle;
  handle->merged = true;
  std::map<std::u16string, std::u16string> children;
  if (handle->hiveRoot && handle->root == RootKey::LocalMachine) {
    if (hives_.software != nullptr) children.emplace(u"SOFTWARE", u"SOFTWARE");
    if (hives_.system != nullptr) children.emplace(u"SYSTEM", u"SYSTEM");
  }
  if (handle->hiveRoot && handle->root == RootKey::Users) {
    for (const auto& [folded, hive] : loaded_) children.emplace(folded, hive.name);
  }
  for (const Node& node : handle->layers) {
    Listing& listing = ListingOf(node, true);
    for (size_t i = 0; i < listing.children.size(); ++i) {
      children.emplace(listing.folded[i], listing.children[i].name);
    }
    for (const HiveEntry& value : listing.values) {
      const std::u16string folded = FoldWide(value.name);
      const bool shadowed =
          std::any_of(handle->values.begin(), handle->values.end(),
                      [&](const auto& seen) { return FoldWide(seen.second.name) == folded; });
      if (!shadowed) handle->values.emplace_back(node, value);
    }
  }
  for (auto& [folded, name] : children) handle->children.push_back(std::move(name));
  return handle;
}

long OfflineRegistry::QueryInfo(RegHandle key, RegKeyInfo& info) {
  info = {};
  const Handle* handle = Merged(key);
  if (handle == nullptr) return status::kInvalidHandle;
  info.subKeys = static_cast<uint32_t>(handle->children.size());
  info.values = static_cast<uint32_t>(handle->values.size());
  for (const std::u16string& name : handle->children) {
    info.maxSubKeyLen = std::max(info.maxSubKeyLen, static_cast<uint32_t>(name.size()));
  }
  for (const auto& [node, value] : handle->values) {
    info.maxValueNameLen = std::max(info.maxValueNameLen, static_cast<uint32_t>(value.name.size()));
  }
  return status::kSuccess;
}

long OfflineRegistry::EnumKey(RegHandle key, uint32_t index, std::string& name) {
  name.clear();
  const Handle* handle = Merged(key);
  if (handle == nullptr) return status::kInvalidHandle;
  if (index >= handle->children.size()) return status::kNoMoreItems;
  return codePage_.ToAnsiName(handle->children[index], name);
}

long OfflineRegistry::EnumValue(RegHandle key, uint32_t index, std::string& name) {
  name.clear();
  const Handle* handle = Merged(key);
  if (handle == nullptr) return status::kInvalidHandle;
  if (index >= handle->values.size()) return status::kNoMoreItems;
  return codePage_.ToAnsiName(handle->values[index].second.name, name);
}

long OfflineRegistry::Stored(RegHandle key, const std::u16string& name, uint32_t& type,
                             Bytes& data) {
  const Handle* handle = Find(key);
  if (handle == nullptr) return status::kInvalidHandle;
  const std::u16string folded = FoldWide(name);
  for (const Node& node : handle->layers) {
    for (const HiveEntry& value : ListingOf(node, true).values) {
      if (FoldWide(value.name) != folded) continue;
      return node.hive->Data(value.handle, type, data) ? status::kSuccess : kFileCorrupt;
    }
  }
  return status::kFileNotFound;
}

long OfflineRegistry::QueryValue(RegHandle key, const std::string& name, uint32_t& type,
                                 Bytes& data) {
  const long result = Stored(key, codePage_.ToWide(name), type, data);
  if (result != status::kSuccess) return result;
  // As RegQueryValueExA hands text back: converted to the code page.
  if (type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz) {
    bool lossy = false;
    const std::string ansi = codePage_.ToAnsi(Utf16LeText(data), lossy);
    data.assign(ansi.begin(), ansi.end());
  }
  return status::kSuccess;
}

long OfflineRegistry::QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type,
                                  Bytes& data) {
  return Stored(key, name, type, data);
}

long OfflineRegistry::SetValue(RegHandle, const std::string&, uint32_t, const Bytes&) {
  return status::kAccessDenied;
}

long OfflineRegistry::SetValueW(RegHandle, const std::u16string&, uint32_t, const Bytes&) {
  return status::kAccessDenied;
}

long OfflineRegistry::DeleteValue(RegHandle, const std::string&) { return status::kAccessDenied; }

long OfflineRegistry::DeleteTree(RegHandle, const std::string&) { return status::kAccessDenied; }

long OfflineRegistry::Refuse(const std::string& why) {
  refusals_.push_back(why);
  return kRefused + static_cast<long>(refusals_.size() - 1);
}

std::string OfflineRegistry::Refusal(long status) const {
  const long index = status - kRefused;
  return index >= 0 && index < static_cast<long>(refusals_.size())
             ? refusals_[static_cast<size_t>(index)]
             : std::string();
}

long OfflineRegistry::LoadHive(const std::string& name, const std::string& file) {
  if (image_ == nullptr) return status::kAccessDenied;
  const std::u16string wide = codePage_.ToWide(name);
  const std::u16string folded = FoldWide(wide);
  if (folded.empty() || wide.find(u'\\') != std::u16string::npos || loaded_.contains(folded))
    return Refuse("HKEY_USERS\\" + name + " cannot take a hive");
  const bool classes = folded.ends_with(u"_CLASSES");
  std::string why;
  const std::string disk = image_->ImageFileOf(file, why);
  if (disk.empty() && why.empty()) return Refuse("the file is not in the image");
  std::unique_ptr<HiveFile> hive =
      disk.empty()
          ? nullptr
          : OpenInRole(disk, classes ? HiveRole::UserClasses : HiveRole::User,
                       classes ? "user's UsrClass.dat" : "user's NTUSER.DAT", why, warnings_);
  if (!hive) {
    // Without its classes the user is still judged; the report says what was left out.
    if (classes) warnings_.push_back("The user's classes were not judged: " + why + ".");
    return Refuse(why);
  }
  loaded_.emplace(folded, Loaded{wide, std::move(hive)});
  handles_.erase(RootHandle(RootKey::Users));  // listed anew
  return status::kSuccess;
}

long OfflineRegistry::UnloadHive(const std::string& name) {
  const auto it = loaded_.find(FoldWide(codePage_.ToWide(name)));
  if (it == loaded_.end()) return status::kFileNotFound;
  HiveFile* hive = it->second.hive.get();
  if (unloadedDamage_.empty()) unloadedDamage_ = hive->Damage();
  // No handle outlives its hive: keys still open below it are gone, as their listings are.
  std::erase_if(handles_, [hive](const auto& entry) {
    return std::any_of(entry.second.layers.begin(), entry.second.layers.end(),
                       [hive](const Node& node) { return node.hive == hive; });
  });
  listings_.erase(hive);
  loaded_.erase(it);
  handles_.erase(RootHandle(RootKey::Users));
  return status::kSuccess;
}

std::string OfflineRegistry::Damage() const {
  for (const HiveFile* hive : {hives_.software, hives_.system, hives_.user, hives_.userClasses}) {
    if (hive != nullptr && !hive->Damage().empty()) return hive->Damage();
  }
  for (const auto& [folded, loaded] : loaded_) {
    if (!loaded.hive->Damage().empty()) return loaded.hive->Damage();
  }
  return unloadedDamage_;
}
