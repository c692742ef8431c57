// Who may change a file or folder, read from its security descriptor: its owner, and the rights
// its access list grants to the principals every program of a standard user runs as.
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win32/Win32Backends.h"

namespace {

// What lets a principal change a file's content, a folder's files, or the object itself.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                        DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL;

using SidBytes = std::vector<BYTE>;

SidBytes WellKnown(WELL_KNOWN_SID_TYPE type) {
  SidBytes sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return {};
  sid.resize(size);
  return sid;
}

SidBytes FromText(const wchar_t* text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(text, &sid)) return {};
  const auto* bytes = static_cast<const BYTE*>(sid);
  SidBytes copy(bytes, bytes + GetLengthSid(sid));
  LocalFree(sid);
  return copy;
}

bool IsOneOf(PSID sid, const std::vector<SidBytes>& list) {
  for (const SidBytes& entry : list) {
    if (!entry.empty() && EqualSid(sid, const_cast<BYTE*>(entry.data()))) return true;
  }
  return false;
}

// Those who may own what a standard user must not change.
const std::vector<SidBytes>& TrustedOwners() {
  static const std::vector<SidBytes> owners = {
      WellKnown(WinLocalSystemSid), WellKnown(WinBuiltinAdministratorsSid),
      FromText(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464")};
  return owners;
}

// The groups every program of a signed-in standard user holds.
const std::vector<SidBytes>& StandardGroups() {
  static const std::vector<SidBytes> groups = {
      WellKnown(WinBuiltinUsersSid), WellKnown(WinAuthenticatedUserSid), WellKnown(WinWorldSid),
      WellKnown(WinInteractiveSid)};
  return groups;
}

// The user this process runs for: the same account also runs programs without elevation.
SidBytes ProcessUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  SidBytes sid;
  if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const auto* bytes = static_cast<const BYTE*>(user);
    sid.assign(bytes, bytes + GetLengthSid(user));
  }
  CloseHandle(token);
  return sid;
}

}  // namespace

// Profile folders are made by the profile service, which runs as the system; an administrator's
// elevated programs make what they make owned by the Administrators group, and the user's own
// programs by the user. No other account can have made a folder owned by one of these, nor
// change who may write it.
bool OwnerIsUserOrAdministrators(PSID owner) {
  static const std::vector<SidBytes> administrators = {WellKnown(WinLocalSystemSid),
                                                       WellKnown(WinBuiltinAdministratorsSid)};
  return owner != nullptr && (IsOneOf(owner, administrators) || IsOneOf(owner, {ProcessUser()}));
}

bool UnderWine() {
  static const bool wine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

// Wine makes every descriptor up from the Unix file mode, owned by the one user all its
// programs run as: it says nothing of a standard user.
bool DescriptorsSpeakOfStandardUsers() { return !UnderWine(); }

namespace {

// Standard users may change what the descriptor guards when its owner is none of owners, when it
// has no access list (which grants everyone everything), or when an allowing entry gives a
// changing right to a principal that forbidden names. A denial is not weighed: an allowance
// alone is enough to refuse. Entries passed on only to what is made inside count when
// inheritOnlyCounts.
template <typename Forbidden>
ChangeRight Judge(PSECURITY_DESCRIPTOR descriptor, const std::vector<SidBytes>& owners,
                  bool inheritOnlyCounts, Forbidden forbidden) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || owner == nullptr ||
      !IsOneOf(owner, owners)) {
    return ChangeRight::StandardUsers;
  }
  BOOL present = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
      dacl == nullptr) {
    return ChangeRight::StandardUsers;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return ChangeRight::StandardUsers;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE &&
        header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) {
      continue;
    }
    if (!inheritOnlyCounts && (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kChangingRights) != 0 && forbidden(&allowed->SidStart)) {
      return ChangeRight::StandardUsers;
    }
  }
  return ChangeRight::AdministratorsOnly;
}

}  // namespace

// What is passed on to the files made inside counts too: it would let another change them.
ChangeRight AdministratorsOnlyOf(PSECURITY_DESCRIPTOR descriptor) {
  static const std::vector<SidBytes> admins = {WellKnown(WinLocalSystemSid),
                                               WellKnown(WinBuiltinAdministratorsSid)};
  return Judge(descriptor, admins, true, [](PSID sid) { return !IsOneOf(sid, admins); });
}

ChangeRight ChangeRightOf(PSECURITY_DESCRIPTOR descriptor, PSID user) {
  return Judge(descriptor, TrustedOwners(), false, [user](PSID sid) {
    return IsOneOf(sid, StandardGroups()) || (user != nullptr && EqualSid(sid, user));
  });
}

ChangeRight Win32Files::WhoMayChange(const std::string& path) {
  if (!DescriptorsSpeakOfStandardUsers()) return ChangeRight::Unknown;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD result = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, nullptr, nullptr, &descriptor);
  if (result != ERROR_SUCCESS) return ChangeRight::StandardUsers;
  const std::unique_ptr<void, decltype(&LocalFree)> held(descriptor, &LocalFree);
  static const SidBytes user = ProcessUser();
  return ChangeRightOf(descriptor, user.empty() ? nullptr : const_cast<BYTE*>(user.data()));
}
