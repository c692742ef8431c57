// The contract tests' backend under Wine: the real registry, in a scratch key of its own.
#include <windows.h>
// sddl.h needs windows.h first.
#include <sddl.h>

#include <random>
#include <vector>

#include "platform/Roots.h"
#include "platform/win32/Win32Backends.h"
#include "platform/win32/Win32Platform.h"
#include "support/ContractBackend.h"

namespace {
std::string scratch;
std::vector<std::wstring> planted;  // files, then their folders, in the order made

HKEY RootHkey(RootKey root) { return ToHkey(RootHandle(root)); }

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());  // the tests' own paths are ASCII
}
}  // namespace

bool ContractOffersCodePage(uint32_t codePage) { return GetACP() == codePage; }

std::string ContractBegin(uint32_t) {
  UseWin32Platform();
  std::random_device random;
  scratch = "Software\\KlarvexTest\\" + std::to_string(random());
  RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  RegCloseKey(key);
  return scratch;
}

void ContractEnd() {
  for (auto it = planted.rbegin(); it != planted.rend(); ++it) {
    if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
  }
  planted.clear();
  // Never the whole of HKEY_CURRENT_USER.
  if (scratch.empty()) return;
  RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, scratch.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KlarvexTest");  // only when empty
}

// Everyone may read, nobody may change: what a locked-down key looks like to the user.
void ContractMarkReadOnly(RootKey root, const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                       &descriptor, nullptr);
  HKEY key = nullptr;
  if (RegOpenKeyExA(RootHkey(root), path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(key);
  }
  LocalFree(descriptor);
}

void ContractCreateWideKey(RootKey root, const std::string& path, const std::u16string& name) {
  const std::wstring full = Widen(path) + L"\\" + reinterpret_cast<const wchar_t*>(name.c_str());
  HKEY key = nullptr;
  if (RegCreateKeyExW(RootHkey(root), full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    RegCloseKey(key);
  }
}

void ContractSetWideValue(RootKey root, const std::string& path, const std::u16string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootHkey(root), Widen(path).c_str(), 0, KEY_ALL_ACCESS, &key) ==
      ERROR_SUCCESS) {
    const wchar_t data[] = L"x";
    RegSetValueExW(key, reinterpret_cast<const wchar_t*>(name.c_str()), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data), sizeof data);
    RegCloseKey(key);
  }
}

void ContractHardLink(const std::string& path, const std::string& existing) {
  CreateHardLinkA(path.c_str(), existing.c_str(), nullptr);
}

// Through the "\\?\" form: the path may be longer than the ANSI calls take.
void ContractPutFile(const std::string& path) {
  const std::wstring full = L"\\\\?\\" + Widen(path);
  for (size_t at = full.find(L'\\', 7); at != std::wstring::npos; at = full.find(L'\\', at + 1)) {
    if (CreateDirectoryW(full.substr(0, at).c_str(), nullptr))
      planted.push_back(full.substr(0, at));
  }
  const HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  CloseHandle(file);
  planted.push_back(full);
}
