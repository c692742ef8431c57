// Category 2, type libraries under HKCR\Typelib: empty shells, and an empty help folder entry
// of a library's first version.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "platform/RegUnit.h"

namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;

// Never touched, compared exactly as listed: a lower-case spelling is examined like any other.
bool IsExcluded(const std::string& name) {
  return name == "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}" ||
         name == "{43136EB0-D36C-11CF-ADBC-00AA00A80033}";
}

}  // namespace

void CleanEngine::CheckTypeLib() {
  TextList names;
  TextList versions;
  ListSubKeys(kRoot, "\\Typelib\\", names);
  for (size_t i = 0; i < names.size(); ++i) {
    if (!BeginItem()) continue;
    StepProgress(static_cast<int>(i), static_cast<int>(names.size()));
    const std::string& name = names[i];
    if (name.empty() || IsExcluded(name)) continue;
    const std::string c = "\\Typelib\\" + name;
    if (!CanOpenFullAccess(kRoot, c)) continue;

    TreeValueCount = 0;
    CountTreeValues(kRoot, c + "\\");
    // A walk that a stop cut short has not shown the key to be empty.
    if (!Running) continue;
    if (TreeValueCount == 0) {
      RepairKey(kComActiveX, kRoot, c, {DeleteKeyLine(kRoot, c), ""},
                DetailLine(kRoot, c, "deleted"));
      continue;
    }

    if (ListSubKeys(kRoot, c, versions) == 0) continue;
    const std::string helpDir = c + "\\" + versions.front() + "\\HELPDIR";
    if (!KeyExists(kRoot, helpDir)) continue;
    if (!ReadStringUpper(kRoot, helpDir, "").empty()) continue;
    RepairKey(kComActiveX, kRoot, helpDir, {DeleteKeyLine(kRoot, helpDir), ""},
              DetailLine(kRoot, helpDir, "deleted"));
  }
}
