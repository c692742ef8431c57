#include "ui/win32/RunningInstance.h"

#include "ui/Layout.h"

namespace {
constexpr const char* kInstanceMutex = "Klarvex.Instance";
}  // namespace

HWND RunningInstance() {
  // Never closed when this process is the instance: the system frees it when the process ends.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutex);
  const bool another = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  if (!another) return nullptr;
  CloseHandle(mutex);
  return FindWindowA(kWindowClass, nullptr);
}
