// Who the process runs as and where the machine keeps program data: asked of the system, never
// read from a value in the user's registry or environment, which any of the user's programs
// may change.
// clang-format off
// Before the shell's header, whose COM interface "Folder" would else shadow a name of ours.
#include "platform/win32/Win32Backends.h"
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>
// clang-format on

#include <vector>

namespace {

// The token's information of one class, or an empty buffer.
std::vector<BYTE> TokenInfo(TOKEN_INFORMATION_CLASS kind) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size)) buffer.clear();
  CloseHandle(token);
  return buffer;
}

}  // namespace

bool ElevatedToken(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool elevated =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
      elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}

bool Win32Process::IsElevated() { return ElevatedToken(GetCurrentProcess()); }

std::string Win32Process::UserSid() {
  const std::vector<BYTE> info = TokenInfo(TokenUser);
  if (info.size() < sizeof(TOKEN_USER)) return {};
  char* text = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid, &text)) {
    return {};
  }
  std::string sid = text;
  LocalFree(text);
  return sid;
}

std::string Win32Process::ProgramDataFolder() {
  PWSTR wide = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &wide))) {
    CoTaskMemFree(wide);
    return {};
  }
  // A name the code page cannot hold would name another folder once converted.
  BOOL lossy = FALSE;
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
  std::string folder(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, folder.data(), length, nullptr,
                        &lossy);
    folder.resize(static_cast<size_t>(length) - 1);
  }
  CoTaskMemFree(wide);
  if (lossy) return {};
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}
