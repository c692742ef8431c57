// The file tests the checks share before they judge a referenced file missing.
#pragma once

#include <string>

#include "engine/ProgramSearch.h"
#include "platform/Paths.h"

// True when a file of this bare name lies in WindowsDir, its "System\" or its "System32\"
// folder (tested in that order). Folders of that name do not count. A 32-bit program's
// "System32\" is SysWOW64.
bool FoundInWindowsFolders(const std::string& fileName, ProgramKind kind = ProgramKind::k64Bit);

// Would Windows find the program (or the library, or the icon's file) a registry value names?
// rawText is the value as read and path its CommandToFilePath form for kind, the program the
// entry belongs to. Sound when Windows finds the file: at path, at path up to a blank where
// no extension ended it ("C:\APP\KVXAPP /TRAY"), with an extension Windows tries added, a bare
// name along the program search (FindsBareProgram, without the places left out), or the name
// in the Windows folders; the same for the text with its owner's variables expanded; or when
// MayStillExist cannot rule the file out (a variable the owner does not define among them).
bool ReferencedFileIsSound(const std::string& rawText, const std::string& path,
                           ProgramKind kind = ProgramKind::k64Bit, SearchPlaces searched = {});
