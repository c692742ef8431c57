// A folder only the system and the Administrators may change, made with its descriptor whole
// from the start: there is no moment in which it holds what its parent would pass on.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include "platform/win32/Win32Backends.h"

// The descriptor of FileApi::MakeProtectedFolder. P: nothing inherited from above; OICI: passed
// on to every file and folder made inside.
PSECURITY_DESCRIPTOR ProtectedDescriptor(const std::string& readerSid) {
  const std::string sddl =
      "O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;" + readerSid + ")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return descriptor;
}

long Win32Files::MakeProtectedFolder(const std::string& path, const std::string& readerSid) {
  PSECURITY_DESCRIPTOR descriptor = ProtectedDescriptor(readerSid);
  if (descriptor == nullptr) return static_cast<long>(GetLastError());
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const BOOL made = CreateDirectoryA(path.c_str(), &attributes);
  const long status = made ? ERROR_SUCCESS : static_cast<long>(GetLastError());
  LocalFree(descriptor);
  return status;
}
