// A window procedure's last line of defence: an error or a failed allocation that escapes a
// message handler would unwind through the system's code and end the program. It is caught
// where the system called in, the user is told, and the window goes on.
#pragma once

#include <windows.h>

#include <exception>
#include <new>

// Tells the user, over owner, that an action could not be completed and why. Never throws.
void TellHandlerFailed(HWND owner, const char* reason) noexcept;

template <typename Handler>
LRESULT GuardedHandler(HWND owner, Handler handler) noexcept {
  try {
    return handler();
  } catch (const std::bad_alloc&) {
    TellHandlerFailed(owner, "There was not enough memory.");
  } catch (const std::exception& error) {
    TellHandlerFailed(owner, error.what());
  } catch (...) {
    TellHandlerFailed(owner, "");
  }
  return 0;
}
