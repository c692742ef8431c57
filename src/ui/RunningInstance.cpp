#include "ui/RunningInstance.h"

#include "platform/Platform.h"
#include "ui/Layout.h"

uintptr_t RunningInstance() {
  if (HoldLockOfItsRights(kInstanceLockName)) return 0;
  for (const WindowOwner& owner : Process().WindowsOfClass(kWindowClass)) {
    if (IsThisProgram(owner)) return owner.window;
  }
  return 0;
}
