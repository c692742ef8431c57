#include "platform/RegistryOps.h"

#include <cstring>

#include "platform/RegKey.h"

namespace {
// The reads try three ever smaller rights, so a key that grants only value queries still reads.
// Only a refusal of the rights is worth another attempt: a missing key stays missing, and most
// keys the checks look for (an absent LocalServer32, DefaultIcon...) are missing.
RegKey OpenForRead(RootKey root, const std::string& path) {
  for (uint32_t mask : {keyaccess::kRead, keyaccess::kReadEnumerate, keyaccess::kQueryValue}) {
    RegKey key(root, path, mask);
    if (key.IsOpen() || key.OpenStatus() != status::kAccessDenied) return key;
  }
  return RegKey();
}
}  // namespace

int32_t ListSubKeys(RootKey root, const std::string& path, TextList& list) {
  list.clear();
  RegKey key(root, path, keyaccess::kAllAccess);
  list = key.SubKeyNames();
  return static_cast<int32_t>(list.size());
}

int32_t ListValueNames(RootKey root, const std::string& path, TextList& list) {
  list.clear();
  RegKey key(root, path, keyaccess::kAllAccess);
  list = key.ValueNames();
  return static_cast<int32_t>(list.size());
}

std::string ReadString(const RegKey& key, const std::string& name) {
  uint32_t type = 0;
  std::string text;
  const long result = key.IsOpen() ? key.QueryText(name, type, text) : key.OpenStatus();
  if (result == status::kNoUnicodeTranslation) {
    throw UnreadableText("The text of '" + name + "' does not fit the code page");
  }
  return result == status::kSuccess ? text : std::string();
}

std::string ReadString(RootKey root, const std::string& path, const std::string& name) {
  return ReadString(OpenForRead(root, path), name);
}

std::string ReadSettingText(RootKey root, const std::string& path, const std::string& name) {
  const RegKey key(root, path, keyaccess::kRead);
  uint32_t type = regtype::kNone;
  std::string text;
  return key.IsOpen() && key.QueryText(name, type, text) == status::kSuccess ? text : std::string();
}

std::string ReadStringUpper(RootKey root, const std::string& path, const std::string& name) {
  return UpperAscii(ReadString(root, path, name));
}

int32_t ReadDword(const RegKey& key, const std::string& name) {
  uint32_t type = 0;
  Bytes data;
  if (!key.IsOpen() || key.Query(name, type, data) != status::kSuccess) return 0;
  if (type != regtype::kDword) return 0;
  if (data.size() > 4) throw RegistryError("Failed to get data for '" + name + "'");
  // Short data fill the low bytes; the rest stays 0.
  uint8_t bytes[4] = {0, 0, 0, 0};
  if (!data.empty()) std::memcpy(bytes, data.data(), data.size());
  const uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                         static_cast<uint32_t>(bytes[2]) << 16 |
                         static_cast<uint32_t>(bytes[3]) << 24;
  return static_cast<int32_t>(value);
}

int32_t ReadDword(RootKey root, const std::string& path, const std::string& name) {
  return ReadDword(OpenForRead(root, path), name);
}

void WriteStringValue(RootKey root, const std::string& path, const std::string& name,
                      const std::string& text) {
  RegKey key = RegKey::Create(root, path);
  if (!key.IsOpen()) return;
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  if (key.Set(name, regtype::kSz, data) != status::kSuccess) {
    throw RegistryError("Failed to set data for '" + name + "'");
  }
}

bool KeyExists(RootKey root, const std::string& path) {
  return RegKey(root, path, keyaccess::kReadEnumerate).IsOpen();
}

bool DeleteValueIfExists(RootKey root, const std::string& path, const std::string& name) {
  RegKey key(root, path, keyaccess::kAllAccess);
  uint32_t type = 0;
  Bytes data;
  if (!key.IsOpen() || key.Query(name, type, data) != status::kSuccess) return false;
  return key.Delete(name) == status::kSuccess;
}

bool CanOpenFullAccess(RootKey root, const std::string& path) {
  return RegKey(root, path, keyaccess::kAllAccess).IsOpen();
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}
