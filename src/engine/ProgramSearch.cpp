#include "engine/ProgramSearch.h"

#include <array>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "engine/FileFacts.h"
#include "engine/FileJudgement.h"
#include "engine/OwnerContext.h"
#include "engine/WindowsFolders.h"
#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"

namespace {

constexpr char kAppPaths[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The shell's app execution aliases: empty files with a reparse point, which start the program
// they stand for. Windows puts the folder into each user's PATH; it is looked in all the same.
constexpr char kAliasFolder[] = "%LOCALAPPDATA%\\Microsoft\\WindowsApps";
constexpr std::array<const char*, 4> kProgramExtensions = {".EXE", ".COM", ".BAT", ".CMD"};

struct Places {
  // Upper-cased program name -> the data of its registrations, the user's first.
  std::unordered_map<std::string, std::vector<std::string>> appPaths;
  // PATH's folders, expanded, each with a final backslash, then the aliases' folder.
  std::vector<std::string> folders;
  // A PATH folder lies on a drive that proves nothing about its files.
  bool folderCannotTell = false;
  std::function<bool(const std::string&)> lastPlace;
};

// Only the window's thread runs the checks. The places of each owner, read at its first
// question while a ProgramSearchKept lives.
struct Kept {
  std::map<const OwnerContext*, Places> byOwner;
  std::function<bool(const std::string&)> lastPlace;
};
std::unique_ptr<Kept> kept;

void ReadAppPaths(Places& places, const OwnerContext& owner) {
  // HKLM's list is one key for both views. Opened to read only: a list the user may not change
  // still says where programs are. The machine's programs are not found by a user's list.
  for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
    if (root == RootKey::CurrentUser && owner.owner == Owner::Machine) continue;
    const std::string list = owner.Key(root, kAppPaths);
    for (const std::string& name : RegKey(owner.Root(root), list, keyaccess::kRead).SubKeyNames()) {
      const std::string text = ReadSettingText(owner.Root(root), list + name, "");
      if (!text.empty()) places.appPaths[Ansi().Upper(name)].push_back(text);
    }
  }
}

// One folder of PATH as the system searches it. A folder that keeps a variable, or is relative,
// holds nothing Windows would start; one on a network, removable or absent drive cannot tell.
void AddFolder(Places& places, const std::string& text) {
  std::string folder = UnquotedText(text);
  const bool lettered = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\';
  const bool network = folder.starts_with("\\\\");
  if (folder.find('%') != std::string::npos || (!lettered && !network)) return;
  if (network || NamedDriveKind(folder) != DriveKind::Fixed) {
    places.folderCannotTell = true;
    return;
  }
  if (folder.back() != '\\') folder += '\\';
  places.folders.push_back(folder);
}

// The owner's PATH (a user's holds the system's first, as Windows joins them), then the
// aliases' folder of a user. A variable in it may stand for several folders.
void ReadPath(Places& places, const OwnerContext& owner) {
  const std::string text = owner.Expand(
      "%PATH%" + (owner.owner == Owner::Machine ? std::string() : ";" + std::string(kAliasFolder)));
  for (size_t begin = 0; begin <= text.size();) {
    size_t end = text.find(';', begin);
    if (end == std::string::npos) end = text.size();
    if (end > begin) AddFolder(places, text.substr(begin, end - begin));
    begin = end + 1;
  }
}

Places Read(const OwnerContext& owner) {
  Places places;
  ReadAppPaths(places, owner);
  ReadPath(places, owner);
  return places;
}

bool Registered(const Places& places, const std::string& name) {
  const auto it = places.appPaths.find(Ansi().Upper(name));
  if (it == places.appPaths.end()) return false;
  for (const std::string& text : it->second) {
    if (!NamedProgramIsMissing(text)) return true;
  }
  return false;
}

bool InFolders(const Places& places, const std::string& name, ProgramKind kind) {
  for (const std::string& folder : places.folders) {
    const std::string path = folder + name;
    if (NamedFileExists(kind == ProgramKind::k32Bit ? RedirectedFor32Bit(path) : path)) {
      return true;
    }
  }
  return false;
}

bool Finds(const Places& places, const std::string& name, ProgramKind kind, SearchPlaces searched) {
  const std::vector<std::string> forms = ProgramNameForms(name);
  for (const std::string& form : forms) {
    if (searched.appPaths && Registered(places, form)) return true;
    if (FoundInWindowsFolders(form, kind) || InFolders(places, form, kind)) return true;
  }
  if (places.folderCannotTell) return true;
  if (!searched.lastPlace || !places.lastPlace) return false;
  for (const std::string& form : forms) {
    if (places.lastPlace(form)) return true;
  }
  return false;
}

}  // namespace

ProgramSearchKept::ProgramSearchKept(std::function<bool(const std::string& name)> lastPlace) {
  kept = std::make_unique<Kept>();
  kept->lastPlace = std::move(lastPlace);
}

ProgramSearchKept::~ProgramSearchKept() { kept.reset(); }

std::vector<std::string> ProgramNameForms(const std::string& path) {
  const std::string name = FileNamePart(path);
  if (name.empty() || name.find('.') != std::string::npos) return {path};
  std::vector<std::string> forms = {path};
  for (const char* extension : kProgramExtensions) forms.push_back(path + extension);
  return forms;
}

bool FindsBareProgram(const std::string& name, ProgramKind kind, SearchPlaces searched) {
  const OwnerContext& owner = JudgingContext();
  if (!kept) return Finds(Read(owner), name, kind, searched);
  auto [entry, isNew] = kept->byOwner.try_emplace(&owner);
  if (isNew) {
    entry->second = Read(owner);
    entry->second.lastPlace = kept->lastPlace;
  }
  return Finds(entry->second, name, kind, searched);
}
