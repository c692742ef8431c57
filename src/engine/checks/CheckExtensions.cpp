// Category 1: extension keys whose file type has no key of its own.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "platform/RegScript.h"
#include "platform/RegistryOps.h"

void CleanEngine::CheckExtensions(RootKey root, const std::string& path) {
  const JudgedBy judged(ContextOf(root));
  TextList names;
  if (ListSubKeys(root, path, names) == 0) return;
  // Every subkey counts in the progress, extension or not.
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty() || name[0] != '.') return;
    const std::string key = path + name;
    const std::string type = ReadStringUpper(root, key, "");
    if (type.empty()) return;
    if (KeyExists(root, path + type)) return;
    // A machine-wide extension whose type the user registered still works for this user
    // through the merged classes view: removing it would break a working association. Another
    // user's classes merge with the machine's alone.
    if (root == RootKey::Users
            ? KeyExists(RootKey::LocalMachine, "\\SOFTWARE\\Classes\\" + type)
            : root != RootKey::ClassesRoot && KeyExists(RootKey::ClassesRoot, "\\" + type)) {
      return;
    }
    if (!CanOpenFullAccess(root, key)) return;
    RepairKey(kAssociations, root, key, {DeleteKeyLine(root, key), ""},
              DetailLine(root, key, "fixed"), {"type not registered", ReadString(root, key, "")});
  });
}
