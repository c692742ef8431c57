#include "platform/win32/StarterConsole.h"

#include "platform/win32/Win32Backends.h"

bool WriteToStarter(StarterStream stream, const std::string& text) {
  // A program of the window subsystem gets no console of its own. Access denied means the
  // process already has one (Wine gives a program started from a terminal that terminal's).
  const bool console =
      AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
  DWORD written = 0;
  HANDLE handle =
      GetStdHandle(stream == StarterStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  const DWORD type =
      handle != nullptr && handle != INVALID_HANDLE_VALUE ? GetFileType(handle) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  }
  if (!console) return false;
  HANDLE screen =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (screen == INVALID_HANDLE_VALUE) return false;
  const std::wstring wide = WideText(text);
  const bool done =
      WriteConsoleW(screen, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
  CloseHandle(screen);
  return done;
}
