#include "ui/win32/AppIcon.h"

#include "ui/win32/Dpi.h"

void ShowAppIcon(HWND window, UINT dpi) {
  struct IconSize {
    WPARAM which;
    int metric;
  };
  for (const IconSize kind : {IconSize{ICON_SMALL, SM_CXSMICON}, IconSize{ICON_BIG, SM_CXICON}}) {
    const int size = MetricForDpi(kind.metric, dpi);
    // Shared: the system keeps one copy per size, freed with the program.
    HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAppIconId), IMAGE_ICON,
                             size, size, LR_SHARED);
    if (icon != nullptr)
      SendMessageA(window, WM_SETICON, kind.which, reinterpret_cast<LPARAM>(icon));
  }
}
