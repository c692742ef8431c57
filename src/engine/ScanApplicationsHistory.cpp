// Placeholder until the per-user values walk lands.
#include "engine/CleanEngine.h"

void CleanEngine::ScanApplicationsHistory(RootKey, const std::string&) {}
