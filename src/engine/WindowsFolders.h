// The file tests the checks share before they judge a referenced file missing.
#pragma once

#include <string>

// True when a file of this bare name lies in WindowsDir, its "System\" or its "System32\"
// folder (tested in that order). Folders of that name do not count.
bool FoundInWindowsFolders(const std::string& fileName);

// The whole judgement of a file named by a registry value: rawText is the value as read and
// path its CommandToFilePath form. Sound when path exists, when its bare name is found in the
// Windows folders, or when MayStillExist cannot rule the file out.
bool ReferencedFileIsSound(const std::string& rawText, const std::string& path);
