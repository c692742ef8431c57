#include "ui/win32/HandlerGuard.h"

#include <string>

#include "engine/RunMessages.h"

void TellHandlerFailed(HWND owner, const char* reason) noexcept {
  try {
    const std::string text = runmsg::HandlerFailed(reason);
    MessageBoxA(owner, text.c_str(), "Klarvex", MB_OK | MB_ICONERROR);
  } catch (...) {
    // Too little memory even for the message: the fixed text alone.
    MessageBoxA(owner, reason, "Klarvex", MB_OK | MB_ICONERROR);
  }
}
