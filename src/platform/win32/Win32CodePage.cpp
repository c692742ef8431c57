#include <windows.h>

#include "platform/win32/Win32Backends.h"

std::u16string Win32CodePage::ToWide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                      length);
  return wide;
}

// Without best-fit letters, so "Ā" never silently becomes "A"; the round trip catches the rest
// (code pages where the default character itself is not reported).
std::string Win32CodePage::ToAnsi(const std::u16string& wide, bool& lossy) {
  lossy = false;
  if (wide.empty()) return {};
  const auto* source = reinterpret_cast<const wchar_t*>(wide.data());
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, size, nullptr, 0,
                                         nullptr, &usedDefault);
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, size, ansi.data(), length, nullptr,
                      &usedDefault);
  lossy = usedDefault != FALSE || length == 0 || ToWide(ansi) != wide;
  return ansi;
}

std::string Win32CodePage::Upper(const std::string& text) {
  std::string result = text;
  if (!result.empty()) CharUpperBuffA(result.data(), static_cast<DWORD>(result.size()));
  return result;
}
