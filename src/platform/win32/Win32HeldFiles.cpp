// Files held by handle: opened with FILE_FLAG_OPEN_REPARSE_POINT, so a link in the last part of
// the name is opened as the link itself and shows as one, and shared only for reading.
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <winternl.h>
// clang-format on


#include "platform/win32/Win32Backends.h"

namespace {

// A folder held to make folders in: to list, pass through and add to it, and to ask about it.
constexpr DWORD kKeptFolderAccess = FILE_LIST_DIRECTORY | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE |
                                    FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;

struct HoldRule {
  DWORD access;
  DWORD share;
  DWORD disposition;
  DWORD flags;
};

HoldRule RuleOf(HoldMode mode) {
  constexpr DWORD kNoFollow = FILE_FLAG_OPEN_REPARSE_POINT;
  switch (mode) {
    case HoldMode::CreateNew:
      return {GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW, kNoFollow};
    case HoldMode::Read:
      return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, kNoFollow};
    case HoldMode::ReadToDelete:
      return {GENERIC_READ | DELETE, FILE_SHARE_READ, OPEN_EXISTING, kNoFollow};
    case HoldMode::Write:
      return {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, kNoFollow};
    case HoldMode::Lock:
      return {GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS, kNoFollow};
    case HoldMode::Folder:
      return {FILE_READ_ATTRIBUTES | READ_CONTROL,
              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
              kNoFollow | FILE_FLAG_BACKUP_SEMANTICS};
    case HoldMode::KeptFolder:
      return {kKeptFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
              kNoFollow | FILE_FLAG_BACKUP_SEMANTICS};
  }
  return {};
}

// The owner of the object the handle holds (not of a link's target: it is held as itself) is
// the user running the program, the system or the Administrators group.
bool TrustedOwner(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted = OwnerIsUserOrAdministrators(owner);
  LocalFree(descriptor);
  return trusted;
}

std::string FinalPath(HANDLE file) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleA(file, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.assign(length + 1, '\0');
  }
  if (path.starts_with("\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
  if (path.starts_with("\\\\?\\")) return path.substr(4);
  return path;
}

class Win32HeldFile : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE handle) : handle_(handle) {}
  ~Win32HeldFile() override { CloseHandle(handle_); }
  Win32HeldFile(const Win32HeldFile&) = delete;
  Win32HeldFile& operator=(const Win32HeldFile&) = delete;

  HeldFacts Facts() override {
    HeldFacts facts;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_, &info)) return facts;
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
    facts.trustedOwner = TrustedOwner(handle_);
    facts.finalPath = FinalPath(handle_);
    return facts;
  }

  long Read(Bytes& data, size_t limit) override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return static_cast<long>(GetLastError());
    if (static_cast<unsigned long long>(size.QuadPart) > limit) return ERROR_FILE_TOO_LARGE;
    if (!SetFilePointerEx(handle_, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
      return static_cast<long>(GetLastError());
    }
    data.assign(static_cast<size_t>(size.QuadPart), 0);
    size_t done = 0;
    while (done < data.size()) {
      DWORD read = 0;
      if (!ReadFile(handle_, data.data() + done, static_cast<DWORD>(data.size() - done), &read,
                    nullptr)) {
        return static_cast<long>(GetLastError());
      }
      if (read == 0) break;
      done += read;
    }
    // A file that shrank meanwhile gives what it holds now.
    data.resize(done);
    return ERROR_SUCCESS;
  }

  // Flushed before success is reported: callers remove registry data only once its backup is
  // on disk.
  long Replace(const Bytes& data) override {
    if (!SetFilePointerEx(handle_, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
      return static_cast<long>(GetLastError());
    }
    if (const long status = WriteAll(data); status != ERROR_SUCCESS) return status;
    if (!SetEndOfFile(handle_) || !FlushFileBuffers(handle_)) {
      return static_cast<long>(GetLastError());
    }
    return ERROR_SUCCESS;
  }

  ChangeRight WhoMayChange() override {
    if (!DescriptorsSpeakOfStandardUsers()) return ChangeRight::Unknown;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle_, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
      return ChangeRight::StandardUsers;
    }
    const ChangeRight right = AdministratorsOnlyOf(descriptor);
    LocalFree(descriptor);
    return right;
  }

  // A write that failed half-way is cut off again: the file ends where it ended before, so the
  // next append does not follow a torn line.
  long Append(const Bytes& data) override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size) || !SetFilePointerEx(handle_, size, nullptr, FILE_BEGIN)) {
      return static_cast<long>(GetLastError());
    }
    long status = WriteAll(data);
    if (status == ERROR_SUCCESS && !FlushFileBuffers(handle_)) {
      status = static_cast<long>(GetLastError());
    }
    if (status != ERROR_SUCCESS && SetFilePointerEx(handle_, size, nullptr, FILE_BEGIN)) {
      SetEndOfFile(handle_);
    }
    return status;
  }

  // NtCreateFile with the held folder as the root of the name: the name is looked up in that
  // folder, wherever the folder's path leads by now, and never through a link in the name.
  std::unique_ptr<HeldFile> MakeFolder(const std::string& name, const std::string& readerSid,
                                       long& status) override;

  long Delete() override {
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
      return static_cast<long>(GetLastError());
    }
    return ERROR_SUCCESS;
  }

 private:
  long WriteAll(const Bytes& data) {
    size_t done = 0;
    while (done < data.size()) {
      DWORD written = 0;
      if (!WriteFile(handle_, data.data() + done, static_cast<DWORD>(data.size() - done), &written,
                     nullptr)) {
        return static_cast<long>(GetLastError());
      }
      if (written == 0) return ERROR_WRITE_FAULT;
      done += written;
    }
    return ERROR_SUCCESS;
  }

  HANDLE handle_;
};

}  // namespace

std::unique_ptr<HeldFile> Win32Files::Hold(const std::string& path, HoldMode mode, long& status) {
  const HoldRule rule = RuleOf(mode);
  HANDLE handle = CreateFileA(path.c_str(), rule.access, rule.share, nullptr, rule.disposition,
                              FILE_ATTRIBUTE_NORMAL | rule.flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    status = static_cast<long>(GetLastError());
    return nullptr;
  }
  status = ERROR_SUCCESS;
  // A folder opened as a file, or a file as a folder, is not what the caller named.
  BY_HANDLE_FILE_INFORMATION info{};
  const bool folder = GetFileInformationByHandle(handle, &info) &&
                      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder != (mode == HoldMode::Folder || mode == HoldMode::KeptFolder)) {
    CloseHandle(handle);
    status = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  return std::make_unique<Win32HeldFile>(handle);
}

namespace {

std::unique_ptr<HeldFile> Win32HeldFile::MakeFolder(const std::string& name,
                                                    const std::string& readerSid, long& status) {
  // CreateDisposition FILE_CREATE, CreateOptions FILE_DIRECTORY_FILE |
  // FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, as wdm.h numbers them.
  constexpr ULONG kCreate = 2;
  constexpr ULONG kOptions = 0x1 | 0x20 | 0x200000;
  std::wstring wide = WideText(name);
  if (wide.empty() || wide.find_first_of(L"\\/") != std::wstring::npos) {
    status = ERROR_INVALID_NAME;
    return nullptr;
  }
  PSECURITY_DESCRIPTOR descriptor = ProtectedDescriptor(readerSid);
  if (descriptor == nullptr) {
    status = static_cast<long>(GetLastError());
    return nullptr;
  }
  UNICODE_STRING text{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                      static_cast<USHORT>(wide.size() * sizeof(wchar_t)), wide.data()};
  OBJECT_ATTRIBUTES object{};
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, handle_, descriptor);
  IO_STATUS_BLOCK io{};
  HANDLE made = nullptr;
  const NTSTATUS result =
      NtCreateFile(&made, kKeptFolderAccess, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                   FILE_SHARE_READ | FILE_SHARE_WRITE, kCreate, kOptions, nullptr, 0);
  LocalFree(descriptor);
  if (result < 0) {
    status = static_cast<long>(RtlNtStatusToDosError(result));
    return nullptr;
  }
  status = ERROR_SUCCESS;
  return std::make_unique<Win32HeldFile>(made);
}

}  // namespace
