// The registry seam: the calls the program makes, shaped like their Win32 counterparts so the
// Win32 backend is a thin pass-through. Every call returns a Win32 status code.
#pragma once

#include "platform/Types.h"

// An open key. The three roots are handles too: RegHandle(static_cast<uintptr_t>(root)).
using RegHandle = uintptr_t;

inline RegHandle RootHandle(RootKey root) { return static_cast<RegHandle>(root); }

struct RegKeyInfo {
  uint32_t subKeys = 0;
  uint32_t maxSubKeyLen = 0;
  uint32_t values = 0;
  uint32_t maxValueNameLen = 0;
};

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyExA: path below parent ("" opens parent itself again).
  virtual long Open(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) = 0;
  // RegCreateKeyExA: creates every missing key along the path.
  virtual long Create(RegHandle parent, const std::string& path, uint32_t access,
                      RegHandle& key) = 0;
  virtual long Close(RegHandle key) = 0;
  virtual long QueryInfo(RegHandle key, RegKeyInfo& info) = 0;
  // Names come back in the ANSI code page. A name that does not survive the conversion to the
  // code page and back unchanged gives kNoUnicodeTranslation, so it is never mistaken for
  // another key or value of the same best-fit spelling; one holding a control character gives
  // kInvalidName (CodePage::ToAnsiName).
  virtual long EnumKey(RegHandle key, uint32_t index, std::string& name) = 0;
  virtual long EnumValue(RegHandle key, uint32_t index, std::string& name) = 0;
  // RegQueryValueExA: type and the whole data, however long. Text types come back converted
  // to the code page, so characters it cannot hold are lost here.
  virtual long QueryValue(RegHandle key, const std::string& name, uint32_t& type, Bytes& data) = 0;
  // RegQueryValueExW: the data exactly as stored, text types in UTF-16LE.
  virtual long QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type,
                           Bytes& data) = 0;
  virtual long SetValue(RegHandle key, const std::string& name, uint32_t type,
                        const Bytes& data) = 0;
  // RegSetValueExW: data stored as given, text types in UTF-16LE.
  virtual long SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                         const Bytes& data) = 0;
  virtual long DeleteValue(RegHandle key, const std::string& name) = 0;
  // RegDeleteTreeA + RegDeleteKeyA: the key below parent with everything in it. The program
  // itself never deletes keys (the registry editor does); tests and the editor do.
  virtual long DeleteTree(RegHandle parent, const std::string& path) = 0;
  // RegLoadKeyA below HKEY_USERS: the user's hive file (NTUSER.DAT, UsrClass.dat) at
  // HKEY_USERS\name, the backup and restore rights enabled for it; UnloadHive lets it go.
  virtual long LoadHive(const std::string& name, const std::string& file) = 0;
  virtual long UnloadHive(const std::string& name) = 0;
};
