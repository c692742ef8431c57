// One key or value of the registry, whichever view of the classes root a check reached it by.
#pragma once

#include <string>

#include "platform/Types.h"

// The stored key or value that root\keyPath (with valueName, one value of it) names: the same
// text through HKEY_CLASSES_ROOT, HKLM\SOFTWARE\Classes and HKCU\Software\Classes when they show
// one key, another for the user's key and the machine's key of the same name.
std::string StoredItem(RootKey root, const std::string& keyPath, const std::string* valueName);
