// The shell seam: the "open" verb for a folder or a web address.
#pragma once

#include <cstdint>
#include <string>

class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // ShellExecuteA(owner, "open", target, no parameters, no folder, SW_SHOWNORMAL), in this
  // process and with its token.
  virtual void Open(uintptr_t ownerWindow, const std::string& target) = 0;
  // The same verb carried out by the desktop's shell, which runs with the signed-in user's token
  // without elevation (IShellDispatch2::ShellExecute of the desktop's folder view). False when
  // no such shell can be asked: none runs, or it does not offer its view (Wine's does not).
  virtual bool OpenAsDesktopUser(const std::string& target) = 0;
};

// Opens target with the user's own rights: in this process when it runs without elevation, else
// through the desktop's shell, never with an elevated token: the user's classes (a per-user
// https or Folder handler) would start any program of the user's choosing as administrator.
// False when it could not be opened so: the caller shows target for the user to open.
bool OpenWithUsersRights(uintptr_t ownerWindow, const std::string& target);
