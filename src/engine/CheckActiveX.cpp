// Placeholder until the ActiveX and ProgID check lands.
#include "engine/CleanEngine.h"

void CleanEngine::CheckActiveX() {}
