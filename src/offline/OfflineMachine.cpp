#include "offline/OfflineMachine.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Paths.h"
#include "platform/RegistryOps.h"

namespace {

constexpr char kConfig[] = "C:\\Windows\\System32\\config\\";
constexpr char kNt[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kProfileList[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// The built-in accounts' profiles (S-1-5-18, -19, -20) are nobody's desktop.
bool IsPersonAccount(const std::string& sid) { return sid.starts_with("S-1-5-21-"); }

struct ListedProfile {
  std::string sid;
  std::string folder;  // as the list keeps it ("%SystemDrive%\Users\Name")
};

// The accounts the machine's ProfileList names a profile folder for, in its order.
std::vector<ListedProfile> ListedProfiles() {
  TextList sids;
  ListSubKeys(RootKey::LocalMachine, kProfileList, sids);
  std::vector<ListedProfile> listed;
  for (const std::string& sid : sids) {
    std::string folder = ReadSettingText(
        RootKey::LocalMachine, std::string(kProfileList) + "\\" + sid, "ProfileImagePath");
    if (!folder.empty()) listed.push_back({sid, std::move(folder)});
  }
  return listed;
}

// The SID whose ProfileList entry names a profile folder of this name; "" for none.
std::string SidOfProfile(const std::string& name) {
  for (const ListedProfile& listed : ListedProfiles()) {
    if (UpperAscii(FolderName(listed.folder)) == UpperAscii(name)) return listed.sid;
  }
  return {};
}

}  // namespace

bool OfflineMachine::OpenHive(const std::string& path, HiveRole role, const char* what,
                              std::unique_ptr<HiveFile>& hive, std::string& why) {
  hive = OpenInRole(path, role, what, why, warnings_);
  return hive != nullptr;
}

bool OfflineMachine::OpenMachineHives(const OfflineOptions& options, OfflineFiles& files,
                                      std::string& why) {
  const std::string software = files.ImageFileOf(std::string(kConfig) + "SOFTWARE", why);
  if (software.empty()) {
    if (why.empty()) why = "no SOFTWARE hive in " + options.windows + "/Windows/System32/config";
    return false;
  }
  if (!OpenHive(software, HiveRole::Software, "machine's SOFTWARE", software_, why)) return false;
  // The machine's environment lives in SYSTEM; without it only the built-in variables count.
  const std::string system = files.ImageFileOf(std::string(kConfig) + "SYSTEM", why);
  if (system.empty()) return why.empty();
  return OpenHive(system, HiveRole::System, "machine's SYSTEM", system_, why);
}

bool OfflineMachine::OpenUserHives(const OfflineOptions& options, OfflineFiles& files,
                                   std::string& why) {
  std::string ntuser = options.ntuser;
  std::string usrclass = options.usrclass;
  if (ntuser.empty()) {
    std::vector<std::string> people;
    for (const auto& [sid, folder] : ListedProfiles()) {
      if (!IsPersonAccount(sid)) continue;
      const std::string name = FolderName(folder);
      people.push_back(name);
      if (UpperAscii(name) == UpperAscii(options.user)) {
        profile_ = "C:" + folder.substr(folder.find(':') == 1 ? 2 : folder.find('%', 1) + 1);
        sid_ = sid;
      }
    }
    if (people.empty()) {
      why = "the machine's ProfileList names no user: give the user's hive with --ntuser";
      return false;
    }
    // Every profile is judged, each through its own hives, which the run loads itself.
    if (options.EveryProfile()) return true;
    if (profile_.empty()) {
      std::string names;
      for (const std::string& name : people) names += (names.empty() ? "" : ", ") + name;
      why = "no user profile " + options.user + " in the machine's ProfileList (it has " + names +
            ")";
      return false;
    }
    ntuser = files.ImageFileOf(profile_ + "\\NTUSER.DAT", why);
    if (ntuser.empty()) {
      if (why.empty()) why = "no NTUSER.DAT in the profile " + profile_;
      return false;
    }
    usrclass =
        files.ImageFileOf(profile_ + "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat", why);
    if (usrclass.empty() && !why.empty()) return false;
  }
  if (!OpenHive(ntuser, HiveRole::User, "user's NTUSER.DAT", user_, why)) return false;
  return usrclass.empty() ||
         OpenHive(usrclass, HiveRole::UserClasses, "user's UsrClass.dat", userClasses_, why);
}

OfflineRegistry::Hives OfflineMachine::Hives() const {
  return {software_.get(), system_.get(), user_.get(), userClasses_.get()};
}

void OfflineMachine::Describe(SimProcess& process) {
  const std::string systemRoot = ReadSettingText(RootKey::LocalMachine, kNt, "SystemRoot");
  process.windowsDirectory = systemRoot.empty() ? "C:\\Windows" : systemRoot;
  const int32_t major = ReadDword(RootKey::LocalMachine, kNt, "CurrentMajorVersionNumber");
  const std::string version = ReadSettingText(RootKey::LocalMachine, kNt, "CurrentVersion");
  process.osMajorVersion =
      major != 0 ? static_cast<uint32_t>(major) : static_cast<uint32_t>(std::atoi(version.c_str()));
  const std::string minor =
      major != 0
          ? std::to_string(ReadDword(RootKey::LocalMachine, kNt, "CurrentMinorVersionNumber"))
          : version.substr(version.find('.') == std::string::npos ? version.size()
                                                                  : version.find('.') + 1);
  const std::string pack = ReadSettingText(RootKey::LocalMachine, kNt, "CSDVersion");
  process.osVersionText = std::to_string(process.osMajorVersion) + "." + minor + "." +
                          ReadSettingText(RootKey::LocalMachine, kNt, "CurrentBuildNumber") +
                          (pack.empty() ? "" : " " + pack);
  process.exePath.clear();

  const std::string shellFolders =
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const std::string appData = ReadSettingText(RootKey::CurrentUser, shellFolders, "AppData");
  // A hive given alone names its profile by where its roaming data lies. The variables the
  // checks expand are the owners' own, read from the hives by the engine.
  for (const char* below : {"\\APPDATA\\ROAMING", "\\APPLICATION DATA"}) {
    if (profile_.empty() && UpperAscii(appData).ends_with(below)) {
      profile_ = appData.substr(0, appData.size() - std::string(below).size());
    }
  }
  if (!profile_.empty() && sid_.empty()) sid_ = SidOfProfile(FolderName(profile_));
}
