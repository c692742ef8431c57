// Category 2, COM classes: each class's server file and type library under HKCR\CLSID.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "engine/WindowsFolders.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"

namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;
// A class naming this type library is never touched.
constexpr const char* kExcludedTypeLib = "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}";

// The index lists what this 64-bit program sees; a 32-bit server is only pointed at a file that
// a 32-bit program reaches at that path (a 64-bit-only System32 file is none).
bool ReachedAt(const std::string& path, const RegistryView& view) {
  return !view.Is32Bit() || FileExists(RedirectedFor32Bit(path));
}

}  // namespace

void CleanEngine::CheckCOM(const RegistryView& view) {
  TextList names;
  ListSubKeys(kRoot, view.KeyPath(kRoot, "\\CLSID\\"), names);
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty()) return;
    // The key's physical path goes into backups and the script; the details name it as a
    // program of the view does.
    const std::string shown = "\\CLSID\\" + name;
    const std::string c = view.KeyPath(kRoot, shown);
    if (!CanOpenFullAccess(kRoot, c)) return;

    std::string kind = "InprocServer32";
    std::string server = ReadStringUpper(kRoot, c + "\\InprocServer32", "");
    if (server.empty()) {
      kind = "LocalServer32";
      server = ReadStringUpper(kRoot, c + "\\LocalServer32", "");
    }
    const std::string typeLib = ReadStringUpper(kRoot, c + "\\TypeLib", "");
    if (typeLib == kExcludedTypeLib) return;

    if (!server.empty()) {
      const std::string path = CommandToFilePath(server, view.programs);
      if (!ReferencedFileIsSound(server, path, view.programs)) {
        const std::string file = FileNamePart(path);
        const std::string serverKey = c + "\\" + kind;
        const std::string detail =
            DetailLine(view, kRoot, shown + "\\" + kind + "=" + file, "fixed");
        const ::SystemFileIndex* index = BuiltSystemFileIndex();
        if (index == nullptr) return;
        const int line = index->Find(file);
        if (line >= 0 && ReachedAt(index->FolderOf(line) + file, view)) {
          // The server moved: point the registration at the first folder that holds the file.
          const std::string moved = index->FolderOf(line) + file;
          const std::string value = "@=\"" + EscapeBackslashes(moved) + "\"";
          RepairKey(kComActiveX, kRoot, c, {KeyLine(kRoot, serverKey), value, ""}, detail,
                    {"server moved", server, serverKey, moved});
        } else {
          RepairKey(kComActiveX, kRoot, c, {DeleteKeyLine(kRoot, serverKey), ""}, detail,
                    {"server file missing", server, serverKey});
        }
      }
    }

    if (!typeLib.empty() && !KeyExists(kRoot, "TypeLib\\" + typeLib)) {
      const std::string typeLibKey = c + "\\TypeLib";
      RepairKey(kComActiveX, kRoot, typeLibKey, {DeleteKeyLine(kRoot, typeLibKey), ""},
                DetailLine(view, kRoot, shown + "\\TypeLib=" + typeLib, "deleted"),
                {"type library not registered", typeLib});
    }
  });
}
