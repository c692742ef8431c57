// Category 2, COM classes: each class's server file and type library under HKCR\CLSID.
#include "engine/CleanEngine.h"
#include "engine/FileFacts.h"
#include "engine/RepairLines.h"
#include "engine/RunMessages.h"
#include "engine/TrustedFiles.h"
#include "engine/WindowsFolders.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"
#include "undo/UndoJournal.h"

namespace {

constexpr RootKey kRoot = RootKey::ClassesRoot;
// A class naming this type library is never touched.
constexpr const char* kExcludedTypeLib = "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}";

// The index lists what this 64-bit program sees; a 32-bit server is only pointed at a file that
// a 32-bit program reaches at that path (a 64-bit-only System32 file is none).
bool ReachedAt(const std::string& path, const RegistryView& view) {
  return !view.Is32Bit() || NamedFileExists(RedirectedFor32Bit(path));
}

constexpr std::string_view kServerMissing = "server file missing";
constexpr std::string_view kServerMoved = "server moved";
constexpr std::string_view kNoTrustedCopy = "server copy not trusted";
// Said in the Details line of a server removed because every copy of its file may be changed
// by programs without elevation.
constexpr std::string_view kNoTrustedCopyNote = " (no trusted copy)";

// The copies of a missing server's file that the index holds.
struct ServerCopy {
  std::string path;            // where it moved; "" when it is gone
  bool untrustedSeen = false;  // a copy was passed over: standard users may change it
};

// Where a missing server moved: the first folder of the index that holds its file where no
// program without elevation can change it, when the view's programs reach it there.
ServerCopy MovedServer(const SystemFileIndex& index, const std::string& file,
                       const RegistryView& view) {
  ServerCopy copy;
  for (int line = index.Find(file); line >= 0; line = index.NextOfName(line)) {
    const std::string path = index.FolderOf(line) + file;
    if (!ReachedAt(path, view)) break;
    if (StandardUsersCannotChange(view.Is32Bit() ? RedirectedFor32Bit(path) : path)) {
      copy.path = path;
      break;
    }
    copy.untrustedSeen = true;
  }
  return copy;
}

}  // namespace

void CleanEngine::SettleServerRepairs(const ::SystemFileIndex* index) {
  // From the last: a moved server's repair has one script line more than a removal, so the
  // lines of the repairs before it stay where they are.
  const auto named = static_cast<ptrdiff_t>(serversNotSearched_.size());
  for (; !waitingServers_.empty(); waitingServers_.pop_back()) {
    const ServerRepair& repair = waitingServers_.back();
    Finding& finding = repair.twin ? twins_[repair.finding].finding : findings_[repair.finding];
    const bool scripted = repair.scriptLine != kNoScriptLine;
    const auto script =
        FixScript.begin() + static_cast<ptrdiff_t>(scripted ? repair.scriptLine : 0);
    if (index == nullptr) {
      LeftInPlace(finding, runmsg::kNotSearched);
      serversNotSearched_.insert(serversNotSearched_.begin() + named, ItemName(finding));
      if (scripted) FixScript.erase(script, script + 2);
      continue;
    }
    const ServerCopy copy = MovedServer(*index, repair.file, repair.view);
    if (copy.path.empty()) {
      // Removed as a gone server; its line and the report say why the copy was not taken.
      if (copy.untrustedSeen) {
        finding.rule = std::string(kNoTrustedCopy);
        NoteInDetail(finding, kNoTrustedCopyNote);
      }
      continue;
    }
    const std::string& moved = copy.path;
    // The server moved: the registration points at the first folder that holds the file.
    finding.rule = std::string(kServerMoved);
    finding.newPath = moved;
    if (!scripted) continue;
    *script = KeyLine(kRoot, repair.serverKey);
    FixScript.insert(script + 1, "@=\"" + EscapeBackslashes(moved) + "\"");
  }
}

void CleanEngine::CheckCOM(const RegistryView& view) {
  const JudgedBy judged(ContextOf(kRoot));
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
      // A server found only in the index has moved: that is this check's repair.
      if (!ReferencedFileIsSound(server, path, view.programs, {.lastPlace = false})) {
        // While the walk goes on, the class is repaired as a removal now and its moved file is
        // looked for once the index is whole; the check goes on beside the walk meanwhile.
        const bool built = indexBuild_.Ended();
        const ::SystemFileIndex* index = built ? BuiltSystemFileIndex() : nullptr;
        // A stop cut the index short: nothing is judged by a partial index.
        if (built && index == nullptr) return;
        const std::string file = FileNamePart(path);
        const std::string serverKey = c + "\\" + kind;
        const size_t finding = findings_.size();
        const size_t twin = twins_.size();
        const size_t scriptLine = lastRun_ == RunMode::Scan ? kNoScriptLine : FixScript.size();
        const bool repaired =
            RepairKey(kComActiveX, kRoot, c, {DeleteKeyLine(kRoot, serverKey), ""},
                      DetailLine(view, kRoot, shown + "\\" + kind + "=" + file, "fixed"),
                      {kServerMissing, ReadString(kRoot, serverKey, ""), serverKey});
        if (repaired) {
          const bool isTwin = twins_.size() > twin;
          waitingServers_.push_back(
              {view, file, serverKey, isTwin ? twin : finding, isTwin, scriptLine});
        }
        if (built) SettleServerRepairs(index);
      }
    }

    if (!typeLib.empty() && !KeyExists(kRoot, "TypeLib\\" + typeLib)) {
      const std::string typeLibKey = c + "\\TypeLib";
      RepairKey(kComActiveX, kRoot, typeLibKey, {DeleteKeyLine(kRoot, typeLibKey), ""},
                DetailLine(view, kRoot, shown + "\\TypeLib=" + typeLib, "deleted"),
                {"type library not registered", ReadString(kRoot, typeLibKey, "")});
    }
  });
}
