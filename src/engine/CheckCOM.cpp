// Placeholder until the COM class check lands.
#include "engine/CleanEngine.h"

void CleanEngine::CheckCOM() {}
