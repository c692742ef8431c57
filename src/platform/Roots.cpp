#include "platform/Roots.h"

#include "platform/RegistryOps.h"

const RootInfo kRoots[4] = {
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT", "[HKCR]"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER", "[HKCU]"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE", "[HKLM]"},
    {RootKey::Users, "HKEY_USERS", "[HKU]"},
};

namespace {
const RootInfo* Find(RootKey root) {
  for (const RootInfo& info : kRoots) {
    if (info.root == root) return &info;
  }
  return nullptr;
}
}  // namespace

std::string_view RootKeyName(RootKey root) {
  const RootInfo* info = Find(root);
  return info ? info->name : std::string_view{};
}

std::string_view RootTag(RootKey root) {
  const RootInfo* info = Find(root);
  return info ? info->shortTag : std::string_view{};
}

std::string KeyDisplayName(RootKey root, std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  std::string text(RootKeyName(root));
  if (!path.empty()) text.append("\\").append(path);
  return text;
}

std::string ValueDisplayName(RootKey root, std::string_view path, std::string_view name) {
  return KeyDisplayName(root, path) +
         (name.empty() ? ", default value" : ", value \"" + std::string(name) + "\"");
}

std::optional<RootKey> RootFromName(std::string_view name) {
  for (const RootInfo& info : kRoots) {
    if (UpperAscii(std::string(name)) == info.name) return info.root;
  }
  return std::nullopt;
}
