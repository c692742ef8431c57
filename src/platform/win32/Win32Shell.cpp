#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/win32/Win32Backends.h"

void Win32Shell::Open(uintptr_t ownerWindow, const std::string& target) {
  ShellExecuteA(reinterpret_cast<HWND>(ownerWindow), "open", target.c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}
