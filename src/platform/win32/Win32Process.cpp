#include <windows.h>

#include <vector>

#include "platform/win32/StarterConsole.h"
#include "platform/win32/Win32Backends.h"

namespace {

// Waits for the handle while the thread's windows go on answering: messages other threads and
// programs send are answered, and what needs painting is painted. An export of a large key can
// take the editor half a minute, and a window that answers nothing for that long looks hung to
// the user and to the system. Posted input (a click, a close) waits in the queue for the caller,
// who takes it where a step of the work allows.
void WaitAnswering(HANDLE handle) {
  for (;;) {
    const DWORD woke =
        MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE | QS_PAINT);
    if (woke != WAIT_OBJECT_0 + 1) return;
    MSG msg;
    // Sent messages are answered inside PeekMessage; one paint is taken at a time, so a window
    // that never validates cannot hold the wait in here.
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT)) {
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace

bool Win32Process::RunAndWait(const std::string& application, const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line.
  std::vector<char> commandLine(arguments.begin(), arguments.end());
  commandLine.push_back('\0');
  if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS | HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  WaitAnswering(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void Win32Process::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

std::string Win32Process::ExpandEnvironment(const std::string& text) {
  std::string result(512, '\0');
  for (;;) {
    const DWORD needed =
        ExpandEnvironmentStringsA(text.c_str(), result.data(), static_cast<DWORD>(result.size()));
    if (needed == 0) return text;
    if (needed <= result.size()) {
      result.resize(needed - 1);  // the count includes the terminating NUL
      return result;
    }
    result.assign(needed, '\0');
  }
}

std::string Win32Process::WindowsDirectory() {
  char buffer[MAX_PATH] = {};
  GetWindowsDirectoryA(buffer, MAX_PATH);
  return buffer;
}

std::string Win32Process::ExePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.assign(path.size() * 2, '\0');
  }
}

uint32_t Win32Process::OsMajorVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = GetVersionExA(&info);
#pragma GCC diagnostic pop
  return ok ? info.dwMajorVersion : 0;
}

std::string Win32Process::OsVersionText() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return {};
#pragma GCC diagnostic pop
  std::string text = std::to_string(info.dwMajorVersion) + "." +
                     std::to_string(info.dwMinorVersion) + "." + std::to_string(info.dwBuildNumber);
  if (info.szCSDVersion[0] != '\0') text += std::string(" ") + info.szCSDVersion;
  return text;
}

// The mutex is never closed: the lock lasts as long as the process, and the system frees it
// when the process ends, however it ends.
bool Win32Process::HoldNamedLock(const std::string& name) {
  static std::vector<std::string> held;
  for (const std::string& h : held) {
    if (h == name) return true;
  }
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
  if (mutex == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Opened, not created: another process holds it (one that ended would have freed it).
    CloseHandle(mutex);
    return false;
  }
  held.push_back(name);
  return true;
}

LocalDate Win32Process::Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

std::string Win32Process::ErrorText(long status) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length)
                                                      : "Error " + std::to_string(status) + ".";
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}

void Win32Process::SayOnConsole(const std::string& line) {
  WriteToStarter(StarterStream::Errors, line + "\r\n");
}

void Win32Process::SayOnOutput(const std::string& line) {
  WriteToStarter(StarterStream::Output, line + "\r\n");
}
