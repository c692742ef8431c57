#include "engine/WindowsFolders.h"

#include "engine/FileJudgement.h"
#include "platform/Paths.h"

bool FoundInWindowsFolders(const std::string& fileName, ProgramKind kind) {
  const std::string& windows = WindowsDir();
  const std::string system32 = windows + "System32\\" + fileName;
  return FileExists(windows + fileName) || FileExists(windows + "System\\" + fileName) ||
         FileExists(kind == ProgramKind::k32Bit ? RedirectedFor32Bit(system32) : system32);
}

bool ReferencedFileIsSound(const std::string& rawText, const std::string& path, ProgramKind kind) {
  return FileExists(path) || FoundInWindowsFolders(FileNamePart(path), kind) ||
         MayStillExist(rawText, false, kind);
}
