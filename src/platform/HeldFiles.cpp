#include "platform/HeldFiles.h"

#include "platform/Platform.h"
#include "platform/RegistryOps.h"

namespace {
// ERROR_FILE_INVALID: what was read back is not what was written.
constexpr long kFileInvalid = 1006;
}  // namespace

bool IsPlainFile(const HeldFacts& facts) {
  return (facts.attributes & (fileattr::kDirectory | fileattr::kReparsePoint)) == 0 &&
         facts.links == 1;
}

namespace {
// What the attributes of the name itself say: a system that opens a link's target even when
// asked not to (Wine) still shows the link there.
bool NameIsLink(const std::string& path) {
  const uint32_t attributes = Files().Attributes(path);
  return attributes != fileattr::kInvalid && (attributes & fileattr::kReparsePoint) != 0;
}
}  // namespace

std::unique_ptr<HeldFile> HoldPlainFile(const std::string& path, HoldMode mode, long& status) {
  // Asked first as well, so that a link is not opened (or its target created) at all.
  if (NameIsLink(path)) {
    status = status::kAccessDenied;
    return nullptr;
  }
  std::unique_ptr<HeldFile> file = Files().Hold(path, mode, status);
  if (file && (!IsPlainFile(file->Facts()) || NameIsLink(path))) {
    status = status::kAccessDenied;
    return nullptr;
  }
  return file;
}

bool LiesIn(const HeldFacts& file, const std::string& folder) {
  long status = 0;
  const std::string name =
      folder.size() > 3 && folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
  std::unique_ptr<HeldFile> held = Files().Hold(name, HoldMode::Folder, status);
  if (!held) return false;
  std::string folderPath = held->Facts().finalPath;
  if (folderPath.empty() || file.finalPath.empty()) return false;
  if (folderPath.back() != '\\') folderPath += '\\';
  const size_t last = file.finalPath.rfind('\\');
  return last != std::string::npos &&
         UpperAscii(file.finalPath.substr(0, last + 1)) == UpperAscii(folderPath);
}

std::unique_ptr<HeldFile> WriteNewAndHold(const std::string& path, const Bytes& data,
                                          long& status) {
  {
    std::unique_ptr<HeldFile> created = Files().Hold(path, HoldMode::CreateNew, status);
    if (!created) return nullptr;
    status = created->Replace(data);
    if (status != status::kSuccess) {
      created->Delete();
      return nullptr;
    }
  }
  // The writer's handle goes before the reading one is taken: a handle that may write keeps
  // out readers that share only reading, as the registry editor may open it. Whatever happened
  // to the name in between shows in what the reading handle finds.
  std::unique_ptr<HeldFile> held = HoldPlainFile(path, HoldMode::Read, status);
  if (!held) return nullptr;
  Bytes check;
  status = held->Read(check, data.size());
  if (status == status::kSuccess && check != data) status = kFileInvalid;
  if (status == status::kFileTooLarge) status = kFileInvalid;
  return status == status::kSuccess ? std::move(held) : nullptr;
}

long WriteOwnFile(const std::string& path, const Bytes& data) {
  long status = status::kSuccess;
  std::unique_ptr<HeldFile> file = Files().Hold(path, HoldMode::CreateNew, status);
  if (!file && status == status::kFileExists) file = HoldPlainFile(path, HoldMode::Write, status);
  return file ? file->Replace(data) : status;
}

long ReadOwnFile(const std::string& path, Bytes& data) {
  long status = status::kSuccess;
  std::unique_ptr<HeldFile> file = HoldPlainFile(path, HoldMode::Read, status);
  return file ? file->Read(data, kMaxReadBack) : status;
}

bool RemoveOwnFile(const std::string& path) {
  // DeleteFileA removes a link itself, never what it leads to.
  if (NameIsLink(path)) return Files().RemoveFile(path);
  long status = status::kSuccess;
  std::unique_ptr<HeldFile> file = Files().Hold(path, HoldMode::ReadToDelete, status);
  if (!file || file->Delete() != status::kSuccess) return false;
  file.reset();
  return Files().Attributes(path) == fileattr::kInvalid;
}
