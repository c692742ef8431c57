#include "engine/Profiles.h"

#include "engine/OwnerContext.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"

namespace {

constexpr char kProfileList[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kUserClassesFile[] = "AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";

// The system's own accounts have profiles but nobody's desktop; a ".bak" entry is a profile
// Windows set aside.
bool IsPersonProfile(const std::string& sid) {
  return sid.starts_with("S-1-") && sid != kSystemAccountSid && sid != "S-1-5-19" &&
         sid != "S-1-5-20" && sid.find('.') == std::string::npos;
}

std::string LastPart(std::string folder) {
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder.substr(folder.find_last_of('\\') + 1);
}

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

std::string RunHiveName(const std::string& sid) { return "Klarvex_" + sid; }

MachineProfiles::MachineProfiles(const std::string& runningSid) {
  const OwnerContext machine = MachineContext();
  TextList sids;
  ListSubKeys(RootKey::LocalMachine, kProfileList, sids);
  for (const std::string& sid : sids) {
    if (!IsPersonProfile(sid)) continue;
    const std::string folder = machine.Expand(ReadString(
        RootKey::LocalMachine, std::string(kProfileList) + "\\" + sid, "ProfileImagePath"));
    Reach(sid, folder.size() > 3 && folder[1] == ':' ? WithBackslash(folder) : "", runningSid);
  }
}

MachineProfiles::~MachineProfiles() { Unload(); }

void MachineProfiles::Reach(const std::string& sid, const std::string& profileDir,
                            const std::string& runningSid) {
  UserHive user{.sid = sid, .profileDir = profileDir, .profileName = LastPart(profileDir)};
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
  const long status = Registry().LoadHive(name, profileDir + "NTUSER.DAT");
  if (status != status::kSuccess) {
    return skip("its hive " + profileDir +
                "NTUSER.DAT could not be loaded: " + Process().ErrorText(status));
  }
  loaded_.push_back(name);
  user.base = "\\" + name;
  user.loadedForRun = true;
  // Without its classes hive the user's other keys are still judged.
  if (Registry().LoadHive(name + "_Classes", profileDir + kUserClassesFile) == status::kSuccess) {
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

UserHive RunningUserHive() {
  return {.sid = Process().UserSid(),
          .profileDir = UserProfileDir(),
          .profileName = LastPart(UserProfileDir())};
}
