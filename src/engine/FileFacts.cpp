#include "engine/FileFacts.h"

#include <memory>
#include <unordered_map>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"

namespace {

struct Facts {
  std::unordered_map<std::string, uint32_t> attributes;
  std::unordered_map<std::string, DriveKind> drives;  // by drive letter and colon
};
// Only the window's thread runs the checks.
std::unique_ptr<Facts> kept;

uint32_t AttributesOf(const std::string& path) {
  if (!kept) return Files().Attributes(path);
  const auto [fact, isNew] = kept->attributes.try_emplace(path, fileattr::kInvalid);
  if (isNew) fact->second = Files().Attributes(path);
  return fact->second;
}

bool HasWildcards(const std::string& path) {
  return path.find_first_of("*?<>") != std::string::npos;
}

}  // namespace

FileFactsKept::FileFactsKept() { kept = std::make_unique<Facts>(); }

FileFactsKept::~FileFactsKept() { kept.reset(); }

bool NamedFileExists(const std::string& path) {
  // A name with wildcards is a search, as FileExists makes it.
  return HasWildcards(path) ? FileExists(path) : fileattr::NameAFile(AttributesOf(path));
}

bool NamedFolderExists(const std::string& path) {
  return fileattr::NameAFolder(AttributesOf(path));
}

DriveKind NamedDriveKind(const std::string& path) {
  const bool lettered = path.size() >= 2 && path[1] == ':';
  if (!kept || !lettered) return Files().DriveOf(path);
  const auto [fact, isNew] = kept->drives.try_emplace(UpperAscii(path.substr(0, 2)));
  if (isNew) fact->second = Files().DriveOf(path);
  return fact->second;
}
