#include "ui/win32/AppIcon.h"

#include "ui/win32/Dpi.h"

void ShowAppIcon(HWND window, UINT dpi) {
  struct IconSize {
    WPARAM which;
    int metric;
  };
  for (const IconSize kind : {IconSize{ICON_SMALL, SM_CXSMICON}, IconSize{ICON_BIG, SM_CXICON}}) {
    const int size = MetricForDpi(kind.metric, dpi);
    // Not shared: a shared load returns the first size loaded, whatever size is asked for. So
    // each icon is the window's own, destroyed when another replaces it (the last ones go with
    // the process).
    HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAppIconId), IMAGE_ICON,
                             size, size, 0);
    if (icon == nullptr) continue;
    const LRESULT old =
        SendMessageA(window, WM_SETICON, kind.which, reinterpret_cast<LPARAM>(icon));
    if (old != 0 && reinterpret_cast<HANDLE>(old) != icon)
      DestroyIcon(reinterpret_cast<HICON>(old));
  }
}
