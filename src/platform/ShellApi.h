// The shell seam: the "open" verb for a folder or a web address.
#pragma once

#include <cstdint>
#include <string>

class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // ShellExecuteA(owner, "open", target, no parameters, no folder, SW_SHOWNORMAL).
  virtual void Open(uintptr_t ownerWindow, const std::string& target) = 0;
};
