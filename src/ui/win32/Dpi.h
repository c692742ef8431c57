// The DPI a window is shown at, and the frame and font sizes that follow from it. The
// per-monitor calls exist from Windows 10 1607 on; before that (Windows 7, 8) the system's DPI
// serves, which is what a system-aware program gets there.
#pragma once

#include <windows.h>

#include "ui/Layout.h"

// Sent to a top-level window whose DPI changed (another monitor, a new scale setting); the
// headers declare it only for newer Windows versions than the one the program is built for.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

// The window's DPI, or the system's when the system cannot tell a window's own.
UINT WindowDpi(HWND hwnd);
// The window size whose client area is width x height at dpi.
SIZE FrameSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi);
// A system metric (a scroll bar's width...) at dpi.
int MetricForDpi(int index, UINT dpi);
// A font of the layout table at dpi, its height in pixels scaled.
HFONT CreateFontForDpi(const Font& font, UINT dpi, BYTE charset = DEFAULT_CHARSET);
