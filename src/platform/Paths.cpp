#include "platform/Paths.h"

#include <array>
#include <string_view>

#include "platform/Platform.h"
#include "platform/RegistryOps.h"

Folders gFolders;

namespace {
constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kShellFoldersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUndoSubFolder[] = "Ostrawin\\Klarvex\\Undo\\";

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

// The folder part of a full path; a drive root keeps the backslash after its colon.
std::string FolderPart(const std::string& path) {
  const size_t last = path.find_last_of("\\:");
  if (last == std::string::npos) return {};
  size_t keep = last + 1;
  if (last > 0 && path[last] == '\\' && path[last - 1] != '\\' && path[last - 1] != ':')
    keep = last;
  return path.substr(0, keep);
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
}  // namespace

void InitPaths() {
  Folders folders;
  folders.exeDir = FolderPart(Process().ExePath());
  std::string windows = Process().WindowsDirectory();
  windows.resize(windows.find('\0') == std::string::npos ? windows.size() : windows.find('\0'));
  folders.windowsDir = WithBackslash(windows);
  folders.programFilesDir =
      WithBackslash(ReadStringUpper(RootKey::LocalMachine, kVersionKey, "ProgramFilesDir"));
  folders.commonFilesDir =
      WithBackslash(ReadStringUpper(RootKey::LocalMachine, kVersionKey, "CommonFilesDir"));
  const std::string appData = ReadStringUpper(RootKey::CurrentUser, kShellFoldersKey, "AppData");
  const size_t last = appData.rfind('\\');
  folders.profileDir =
      WithBackslash(last == std::string::npos ? std::string() : appData.substr(0, last + 1));
  folders.undoDir = WithBackslash(appData) + kUndoSubFolder;
  if (!FolderExists(folders.undoDir) && !Files().MakeFolders(folders.undoDir)) {
    folders.undoDir = folders.exeDir + "\\";
  }
  gFolders = folders;
}

std::string ExpandPathVars(const std::string& text) {
  std::string result = UpperAscii(text);
  for (const PathVariable& variable : kPathVariables) {
    result = ReplaceAll(result, variable.name, variable.folder());
  }
  return result;
}

std::string CommandToFilePath(const std::string& text) {
  std::string path = Trim(text);
  if (path.empty()) return path;
  path = ExpandPathVars(Ansi().Upper(path));
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
  return path;
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

std::string FileNamePart(const std::string& path) {
  const size_t last = path.find_last_of("\\:");
  return last == std::string::npos ? path : path.substr(last + 1);
}

bool FileExists(const std::string& path) {
  // Without wildcards a find-first search on the path finds the path itself, exactly what its
  // attributes tell for a fraction of the cost.
  if (path.find_first_of("*?<>") == std::string::npos) {
    const uint32_t attributes = Files().Attributes(path);
    return attributes != fileattr::kInvalid && (attributes & fileattr::kDirectory) == 0;
  }
  std::unique_ptr<FileSearch> search = Files().Find(path);
  FindEntry entry;
  return search && search->Next(entry) && (entry.attributes & fileattr::kDirectory) == 0;
}

bool FolderExists(const std::string& path) {
  const uint32_t attributes = Files().Attributes(path);
  return attributes != fileattr::kInvalid && (attributes & fileattr::kDirectory) != 0;
}
