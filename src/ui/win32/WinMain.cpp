// The program's entry: the usage, a report run, the hand-over to a running instance, or the main
// window and its loop.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/RunReport.h"
#include "platform/win32/StarterConsole.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Layout.h"
#include "ui/ReportRun.h"
#include "ui/RunningInstance.h"
#include "ui/StartUp.h"
#include "ui/Usage.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/MainWindow.h"

namespace {
// Libraries loaded later (by the common controls, the shell, a theme) come from System32 only,
// never from the program's own folder or the current one, where a program without elevation
// could have placed one of that name. Windows 7 has the call only with update KB2533623.
void RestrictLibrarySearch() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto set = kernel == nullptr ? nullptr
                                     : reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
                                           GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (set != nullptr) set(0x00000800);  // LOAD_LIBRARY_SEARCH_SYSTEM32
}

// A start the running window cannot take says why: on its starter's console, or in a message
// when it was started from the desktop. The run then ends as one that could not be completed.
int RefuseStart(const std::string& why) {
  if (!WriteToStarter(StarterStream::Errors, "Klarvex: " + why + "\r\n")) {
    MessageBoxA(nullptr, why.c_str(), "Klarvex", MB_OK | MB_ICONINFORMATION);
  }
  return kExitNotCompleted;
}

// A window of higher rights does not take posted messages from a start of lower rights.
int HandOver(HWND other, UINT message, WPARAM request) {
  return PostMessageA(other, message, request, 0) ? 0 : RefuseStart(UnreachedInstanceText());
}

void InitCommonControls32() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  if (AsksForUsage(arguments)) {
    WriteToStarter(StarterStream::Output, UsageText());
    return 0;
  }
  // A report run has no window and hands nothing to a running instance.
  const ReportRequest report = ReportOf(arguments);
  if (report.wanted) {
    UseWin32Platform();
    return RunReport(report);
  }
  gStartUp.cleanMessage = RegisterWindowMessageA(kCleanMessageName);
  gStartUp.undoMessage = RegisterWindowMessageA(kUndoMessageName);
  gStartUp.commandArgument = CommandArgument(__argc > 1 ? __argv[1] : "");
  // The instance is found through the platform: who made a window, and where the lock lives.
  UseWin32Platform();
  gStartUp.allUsers = report.allUsers;
  if (const std::string refused = AllUsersRefusal(report.allUsers); !refused.empty()) {
    return RefuseStart(refused);
  }
  gStartUp.runningInstance = RunningInstance();
  HWND other = reinterpret_cast<HWND>(gStartUp.runningInstance);

  switch (DecideStart(gStartUp.commandArgument, other != nullptr, gStartUp.allUsers)) {
    case StartAction::Refuse:
      return RefuseStart(
          RefusedStartText(gStartUp.commandArgument + (gStartUp.allUsers ? " /allusers" : "")));
    case StartAction::PostClean:
      return HandOver(other, gStartUp.cleanMessage, kCleanRequest);
    case StartAction::PostUndo:
      return HandOver(other, gStartUp.undoMessage, kUndoRequest);
    case StartAction::OpenWindow:
      break;
  }

  InitCommonControls32();
  MainWindow window;
  if (!window.Create(instance)) return 1;
  CreateDialogs(window.Handle());
  SetDialogMessageHook([&window](const MSG& msg) {
    bool handled = false;
    window.Form().MessageEvent(msg.message, msg.wParam, handled);
  });
  window.Show();
  const int code = window.RunMessageLoop();
  DestroyDialogs();
  return code;
}
