#include "platform/Platform.h"

namespace {
Platform current;
}

void UsePlatform(const Platform& platform) { current = platform; }

const Platform& CurrentPlatform() { return current; }
