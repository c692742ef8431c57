#include "ui/win32/Dpi.h"

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using MetricForDpiFn = int(WINAPI*)(int, UINT);

// A user32 function that older Windows versions lack, or null. The detour through a
// parameterless function type keeps the compiler from warning about the cast.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}
}  // namespace

UINT WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && hwnd != nullptr) {
    const UINT dpi = getDpiForWindow(hwnd);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

SIZE FrameSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, width, height};
  if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
    frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

int MetricForDpi(int index, UINT dpi) {
  static const auto metricForDpi = User32Function<MetricForDpiFn>("GetSystemMetricsForDpi");
  return metricForDpi != nullptr ? metricForDpi(index, dpi) : GetSystemMetrics(index);
}

HFONT CreateFontForDpi(const Font& font, UINT dpi, BYTE charset) {
  return CreateFontA(-ScaleToDpi(font.height, static_cast<int>(dpi)), 0, 0, 0,
                     font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline ? TRUE : FALSE, FALSE,
                     charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, font.face);
}
