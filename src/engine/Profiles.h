// The users of the machine a run judges: the running user through HKEY_CURRENT_USER, and for a
// run over every profile each other profile the machine lists, through its hive below
// HKEY_USERS. A hive nobody has loaded is loaded for the run and always let go again.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

// One user's hive as a run reaches it.
struct UserHive {
  std::string sid;
  std::string profileDir;   // as the machine lists it, with a final backslash
  std::string profileName;  // the folder's last part: "Anna"
  RootKey root = RootKey::CurrentUser;
  std::string base = {};         // "\\<SID>" (or the run's own name) below HKEY_USERS; "" for HKCU
  std::string classesBase = {};  // the user's classes hive below HKEY_USERS; "" when not reached
};

// A profile the run could not judge, and why.
struct SkippedProfile {
  std::string sid;
  std::string profileName;
  std::string reason;
};

// The system's own account, as which fleet engines start programs.
inline constexpr char kSystemAccountSid[] = "S-1-5-18";

// The name below HKEY_USERS under which a run loads the hive of a profile nobody has loaded.
std::string RunHiveName(const std::string& sid);

// Every profile the machine's ProfileList names, but the built-in accounts (S-1-5-18, -19, -20),
// reached for the life of this object: the running user's through HKEY_CURRENT_USER, a loaded
// one at HKEY_USERS\<SID>, any other loaded under RunHiveName and unloaded by the destructor.
class MachineProfiles {
 public:
  explicit MachineProfiles(const std::string& runningSid);
  ~MachineProfiles();
  MachineProfiles(const MachineProfiles&) = delete;
  MachineProfiles& operator=(const MachineProfiles&) = delete;

  const std::vector<UserHive>& Judged() const { return judged_; }
  const std::vector<SkippedProfile>& Skipped() const { return skipped_; }
  // The hives this object loaded but could not unload, named for the run's messages.
  const TextList& NotUnloaded() const { return notUnloaded_; }
  void Unload();

 private:
  void Reach(const std::string& sid, const std::string& profileDir, const std::string& runningSid);
  std::vector<UserHive> judged_;
  std::vector<SkippedProfile> skipped_;
  TextList loaded_;  // names below HKEY_USERS, in the order loaded
  TextList notUnloaded_;
};

// The hives an undo file names below HKEY_USERS under a run's own name, reached again for its
// import while this lives: a profile logged on now through its own hive (the script is made to
// name that one), any other by loading its hive files at the same name again.
class UndoFileHives {
 public:
  // script: the undo file's bytes, UTF-16LE with its byte-order mark, as the editor writes it.
  explicit UndoFileHives(Bytes& script);
  ~UndoFileHives();
  UndoFileHives(const UndoFileHives&) = delete;
  UndoFileHives& operator=(const UndoFileHives&) = delete;

 private:
  TextList loaded_;
};

// The running user alone, as a run without /allusers judges: HKEY_CURRENT_USER with the profile
// the machine lists for the account.
UserHive RunningUserHive();
