// Makes the real Win32 calls the process-wide backend (Klarvex.exe and the tests under Wine).
#pragma once

void UseWin32Platform();
