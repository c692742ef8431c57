// Category 6: where programs register files by name for the shell and the system to find them:
// application paths, fonts and help files. Each entry is judged by the one file it names.
#include <array>

#include "engine/CleanEngine.h"
#include "engine/FileJudgement.h"
#include "engine/ProgramSearch.h"
#include "engine/RepairLines.h"
#include "platform/Platform.h"
#include "platform/RegScript.h"
#include "platform/RegistryOps.h"

namespace {

constexpr char kAppPaths[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kFonts[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr std::array<const char*, 2> kHelpLists = {"\\SOFTWARE\\Microsoft\\Windows\\Help",
                                                   "\\SOFTWARE\\Microsoft\\Windows\\HTML Help"};
// Where Windows 10 (1809 and later) keeps the fonts a user installed without elevation.
constexpr char kUserFontsFolder[] = "%LOCALAPPDATA%\\Microsoft\\Windows\\Fonts\\";

// The string data of a value; false when there is none, or text the code page cannot hold.
bool ReadText(const RegKey& key, const std::string& name, std::string& text) {
  uint32_t type = regtype::kNone;
  return key.QueryText(name, type, text) == status::kSuccess &&
         (type == regtype::kSz || type == regtype::kExpandSz);
}

// A bare name is looked for in the Windows Fonts folder, and for a user's font also in that
// user's own fonts folder; a path is taken as it stands.
bool FontFileIsMissing(const std::string& text, const std::string& userFolder) {
  const std::string name = UnquotedText(text);
  if (!IsBareFileName(name)) return LocalFileIsMissing(NamedFilePath(text));
  if (!LocalFileIsMissing(WindowsDir() + "Fonts\\" + name)) return false;
  return userFolder.empty() || LocalFileIsMissing(NamedFilePath(userFolder + name));
}

}  // namespace

void CleanEngine::CheckAppPaths(RootKey owner) {
  const OwnerContext& context = ContextOf(owner);
  const JudgedBy judged(context);
  const RootKey root = context.Root(owner);
  const std::string list = context.Key(owner, kAppPaths);
  TextList names;
  if (ListSubKeys(root, list, names) == 0) return;
  ForEachItem(names, [&](const std::string& name) {
    if (name.empty()) return;
    const std::string key = list + name;
    if (!CanOpenFullAccess(root, key)) return;
    std::string text;
    if (!ReadText(RegKey(root, key, keyaccess::kRead), "", text)) return;
    const std::string bare = UnquotedText(text);
    if (IsBareFileName(bare)) {
      // A bare name is searched for as Windows does, but for this registration itself; then in
      // the index. A stop that cut the index short judges nothing.
      if (FindsBareProgram(bare, ProgramKind::k64Bit, {.appPaths = false, .lastPlace = false})) {
        return;
      }
      const ::SystemFileIndex* index = BuiltSystemFileIndex();
      if (index == nullptr || index->Find(bare) >= 0) return;
    } else if (!NamedProgramIsMissing(text)) {
      return;
    }
    RepairKey(kAppPathsFontsHelp, root, key, {DeleteKeyLine(root, key), ""},
              DetailLine(root, list + name, "deleted"), {"application missing", text});
  });
}

void CleanEngine::CheckFonts(RootKey owner) {
  const OwnerContext& context = ContextOf(owner);
  const JudgedBy judged(context);
  const RootKey root = context.Root(owner);
  const std::string list = context.Key(owner, kFonts);
  // Opened with full access: a list the user may not change is left as it is.
  const RegKey key(root, list, keyaccess::kAllAccess);
  if (!key.IsOpen()) return;
  const std::string userFolder =
      owner == RootKey::CurrentUser ? context.Expand(kUserFontsFolder) : "";
  ForEachItem(key.ValueNames(), [&](const std::string& name) {
    std::string text;
    if (name.empty() || !ReadText(key, name, text) || !FontFileIsMissing(text, userFolder)) return;
    RepairValue(kAppPathsFontsHelp, root, list, name,
                {KeyLine(root, list), DeleteValueLine(name), ""},
                DetailLine(root, list + "\\" + name, "deleted"), {"font file missing", text});
  });
}

void CleanEngine::CheckHelpFiles(const RegistryView& view) {
  const JudgedBy judged(ContextOf(RootKey::LocalMachine));
  constexpr RootKey kRoot = RootKey::LocalMachine;
  for (const char* list : kHelpLists) {
    ResetGauge();
    const std::string path = view.KeyPath(kRoot, list);
    const RegKey key(kRoot, path, keyaccess::kAllAccess);
    if (!key.IsOpen()) continue;
    // Each value names a help file; its data is the folder that holds it.
    ForEachItem(key.ValueNames(), [&](const std::string& name) {
      std::string text;
      if (!IsBareFileName(name) || !ReadText(key, name, text)) return;
      std::string file = NamedFilePath(text, view.programs);
      if (file.empty()) return;
      if (file.back() != '\\') file += '\\';
      if (!LocalFileIsMissing(file + name)) return;
      RepairValue(kAppPathsFontsHelp, kRoot, path, name,
                  {KeyLine(kRoot, path), DeleteValueLine(name), ""},
                  DetailLine(view, kRoot, std::string(list) + "\\" + name, "deleted"),
                  {"help file missing", text});
    });
  }
}
