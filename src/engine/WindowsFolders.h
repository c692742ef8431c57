// The file tests the checks share before they judge a referenced file missing.
#pragma once

#include <string>

#include "platform/Paths.h"

// True when a file of this bare name lies in WindowsDir, its "System\" or its "System32\"
// folder (tested in that order). Folders of that name do not count. A 32-bit program's
// "System32\" is SysWOW64.
bool FoundInWindowsFolders(const std::string& fileName, ProgramKind kind = ProgramKind::k64Bit);

// The whole judgement of a file named by a registry value: rawText is the value as read and
// path its CommandToFilePath form. Sound when path exists, when its bare name is found in the
// Windows folders, or when MayStillExist cannot rule the file out. kind is the program the
// entry belongs to; path must be CommandToFilePath's form for that same kind.
bool ReferencedFileIsSound(const std::string& rawText, const std::string& path,
                           ProgramKind kind = ProgramKind::k64Bit);
