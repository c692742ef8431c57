// Category 2, interfaces under HKCR\Interface: empty shells, unregistered type libraries and
// proxy/stub classes; and the walk that tells whether a key tree holds any value.
#include <algorithm>
#include <map>

#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"

namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;

}  // namespace

void CleanEngine::CountTreeValues(RootKey root, const std::string& path, TextList* listed) {
  PumpMessages();
  if (!Running || TreeValueCount > 0) return;
  const RegKey key(root, path, keyaccess::kRead);
  if (!key.IsOpen() && key.OpenStatus() != status::kFileNotFound) {
    // A key that is there but cannot be read proves nothing about what it holds.
    ++TreeValueCount;
    return;
  }
  CountKeyValues(key, root, path, listed);
}

void CleanEngine::CountKeyValues(const RegKey& key, RootKey root, const std::string& path,
                                 TextList* listed) {
  RegKeyInfo info;
  const bool queried = key.IsOpen() && Registry().QueryInfo(key.Handle(), info) == status::kSuccess;
  const TextList subKeys = queried ? key.SubKeyNames(info) : TextList();
  if (listed) *listed = subKeys;
  if (queried) {
    // Counted by the key itself: a value whose name the code page cannot hold still counts.
    TreeValueCount += static_cast<int32_t>(info.values);
    // Subkeys left out of the listing cannot be walked, so they are not proven empty either.
    if (subKeys.size() < info.subKeys) ++TreeValueCount;
  }
  for (const std::string& name : subKeys) {
    PumpMessages();
    if (!name.empty() && TreeValueCount == 0) CountTreeValues(root, path + name + "\\");
  }
}

void CleanEngine::CheckInterfaces(const RegistryView& view) {
  const JudgedBy judged(ContextOf(kRoot));
  TextList names;
  ListSubKeys(kRoot, view.KeyPath(kRoot, "\\Interface\\"), names);
  // Thousands of interfaces share a few type libraries and proxy/stub classes: whether each is
  // registered is asked once per view.
  std::map<std::string, bool> known;
  const auto registered = [&](const std::string& path) {
    const auto [entry, isNew] = known.try_emplace(UpperAscii(path), false);
    if (isNew) entry->second = KeyExists(kRoot, path);
    return entry->second;
  };
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty()) return;
    const std::string shown = "\\Interface\\" + name;
    const std::string c = view.KeyPath(kRoot, shown);
    // Opened as a removal needs it; the same handle lists and counts what the key holds.
    const RegKey key(kRoot, c, keyaccess::kAllAccess);
    if (!key.IsOpen()) return;

    auto removeWhole = [&](const Rule& rule) {
      RepairKey(kComActiveX, kRoot, c, {DeleteKeyLine(kRoot, c), ""},
                DetailLine(view, kRoot, shown, "deleted"), rule);
    };
    TreeValueCount = 0;
    TextList subKeys;
    CountKeyValues(key, kRoot, c + "\\", &subKeys);
    // A walk that a stop cut short has not shown the key to be empty.
    if (!Running) return;
    if (TreeValueCount == 0) {
      removeWhole({"empty key", ""});
      return;
    }

    // Most interfaces have no type library or proxy/stub key of each kind, and asking for one
    // that is not there is a trip to the registry all the same: only listed keys are read.
    for (std::string& subKey : subKeys) subKey = UpperAscii(subKey);
    const auto read = [&](const std::string& subkey) {
      const bool there =
          std::find(subKeys.begin(), subKeys.end(), UpperAscii(subkey)) != subKeys.end();
      return there ? ReadStringUpper(kRoot, c + "\\" + subkey, "") : std::string();
    };
    const std::string typeLib = read("TypeLib");
    const std::string proxyStub = read("ProxyStubClsid");
    const std::string proxyStub32 = read("ProxyStubClsid32");
    if (!typeLib.empty() && !registered("TypeLib\\" + typeLib)) {
      removeWhole({"type library not registered", ReadString(kRoot, c + "\\TypeLib", "")});
      return;
    }
    const std::pair<const std::string*, const char*> proxies[] = {
        {&proxyStub, "\\ProxyStubClsid"}, {&proxyStub32, "\\ProxyStubClsid32"}};
    // A proxy/stub class is looked for among the classes of the interface's own view.
    for (const auto& [clsid, subkey] : proxies) {
      if (clsid->empty() || registered(view.KeyPath(kRoot, "\\CLSID\\" + *clsid))) continue;
      const std::string proxyKey = c + subkey;
      RepairKey(kComActiveX, kRoot, proxyKey, {DeleteKeyLine(kRoot, proxyKey), ""},
                DetailLine(view, kRoot, shown + subkey + "=" + *clsid, "deleted"),
                {"proxy/stub class not registered", ReadString(kRoot, proxyKey, "")});
    }
  });
}
