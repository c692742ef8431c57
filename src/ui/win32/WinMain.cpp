// The program's entry: the hand-over to a running instance, or the main window and its loop.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "ui/Layout.h"
#include "ui/ReportRun.h"
#include "ui/StartUp.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/MainWindow.h"

namespace {
void InitCommonControls32() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // A report run has no window and hands nothing to a running instance.
  const ReportRequest report = ReportOf(std::vector<std::string>(__argv + 1, __argv + __argc));
  if (report.wanted) {
    UseWin32Platform();
    return RunReport(report.mode, report.path);
  }
  gStartUp.cleanMessage = RegisterWindowMessageA(kCleanMessageName);
  gStartUp.undoMessage = RegisterWindowMessageA(kUndoMessageName);
  gStartUp.commandArgument = CommandArgument(__argc > 1 ? __argv[1] : "");
  HWND other = FindWindowA(nullptr, kWindowTitle);
  gStartUp.runningInstance = reinterpret_cast<uintptr_t>(other);

  switch (DecideStart(gStartUp.commandArgument, other != nullptr)) {
    case StartAction::End:
      return 0;
    case StartAction::PostClean:
      PostMessageA(other, gStartUp.cleanMessage, kCleanRequest, 0);
      return 0;
    case StartAction::PostUndo:
      PostMessageA(other, gStartUp.undoMessage, kUndoRequest, 0);
      return 0;
    case StartAction::OpenWindow:
      break;
  }

  UseWin32Platform();
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
