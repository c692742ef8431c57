#include "engine/FileFacts.h"

#include <memory>
#include <unordered_map>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"

namespace {

struct Look {
  uint32_t attributes = fileattr::kInvalid;
  long why = status::kSuccess;
};

struct Facts {
  std::unordered_map<std::string, Look> looks;
  std::unordered_map<std::string, DriveKind> drives;  // by drive letter and colon
};
// Only the window's thread runs the checks.
std::unique_ptr<Facts> kept;

Look LookAt(const std::string& path) {
  Look look;
  if (!kept) {
    look.attributes = Files().Look(path, look.why);
    return look;
  }
  const auto [fact, isNew] = kept->looks.try_emplace(path);
  if (isNew) fact->second.attributes = Files().Look(path, fact->second.why);
  return fact->second;
}

// The system said that nothing is there, or that no file can have such a name. Any other
// failure (a path too long even for the wide calls, access refused) rules nothing out.
bool NothingIsThere(const Look& look) {
  constexpr long kBadPathName = 161;
  constexpr long kNotAFolder = 267;  // ERROR_DIRECTORY: a file stands where a folder was named
  switch (look.why) {
    case status::kFileNotFound:
    case status::kPathNotFound:
    case status::kInvalidName:
    case kBadPathName:
    case kNotAFolder:
      return true;
    default:
      return false;
  }
}

bool HasWildcards(const std::string& path) {
  return path.find_first_of("*?<>") != std::string::npos;
}

}  // namespace

FileFactsKept::FileFactsKept() { kept = std::make_unique<Facts>(); }

FileFactsKept::~FileFactsKept() { kept.reset(); }

bool NamedFileExists(const std::string& path) {
  // A name with wildcards is a search, as FileExists makes it.
  if (HasWildcards(path)) return FileExists(path);
  const Look look = LookAt(path);
  return look.attributes == fileattr::kInvalid ? !NothingIsThere(look)
                                               : fileattr::NameAFile(look.attributes);
}

bool NamedFolderExists(const std::string& path) {
  return fileattr::NameAFolder(LookAt(path).attributes);
}

DriveKind NamedDriveKind(const std::string& path) {
  const bool lettered = path.size() >= 2 && path[1] == ':';
  if (!kept || !lettered) return Files().DriveOf(path);
  const auto [fact, isNew] = kept->drives.try_emplace(UpperAscii(path.substr(0, 2)));
  if (isNew) fact->second = Files().DriveOf(path);
  return fact->second;
}
