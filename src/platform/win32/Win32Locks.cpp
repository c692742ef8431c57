// Locks that only administrators can take, and who made a window: what an elevated Klarvex asks
// before it waits for a run lock or hands a request over to a window.
// clang-format off
#include "platform/win32/Win32Backends.h"
#include <sddl.h>
// clang-format on

#include <memory>
#include <vector>

#include "platform/HeldFiles.h"
#include "platform/ProtectedFolder.h"

namespace {

constexpr wchar_t kNamespace[] = L"Klarvex";

// The namespace of Klarvex's elevated processes: its boundary names the Administrators group, so
// only a token in which that group is enabled can create or open it, and its descriptor lets
// only them and the system make objects in it. nullptr where the system has none: Wine 8 exports
// AddSIDToBoundaryDescriptor as a stub that ends the process when called.
HANDLE AdministratorsNamespace() {
  static const HANDLE opened = [] {
    if (UnderWine()) return HANDLE{nullptr};
    HANDLE boundary = CreateBoundaryDescriptorW(kNamespace, 0);
    if (boundary == nullptr) return HANDLE{nullptr};
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof admins;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size) &&
        AddSIDToBoundaryDescriptor(&boundary, admins) &&
        ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr)) {
      SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
      space = CreatePrivateNamespaceW(&attributes, boundary, kNamespace);
      if (space == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        space = OpenPrivateNamespaceW(boundary, kNamespace);
      }
      LocalFree(descriptor);
    }
    DeleteBoundaryDescriptor(boundary);
    return space;
  }();
  return opened;
}

}  // namespace

// Never released: the lock lasts as long as the process, and the system frees a mutex or a file
// when the process ends, however it ends.
bool Win32Process::HoldAdministratorsLock(const std::string& name) {
  static std::vector<std::string> held;
  static std::vector<std::unique_ptr<HeldFile>> files;
  for (const std::string& h : held) {
    if (h == name) return true;
  }
  if (AdministratorsNamespace() != nullptr) {
    const std::string qualified = "Klarvex\\" + name;
    HANDLE mutex = CreateMutexA(nullptr, TRUE, qualified.c_str());
    if (mutex == nullptr) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(mutex);
      return false;
    }
  } else {
    // Only administrators may make a file in the protected folder; one that another process
    // holds cannot be opened, as nothing else is shared. The first start of all makes the
    // folder here, before the window's start-up would. Where the folder cannot be used no run
    // can change anything (each checks it first and says why): there is nothing to lock.
    const std::string programData = ProgramDataFolder();
    const std::string folder = ProtectedUndoDir(programData, UserSid());
    if (!folder.empty()) MakeProtectedUndoDir(programData, folder, UserSid());
    if (folder.empty() || !CheckProtectedUndoDir(programData, folder).Usable()) return true;
    long status = 0;
    std::unique_ptr<HeldFile> file = HoldPlainFile(folder + name, HoldMode::Lock, status);
    if (!file) return false;
    files.push_back(std::move(file));
  }
  held.push_back(name);
  return true;
}

std::vector<WindowOwner> Win32Process::WindowsOfClass(const std::string& className) {
  std::vector<WindowOwner> found;
  for (HWND window = FindWindowExA(nullptr, nullptr, className.c_str(), nullptr); window != nullptr;
       window = FindWindowExA(nullptr, window, className.c_str(), nullptr)) {
    WindowOwner owner;
    owner.window = reinterpret_cast<uintptr_t>(window);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {
      std::string image(32768, '\0');
      DWORD size = static_cast<DWORD>(image.size());
      if (QueryFullProcessImageNameA(process, 0, image.data(), &size)) {
        owner.imagePath = image.substr(0, size);
      }
      owner.elevated = ElevatedToken(process);
      CloseHandle(process);
    }
    found.push_back(owner);
  }
  return found;
}
