#include "platform/Roots.h"

#include "platform/RegUnit.h"

const RootInfo kRoots[3] = {
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT", "[HKCR]"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER", "[HKCU]"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE", "[HKLM]"},
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

std::optional<RootKey> RootFromName(std::string_view name) {
  for (const RootInfo& info : kRoots) {
    if (UpperAscii(std::string(name)) == info.name) return info.root;
  }
  return std::nullopt;
}
