// Category 4: entries of the machine's list of installed programs that offer no way to
// uninstall the program.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "platform/RegKey.h"
#include "platform/RegScript.h"
#include "platform/RegistryOps.h"

namespace {
constexpr RootKey kRoot = RootKey::LocalMachine;
const char* const kUninstallList = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Names and display names holding a braced identifier belong to installers that manage them.
bool HasBothBraces(const std::string& text) {
  return text.find('{') != std::string::npos && text.find('}') != std::string::npos;
}

// A flag that cannot be read (a REG_DWORD of more than four bytes, or one changed while it was
// read) may still protect the entry: it is left alone, and the run goes on with the next one.
bool IsFlagged(const RegKey& entry, const char* name) {
  try {
    return ReadDword(entry, name) == 1;
  } catch (const RegistryError&) {
    return true;
  }
}

// The tests that leave an entry alone. An entry the run may not delete is left alone whatever
// its values say, so one handle with full access reads them all.
bool IsLeftAlone(const std::string& key) {
  const RegKey entry(kRoot, key, keyaccess::kAllAccess);
  if (!entry.IsOpen()) return true;
  if (HasBothBraces(UpperAscii(ReadString(entry, "DisplayName")))) return true;
  if (IsFlagged(entry, "NoRemove")) return true;
  if (IsFlagged(entry, "SystemComponent")) return true;
  // Either command keeps the entry; only its presence counts, not the file it names.
  return !ReadString(entry, "UninstallString").empty() ||
         !ReadString(entry, "QuietUninstallString").empty();
}
}  // namespace

void CleanEngine::CheckUninstall(const RegistryView& view) {
  const JudgedBy judged(ContextOf(RootKey::LocalMachine));
  const std::string list = view.KeyPath(kRoot, kUninstallList);
  TextList names;
  if (ListSubKeys(kRoot, list, names) == 0) return;
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty() || HasBothBraces(name)) return;
    const std::string key = list + name;
    if (IsLeftAlone(key)) return;
    RepairKey(kUninstall, kRoot, key, {DeleteKeyLine(kRoot, key), ""},
              DetailLine(view, kRoot, kUninstallList + name, "deleted"),
              {"no uninstall command", ""});
  });
}
