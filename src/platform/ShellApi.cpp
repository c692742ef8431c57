#include "platform/ShellApi.h"

#include "platform/Platform.h"

bool OpenWithUsersRights(uintptr_t ownerWindow, const std::string& target) {
  if (!Process().IsElevated()) {
    Shell().Open(ownerWindow, target);
    return true;
  }
  return Shell().OpenAsDesktopUser(target);
}
