// The simulated shell: every "open" is recorded for the test to inspect, the ones this process
// makes apart from those handed to the desktop's shell.
#pragma once

#include <string>
#include <vector>

#include "platform/ShellApi.h"

class SimShell : public ShellApi {
 public:
  struct Opened {
    uintptr_t ownerWindow = 0;
    std::string target;
  };
  void Open(uintptr_t ownerWindow, const std::string& target) override {
    opened.push_back({ownerWindow, target});
  }
  bool OpenAsDesktopUser(const std::string& target) override {
    if (!desktopShell) return false;
    openedByDesktop.push_back(target);
    return true;
  }
  std::vector<Opened> opened;
  std::vector<std::string> openedByDesktop;
  // Whether a desktop shell runs that offers its view.
  bool desktopShell = true;
};
