#include <windows.h>

#include "platform/win32/Win32Backends.h"

// The root values travel as 0x8000000x; as HKEYs they are sign-extended on 64-bit Windows.
HKEY ToHkey(RegHandle handle) {
  switch (static_cast<RootKey>(handle)) {
    case RootKey::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::Users:
      return HKEY_USERS;
  }
  return reinterpret_cast<HKEY>(handle);
}

namespace {

RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

// The longest key name is 255 characters, the longest value name 16383.
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kMaxValueName = 16384;

// The ANSI calls would hand back '?' or a best-fit twin that opens another key.
long ToAnsiName(const wchar_t* wide, DWORD length, std::string& name) {
  Win32CodePage codePage;
  return codePage.ToAnsiName(std::u16string(reinterpret_cast<const char16_t*>(wide), length), name);
}
}  // namespace

long Win32Registry::Open(RegHandle parent, const std::string& path, uint32_t access,
                         RegHandle& key) {
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(ToHkey(parent), path.c_str(), 0, access, &opened);
  key = result == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return result;
}

long Win32Registry::Create(RegHandle parent, const std::string& path, uint32_t access,
                           RegHandle& key) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG result =
      RegCreateKeyExA(ToHkey(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                      nullptr, &created, &disposition);
  key = result == ERROR_SUCCESS ? FromHkey(created) : 0;
  return result;
}

long Win32Registry::Close(RegHandle key) { return RegCloseKey(ToHkey(key)); }

long Win32Registry::QueryInfo(RegHandle key, RegKeyInfo& info) {
  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0;
  const LONG result =
      RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                       &values, &maxValueNameLen, nullptr, nullptr, nullptr);
  info = {subKeys, maxSubKeyLen, values, maxValueNameLen};
  return result;
}

long Win32Registry::EnumKey(RegHandle key, uint32_t index, std::string& name) {
  name.clear();
  wchar_t buffer[kMaxKeyName + 1];
  DWORD length = kMaxKeyName + 1;
  const LONG result =
      RegEnumKeyExW(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (result != ERROR_SUCCESS) return result;
  return ToAnsiName(buffer, length, name);
}

long Win32Registry::EnumValue(RegHandle key, uint32_t index, std::string& name) {
  name.clear();
  // The longest name fits; kept between calls (a list enumerates many).
  thread_local std::wstring buffer(kMaxValueName + 1, L'\0');
  DWORD length = kMaxValueName + 1;
  const LONG result =
      RegEnumValueW(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (result != ERROR_SUCCESS) return result;
  return ToAnsiName(buffer.data(), length, name);
}

namespace {
// RegQueryValueExA or W. Most values fit a small buffer and take one call; a larger one reports
// its size and is asked again. The value may grow between the calls: ask again with the size the
// system reports.
constexpr DWORD kFirstBuffer = 512;

template <typename Query>
long QueryWhole(Query query, uint32_t& type, Bytes& data) {
  DWORD valueType = 0;
  data.resize(kFirstBuffer);
  DWORD size = kFirstBuffer;
  LONG result = query(&valueType, data.data(), &size);
  for (int attempt = 0; result == ERROR_MORE_DATA && attempt < 8; ++attempt) {
    data.assign(size == 0 ? 1 : size, 0);
    size = static_cast<DWORD>(data.size());
    result = query(&valueType, data.data(), &size);
  }
  if (result != ERROR_SUCCESS) {
    data.clear();
    return result;
  }
  data.resize(size);
  type = valueType;
  return ERROR_SUCCESS;
}

const wchar_t* WideName(const std::u16string& name) {
  return reinterpret_cast<const wchar_t*>(name.c_str());
}
}  // namespace

long Win32Registry::QueryValue(RegHandle key, const std::string& name, uint32_t& type,
                               Bytes& data) {
  return QueryWhole(
      [&](DWORD* valueType, BYTE* buffer, DWORD* size) {
        return RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, valueType, buffer, size);
      },
      type, data);
}

long Win32Registry::QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type,
                                Bytes& data) {
  return QueryWhole(
      [&](DWORD* valueType, BYTE* buffer, DWORD* size) {
        return RegQueryValueExW(ToHkey(key), WideName(name), nullptr, valueType, buffer, size);
      },
      type, data);
}

long Win32Registry::SetValue(RegHandle key, const std::string& name, uint32_t type,
                             const Bytes& data) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size()));
}

long Win32Registry::SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                              const Bytes& data) {
  return RegSetValueExW(ToHkey(key), WideName(name), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteValue(RegHandle key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::DeleteTree(RegHandle parent, const std::string& path) {
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  const LONG result = RegDeleteTreeA(ToHkey(parent), path.c_str());
  if (result != ERROR_SUCCESS) return result;
  // RegDeleteTreeA removes the key itself on newer systems; on older ones only its contents.
  const LONG removed = RegDeleteKeyA(ToHkey(parent), path.c_str());
  return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : removed;
}

namespace {

// Loading and unloading a hive needs both rights enabled in the process's token; an
// administrator's token holds them disabled.
bool EnableHiveRights() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  bool enabled = true;
  for (const wchar_t* right : {L"SeBackupPrivilege", L"SeRestorePrivilege"}) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    enabled = enabled && LookupPrivilegeValueW(nullptr, right, &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
  }
  CloseHandle(token);
  return enabled;
}

}  // namespace

long Win32Registry::LoadHive(const std::string& name, const std::string& file) {
  if (!EnableHiveRights()) return ERROR_PRIVILEGE_NOT_HELD;
  return RegLoadKeyA(HKEY_USERS, name.c_str(), file.c_str());
}

long Win32Registry::UnloadHive(const std::string& name) {
  if (!EnableHiveRights()) return ERROR_PRIVILEGE_NOT_HELD;
  return RegUnLoadKeyA(HKEY_USERS, name.c_str());
}
