#include "platform/HeldFiles.h"

#include "platform/Paths.h"
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

// "C:\a//b" and "C:\a\b" name the same file: separators as the system reads them.
std::string Separated(const std::string& path) {
  std::string result;
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c == '\\' && result.size() > 1 && result.back() == '\\') continue;
    result += c;
  }
  return result;
}

bool IsFull(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':') || path.starts_with("\\\\");
}
}  // namespace

std::string LinkOnTheWay(const std::string& path) {
  const std::string name = Separated(path);
  // The drive ("C:") or the share ("\\server\share") is never a link; in a relative path
  // the first part is a folder already.
  size_t at = name.find('\\');
  if (name.starts_with("\\\\")) at = name.find('\\', name.find('\\', 2) + 1);
  if (IsFull(name) && at != std::string::npos) at = name.find('\\', at + 1);
  for (; at != std::string::npos; at = name.find('\\', at + 1)) {
    const std::string folder = name.substr(0, at);
    const uint32_t attributes = Files().Attributes(folder);
    if (attributes != fileattr::kInvalid && (attributes & fileattr::kReparsePoint) != 0) {
      return folder;
    }
  }
  return {};
}

namespace {
// A way along which no file is held: a link on it, or a folder that InitPaths found another
// account to own (an elevated run's user folder), which may change what lies below it at will.
bool WayRefused(const std::string& path) {
  const std::string& foreign = gFolders.untrustedUserFolder;
  return !LinkOnTheWay(path).empty() ||
         (!foreign.empty() && (Ansi().Upper(Separated(path)) + "\\")
                                  .starts_with(Ansi().Upper(WithoutBackslash(foreign)) + "\\"));
}
}  // namespace

// The name a handle really has must be the one given. Only an elevated run asks: a standard
// user's files are worth no more than that user's rights, and a profile on a mapped drive or a
// path written with short names gives another final name for the same file.
bool NamedAsGiven(const HeldFacts& facts, const std::string& path) {
  if (!Process().IsElevated()) return true;
  const std::string given = Ansi().Upper(Separated(path));
  const std::string resolved = Ansi().Upper(Separated(facts.finalPath));
  return IsFull(given) ? resolved == given : resolved.ends_with("\\" + given);
}

std::unique_ptr<HeldFile> HoldPlainFile(const std::string& path, HoldMode mode, long& status) {
  // Asked first as well, so that a link is not opened (or its target created) at all.
  if (NameIsLink(path) || WayRefused(path)) {
    status = status::kAccessDenied;
    return nullptr;
  }
  std::unique_ptr<HeldFile> file = Files().Hold(path, mode, status);
  if (file &&
      (!IsPlainFile(file->Facts()) || !NamedAsGiven(file->Facts(), path) || NameIsLink(path))) {
    status = status::kAccessDenied;
    return nullptr;
  }
  return file;
}

std::unique_ptr<HeldFile> HoldNewFile(const std::string& path, long& status) {
  if (WayRefused(path)) {
    status = status::kAccessDenied;
    return nullptr;
  }
  std::unique_ptr<HeldFile> file = Files().Hold(path, HoldMode::CreateNew, status);
  // A folder swapped for a junction after the question: the file is made elsewhere, and
  // removed again.
  if (file && !NamedAsGiven(file->Facts(), path)) {
    file->Delete();
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
    std::unique_ptr<HeldFile> created = HoldNewFile(path, status);
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

std::unique_ptr<HeldFile> HoldOwnFile(const std::string& path, long& status, bool& created) {
  std::unique_ptr<HeldFile> file = HoldNewFile(path, status);
  created = file != nullptr;
  if (!file && status == status::kFileExists) file = HoldPlainFile(path, HoldMode::Write, status);
  return file;
}

long WriteOwnFile(const std::string& path, const Bytes& data) {
  long status = status::kSuccess;
  bool created = false;
  std::unique_ptr<HeldFile> file = HoldOwnFile(path, status, created);
  return file ? file->Replace(data) : status;
}

long ReadOwnFile(const std::string& path, Bytes& data, size_t limit) {
  long status = status::kSuccess;
  std::unique_ptr<HeldFile> file = HoldPlainFile(path, HoldMode::Read, status);
  return file ? file->Read(data, limit) : status;
}

bool RemoveOwnFile(const std::string& path) {
  if (WayRefused(path)) return false;
  // DeleteFileA removes a link itself, never what it leads to.
  if (NameIsLink(path)) return Files().RemoveFile(path);
  long status = status::kSuccess;
  std::unique_ptr<HeldFile> file = Files().Hold(path, HoldMode::ReadToDelete, status);
  if (!file || !NamedAsGiven(file->Facts(), path) || file->Delete() != status::kSuccess) {
    return false;
  }
  file.reset();
  return Files().Attributes(path) == fileattr::kInvalid;
}
