// The Windows being judged: its hives found on the disk (or given), opened read-only, and what
// a running Windows would tell its programs about itself (folders, environment, version).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "offline/OfflineOptions.h"
#include "platform/offline/HiveFile.h"
#include "platform/offline/HiveRole.h"
#include "platform/offline/OfflineFiles.h"
#include "platform/offline/OfflineRegistry.h"
#include "platform/sim/SimProcess.h"

class OfflineMachine {
 public:
  // Opens the machine's hives; the registry seam must be the offline one over them already
  // to find the user's profile. False with why when a hive is missing or damaged.
  bool OpenMachineHives(const OfflineOptions& options, OfflineFiles& files, std::string& why);
  // The user's hives: the files given, or those of the profile ProfileList names; none when
  // every profile is judged (the run loads each profile's own). False with why when the
  // machine lists no user, or the user's hives are missing or refused.
  bool OpenUserHives(const OfflineOptions& options, OfflineFiles& files, std::string& why);
  OfflineRegistry::Hives Hives() const;
  // Tells process the Windows folder, version and environment, read through the registry seam.
  // A user's hive given alone gets its profile folder from its own roaming data folder.
  void Describe(SimProcess& process);
  // The hives copied from a running Windows, with what their state means.
  const std::vector<std::string>& Warnings() const { return warnings_; }
  // The user's profile folder ("C:\Users\Name"); "" when the user's hive was given alone.
  const std::string& Profile() const { return profile_; }
  // The user's SID as ProfileList names it; "" when ProfileList has no entry for the profile.
  const std::string& Sid() const { return sid_; }

 private:
  // Opens the hive and checks that it plays role.
  bool OpenHive(const std::string& path, HiveRole role, const char* what,
                std::unique_ptr<HiveFile>& hive, std::string& why);

  std::unique_ptr<HiveFile> software_, system_, user_, userClasses_;
  std::vector<std::string> warnings_;
  std::string profile_;
  std::string sid_;
};
