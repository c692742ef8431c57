// Category 4: entries of the machine's list of installed programs that offer no way to
// uninstall the program.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
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
bool IsFlagged(const std::string& key, const char* name) {
  try {
    return ReadDword(kRoot, key, name) == 1;
  } catch (const RegistryError&) {
    return true;
  }
}

// The tests that leave an entry alone, in the order that decides which values are read.
bool IsLeftAlone(const std::string& key) {
  if (HasBothBraces(ReadStringUpper(kRoot, key, "DisplayName"))) return true;
  if (IsFlagged(key, "NoRemove")) return true;
  if (IsFlagged(key, "SystemComponent")) return true;
  if (!CanOpenFullAccess(kRoot, key)) return true;
  // Both commands are read; only their presence counts, not the file they name.
  const std::string command = ReadStringUpper(kRoot, key, "UninstallString");
  const std::string quietCommand = ReadStringUpper(kRoot, key, "QuietUninstallString");
  return !command.empty() || !quietCommand.empty();
}
}  // namespace

void CleanEngine::CheckUninstall(const RegistryView& view) {
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
