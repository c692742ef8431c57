#include <windows.h>

#include "platform/win32/Win32Backends.h"

namespace {
// A listing through the wide calls, its names given in the ANSI code page as the ANSI calls
// give them. An entry whose name the code page cannot give at all is passed over: an empty name
// would stand for the folder itself.
class Win32Search : public FileSearch {
 public:
  Win32Search(HANDLE handle, const WIN32_FIND_DATAW& first) : handle_(handle), data_(first) {}
  ~Win32Search() override { FindClose(handle_); }
  Win32Search(const Win32Search&) = delete;
  Win32Search& operator=(const Win32Search&) = delete;

  bool Next(FindEntry& entry) override {
    do {
      if (!pending_ && !FindNextFileW(handle_, &data_)) return false;
      pending_ = false;
      Win32CodePage().FromWide(reinterpret_cast<const char16_t*>(data_.cFileName), 0, nullptr,
                               entry.name);
    } while (entry.name.empty());
    entry.attributes = data_.dwFileAttributes;
    return true;
  }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAW data_;
  bool pending_ = true;  // FindFirstFileW already delivered the first entry
};

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (IsValid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Closes now, so a failure to close is seen.
  bool Close() {
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

std::wstring Widen(const std::string& path) {
  const std::u16string wide = Win32CodePage().ToWide(path);
  return {wide.begin(), wide.end()};
}

// The "\\?\" form of a path of any length: "\\?\C:\..." or "\\?\UNC\server\share\...";
// empty when the text cannot be made a full path (the last error says why).
std::wstring LongPathForm(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.starts_with(L"\\\\?\\")) return wide;
  std::wstring full(wide.size() + MAX_PATH, L'\0');
  DWORD length =
      GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return {};
  full.resize(length);
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}
}  // namespace

std::unique_ptr<FileSearch> Win32Files::Find(const std::string& pattern) {
  // A pattern of MAX_PATH characters or more (a folder deep in Program Files) is listed in the
  // "\\?\" form; a shorter one goes as it is, its text cleaned up by the system.
  const std::wstring wide = pattern.size() < MAX_PATH ? Widen(pattern) : LongPathForm(pattern);
  WIN32_FIND_DATAW data{};
  const HANDLE handle = wide.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(wide.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Search>(handle, data);
}

uint32_t Win32Files::Attributes(const std::string& path) {
  long why = ERROR_SUCCESS;
  return Look(path, why);
}

uint32_t Win32Files::Look(const std::string& path, long& why) {
  // The ANSI call refuses a path of MAX_PATH characters or more; the wide call takes any
  // length in the "\\?\" form, which skips the system's own clean-up of the path text
  // (forward slashes, "..", doubled separators), so the full path is made first.
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (path.size() < MAX_PATH) {
    attributes = GetFileAttributesA(path.c_str());
  } else if (const std::wstring full = LongPathForm(path); !full.empty()) {
    attributes = GetFileAttributesW(full.c_str());
  }
  why = attributes == INVALID_FILE_ATTRIBUTES ? static_cast<long>(GetLastError()) : ERROR_SUCCESS;
  return attributes;
}

bool Win32Files::MakeFolders(const std::string& path) {
  // Each parent in turn; those that exist already just fail with ERROR_ALREADY_EXISTS.
  size_t from = 0;
  if (path.starts_with("\\\\")) {
    from = path.find('\\', 2);  // \\server\share is never created
    if (from != std::string::npos) from = path.find('\\', from + 1);
  } else if (path.size() >= 2 && path[1] == ':') {
    from = 3;
  } else if (!path.empty() && path[0] == '\\') {
    from = 1;
  }
  for (size_t at = path.find('\\', from); at != std::string::npos; at = path.find('\\', at + 1)) {
    if (at > 0 && path[at - 1] != '\\' && path[at - 1] != ':') {
      CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
  }
  CreateDirectoryA(path.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32Files::ReadAll(const std::string& path, Bytes& data) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) {
    return false;
  }
  data.assign(static_cast<size_t>(size.QuadPart), 0);
  size_t done = 0;
  while (done < data.size()) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), data.data() + done, static_cast<DWORD>(data.size() - done), &read,
                  nullptr) ||
        read == 0) {
      break;
    }
    done += read;
  }
  data.resize(done);
  return done == static_cast<size_t>(size.QuadPart);
}

// The file is flushed before the call reports success: callers remove registry data only once
// its backup is on disk.
long Win32Files::WriteAll(const std::string& path, const Bytes& data) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return static_cast<long>(GetLastError());
  size_t done = 0;
  while (done < data.size()) {
    DWORD written = 0;
    if (!WriteFile(file.Get(), data.data() + done, static_cast<DWORD>(data.size() - done), &written,
                   nullptr)) {
      return static_cast<long>(GetLastError());
    }
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  if (!FlushFileBuffers(file.Get()) || !file.Close()) return static_cast<long>(GetLastError());
  return ERROR_SUCCESS;
}

DriveKind Win32Files::DriveOf(const std::string& path) {
  std::string root;
  if (path.starts_with("\\\\")) {
    const size_t share = path.find('\\', 2);
    const size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
    root = (end == std::string::npos ? path : path.substr(0, end)) + "\\";
  } else if (path.size() >= 2 && path[1] == ':') {
    root = path.substr(0, 2) + "\\";
  }
  switch (GetDriveTypeA(root.empty() ? nullptr : root.c_str())) {
    case DRIVE_FIXED:
      return DriveKind::Fixed;
    case DRIVE_REMOVABLE:
      return DriveKind::Removable;
    case DRIVE_REMOTE:
      return DriveKind::Remote;
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
      return DriveKind::Other;
    default:
      return DriveKind::Missing;
  }
}

std::string Win32Files::ReadProfileString(const std::string& path, const std::string& section,
                                          const std::string& key, const std::string& fallback) {
  char buffer[2048] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer,
                           path.c_str());
  return buffer;
}
