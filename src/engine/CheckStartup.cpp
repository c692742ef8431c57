// Placeholder until the startup list check lands.
#include "engine/CleanEngine.h"

void CleanEngine::CheckStartup(RootKey) {}
