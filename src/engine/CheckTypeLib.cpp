// Placeholder until the type library check lands.
#include "engine/CleanEngine.h"

void CleanEngine::CheckTypeLib() {}
