#include "platform/win32/Win32Platform.h"

#include "platform/Platform.h"
#include "platform/win32/Win32Backends.h"

void UseWin32Platform() {
  static Win32Registry registry;
  static Win32Files files;
  static Win32Process process;
  static Win32Shell shell;
  static Win32CodePage codePage;
  UsePlatform({&registry, &files, &process, &shell, &codePage});
}
