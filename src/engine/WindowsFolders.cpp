#include "engine/WindowsFolders.h"

#include "engine/FileFacts.h"
#include "engine/FileJudgement.h"
#include "platform/Paths.h"

bool FoundInWindowsFolders(const std::string& fileName, ProgramKind kind) {
  const std::string& windows = WindowsDir();
  const std::string system32 = windows + "System32\\" + fileName;
  return NamedFileExists(windows + fileName) || NamedFileExists(windows + "System\\" + fileName) ||
         NamedFileExists(kind == ProgramKind::k32Bit ? RedirectedFor32Bit(system32) : system32);
}

bool ReferencedFileIsSound(const std::string& rawText, const std::string& path, ProgramKind kind) {
  return NamedFileExists(path) || FoundInWindowsFolders(FileNamePart(path), kind) ||
         MayStillExist(rawText, false, kind);
}
