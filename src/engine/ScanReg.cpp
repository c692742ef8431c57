// Placeholder until the history check lands.
#include "engine/CleanEngine.h"

void CleanEngine::ScanReg(const std::string&) {}
bool CleanEngine::RemoveValueNow(RootKey, const std::string&, const RegKey&, const std::string&,
                                 const std::string&) {
  return false;
}
