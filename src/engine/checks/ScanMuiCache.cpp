// The shell's cache of program names: for each program it has shown, a value named after the
// program's path holds its name or its maker. Entries of programs that are gone are deleted at
// once, as the rest of category 5.
#include <array>
#include <string_view>

#include "engine/CleanEngine.h"
#include "engine/FileJudgement.h"
#include "engine/RepairLines.h"

namespace {

// Below the user's classes: HKEY_CURRENT_USER\Software\Classes for the running user, the classes
// hive of another.
constexpr char kMuiCache[] = "\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
constexpr std::array<std::string_view, 2> kPathSuffixes = {".FriendlyAppName",
                                                           ".ApplicationCompany"};

// The program's path a value is named after; "" for every other value (resource references
// beginning with "@", the "LangID" marker and whatever else the shell keeps there).
std::string ProgramPathOf(const std::string& name) {
  if (name.starts_with("@") || name.starts_with("LangID")) return {};
  for (std::string_view suffix : kPathSuffixes) {
    if (name.size() > suffix.size() && name.ends_with(suffix)) {
      return name.substr(0, name.size() - suffix.size());
    }
  }
  return {};
}

}  // namespace

void CleanEngine::ScanMuiCache() {
  const OwnerContext& context = ContextOf(RootKey::CurrentUser);
  const JudgedBy judged(context);
  const UserHive& user = context.hive;
  const RootKey root = user.root;
  if (root == RootKey::Users && user.classesBase.empty()) return;
  const std::string path =
      (root == RootKey::Users ? user.classesBase : std::string("\\Software\\Classes")) + kMuiCache;
  const RegKey key(root, path, keyaccess::kAllAccess);
  if (!key.IsOpen()) return;
  ForEachItem(key.ValueNames(), kNoGauge, [&](const std::string& name) {
    const std::string program = ProgramPathOf(name);
    if (!LocalProgramIsMissing(NamedFilePath(program)) || MayStillExist(program, true)) return;
    uint32_t type = regtype::kNone;
    std::string data;
    // Text the code page cannot hold unchanged is not judged.
    if (key.QueryText(name, type, data) != status::kSuccess) return;
    QueueValueRemoval(root, path, name, DetailLine(root, path + "\\" + name, "deleted"),
                      {"cached program missing", data});
  });
  RemoveQueuedValues(key);
}
