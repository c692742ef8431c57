// Category 2, type libraries under HKCR\Typelib: empty shells, and an empty help folder entry
// of a library's first version.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "platform/RegistryOps.h"

namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;

// Never touched, compared exactly as listed: a lower-case spelling is examined like any other.
bool IsExcluded(const std::string& name) {
  return name == "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}" ||
         name == "{43136EB0-D36C-11CF-ADBC-00AA00A80033}";
}

}  // namespace

void CleanEngine::CheckTypeLib() {
  const JudgedBy judged(ContextOf(RootKey::ClassesRoot));
  TextList names;
  TextList versions;
  ListSubKeys(kRoot, "\\Typelib\\", names);
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty() || IsExcluded(name)) return;
    const std::string c = "\\Typelib\\" + name;
    if (!CanOpenFullAccess(kRoot, c)) return;

    TreeValueCount = 0;
    CountTreeValues(kRoot, c + "\\");
    // A walk that a stop cut short has not shown the key to be empty.
    if (!Running) return;
    if (TreeValueCount == 0) {
      RepairKey(kComActiveX, kRoot, c, {DeleteKeyLine(kRoot, c), ""},
                DetailLine(kRoot, c, "deleted"), {"empty key", ""});
      return;
    }

    if (ListSubKeys(kRoot, c, versions) == 0) return;
    const std::string helpDir = c + "\\" + versions.front() + "\\HELPDIR";
    if (!KeyExists(kRoot, helpDir)) return;
    if (!ReadStringUpper(kRoot, helpDir, "").empty()) return;
    RepairKey(kComActiveX, kRoot, helpDir, {DeleteKeyLine(kRoot, helpDir), ""},
              DetailLine(kRoot, helpDir, "deleted"), {"empty help folder", ""});
  });
}
