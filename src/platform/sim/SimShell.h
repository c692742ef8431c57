// The simulated shell: every "open" is recorded for the test to inspect.
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
  std::vector<Opened> opened;
};
