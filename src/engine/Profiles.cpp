#include "engine/Profiles.h"

#include <algorithm>

#include "engine/OwnerContext.h"
#include "platform/HeldFiles.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/TextFile.h"

namespace {

constexpr char kProfileList[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kUserClassesFile[] = "AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";

// The system's own accounts have profiles but nobody's desktop; a ".bak" entry is a profile
// Windows set aside.
bool IsPersonProfile(const std::string& sid) {
  return sid.starts_with("S-1-") && sid != kSystemAccountSid && sid != "S-1-5-19" &&
         sid != "S-1-5-20" && sid.find('.') == std::string::npos;
}

// Loads a user's hive file at HKEY_USERS\name: "" when loaded, else why not. A file reached
// through a link or junction is refused: any program of the user may place one in the profile,
// to make an elevated run load another user's hive and change it as this user's.
std::string LoadHiveFile(const std::string& name, const std::string& file) {
  std::string link = LinkOnTheWay(file);
  const uint32_t attributes = Files().Attributes(file);
  if (link.empty() && attributes != fileattr::kInvalid && (attributes & fileattr::kReparsePoint)) {
    link = file;
  }
  if (!link.empty()) return link + " is a link or junction, which Klarvex does not follow";
  const long status = Registry().LoadHive(name, file);
  return status == status::kSuccess ? std::string() : Process().ErrorText(status);
}

// The SIDs whose hives a script names under a run's own name.
TextList RunHiveSids(const std::u16string& text) {
  const std::u16string mark = u"HKEY_USERS\\Klarvex_";
  TextList sids;
  for (size_t at = text.find(mark); at != std::u16string::npos; at = text.find(mark, at + 1)) {
    const size_t from = at + mark.size();
    const size_t end = text.find_first_of(u"\\]", from);
    std::string sid(
        text.begin() + static_cast<ptrdiff_t>(from),
        end == std::u16string::npos ? text.end() : text.begin() + static_cast<ptrdiff_t>(end));
    if (sid.ends_with("_Classes")) sid.resize(sid.size() - 8);
    if (std::find(sids.begin(), sids.end(), sid) == sids.end()) sids.push_back(sid);
  }
  return sids;
}

}  // namespace

std::string RunHiveName(const std::string& sid) { return "Klarvex_" + sid; }

MachineProfiles::MachineProfiles(const std::string& runningSid) {
  const OwnerContext machine = MachineContext();
  TextList sids;
  ListSubKeys(RootKey::LocalMachine, kProfileList, sids);
  for (const std::string& sid : sids) {
    if (!IsPersonProfile(sid)) continue;
    // A folder the code page cannot name is nobody's here: the profile is skipped.
    const std::string folder = machine.Expand(ReadSettingText(
        RootKey::LocalMachine, std::string(kProfileList) + "\\" + sid, "ProfileImagePath"));
    Reach(sid, folder.size() > 3 && folder[1] == ':' ? WithBackslash(folder) : "", runningSid);
  }
}

MachineProfiles::~MachineProfiles() { Unload(); }

void MachineProfiles::Reach(const std::string& sid, const std::string& profileDir,
                            const std::string& runningSid) {
  UserHive user{.sid = sid, .profileDir = profileDir, .profileName = FolderName(profileDir)};
  if (UpperAscii(sid) == UpperAscii(runningSid)) {
    judged_.push_back(user);
    return;
  }
  user.root = RootKey::Users;
  const auto skip = [&](const std::string& reason) {
    skipped_.push_back({sid, user.profileName, reason});
  };
  if (KeyExists(RootKey::Users, "\\" + sid)) {
    user.base = "\\" + sid;
    if (KeyExists(RootKey::Users, user.base + "_Classes"))
      user.classesBase = user.base + "_Classes";
    judged_.push_back(user);
    return;
  }
  if (profileDir.empty()) return skip("the machine lists no profile folder for it");
  const std::string name = RunHiveName(sid);
  if (const std::string why = LoadHiveFile(name, profileDir + "NTUSER.DAT"); !why.empty()) {
    return skip("its hive " + profileDir + "NTUSER.DAT could not be loaded: " + why);
  }
  loaded_.push_back(name);
  user.base = "\\" + name;
  // Without its classes hive the user's other keys are still judged.
  if (LoadHiveFile(name + "_Classes", profileDir + kUserClassesFile).empty()) {
    loaded_.push_back(name + "_Classes");
    user.classesBase = user.base + "_Classes";
  }
  judged_.push_back(user);
}

void MachineProfiles::Unload() {
  while (!loaded_.empty()) {
    if (Registry().UnloadHive(loaded_.back()) != status::kSuccess) {
      notUnloaded_.push_back("HKEY_USERS\\" + loaded_.back());
    }
    loaded_.pop_back();
  }
}

UndoFileHives::UndoFileHives(Bytes& script) {
  if (script.size() < 2 || script[0] != 0xFF || script[1] != 0xFE) return;
  std::u16string text = Utf16LeText(script, 2);
  const OwnerContext machine = MachineContext();
  for (const std::string& sid : RunHiveSids(text)) {
    const std::string name = RunHiveName(sid);
    if (KeyExists(RootKey::Users, "\\" + sid)) {
      const std::u16string from = u"HKEY_USERS\\" + std::u16string(name.begin(), name.end());
      const std::u16string to = u"HKEY_USERS\\" + std::u16string(sid.begin(), sid.end());
      for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
      }
      continue;
    }
    std::string folder = machine.Expand(ReadSettingText(
        RootKey::LocalMachine, std::string(kProfileList) + "\\" + sid, "ProfileImagePath"));
    if (folder.size() <= 3 || folder[1] != ':') continue;
    folder = WithBackslash(folder);
    if (!LoadHiveFile(name, folder + "NTUSER.DAT").empty()) continue;
    loaded_.push_back(name);
    if (LoadHiveFile(name + "_Classes", folder + kUserClassesFile).empty()) {
      loaded_.push_back(name + "_Classes");
    }
  }
  script = {0xFF, 0xFE};
  const Bytes body = Utf16LeBytes(text);
  script.insert(script.end(), body.begin(), body.end());
}

UndoFileHives::~UndoFileHives() {
  for (auto name = loaded_.rbegin(); name != loaded_.rend(); ++name) Registry().UnloadHive(*name);
}

UserHive RunningUserHive() {
  return {.sid = Process().UserSid(),
          .profileDir = UserProfileDir(),
          .profileName = FolderName(UserProfileDir())};
}
