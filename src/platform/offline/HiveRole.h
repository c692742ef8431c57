// The part a hive file plays in a Windows, told by the keys at its root: a hive given in the
// wrong place (a SYSTEM hive as the user's) would be judged as an empty registry and pass clean.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/offline/HiveFile.h"

enum class HiveRole { Software, System, User, UserClasses };

// "" when the hive holds what a hive of that role holds; else why not, for the user.
std::string WrongRole(HiveFile& hive, HiveRole role);
// The hive at path (a Linux path) opened for role, as a scan takes it: nullptr with why when it
// is missing, damaged, not a regular file or in the wrong role. what names its part in a warning
// added to warnings when it was copied from a running Windows.
std::unique_ptr<HiveFile> OpenInRole(const std::string& path, HiveRole role,
                                     const std::string& what, std::string& why,
                                     std::vector<std::string>& warnings);
