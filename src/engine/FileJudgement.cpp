#include "engine/FileJudgement.h"

#include "engine/FileFacts.h"
#include "engine/OwnerContext.h"
#include "engine/ProgramSearch.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace {

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// A normalised path names a drive that proves nothing about its files: a network path, or a
// drive letter that is absent, removable or remote (an unplugged disk, an unmapped share).
bool OnDriveThatCannotBeJudged(const std::string& path) {
  if (path.rfind("\\\\", 0) == 0) return true;
  return HasDriveLetter(path) && NamedDriveKind(path) != DriveKind::Fixed;
}

}  // namespace

std::string ExpandedFilePath(const std::string& rawText, ProgramKind kind) {
  // Expanded by the owner's variables as a 64-bit program has them: a 32-bit program's own
  // Program Files variables are put in first.
  const std::string text = kind == ProgramKind::k32Bit ? ExpandPathVars(rawText, kind) : rawText;
  return CommandToFilePath(JudgingContext().Expand(text), kind);
}

bool MayStillExist(const std::string& rawText, bool foldersCount, ProgramKind kind) {
  const std::string expanded = ExpandedFilePath(rawText, kind);
  // A variable its owner does not define: nothing can be told about the path.
  if (HoldsVariable(expanded)) return true;
  if (!expanded.empty() &&
      (NamedFileExists(expanded) || (foldersCount && NamedFolderExists(expanded)))) {
    return true;
  }
  return OnDriveThatCannotBeJudged(CommandToFilePath(rawText, kind)) ||
         OnDriveThatCannotBeJudged(expanded);
}

std::string UnquotedText(const std::string& rawText) {
  const size_t begin = rawText.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  if (rawText[begin] != '"')
    return rawText.substr(begin, rawText.find_last_not_of(" \t") + 1 - begin);
  const size_t close = rawText.find('"', begin + 1);
  return rawText.substr(begin + 1, close == std::string::npos ? close : close - begin - 1);
}

bool IsBareFileName(const std::string& text) {
  return !text.empty() && text.find_first_of("\\/:%") == std::string::npos;
}

std::string NamedFilePath(const std::string& rawText, ProgramKind kind) {
  std::string text = UnquotedText(rawText);
  // As in MayStillExist: a 32-bit program's own Program Files variables go in first.
  if (kind == ProgramKind::k32Bit) text = ExpandPathVars(text, kind);
  const std::string path = JudgingContext().Expand(text);
  if (path.find('%') != std::string::npos) return {};
  if (!HasDriveLetter(path) || path.size() < 3 || path[2] != '\\') return {};
  return kind == ProgramKind::k32Bit ? RedirectedFor32Bit(path) : path;
}

bool LocalFileIsMissing(const std::string& path) {
  return HasDriveLetter(path) && NamedDriveKind(path) == DriveKind::Fixed &&
         !NamedFileExists(path) && !NamedFolderExists(path);
}

bool LocalProgramIsMissing(const std::string& path) {
  for (const std::string& form : ProgramNameForms(path)) {
    if (!LocalFileIsMissing(form)) return false;
  }
  return true;
}

bool NamedProgramIsMissing(const std::string& rawText) {
  for (ProgramKind kind : {ProgramKind::k64Bit, ProgramKind::k32Bit}) {
    // The second look keeps a path followed by arguments.
    if (!LocalProgramIsMissing(NamedFilePath(rawText, kind)) ||
        MayStillExist(rawText, true, kind)) {
      return false;
    }
  }
  return true;
}
