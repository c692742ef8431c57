// Placeholder until the interface check lands.
#include "engine/CleanEngine.h"

void CleanEngine::CheckInterfaces() {}
void CleanEngine::CountTreeValues(RootKey, const std::string&) {}
