#include "platform/ProcessApi.h"

#include "platform/Platform.h"

bool HoldLockOfItsRights(const std::string& name) {
  return Process().IsElevated() ? Process().HoldAdministratorsLock(name)
                                : Process().HoldNamedLock(name);
}

bool IsThisProgram(const WindowOwner& owner) {
  return !owner.imagePath.empty() && owner.elevated == Process().IsElevated() &&
         Ansi().Upper(owner.imagePath) == Ansi().Upper(Process().ExePath());
}
