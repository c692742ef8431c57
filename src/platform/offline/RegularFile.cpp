#include "platform/offline/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int OpenRegularFile(const std::string& path, bool noFollow, int& error) {
  const int file =
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
  error = file < 0 ? errno : 0;
  struct stat info {};
  if (file >= 0 && (fstat(file, &info) != 0 || !S_ISREG(info.st_mode))) {
    close(file);
    return -1;
  }
  return file;
}
