#include "platform/RegKey.h"

#include <utility>

#include "platform/Platform.h"
#include "platform/TextFile.h"

std::string StripLeadingBackslash(const std::string& path) {
  if (!path.empty() && path.front() == '\\') return path.substr(1);
  return path;
}

RegKey::RegKey(RootKey root, const std::string& path, uint32_t access) {
  RegHandle handle = 0;
  status_ = Registry().Open(RootHandle(root), StripLeadingBackslash(path), access, handle);
  if (status_ == status::kSuccess) {
    handle_ = handle;
    owned_ = true;
  }
}

RegKey::RegKey(RegKey&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)),
      status_(std::exchange(other.status_, status::kInvalidHandle)),
      owned_(std::exchange(other.owned_, false)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, 0);
    status_ = std::exchange(other.status_, status::kInvalidHandle);
    owned_ = std::exchange(other.owned_, false);
  }
  return *this;
}

RegKey::~RegKey() { Close(); }

RegKey RegKey::Create(RootKey root, const std::string& path) {
  const std::string rest = StripLeadingBackslash(path);
  // RegCreateKeyExA with no subkey name is not how the root itself is reached: open it instead.
  if (rest.empty()) return RegKey(root, rest, keyaccess::kAllAccess);
  RegKey key;
  RegHandle handle = 0;
  key.status_ = Registry().Create(RootHandle(root), rest, keyaccess::kAllAccess, handle);
  if (key.status_ == status::kSuccess) {
    key.handle_ = handle;
    key.owned_ = true;
  }
  return key;
}

namespace {
template <typename Enum>
TextList EnumerateNames(RegHandle handle, uint32_t count, Enum enumerate) {
  TextList names;
  for (uint32_t index = 0; index < count; ++index) {
    std::string name;
    // A refused index (an entry deleted meanwhile, a name the code page cannot hold) is skipped.
    if (enumerate(handle, index, name) == status::kSuccess) names.push_back(std::move(name));
  }
  return names;
}
}  // namespace

TextList RegKey::SubKeyNames() const {
  RegKeyInfo info;
  if (!IsOpen() || Registry().QueryInfo(handle_, info) != status::kSuccess) return {};
  return SubKeyNames(info);
}

TextList RegKey::SubKeyNames(const RegKeyInfo& info) const {
  if (!IsOpen()) return {};
  return EnumerateNames(handle_, info.subKeys, [](RegHandle h, uint32_t i, std::string& name) {
    return Registry().EnumKey(h, i, name);
  });
}

TextList RegKey::ValueNames() const {
  RegKeyInfo info;
  if (!IsOpen() || Registry().QueryInfo(handle_, info) != status::kSuccess) return {};
  return EnumerateNames(handle_, info.values, [](RegHandle h, uint32_t i, std::string& name) {
    return Registry().EnumValue(h, i, name);
  });
}

long RegKey::Query(const std::string& name, uint32_t& type, Bytes& data) const {
  if (!IsOpen()) return status::kInvalidHandle;
  return Registry().QueryValue(handle_, name, type, data);
}

long RegKey::QueryStored(const std::string& name, uint32_t& type, Bytes& data) const {
  if (!IsOpen()) return status::kInvalidHandle;
  return Registry().QueryValueW(handle_, Ansi().ToWide(name), type, data);
}

long RegKey::QueryText(const std::string& name, uint32_t& type, std::string& text) const {
  text.clear();
  Bytes stored;
  const long result = QueryStored(name, type, stored);
  if (result != status::kSuccess || (type != regtype::kSz && type != regtype::kExpandSz)) {
    return result;
  }
  const std::u16string wide = TextUpToNul(stored);
  bool lossy = false;
  std::string ansi = Ansi().ToAnsi(wide, lossy);
  if (lossy) return status::kNoUnicodeTranslation;
  text = std::move(ansi);
  return status::kSuccess;
}

long RegKey::Set(const std::string& name, uint32_t type, const Bytes& data) const {
  if (!IsOpen()) return status::kInvalidHandle;
  return Registry().SetValue(handle_, name, type, data);
}

long RegKey::Delete(const std::string& name) const {
  if (!IsOpen()) return status::kInvalidHandle;
  return Registry().DeleteValue(handle_, name);
}

void RegKey::Close() {
  if (owned_ && handle_ != 0) Registry().Close(handle_);
  handle_ = 0;
  owned_ = false;
}
