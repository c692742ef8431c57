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

}  // namespace

void CleanEngine::CheckCOM() {
  TextList names;
  ListSubKeys(kRoot, "\\CLSID\\", names);
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty()) return;
    const std::string c = "\\CLSID\\" + name;
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
      const std::string path = CommandToFilePath(server);
      if (!ReferencedFileIsSound(server, path)) {
        const std::string file = FileNamePart(path);
        const std::string serverKey = c + "\\" + kind;
        const std::string detail = serverKey + "=" + file;
        const int line = SystemFileIndex.Find(file);
        if (line >= 0) {
          // The server moved: point the registration at the first folder that holds the file.
          const std::string value =
              "@=\"" + EscapeBackslashes(SystemFileIndex.FolderOf(line)) + file + "\"";
          RepairKey(kComActiveX, kRoot, c, {KeyLine(kRoot, serverKey), value, ""},
                    DetailLine(kRoot, detail, "fixed"));
        } else {
          RepairKey(kComActiveX, kRoot, c, {DeleteKeyLine(kRoot, serverKey), ""},
                    DetailLine(kRoot, detail, "fixed"));
        }
      }
    }

    if (!typeLib.empty() && !KeyExists(kRoot, "TypeLib\\" + typeLib)) {
      const std::string typeLibKey = c + "\\TypeLib";
      RepairKey(kComActiveX, kRoot, typeLibKey, {DeleteKeyLine(kRoot, typeLibKey), ""},
                DetailLine(kRoot, typeLibKey + "=" + typeLib, "deleted"));
    }
  });
}
