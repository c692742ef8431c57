#include "platform/sim/SimRegistry.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Roots.h"
#include "platform/TextFile.h"
#include "platform/sim/SimCodePage.h"

namespace {
// Compared letter by letter, without copies: a key of many thousand values is asked by name
// once per value.
bool SameName(const std::u16string& a, const std::u16string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return FoldWide(x) == FoldWide(y); });
}
}  // namespace

struct SimRegistry::Node {
  std::u16string name;
  std::map<std::u16string, std::unique_ptr<Node>> children;  // folded name -> key: sorted
  std::vector<SimValue> values;                              // creation order
  bool readOnly = false;

  Node* Child(const std::u16string& childName) const {
    auto it = children.find(FoldWide(childName));
    return it == children.end() ? nullptr : it->second.get();
  }
  SimValue* Value(const std::u16string& valueName) {
    for (SimValue& value : values) {
      if (SameName(value.name, valueName)) return &value;
    }
    return nullptr;
  }
};

namespace {
// Access bits a read-only key still grants: KEY_READ and the WOW64 view flags.
constexpr uint32_t kReadOnlyGrants = keyaccess::kRead | 0x0300;
constexpr uint32_t kQueryRight = 0x0001;
constexpr uint32_t kSetRight = 0x0002;
constexpr uint32_t kEnumerateRight = 0x0008;
constexpr long kInvalidParameter = 87;

std::vector<std::u16string> SplitWide(const std::u16string& path) {
  std::vector<std::u16string> parts;
  std::u16string part;
  for (char16_t c : path) {
    if (c == u'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool IsText(uint32_t type) {
  return type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz;
}

// The keys of the classes that a 32-bit program has a copy of its own of (Windows 7 and later);
// every other key below Classes\Wow6432Node is the one key of Classes.
constexpr const char16_t* kRedirectedClasses[] = {u"CLSID", u"DirectShow", u"Interface",
                                                  u"Media Type", u"MediaFoundation"};

bool IsRedirectedClassKey(const std::u16string& name) {
  for (const char16_t* redirected : kRedirectedClasses) {
    if (SameName(name, redirected)) return true;
  }
  return false;
}

// Keys below Software that both views share (Windows 7 and later): Software\Wow6432Node\<key>
// is the key itself. The ones the checks read.
const std::vector<std::vector<std::u16string>> kSharedSoftwareKeys = {
    {u"Microsoft", u"Windows", u"CurrentVersion", u"App Paths"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Fonts"},
};

// True when path starts with the three names given.
bool StartsWith(const std::vector<std::u16string>& path, const std::u16string& a,
                const std::u16string& b, const std::u16string& c) {
  return path.size() >= 3 && SameName(path[0], a) && SameName(path[1], b) && SameName(path[2], c);
}
}  // namespace

SimRegistry::SimRegistry(SimCodePage& codePage)
    : codePage_(codePage),
      currentUser_(std::make_unique<Node>()),
      localMachine_(std::make_unique<Node>()),
      users_(std::make_unique<Node>()) {}

SimRegistry::Node* SimRegistry::RootNode(RootKey root) const {
  switch (root) {
    case RootKey::CurrentUser:
      return currentUser_.get();
    case RootKey::Users:
      return users_.get();
    default:
      return localMachine_.get();
  }
}

SimRegistry::~SimRegistry() = default;

// Names the code page cannot hold come out as RegEnumValueA would print them, with '?'.
std::string SimRegistry::Narrow(const std::u16string& wide) const {
  std::string ansi;
  codePage_.FromWide(wide, 0, nullptr, ansi);
  return ansi;
}

std::string SimRegistry::JoinNarrow(RootKey root, const Path& path) const {
  std::string text(RootKeyName(root));
  for (const std::u16string& part : path) {
    text += '\\';
    text += Narrow(part);
  }
  return text;
}

Bytes SimRegistry::StoredForm(uint32_t type, const Bytes& ansi) const {
  if (!IsText(type)) return ansi;
  return Utf16LeBytes(Wide(std::string(ansi.begin(), ansi.end())));
}

// What RegQueryValueExA hands back: the text converted, characters the code page cannot hold
// replaced by its default character.
Bytes SimRegistry::AnsiForm(uint32_t type, const Bytes& stored) const {
  if (!IsText(type)) return stored;
  const std::string ansi = Narrow(Utf16LeText(stored));
  return Bytes(ansi.begin(), ansi.end());
}

// HKEY_CLASSES_ROOT is two places: the user's classes first, then the machine's.
std::vector<SimRegistry::Location> SimRegistry::Locations(RootKey root, const Path& path) const {
  if (root == RootKey::Users && !path.empty() && !currentUserSid.empty()) {
    // The running user's hive is loaded once, reached through both roots.
    const std::u16string sid = Wide(currentUserSid);
    Path below(path.begin() + 1, path.end());
    if (SameName(path[0], sid)) return {Physical({RootKey::CurrentUser, below})};
    if (SameName(path[0], sid + u"_Classes")) {
      below.insert(below.begin(), {u"Software", u"Classes"});
      return {Physical({RootKey::CurrentUser, below})};
    }
  }
  if (root != RootKey::ClassesRoot) return {Physical({root, path})};
  Path user{u"Software", u"Classes"};
  Path machine{u"SOFTWARE", u"Classes"};
  user.insert(user.end(), path.begin(), path.end());
  machine.insert(machine.end(), path.begin(), path.end());
  return {Physical({RootKey::CurrentUser, user}), Physical({RootKey::LocalMachine, machine})};
}

// Where a key of the 32-bit view's classes lies, once a Classes\Wow6432Node key makes this a
// 64-bit machine: Software\Wow6432Node\Classes is a link to Software\Classes\Wow6432Node, and a
// shared key below that copy is the key of Software\Classes itself.
SimRegistry::Location SimRegistry::Physical(Location location) const {
  Path& path = location.path;
  const Location wowClasses{location.root, {u"SOFTWARE", u"Classes", u"Wow6432Node"}};
  if (path.size() < 3 || Walk(wowClasses) == nullptr) return location;
  if (StartsWith(path, u"SOFTWARE", u"Wow6432Node", u"Classes")) std::swap(path[1], path[2]);
  for (const std::vector<std::u16string>& shared : kSharedSoftwareKeys) {
    const bool below = path.size() >= 2 + shared.size() && SameName(path[0], u"SOFTWARE") &&
                       SameName(path[1], u"Wow6432Node") &&
                       std::equal(shared.begin(), shared.end(), path.begin() + 2, SameName);
    if (below) path.erase(path.begin() + 1);
  }
  if (path.size() > 3 && StartsWith(path, u"SOFTWARE", u"Classes", u"Wow6432Node") &&
      !IsRedirectedClassKey(path[3])) {
    path.erase(path.begin() + 2);
  }
  return location;
}

SimRegistry::Node* SimRegistry::Walk(const Location& location) const {
  Node* node = RootNode(location.root);
  for (const std::u16string& part : location.path) {
    if (node == nullptr) break;
    node = node->Child(part);
  }
  return node;
}

std::vector<SimRegistry::Node*> SimRegistry::Resolve(RootKey root, const Path& path) const {
  std::vector<Node*> nodes;
  for (const Location& location : Locations(root, path)) {
    if (Node* node = Walk(location)) nodes.push_back(node);
  }
  return nodes;
}

// Creating or writing through the classes root reaches the user's key only when it exists.
SimRegistry::Location SimRegistry::WriteTarget(RootKey root, const Path& path) const {
  std::vector<Location> locations = Locations(root, path);
  if (locations.size() > 1 && Walk(locations[0]) == nullptr) return locations[1];
  return locations[0];
}

SimRegistry::Node* SimRegistry::MakeNodes(const Location& location, bool honourMarks,
                                          long& result) {
  result = status::kSuccess;
  Node* node = RootNode(location.root);
  Path walked;
  for (const std::u16string& part : location.path) {
    walked.push_back(part);
    Node* child = node->Child(part);
    if (child == nullptr) {
      if (honourMarks) {
        if (node->readOnly) result = status::kAccessDenied;
        if (result == status::kSuccess) result = WriteBlocked(location.root, walked);
        if (result != status::kSuccess) return nullptr;
      }
      auto created = std::make_unique<Node>();
      created->name = part;
      child = created.get();
      node->children[FoldWide(part)] = std::move(created);
    }
    node = child;
  }
  return node;
}

const SimRegistry::Handle* SimRegistry::Find(RegHandle key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

// The key an open handle (or a root) stands for, when the handle grants the right a call needs.
long SimRegistry::Target(RegHandle key, uint32_t right, RootKey& root, Path& path) const {
  if (const Handle* handle = Find(key)) {
    if ((handle->access & right) != right) return status::kAccessDenied;
    root = handle->root;
    path = handle->path;
    return status::kSuccess;
  }
  if (key < RootHandle(RootKey::ClassesRoot) || key > RootHandle(RootKey::Users)) {
    return status::kInvalidHandle;
  }
  root = static_cast<RootKey>(key);
  path.clear();
  return status::kSuccess;
}

long SimRegistry::Resolve(RegHandle parent, const std::string& path, RootKey& root,
                          Path& full) const {
  std::string rest = path;
  if (const Handle* handle = Find(parent)) {
    root = handle->root;
    full = handle->path;
  } else if (parent >= RootHandle(RootKey::ClassesRoot) && parent <= RootHandle(RootKey::Users)) {
    root = static_cast<RootKey>(parent);
    full.clear();
    // Like Windows, only the classes root forgives a leading backslash.
    if (!rest.empty() && rest.front() == '\\') {
      if (root != RootKey::ClassesRoot) return status::kBadPathName;
      rest.erase(0, 1);
    }
  } else {
    return status::kInvalidHandle;
  }
  for (std::u16string& part : SplitWide(Wide(rest))) full.push_back(std::move(part));
  return status::kSuccess;
}

long SimRegistry::Injected(const std::string& call, RootKey root, const Path& path,
                           const std::string& value, uint32_t access) const {
  if (!failWhen) return status::kSuccess;
  return failWhen(SimRegCall{call, JoinNarrow(root, path), value, access});
}

long SimRegistry::WriteBlocked(RootKey root, const Path& path) const {
  for (const auto& [location, result] : failingWrites_) {
    if (location.root != root || location.path.size() > path.size()) continue;
    if (std::equal(location.path.begin(), location.path.end(), path.begin(), SameName)) {
      return result;
    }
  }
  return status::kSuccess;
}

RegHandle SimRegistry::NewHandle(RootKey root, Path path, uint32_t access) {
  const RegHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{root, std::move(path), access};
  return handle;
}

long SimRegistry::Open(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) {
  key = 0;
  RootKey root{};
  Path full;
  if (long result = Resolve(parent, path, root, full); result != status::kSuccess) return result;
  if (long result = Injected("Open", root, full, "", access); result != status::kSuccess)
    return result;
  std::vector<Node*> nodes = Resolve(root, full);
  if (nodes.empty()) return status::kFileNotFound;
  if (nodes.front()->readOnly && (access & ~kReadOnlyGrants) != 0) return status::kAccessDenied;
  key = NewHandle(root, std::move(full), access);
  return status::kSuccess;
}

long SimRegistry::Create(RegHandle parent, const std::string& path, uint32_t access,
                         RegHandle& key) {
  key = 0;
  RootKey root{};
  Path full;
  if (long result = Resolve(parent, path, root, full); result != status::kSuccess) return result;
  if (long result = Injected("Create", root, full, "", access); result != status::kSuccess)
    return result;
  long result = status::kSuccess;
  Node* node = MakeNodes(WriteTarget(root, full), true, result);
  if (node == nullptr) return result;
  if (node->readOnly && (access & ~kReadOnlyGrants) != 0) return status::kAccessDenied;
  key = NewHandle(root, std::move(full), access);
  return status::kSuccess;
}

long SimRegistry::Close(RegHandle key) {
  return handles_.erase(key) == 1 ? status::kSuccess : status::kInvalidHandle;
}

std::vector<const SimRegistry::Node*> SimRegistry::MergedChildren(
    const std::vector<Node*>& nodes) const {
  std::map<std::u16string, const Node*> merged;
  for (const Node* node : nodes) {
    for (const auto& [folded, child] : node->children) merged.emplace(folded, child.get());
  }
  std::vector<const Node*> children;
  for (const auto& [folded, child] : merged) children.push_back(child);
  return children;
}

std::vector<const SimValue*> SimRegistry::MergedValues(const std::vector<Node*>& nodes) const {
  std::vector<const SimValue*> values;
  // The names of one key differ already; only a second key's can be shadowed.
  std::unordered_set<std::u16string> seen;
  for (const Node* node : nodes) {
    for (const SimValue& value : node->values) {
      if (nodes.size() == 1 || seen.insert(FoldWide(value.name)).second) values.push_back(&value);
    }
  }
  return values;
}

long SimRegistry::QueryInfo(RegHandle key, RegKeyInfo& info) {
  info = {};
  RootKey root;
  Path path;
  if (long result = Target(key, 0, root, path); result != status::kSuccess) return result;
  std::vector<Node*> nodes = Resolve(root, path);
  if (nodes.empty()) return status::kKeyDeleted;
  for (const Node* child : MergedChildren(nodes)) {
    ++info.subKeys;
    info.maxSubKeyLen = std::max(info.maxSubKeyLen, static_cast<uint32_t>(child->name.size()));
  }
  for (const SimValue* value : MergedValues(nodes)) {
    ++info.values;
    info.maxValueNameLen =
        std::max(info.maxValueNameLen, static_cast<uint32_t>(value->name.size()));
  }
  return status::kSuccess;
}

long SimRegistry::EnumKey(RegHandle key, uint32_t index, std::string& name) {
  name.clear();
  RootKey root;
  Path path;
  if (long result = Target(key, kEnumerateRight, root, path); result != status::kSuccess) {
    return result;
  }
  std::vector<Node*> nodes = Resolve(root, path);
  if (nodes.empty()) return status::kKeyDeleted;
  std::vector<const Node*> children = MergedChildren(nodes);
  if (index >= children.size()) return status::kNoMoreItems;
  return codePage_.ToAnsiName(children[index]->name, name);
}

long SimRegistry::EnumValue(RegHandle key, uint32_t index, std::string& name) {
  name.clear();
  RootKey root;
  Path path;
  if (long result = Target(key, kQueryRight, root, path); result != status::kSuccess) {
    return result;
  }
  std::vector<Node*> nodes = Resolve(root, path);
  if (nodes.empty()) return status::kKeyDeleted;
  std::vector<const SimValue*> values = MergedValues(nodes);
  if (index >= values.size()) return status::kNoMoreItems;
  return codePage_.ToAnsiName(values[index]->name, name);
}

long SimRegistry::QueryStored(RegHandle key, const std::u16string& name, uint32_t& type,
                              Bytes& data) const {
  RootKey root;
  Path path;
  if (long result = Target(key, kQueryRight, root, path); result != status::kSuccess) {
    return result;
  }
  if (long result = Injected("QueryValue", root, path, Narrow(name)); result != status::kSuccess) {
    return result;
  }
  std::vector<Node*> nodes = Resolve(root, path);
  if (nodes.empty()) return status::kKeyDeleted;
  for (Node* node : nodes) {
    if (const SimValue* value = node->Value(name)) {
      type = value->type;
      data = value->data;
      return status::kSuccess;
    }
  }
  return status::kFileNotFound;
}

long SimRegistry::QueryValue(RegHandle key, const std::string& name, uint32_t& type, Bytes& data) {
  const long result = QueryStored(key, Wide(name), type, data);
  if (result == status::kSuccess) data = AnsiForm(type, data);
  return result;
}

long SimRegistry::QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type,
                              Bytes& data) {
  return QueryStored(key, name, type, data);
}

// The key whose values a call on an open handle changes, once the handle grants the right and
// neither a read-only mark nor an injected failure refuses the change.
long SimRegistry::NodeToChange(RegHandle key, const char* call, const std::string& name,
                               Node*& node) {
  const Handle* handle = Find(key);
  if (!handle) return status::kInvalidHandle;
  if ((handle->access & kSetRight) == 0) return status::kAccessDenied;
  if (long result = Injected(call, handle->root, handle->path, name); result != status::kSuccess) {
    return result;
  }
  const Location target = WriteTarget(handle->root, handle->path);
  node = Walk(target);
  if (node == nullptr) return status::kKeyDeleted;
  if (node->readOnly) return status::kAccessDenied;
  return WriteBlocked(target.root, target.path);
}

long SimRegistry::SetStored(RegHandle key, const std::string& call, const std::u16string& name,
                            uint32_t type, Bytes data) {
  Node* node = nullptr;
  if (long result = NodeToChange(key, call.c_str(), Narrow(name), node);
      result != status::kSuccess) {
    return result;
  }
  if (SimValue* value = node->Value(name)) {
    value->type = type;
    value->data = std::move(data);
  } else {
    node->values.push_back(SimValue{name, type, std::move(data)});
  }
  return status::kSuccess;
}

long SimRegistry::SetValue(RegHandle key, const std::string& name, uint32_t type,
                           const Bytes& data) {
  return SetStored(key, "SetValue", Wide(name), type, StoredForm(type, data));
}

long SimRegistry::SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                            const Bytes& data) {
  return SetStored(key, "SetValue", name, type, data);
}

long SimRegistry::DeleteValue(RegHandle key, const std::string& name) {
  Node* node = nullptr;
  if (long result = NodeToChange(key, "DeleteValue", name, node); result != status::kSuccess) {
    return result;
  }
  const std::u16string folded = FoldWide(Wide(name));
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const SimValue& value) { return FoldWide(value.name) == folded; });
  if (it == node->values.end()) return status::kFileNotFound;
  node->values.erase(it);
  return status::kSuccess;
}

long SimRegistry::DeleteTree(RegHandle parent, const std::string& path) {
  RootKey root{};
  Path full;
  if (long result = Resolve(parent, path, root, full); result != status::kSuccess) return result;
  if (full.empty() || SplitWide(Wide(path)).empty()) return kInvalidParameter;
  if (long result = Injected("DeleteTree", root, full, ""); result != status::kSuccess) {
    return result;
  }
  const Location target = WriteTarget(root, full);
  if (long result = WriteBlocked(target.root, target.path); result != status::kSuccess) {
    return result;
  }
  Location parentLocation = target;
  parentLocation.path.pop_back();
  Node* parentNode = Walk(parentLocation);
  if (parentNode == nullptr || parentNode->Child(target.path.back()) == nullptr) {
    return status::kFileNotFound;
  }
  parentNode->children.erase(FoldWide(target.path.back()));
  return status::kSuccess;
}

// RegLoadKey: the file's hive under HKEY_USERS\name until RegUnLoadKey, a hive file at a
// time; the file is held (in use) meanwhile.
long SimRegistry::LoadHive(const std::string& name, const std::string& file) {
  const Path at{Wide(name)};
  if (long result = Injected("LoadHive", RootKey::Users, at, file); result != status::kSuccess) {
    return result;
  }
  if (users_->Child(at[0]) != nullptr) return status::kAlreadyExists;
  auto saved = hiveFiles_.find(FoldWide(Wide(file)));
  if (saved == hiveFiles_.end()) return status::kFileNotFound;
  if (saved->second == nullptr) return status::kSharingViolation;
  saved->second->name = at[0];
  loadedFrom_[FoldWide(at[0])] = saved->first;
  users_->children[FoldWide(at[0])] = std::move(saved->second);
  return status::kSuccess;
}

long SimRegistry::UnloadHive(const std::string& name) {
  const std::u16string folded = FoldWide(Wide(name));
  auto from = loadedFrom_.find(folded);
  if (from == loadedFrom_.end()) return kInvalidParameter;
  if (long result = Injected("UnloadHive", RootKey::Users, {Wide(name)}, "");
      result != status::kSuccess) {
    return result;
  }
  hiveFiles_[from->second] = std::move(users_->children[folded]);
  users_->children.erase(folded);
  loadedFrom_.erase(from);
  return status::kSuccess;
}

void SimRegistry::SaveHiveFile(const std::string& name, const std::string& file) {
  const std::u16string folded = FoldWide(Wide(name));
  auto staged = users_->children.find(folded);
  hiveFiles_[FoldWide(Wide(file))] =
      staged == users_->children.end() ? std::make_unique<Node>() : std::move(staged->second);
  users_->children.erase(folded);
}

void SimRegistry::StageKey(RootKey root, const std::string& path) {
  StageKeyWide(root, Wide(path));
}

void SimRegistry::StageKeyWide(RootKey root, const std::u16string& path) {
  long ignored = status::kSuccess;
  MakeNodes(WriteTarget(root, SplitWide(path)), false, ignored);
}

void SimRegistry::StageValue(RootKey root, const std::string& path, const std::string& name,
                             uint32_t type, const Bytes& data) {
  StageValueWide(root, Wide(path), Wide(name), type, data);
}

void SimRegistry::Stage(RootKey root, const std::u16string& path, const std::u16string& name,
                        uint32_t type, Bytes data) {
  long ignored = status::kSuccess;
  Node* node = MakeNodes(WriteTarget(root, SplitWide(path)), false, ignored);
  if (SimValue* value = node->Value(name)) {
    value->type = type;
    value->data = std::move(data);
  } else {
    node->values.push_back(SimValue{name, type, std::move(data)});
  }
}

void SimRegistry::StageValueWide(RootKey root, const std::u16string& path,
                                 const std::u16string& name, uint32_t type, const Bytes& data) {
  Stage(root, path, name, type, StoredForm(type, data));
}

void SimRegistry::StageStoredValue(RootKey root, const std::u16string& path,
                                   const std::u16string& name, uint32_t type, const Bytes& data) {
  Stage(root, path, name, type, data);
}

void SimRegistry::StageWideString(RootKey root, const std::u16string& path,
                                  const std::u16string& name, const std::u16string& text,
                                  uint32_t type) {
  Stage(root, path, name, type, Utf16LeBytes(text + u'\0'));
}

void SimRegistry::StageString(RootKey root, const std::string& path, const std::string& name,
                              const std::string& text, uint32_t type) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  StageValue(root, path, name, type, data);
}

void SimRegistry::StageDword(RootKey root, const std::string& path, const std::string& name,
                             uint32_t value) {
  StageValue(root, path, name, regtype::kDword,
             Bytes{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                   static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

void SimRegistry::SetReadOnly(RootKey root, const std::string& path, bool readOnly) {
  long ignored = status::kSuccess;
  MakeNodes(WriteTarget(root, SplitWide(Wide(path))), false, ignored)->readOnly = readOnly;
}

void SimRegistry::FailWritesBelow(RootKey root, const std::string& path, long result) {
  for (Location& location : Locations(root, SplitWide(Wide(path)))) {
    failingWrites_.emplace_back(std::move(location), result);
  }
}

bool SimRegistry::HasKey(RootKey root, const std::string& path) const {
  return !Resolve(root, SplitWide(Wide(path))).empty();
}

std::optional<SimValue> SimRegistry::GetValue(RootKey root, const std::string& path,
                                              const std::string& name) const {
  for (Node* node : Resolve(root, SplitWide(Wide(path)))) {
    if (const SimValue* value = node->Value(Wide(name))) {
      SimValue seen = *value;
      seen.data = AnsiForm(seen.type, seen.data);
      return seen;
    }
  }
  return std::nullopt;
}

std::optional<SimValue> SimRegistry::GetStoredValue(RootKey root, const std::u16string& path,
                                                    const std::u16string& name) const {
  for (Node* node : Resolve(root, SplitWide(path))) {
    if (const SimValue* value = node->Value(name)) return *value;
  }
  return std::nullopt;
}

void SimRegistry::DumpNode(const Node& node, const std::string& name, std::string& out) const {
  // Appended piece by piece: "literal" + string trips a false -Wrestrict in GCC 12 at -O3.
  out += '[';
  out += name;
  out += "]\n";
  for (const SimValue& value : node.values) {
    out += '"';
    out += WideToUtf8(value.name);
    out += "\"=";
    out += std::to_string(value.type);
    out += ':';
    constexpr char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < value.data.size(); ++i) {
      if (i > 0) out += ',';
      out += kHex[value.data[i] >> 4];
      out += kHex[value.data[i] & 15];
    }
    out += "\n";
  }
  for (const auto& [folded, child] : node.children) {
    DumpNode(*child, name + "\\" + WideToUtf8(child->name), out);
  }
}

std::string SimRegistry::Dump(RootKey root, const std::string& path) const {
  const Path parts = SplitWide(Wide(path));
  std::string out;
  // The classes root dumps the place its writes go, which is what a test staged.
  if (Node* node = Walk(WriteTarget(root, parts))) DumpNode(*node, JoinNarrow(root, parts), out);
  return out;
}
