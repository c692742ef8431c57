// Reading and planting registry state in tests under Wine, through the wide calls so that
// nothing is lost to the code page: snapshots of whole trees as stored names, types and bytes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace winereg {

struct Value {
  DWORD type = 0;
  std::vector<BYTE> data;
  bool operator==(const Value&) const = default;
};
// Every key below a root key as "path" -> its values by name.
using Snapshot = std::map<std::wstring, std::map<std::wstring, Value>>;

inline void ReadTree(HKEY root, const std::wstring& path, Snapshot& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD subKeyCount = 0;
  DWORD valueCount = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeyCount, nullptr, nullptr, &valueCount,
                   nullptr, nullptr, nullptr, nullptr);
  auto& values = out[path];
  // Bounded by the key's own counts: some of Wine's keys refuse a few indexes for good.
  std::vector<wchar_t> name(16384);
  for (DWORD i = 0; i < valueCount; ++i) {
    DWORD nameLength = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      continue;
    }
    Value value{type, std::vector<BYTE>(size)};
    nameLength = 16384;
    RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, value.data.data(), &size);
    value.data.resize(size);
    values[std::wstring(name.data(), nameLength)] = value;
  }
  std::vector<std::wstring> subKeys;
  for (DWORD i = 0; i < subKeyCount; ++i) {
    wchar_t subName[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, i, subName, &nameLength, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS) {
      subKeys.emplace_back(subName, nameLength);
    }
  }
  RegCloseKey(key);
  for (const std::wstring& sub : subKeys) ReadTree(root, path + L"\\" + sub, out);
}

inline Snapshot Tree(HKEY root, const std::wstring& path) {
  Snapshot state;
  ReadTree(root, path, state);
  return state;
}

// Whether key is path itself or lies below it; registry names compare without regard to case.
inline bool IsAtOrBelow(const std::wstring& key, const std::wstring& path) {
  if (key.size() < path.size()) return false;
  if (_wcsnicmp(key.c_str(), path.c_str(), path.size()) != 0) return false;
  return key.size() == path.size() || key[path.size()] == L'\\';
}

// The keys whose values differ between two snapshots, one per line, for failure messages.
inline std::string Differences(const Snapshot& a, const Snapshot& b) {
  std::wstring out;
  for (const auto& [key, values] : a) {
    auto other = b.find(key);
    if (other == b.end())
      out += L"only in the first: " + key + L"\n";
    else if (other->second != values)
      out += L"values differ: " + key + L"\n";
  }
  for (const auto& [key, values] : b) {
    if (!a.contains(key)) out += L"only in the second: " + key + L"\n";
  }
  return std::string(out.begin(), out.end());
}

// Creates root\path with every missing parent and, when name is given, sets one value.
inline bool PutIn(HKEY root, const std::wstring& path, const wchar_t* name = nullptr,
                  DWORD type = REG_NONE, const std::vector<BYTE>& data = {}) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  LONG status = ERROR_SUCCESS;
  if (name)
    status = RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

// The same below HKEY_LOCAL_MACHINE.
inline bool Put(const std::wstring& path, const wchar_t* name = nullptr, DWORD type = REG_NONE,
                const std::vector<BYTE>& data = {}) {
  return PutIn(HKEY_LOCAL_MACHINE, path, name, type, data);
}

// REG_SZ / REG_EXPAND_SZ data: the text and its terminating NUL as UTF-16.
inline std::vector<BYTE> Wide(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

// REG_DWORD data.
inline std::vector<BYTE> Dword(DWORD value) {
  const auto* bytes = reinterpret_cast<const BYTE*>(&value);
  return std::vector<BYTE>(bytes, bytes + sizeof value);
}

inline void Remove(const std::wstring& path, HKEY root = HKEY_LOCAL_MACHINE) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
}

}  // namespace winereg
