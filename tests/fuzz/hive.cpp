// A hive file from an image (evidence, a golden image, a damaged disk): opened as klarvex-offline
// opens it, its role told, then read through the offline registry seam in every place the scan
// puts a hive (SOFTWARE, SYSTEM with its current control set, NTUSER.DAT, UsrClass.dat), every
// key walked and every value read as the checks read it.
#include "FuzzMachine.h"
#include "platform/offline/HiveFile.h"
#include "platform/offline/HiveRole.h"
#include "platform/offline/OfflineRegistry.h"

namespace {

// Walks a key's subtree depth first; stops after a budget of keys (a hive of a few KB can
// still name a deep tree through shared cells).
void Walk(OfflineRegistry& registry, RegHandle key, int depth, int& budget) {
  RegKeyInfo info;
  if (registry.QueryInfo(key, info) != status::kSuccess || --budget < 0 || depth > 32) return;
  std::string name;
  for (uint32_t i = 0; registry.EnumValue(key, i, name) != status::kNoMoreItems && i < 512; ++i) {
    uint32_t type = 0;
    Bytes data;
    registry.QueryValue(key, name, type, data);
  }
  for (uint32_t i = 0; registry.EnumKey(key, i, name) != status::kNoMoreItems && i < 512; ++i) {
    RegHandle child = 0;
    if (registry.Open(key, name, 0, child) != status::kSuccess) continue;
    Walk(registry, child, depth + 1, budget);
    registry.Close(child);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SimPlatform& sim = FuzzMachine();
  const std::unique_ptr<HiveFile> hive = FuzzHive("hive", data, size);
  if (!hive) return 0;
  for (HiveRole role :
       {HiveRole::Software, HiveRole::System, HiveRole::User, HiveRole::UserClasses}) {
    WrongRole(*hive, role);
  }
  OfflineRegistry registry(sim.codePage, {hive.get(), hive.get(), hive.get(), hive.get()});
  int budget = 2000;
  for (const auto& [root, below] : {std::pair{RootKey::LocalMachine, "SOFTWARE"},
                                    {RootKey::LocalMachine, "SYSTEM\\CurrentControlSet"},
                                    {RootKey::CurrentUser, ""},
                                    {RootKey::ClassesRoot, ""}}) {
    RegHandle key = 0;
    if (registry.Open(RootHandle(root), below, 0, key) != status::kSuccess) continue;
    Walk(registry, key, 0, budget);
    registry.Close(key);
  }
  return 0;
}
