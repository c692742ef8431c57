// The hand-over finds a running Klarvex by what only Klarvex makes: a window titled "Klarvex"
// of any other program is no instance to post a CLEAN or UNDO request to.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/Layout.h"
#include "ui/win32/RunningInstance.h"

namespace {

HWND HiddenWindow(const char* className) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, className, kWindowTitle, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(RunningInstanceWin, OnlyAWindowOfKlarvexsClassBesideTheMutexIsTheInstance) {
  const HWND impostor = HiddenWindow("KvxImpostor");
  ASSERT_NE(impostor, nullptr);
  // No mutex yet: this process becomes the instance, whatever window carries the title.
  EXPECT_EQ(RunningInstance(), nullptr);
  // The mutex is held now: a later start finds the window of Klarvex's class, not the impostor.
  EXPECT_EQ(RunningInstance(), nullptr);
  const HWND form = HiddenWindow(kWindowClass);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(RunningInstance(), form);
  DestroyWindow(form);
  DestroyWindow(impostor);
}

}  // namespace
