// Before an entry is judged to name a missing file, a second look that only ever keeps more:
// the raw text with the system's environment variables expanded, and the drive it lies on.
#pragma once

#include <string>

#include "platform/Paths.h"

// True when rawText, expanded by the system (ExpandEnvironmentStringsA) and normalised like
// CommandToFilePath, names an existing file (or folder, when foldersCount), or when the path
// lies on a drive that is not a present, fixed, local drive and so proves nothing. For a 32-bit
// program's entry the path is taken as that program reaches it.
bool MayStillExist(const std::string& rawText, bool foldersCount,
                   ProgramKind kind = ProgramKind::k64Bit);
