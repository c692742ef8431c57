// The registry seam over hive files, read-only: HKLM\SOFTWARE (and SYSTEM) from the machine's
// hives, HKCU from the user's NTUSER.DAT with its Software\Classes from UsrClass.dat, and
// HKEY_CLASSES_ROOT as Windows builds it, the user's classes over the machine's. Every change
// is refused with access denied.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/RegistryApi.h"
#include "platform/offline/HiveFile.h"

class OfflineRegistry : public RegistryApi {
 public:
  // The hives it reads; any may be null (its keys are then absent).
  struct Hives {
    HiveFile* software = nullptr;
    HiveFile* system = nullptr;
    HiveFile* user = nullptr;
    HiveFile* userClasses = nullptr;
  };
  OfflineRegistry(CodePage& codePage, Hives hives);

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
  long LoadHive(const std::string& name, const std::string& file) override;
  long UnloadHive(const std::string& name) override;

  // The first damage a read met in any hive; "" when every read went through.
  std::string Damage() const;

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
    bool machineRoot = false;  // HKLM itself: only the hives loaded below it
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

  CodePage& codePage_;
  Hives hives_;
  std::unordered_map<const HiveFile*, std::unordered_map<size_t, Listing>> listings_;
  std::unordered_map<RegHandle, Handle> handles_;
  RegHandle next_ = 1;
};
