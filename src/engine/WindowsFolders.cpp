#include "engine/WindowsFolders.h"

#include "engine/FileJudgement.h"
#include "platform/Paths.h"

bool FoundInWindowsFolders(const std::string& fileName) {
  const std::string& windows = WindowsDir();
  return FileExists(windows + fileName) || FileExists(windows + "System\\" + fileName) ||
         FileExists(windows + "System32\\" + fileName);
}

bool ReferencedFileIsSound(const std::string& rawText, const std::string& path) {
  return FileExists(path) || FoundInWindowsFolders(FileNamePart(path)) ||
         MayStillExist(rawText, false);
}
