// An open registry key that closes itself: the building block of the registry operations and of
// the walks that keep one handle per level.
#pragma once

#include "platform/RegistryApi.h"

class RegKey {
 public:
  RegKey() = default;
  // Opens root\path (one leading backslash dropped; "" or "\" is the root itself).
  RegKey(RootKey root, const std::string& path, uint32_t access);
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  ~RegKey();

  // Opens root\path creating every missing key (the root itself when the path is empty).
  static RegKey Create(RootKey root, const std::string& path);

  bool IsOpen() const { return handle_ != 0; }
  long OpenStatus() const { return status_; }
  RegHandle Handle() const { return handle_; }

  // Names in enumeration order. Indexes the platform refuses, and names the code page cannot
  // hold unchanged or that hold a control character, are left out. An unopened key lists nothing.
  TextList SubKeyNames() const;
  // The same with the key's counts already queried: info.subKeys indexes are listed.
  TextList SubKeyNames(const RegKeyInfo& info) const;
  TextList ValueNames() const;
  // Status of the query; type and data are filled on success.
  long Query(const std::string& name, uint32_t& type, Bytes& data) const;
  // The data exactly as stored (RegQueryValueExW): text types in UTF-16LE.
  long QueryStored(const std::string& name, uint32_t& type, Bytes& data) const;
  // A string or expandable string's text in the code page, up to its first NUL ("" for other
  // types). kNoUnicodeTranslation when the text does not survive the round trip through the
  // code page: what the code page makes of it ('?', a best-fit letter) would name something
  // else, so it is never judged, as a name that does not survive it is never listed.
  long QueryText(const std::string& name, uint32_t& type, std::string& text) const;
  long Set(const std::string& name, uint32_t type, const Bytes& data) const;
  long Delete(const std::string& name) const;

  void Close();

 private:
  RegHandle handle_ = 0;
  long status_ = status::kInvalidHandle;
  bool owned_ = false;
};

// The path as the platform takes it: one leading backslash removed.
std::string StripLeadingBackslash(const std::string& path);
