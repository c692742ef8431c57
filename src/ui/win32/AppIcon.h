// The program's own icon (resources/Klarvex.ico) on a window's title bar and taskbar button.
#pragma once

#include <windows.h>

// The icon group's number in the resources: the lowest one, which Explorer shows for the file.
inline constexpr int kAppIconId = 1;

// Gives the window the icon at the sizes its frame and the taskbar draw at dpi. A window with a
// dialog frame shows no class icon in its title bar, only one set this way.
void ShowAppIcon(HWND window, UINT dpi);
