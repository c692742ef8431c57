// Category 1: extension keys whose file type has no key of its own.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "platform/RegUnit.h"
#include "undo/RegScript.h"

void CleanEngine::CheckExtensions(RootKey root, const std::string& path) {
  TextList names;
  if (ListSubKeys(root, path, names) == 0) return;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!BeginItem()) continue;
    // Every subkey counts in the progress, extension or not.
    StepProgress(static_cast<int>(i), static_cast<int>(names.size()));
    const std::string& name = names[i];
    if (name.empty() || name[0] != '.') continue;
    const std::string key = path + name;
    const std::string type = ReadStringUpper(root, key, "");
    if (type.empty()) continue;
    if (KeyExists(root, path + type)) continue;
    // A machine-wide extension whose type the user registered still works for this user
    // through the merged classes view: removing it would break a working association.
    if (root != RootKey::ClassesRoot && KeyExists(RootKey::ClassesRoot, "\\" + type)) continue;
    if (!CanOpenFullAccess(root, key)) continue;
    RepairKey(kAssociations, root, key, {DeleteKeyLine(root, key), ""},
              DetailLine(root, key, "fixed"));
  }
}
