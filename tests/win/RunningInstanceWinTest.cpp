// The hand-over asks who made a window of Klarvex's class, and an elevated process takes its
// locks where the session's names, which any program of the user may create, do not reach.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Layout.h"

namespace {

TEST(RunningInstanceWin, AWindowIsTakenByItsMakerAndTheSessionsNamesDoNotBlock) {
  UseWin32Platform();
  InitPaths();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  const HWND form = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(form, nullptr);
  const std::vector<WindowOwner> owners = Process().WindowsOfClass(kWindowClass);
  ASSERT_EQ(owners.size(), 1u);
  EXPECT_EQ(owners[0].window, reinterpret_cast<uintptr_t>(form));
  EXPECT_TRUE(IsThisProgram(owners[0])) << owners[0].imagePath;
  DestroyWindow(form);
  // Under Wine every process is elevated: the name taken in the session is another lock.
  ASSERT_TRUE(Process().IsElevated());
  HANDLE squatted = CreateMutexA(nullptr, TRUE, "KvxTest.Squatted");
  EXPECT_TRUE(HoldLockOfItsRights("KvxTest.Squatted"));
  CloseHandle(squatted);
}

}  // namespace
