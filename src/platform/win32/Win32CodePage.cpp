#include <windows.h>

#include "platform/win32/Win32Backends.h"

uint32_t Win32CodePage::Identifier() { return GetACP(); }

std::u16string Win32CodePage::ToWide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                      length);
  return wide;
}

std::wstring WideText(const std::string& ansi) {
  const std::u16string wide = Win32CodePage().ToWide(ansi);
  return {wide.begin(), wide.end()};
}

long Win32CodePage::FromWide(const std::u16string& wide, uint32_t flags, bool* usedDefault,
                             std::string& ansi) {
  ansi.clear();
  if (usedDefault != nullptr) *usedDefault = false;
  if (wide.empty()) return ERROR_SUCCESS;
  const auto* source = reinterpret_cast<const wchar_t*>(wide.data());
  const int size = static_cast<int>(wide.size());
  BOOL used = FALSE;
  BOOL* usedPointer = usedDefault != nullptr ? &used : nullptr;
  const int length =
      WideCharToMultiByte(CP_ACP, flags, source, size, nullptr, 0, nullptr, usedPointer);
  if (length == 0) return static_cast<long>(GetLastError());
  ansi.assign(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, flags, source, size, ansi.data(), length, nullptr, usedPointer);
  if (usedDefault != nullptr) *usedDefault = used != FALSE;
  return ERROR_SUCCESS;
}

std::string Win32CodePage::Upper(const std::string& text) {
  std::string result = text;
  if (!result.empty()) CharUpperBuffA(result.data(), static_cast<DWORD>(result.size()));
  return result;
}
