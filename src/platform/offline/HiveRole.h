// The part a hive file plays in a Windows, told by the keys at its root: a hive given in the
// wrong place (a SYSTEM hive as the user's) would be judged as an empty registry and pass clean.
#pragma once

#include <string>

#include "platform/offline/HiveFile.h"

enum class HiveRole { Software, System, User, UserClasses };

// "" when the hive holds what a hive of that role holds; else why not, for the user.
std::string WrongRole(HiveFile& hive, HiveRole role);
