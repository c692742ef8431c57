#include "offline/ReportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const Identity&) const = default;
};

Identity IdentityOf(const struct stat& info) { return {info.st_dev, info.st_ino}; }

// The identities of what the scan judges: what a report must never be nor lie below.
std::vector<Identity> Identities(const std::vector<std::string>& image) {
  std::vector<Identity> found;
  for (const std::string& path : image) {
    struct stat info {};
    if (!path.empty() && stat(path.c_str(), &info) == 0) found.push_back(IdentityOf(info));
  }
  return found;
}

bool Among(const std::vector<Identity>& image, const struct stat& info) {
  for (const Identity& identity : image) {
    if (identity == IdentityOf(info)) return true;
  }
  return false;
}

// Whether the open folder or one above it is part of the image: walked up through "..", so a
// link or a second mount naming the image's folder is seen for what it is.
bool BelowImage(int folder, const std::vector<Identity>& image) {
  int at = dup(folder);
  struct stat info {};
  while (at >= 0 && fstat(at, &info) == 0) {
    if (Among(image, info)) break;
    const int parent = openat(at, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(at);
    at = parent;
    struct stat above {};
    // The root is its own parent.
    if (at >= 0 && (fstat(at, &above) != 0 || IdentityOf(above) == IdentityOf(info))) {
      close(at);
      at = -1;
    }
  }
  if (at < 0) return false;
  close(at);
  return true;
}

// Why the name in the open folder cannot take the report; nullptr when it can (also when it is
// free).
const char* NameRefusal(int folder, const std::string& name, const std::vector<Identity>& image) {
  struct stat info {};
  if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return nullptr;
  return S_ISLNK(info.st_mode)    ? "is a symbolic link, which a report never follows"
         : !S_ISREG(info.st_mode) ? "is not a regular file"
         : Among(image, info)
             ? "would be written into the Windows being scanned, which is never changed"
         : info.st_nlink > 1 ? "has a second name (a hard link) elsewhere"
                             : nullptr;
}

}  // namespace

ReportFile::~ReportFile() {
  if (folder_ >= 0) close(folder_);
}

bool ReportFile::Place(const std::string& path, const std::vector<std::string>& image,
                       std::string& why) {
  path_ = path;
  if (ToStandardOutput()) return true;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  name_ = path.substr(slash == std::string::npos ? 0 : slash + 1);
  folder_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    why = "the report's folder " + folder + " does not exist.";
    return false;
  }
  if (name_.empty() || name_ == "." || name_ == "..") {
    why = "the report " + path + " names a folder, not a file.";
    return false;
  }
  const std::vector<Identity> identities = Identities(image);
  if (BelowImage(folder_, identities)) {
    why = "the report " + path +
          " would be written into the Windows being scanned, which is never changed.";
    return false;
  }
  if (const char* refusal = NameRefusal(folder_, name_, identities)) {
    why = "the report " + path + " " + refusal + ".";
    return false;
  }
  return true;
}

bool ReportFile::Write(const std::string& text, std::string& why) {
  if (ToStandardOutput()) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
      return true;
    why = "the report could not be written to standard output.";
    return false;
  }
  why = "the report could not be written to " + path_ + ".";
  if (folder_ < 0) return false;
  // A new file beside the report, made here and now: a name swapped for a link meanwhile is
  // replaced by the rename, never written through.
  const std::string temporary = "." + name_ + "." + std::to_string(getpid()) + "." +
                                std::to_string(std::time(nullptr)) + ".tmp";
  const int file = openat(folder_, temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (file < 0) return false;
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t step = write(file, text.data() + written, text.size() - written);
    if (step <= 0) break;
    written += static_cast<size_t>(step);
  }
  const bool whole = written == text.size() && fsync(file) == 0;
  close(file);
  if (!whole || renameat(folder_, temporary.c_str(), folder_, name_.c_str()) != 0) {
    unlinkat(folder_, temporary.c_str(), 0);
    return false;
  }
  why.clear();
  return true;
}
