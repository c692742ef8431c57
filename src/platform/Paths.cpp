#include "platform/Paths.h"

#include <array>
#include <string_view>

#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "platform/ProtectedFolder.h"
#include "platform/RegistryOps.h"
#include "platform/UndoFolderTrust.h"

Folders gFolders;

namespace {
constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kShellFoldersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUndoSubFolder[] = "Ostrawin\\Klarvex\\Undo\\";
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
constexpr char kRoamingBelowProfile[] = "APPDATA\\ROAMING";

// The folder part of a full path; a drive root keeps the backslash after its colon.
std::string FolderPart(const std::string& path) {
  const size_t last = path.find_last_of("\\:");
  if (last == std::string::npos) return {};
  size_t keep = last + 1;
  if (last > 0 && path[last] == '\\' && path[last - 1] != '\\' && path[last - 1] != ':')
    keep = last;
  return path.substr(0, keep);
}

// A folder setting whose text the code page cannot hold names no folder the program can use:
// it reads as "" and readable is cleared.
std::string FolderSetting(RootKey root, const char* key, const char* name,
                          bool* readable = nullptr) {
  try {
    return ReadStringUpper(root, key, name);
  } catch (const UnreadableText&) {
    if (readable != nullptr) *readable = false;
    return {};
  }
}

struct PathVariable {
  std::string_view name;  // with its backslash when that belongs to the match
  const std::string& (*folder)();
};

// Order matters: each replacement works on the result of the one before.
constexpr std::array<PathVariable, 5> kPathVariables{{
    {"%WINDIR%\\", WindowsDir},
    {"%SYSTEMROOT%", WindowsDir},
    {"%PROGRAMFILES%", ProgramFilesDir},
    {"%COMMONPROGRAMFILES%\\", CommonFilesDir},
    {"%USERPROFILE%\\", ProfileDir},
}};
// A 32-bit process's environment names its own Program Files folders, also by their (x86)
// names; "%PROGRAMFILES%" never matches the start of "%PROGRAMFILES(X86)%".
constexpr std::array<PathVariable, 7> k32BitPathVariables{{
    {"%WINDIR%\\", WindowsDir},
    {"%SYSTEMROOT%", WindowsDir},
    {"%PROGRAMFILES%", ProgramFilesX86Dir},
    {"%PROGRAMFILES(X86)%", ProgramFilesX86Dir},
    {"%COMMONPROGRAMFILES%\\", CommonFilesX86Dir},
    {"%COMMONPROGRAMFILES(X86)%\\", CommonFilesX86Dir},
    {"%USERPROFILE%\\", ProfileDir},
}};

// Folders below System32 that a 32-bit program reaches unredirected (Windows 7 and later).
constexpr std::array<std::string_view, 6> kRedirectionExempt{
    "CATROOT", "CATROOT2", "DRIVERSTORE", "DRIVERS\\ETC", "LOGFILES", "SPOOL"};

// True when rest (upper-case) is folder itself or lies below it.
bool IsAtOrBelow(std::string_view rest, std::string_view folder) {
  return rest.starts_with(folder) && (rest.size() == folder.size() || rest[folder.size()] == '\\');
}

// Replaces every occurrence (ASCII case ignored) without rescanning inserted text.
std::string ReplaceAll(const std::string& text, std::string_view upperName, const std::string& by) {
  const std::string upperText = UpperAscii(text);
  std::string result;
  size_t from = 0;
  for (size_t at = upperText.find(upperName); at != std::string::npos;
       at = upperText.find(upperName, from)) {
    result.append(text, from, at - from);
    result += by;
    from = at + upperName.size();
  }
  result.append(text, from, std::string::npos);
  return result;
}

std::string Trim(const std::string& text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}
// The profile folder of the account sid as the machine's profile list names it; else, for a
// standard run, the folder above the user's roaming data. "" when neither tells.
std::string ProfileFolder(const std::string& sid, const std::string& appData, bool elevated) {
  std::string listed =
      sid.empty()
          ? std::string()
          : FolderSetting(RootKey::LocalMachine, (kProfileList + sid).c_str(), "ProfileImagePath");
  // The list keeps the drive as a variable ("%SystemDrive%\Users\name").
  if (listed.starts_with("%SYSTEMDRIVE%"))
    listed = Process().WindowsDirectory().substr(0, 2) + listed.substr(13);
  if (listed.size() > 3 && listed[1] == ':') return WithBackslash(listed);
  if (elevated) return {};
  const std::string below = std::string("\\") + kRoamingBelowProfile;
  if (!UpperAscii(appData).ends_with(below)) return {};
  return WithBackslash(appData.substr(0, appData.size() - below.size()));
}

bool IsBelow(const std::string& path, const std::string& folder) {
  return !folder.empty() && UpperAscii(WithBackslash(path)).starts_with(UpperAscii(folder)) &&
         path.size() > folder.size();
}

}  // namespace

void InitPaths() {
  Folders folders;
  folders.exeDir = FolderPart(Process().ExePath());
  std::string windows = Process().WindowsDirectory();
  windows.resize(windows.find('\0') == std::string::npos ? windows.size() : windows.find('\0'));
  folders.windowsDir = WithBackslash(windows);
  folders.programFilesDir =
      WithBackslash(FolderSetting(RootKey::LocalMachine, kVersionKey, "ProgramFilesDir"));
  folders.commonFilesDir =
      WithBackslash(FolderSetting(RootKey::LocalMachine, kVersionKey, "CommonFilesDir"));
  const std::string programFilesX86 =
      FolderSetting(RootKey::LocalMachine, kVersionKey, "ProgramFilesDir (x86)");
  folders.programFilesX86Dir =
      programFilesX86.empty() ? folders.programFilesDir : WithBackslash(programFilesX86);
  const std::string commonFilesX86 =
      FolderSetting(RootKey::LocalMachine, kVersionKey, "CommonFilesDir (x86)");
  folders.commonFilesX86Dir =
      commonFilesX86.empty() ? folders.commonFilesDir : WithBackslash(commonFilesX86);
  bool readable = true;
  std::string appData = FolderSetting(RootKey::CurrentUser, kShellFoldersKey, "AppData", &readable);
  folders.elevated = Process().IsElevated();
  folders.userProfileDir = ProfileFolder(Process().UserSid(), appData, folders.elevated);
  // Any program of the user may change the user's folder settings: an elevated run keeps to the
  // default place below the profile the machine names when they point anywhere else.
  if (folders.elevated && !folders.userProfileDir.empty() &&
      !IsBelow(appData, folders.userProfileDir)) {
    folders.ignoredFolderSetting = appData;
    appData = UpperAscii(folders.userProfileDir + kRoamingBelowProfile);
  }
  const size_t last = appData.rfind('\\');
  folders.profileDir =
      WithBackslash(last == std::string::npos ? std::string() : appData.substr(0, last + 1));
  folders.userUndoDir = WithBackslash(appData) + kUndoSubFolder;
  folders.undoDir = folders.userUndoDir;
  // An elevated run never keeps what it imports where the user's programs may change it, nor
  // takes that place from a value in the user's registry.
  if (folders.elevated) {
    const std::string sid = Process().UserSid();
    folders.programDataDir = Process().ProgramDataFolder();
    folders.undoDir = ProtectedUndoDir(folders.programDataDir, sid);
    if (!folders.undoDir.empty())
      MakeProtectedUndoDir(folders.programDataDir, folders.undoDir, sid);
  }
  // The user's folder of an elevated run is used only while the user, the Administrators or the
  // system own it and every folder down to it from the profile.
  const std::string top =
      folders.userProfileDir.empty() ? folders.profileDir : folders.userProfileDir;
  if (folders.elevated) {
    folders.untrustedUserFolder = ForeignOwnedOnTheWay(top, folders.userUndoDir);
  }
  // An application-data folder the code page cannot spell cannot be created either. There is
  // no other place to fall back on: the program's own folder may be one that other users can
  // write (Downloads, a shared tools folder). CheckUndoFolder tells when it cannot be used.
  // An elevated run creates the user's folder only below the profile the machine lists, and
  // only where no link lies on the way; never where a setting of the user's pointed.
  const bool mayCreate =
      !folders.elevated ||
      (folders.ignoredFolderSetting.empty() && folders.untrustedUserFolder.empty() &&
       IsBelow(folders.userUndoDir, folders.userProfileDir) &&
       LinkOnTheWay(folders.userUndoDir).empty());
  if (readable && mayCreate && !FolderExists(folders.userUndoDir)) {
    Files().MakeFolders(folders.userUndoDir);
    // A folder of that name that another account made first is found for what it is.
    if (folders.elevated) {
      folders.untrustedUserFolder = ForeignOwnedOnTheWay(top, folders.userUndoDir);
    }
  }
  gFolders = folders;
}

std::string ExpandPathVars(const std::string& text, ProgramKind kind) {
  std::string result = UpperAscii(text);
  auto replaceEach = [&result](const auto& variables) {
    for (const PathVariable& variable : variables) {
      result = ReplaceAll(result, variable.name, variable.folder());
    }
  };
  if (kind == ProgramKind::k32Bit) {
    replaceEach(k32BitPathVariables);
  } else {
    replaceEach(kPathVariables);
  }
  return result;
}

std::string RedirectedFor32Bit(const std::string& path) {
  const std::string windows = UpperAscii(WindowsDir());
  const std::string upper = UpperAscii(path);
  if (windows.size() <= 1 || !upper.starts_with(windows)) return path;
  // "%SystemRoot%\System32" leaves a doubled backslash after the Windows folder.
  size_t at = windows.size();
  while (at < upper.size() && upper[at] == '\\') ++at;
  const std::string_view rest = std::string_view(upper).substr(at);
  auto replaced = [&](size_t length, std::string_view by) {
    return path.substr(0, at) + std::string(by) + path.substr(at + length);
  };
  if (IsAtOrBelow(rest, "SYSNATIVE")) return replaced(9, "SYSTEM32");
  if (IsAtOrBelow(rest, "LASTGOOD\\SYSTEM32")) return replaced(17, "LASTGOOD\\SYSWOW64");
  if (rest == "REGEDIT.EXE") return replaced(0, "SYSWOW64\\");
  if (!IsAtOrBelow(rest, "SYSTEM32")) return path;
  const std::string_view below = rest.size() > 9 ? rest.substr(9) : std::string_view();
  for (std::string_view exempt : kRedirectionExempt) {
    if (IsAtOrBelow(below, exempt)) return path;
  }
  return replaced(8, "SYSWOW64");
}

std::string CommandToFilePath(const std::string& text, ProgramKind kind) {
  std::string path = Trim(text);
  if (path.empty()) return path;
  path = ExpandPathVars(Ansi().Upper(path), kind);
  std::erase(path, '"');
  // "\??\C:\..." or "rundll32.exe C:\x.dll": the drive letter starts the path.
  if (size_t colon = path.find(':'); colon != std::string::npos && colon > 1) {
    path.erase(0, colon - 1);
  }
  for (std::string_view extension : {".EXE", ".DLL", ".BAT", ".CMD"}) {
    if (size_t at = path.find(extension); at != std::string::npos) {
      path.resize(at + extension.size());
    }
  }
  if (path.starts_with("START ")) path.erase(0, 6);
  const size_t comma = path.find(',');
  const size_t colon = path.find(':');
  if (comma != std::string::npos && colon != std::string::npos && comma < colon) {
    path.erase(0, comma + 1);
  }
  return kind == ProgramKind::k32Bit ? RedirectedFor32Bit(path) : path;
}

std::string TwoDigits(uint16_t n) {
  std::string digits = std::to_string(n);
  return n < 10 ? "0" + digits : digits;
}

std::string EscapeBackslashes(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    result += c;
    if (c == '\\') result += '\\';
  }
  return result;
}

std::string WithoutBackslash(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::string FolderName(const std::string& folder) { return FileNamePart(WithoutBackslash(folder)); }

std::string FileNamePart(const std::string& path) {
  const size_t last = path.find_last_of("\\:");
  return last == std::string::npos ? path : path.substr(last + 1);
}

bool FileExists(const std::string& path) {
  // Without wildcards a find-first search on the path finds the path itself, exactly what its
  // attributes tell for a fraction of the cost.
  if (path.find_first_of("*?<>") == std::string::npos) {
    return fileattr::NameAFile(Files().Attributes(path));
  }
  std::unique_ptr<FileSearch> search = Files().Find(path);
  FindEntry entry;
  return search && search->Next(entry) && (entry.attributes & fileattr::kDirectory) == 0;
}

bool FolderExists(const std::string& path) {
  return fileattr::NameAFolder(Files().Attributes(path));
}
