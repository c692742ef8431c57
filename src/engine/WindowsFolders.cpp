#include "engine/WindowsFolders.h"

#include "engine/FileFacts.h"
#include "engine/FileJudgement.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"

bool FoundInWindowsFolders(const std::string& fileName, ProgramKind kind) {
  const std::string& windows = WindowsDir();
  const std::string system32 = windows + "System32\\" + fileName;
  return NamedFileExists(windows + fileName) || NamedFileExists(windows + "System\\" + fileName) ||
         NamedFileExists(kind == ProgramKind::k32Bit ? RedirectedFor32Bit(system32) : system32);
}

namespace {

// Where CommandToFilePath found no extension to end a command at, Windows takes an unquoted
// command's program to end at one of its blanks, trying each in turn. The whole text goes
// first: it is what a file that exists is mostly named by.
std::vector<std::string> ProgramCandidates(const std::string& path) {
  const std::string upper = UpperAscii(path);
  for (const char* extension : {".EXE", ".DLL", ".BAT", ".CMD"}) {
    if (upper.ends_with(extension)) return {path};
  }
  std::vector<std::string> candidates = {path};
  for (size_t blank = path.find(' '); blank != std::string::npos;
       blank = path.find(' ', blank + 1)) {
    if (blank > 0) candidates.push_back(path.substr(0, blank));
  }
  return candidates;
}

bool ProgramFound(const std::string& path, ProgramKind kind, SearchPlaces searched) {
  for (const std::string& candidate : ProgramCandidates(path)) {
    if (IsBareFileName(candidate)) {
      if (FindsBareProgram(candidate, kind, searched)) return true;
      continue;
    }
    for (const std::string& form : ProgramNameForms(candidate)) {
      if (NamedFileExists(form)) return true;
    }
  }
  return false;
}

}  // namespace

bool ReferencedFileIsSound(const std::string& rawText, const std::string& path, ProgramKind kind,
                           SearchPlaces searched) {
  if (!path.empty() && ProgramFound(path, kind, searched)) return true;
  if (FoundInWindowsFolders(FileNamePart(path), kind)) return true;
  const std::string expanded = ExpandedFilePath(rawText, kind);
  if (!expanded.empty() && expanded != path && ProgramFound(expanded, kind, searched)) return true;
  return MayStillExist(rawText, false, kind);
}
