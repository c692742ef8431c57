// Category 2, program identifiers and other class keys at the root of HKCR: the class they name,
// their icon file, and the programs of their open and edit verbs.
#include "engine/CleanEngine.h"
#include "engine/RegistryView.h"
#include "engine/RepairLines.h"
#include "engine/WindowsFolders.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"

namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;
constexpr const char* kExcludedClass = "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}";

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Only values that mention an executable or a library name a file worth looking for.
bool NamesAFile(const std::string& value) {
  return Contains(value, "EXE") || Contains(value, "DLL");
}

// Commands run through RUNDLL32 or the shell's explorer name their real target elsewhere.
bool CommandIsTested(const std::string& command) {
  return !command.empty() && !Contains(command, "RUNDLL32") && !Contains(command, "EXPLOR") &&
         NamesAFile(command);
}

// Program identifiers are shared by both views: the class they name may be a 32-bit one.
bool ClassIsRegistered(const std::string& clsid) {
  const std::string key = "\\CLSID\\" + clsid;
  return KeyExists(kRoot, k64BitView.KeyPath(kRoot, key)) ||
         KeyExists(kRoot, k32BitView.KeyPath(kRoot, key));
}

}  // namespace

void CleanEngine::CheckActiveX() {
  const JudgedBy judged(ContextOf(RootKey::ClassesRoot));
  TextList names;
  ListSubKeys(kRoot, "\\", names);
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty() || name[0] == '.' || UpperAscii(name) == "CLSID" || IsViewNode(name)) return;
    const std::string p = "\\" + name;
    if (!CanOpenFullAccess(kRoot, p)) return;

    const std::string clsid = ReadStringUpper(kRoot, p + "\\CLSID", "");
    if (clsid == kExcludedClass) return;
    const std::string icon = ReadStringUpper(kRoot, p + "\\DefaultIcon", "");
    const std::string open = ReadStringUpper(kRoot, p + "\\shell\\open\\command", "");
    const std::string edit = ReadStringUpper(kRoot, p + "\\shell\\edit\\command", "");

    if (!clsid.empty() && !ClassIsRegistered(clsid)) {
      // The icon and verbs go with the whole key; they are not judged on their own.
      RepairKey(kComActiveX, kRoot, p, {DeleteKeyLine(kRoot, p), ""},
                DetailLine(kRoot, p, "deleted"),
                {"class not registered", ReadString(kRoot, p + "\\CLSID", "")});
      return;
    }

    auto removeSubkey = [&](const std::string& subkey, const std::string& path) {
      const std::string key = p + subkey;
      RepairKey(kComActiveX, kRoot, key, {DeleteKeyLine(kRoot, key), ""},
                DetailLine(kRoot, key + "=" + FileNamePart(path), "deleted"),
                {"file missing", ReadString(kRoot, key, "")});
    };

    // The icon has neither the RUNDLL32/EXPLOR exclusion nor the "%" guard of the commands.
    if (!icon.empty() && NamesAFile(icon)) {
      const std::string path = CommandToFilePath(icon);
      if (!ReferencedFileIsSound(icon, path)) removeSubkey("\\DefaultIcon", path);
    }
    const std::pair<const std::string*, const char*> verbs[] = {{&open, "\\shell\\open\\command"},
                                                                {&edit, "\\shell\\edit\\command"}};
    for (const auto& [command, subkey] : verbs) {
      if (!CommandIsTested(*command)) continue;
      const std::string path = CommandToFilePath(*command);
      // A folder variable left unreplaced: the command is not judged.
      if (!path.empty() && path[0] == '%') continue;
      if (!ReferencedFileIsSound(*command, path)) removeSubkey(subkey, path);
    }
  });
}
