#include "engine/FileJudgement.h"

#include "engine/FileFacts.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace {

// A normalised path names a drive that proves nothing about its files: a network path, or a
// drive letter that is absent, removable or remote (an unplugged disk, an unmapped share).
bool OnDriveThatCannotBeJudged(const std::string& path) {
  if (path.rfind("\\\\", 0) == 0) return true;
  const bool hasDrive = path.size() >= 2 && path[1] == ':' &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return hasDrive && NamedDriveKind(path) != DriveKind::Fixed;
}

}  // namespace

bool MayStillExist(const std::string& rawText, bool foldersCount, ProgramKind kind) {
  // The system expands in this 64-bit process's environment: a 32-bit program's own Program
  // Files variables are put in first.
  const std::string text = kind == ProgramKind::k32Bit ? ExpandPathVars(rawText, kind) : rawText;
  const std::string expanded = CommandToFilePath(Process().ExpandEnvironment(text), kind);
  if (!expanded.empty() &&
      (NamedFileExists(expanded) || (foldersCount && NamedFolderExists(expanded)))) {
    return true;
  }
  return OnDriveThatCannotBeJudged(CommandToFilePath(rawText, kind)) ||
         OnDriveThatCannotBeJudged(expanded);
}
