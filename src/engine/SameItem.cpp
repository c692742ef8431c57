#include "engine/SameItem.h"

#include "engine/Exclusions.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"

std::string StoredItem(RootKey root, const std::string& keyPath, const std::string* valueName) {
  const Exclusions::Entry entry = Exclusions::EntryFor(root, keyPath, valueName);
  std::string owner(RootKeyName(root));
  // The merged view shows the user's key where there is one, else the machine's.
  if (root == RootKey::ClassesRoot) {
    const bool users =
        KeyExists(RootKey::CurrentUser, "\\Software\\Classes\\" + StripLeadingBackslash(keyPath));
    owner = RootKeyName(users ? RootKey::CurrentUser : RootKey::LocalMachine);
  }
  std::string item = owner + "|" + entry.key;
  if (entry.isValue) item += "|" + entry.value;
  return item;
}
