// The registry seam over hive files, read-only: HKLM\SOFTWARE (and SYSTEM) from the machine's
// hives, HKCU from the user's NTUSER.DAT with its Software\Classes from UsrClass.dat, and
// HKEY_CLASSES_ROOT as Windows builds it, the user's classes over the machine's. A user hive of
// the image that a run loads shows below HKEY_USERS. Every change is refused with access denied.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/RegistryApi.h"
#include "platform/offline/HiveFile.h"
#include "platform/offline/OfflineFiles.h"

class OfflineRegistry : public RegistryApi {
 public:
  // The hives it reads; any may be null (its keys are then absent).
  struct Hives {
    HiveFile* software = nullptr;
    HiveFile* system = nullptr;
    HiveFile* user = nullptr;
    HiveFile* userClasses = nullptr;
  };
  // image: the disk whose user hives LoadHive opens (none: every load is refused).
  OfflineRegistry(CodePage& codePage, Hives hives, OfflineFiles* image = nullptr);

  long Open(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override;
  long Create(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override;
  long Close(RegHandle key) override;
  long QueryInfo(RegHandle key, RegKeyInfo& info) override;
  long EnumKey(RegHandle key, uint32_t index, std::string& name) override;
  long EnumValue(RegHandle key, uint32_t index, std::string& name) override;
  long QueryValue(RegHandle key, const std::string& name, uint32_t& type, Bytes& data) override;
  long QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type, Bytes& data) override;
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const Bytes& data) override;
  long SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                 const Bytes& data) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long DeleteTree(RegHandle parent, const std::string& path) override;
  // Opens the image's file (a Windows path) read-only as HKEY_USERS\name: a user's UsrClass.dat
  // when name ends with "_Classes", else a user's NTUSER.DAT, checked as the machine's hives
  // are. A file that is missing or refused gives a status of its own, which Refusal explains.
  long LoadHive(const std::string& name, const std::string& file) override;
  long UnloadHive(const std::string& name) override;

  // The first damage a read met in any hive, loaded ones and let go ones too; "" when every
  // read went through.
  std::string Damage() const;
  // Why LoadHive answered status; "" for a status it did not give.
  std::string Refusal(long status) const;
  // The hives loaded that were copied from a running Windows, and the users' classes hives
  // refused (their users are judged without them), for the run's messages.
  const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  // One key of one hive, with its subkeys (sorted by folded name) and values read once.
  struct Node {
    HiveFile* hive = nullptr;
    size_t node = 0;
  };
  struct Listing {
    std::vector<HiveEntry> children;  // sorted by folded name
    std::vector<std::u16string> folded;
    std::vector<HiveEntry> values;  // in stored order
    bool valuesRead = false;
  };
  // A key as the program sees it: the hive keys that make it up, the first one winning.
  using Layers = std::vector<Node>;
  // The numbered control set that Select\Current names, as CurrentControlSet shows it.
  bool CurrentControlSet(Node& controlSet);
  struct Handle {
    RootKey root{};
    bool hiveRoot = false;  // HKLM or HKEY_USERS itself: only the hives loaded below it
    Layers layers;
    // Read at the first enumeration and kept while the handle is open.
    bool merged = false;
    std::vector<std::u16string> children;
    std::vector<std::pair<Node, HiveEntry>> values;
  };

  Listing& ListingOf(const Node& node, bool withValues);
  bool Child(const Node& node, const std::u16string& folded, Node& child);
  long Resolve(RegHandle parent, const std::string& path, Handle& handle);
  bool LayersOf(RootKey root, const std::vector<std::u16string>& path, Handle& handle);
  Handle* Find(RegHandle key);
  // The subkeys and values of all layers, a name the first layer has hiding the others'.
  Handle* Merged(RegHandle key);
  long Stored(RegHandle key, const std::u16string& name, uint32_t& type, Bytes& data);
  long AnsiName(const std::u16string& wide, std::string& name);
  long Refuse(const std::string& why);

  CodePage& codePage_;
  Hives hives_;
  OfflineFiles* image_;
  // The hives below HKEY_USERS, by folded name, with the name as loaded.
  struct Loaded {
    std::u16string name;
    std::unique_ptr<HiveFile> hive;
  };
  std::map<std::u16string, Loaded> loaded_;
  std::string unloadedDamage_;
  std::vector<std::string> refusals_;
  std::vector<std::string> warnings_;
  std::unordered_map<const HiveFile*, std::unordered_map<size_t, Listing>> listings_;
  std::unordered_map<RegHandle, Handle> handles_;
  RegHandle next_ = 1;
};
