// The walk below the user's software branch: string values that look like paths of files or
// folders that no longer exist are deleted at once.
#include <algorithm>

#include "engine/CleanEngine.h"
#include "engine/FileJudgement.h"
#include "engine/RepairLines.h"
#include "engine/WindowsFolders.h"
#include "platform/Paths.h"
#include "platform/RegistryOps.h"

namespace {

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Tested on the path text before the key is opened, so an excluded branch costs nothing.
bool IsExcludedBranch(const std::string& path) {
  const std::string upper = UpperAscii(path);
  return Contains(upper, "MICROSOFT") || Contains(upper, "CLASSES");
}

bool IsPathLike(const std::string& data) {
  return data.size() >= 5 && Contains(data, ":") && Contains(data, "\\") &&
         data.find_first_of("~$") == std::string::npos &&
         std::count(data.begin(), data.end(), ',') <= 1;
}

bool NamesSomethingThatExists(const std::string& data) {
  if (FolderExists(data) || FileExists(data)) return true;
  if (FoundInWindowsFolders(FileNamePart(CommandToFilePath(data)))) return true;
  return MayStillExist(data, true);
}

}  // namespace

void CleanEngine::ScanApplicationsHistory(RootKey owner, const std::string& path) {
  const OwnerContext& context = ContextOf(owner);
  const JudgedBy judged(context);
  ScanHistoryBranch(context.Root(owner), context.Key(owner, path));
}

void CleanEngine::ScanHistoryBranch(RootKey root, const std::string& path) {
  if (!BeginItem()) return;
  if (IsExcludedBranch(path)) return;
  // This level's key stays open while the levels below are walked.
  const RegKey key(root, path, keyaccess::kAllAccess);
  const TextList subKeys = key.SubKeyNames();
  // Detail lines tag any root but a user's as the machine's.
  const bool users = root == RootKey::CurrentUser || root == RootKey::Users;
  const RootKey tagRoot = users ? root : RootKey::LocalMachine;
  ForEachItem(key.ValueNames(), kNoGauge, [&](const std::string& name) {
    uint32_t type = regtype::kNone;
    std::string data;
    // Text the code page cannot hold unchanged is not judged: its '?' would name another path.
    if (key.QueryText(name, type, data) != status::kSuccess) return;
    if (type != regtype::kSz && type != regtype::kExpandSz) return;
    if (!IsPathLike(data)) return;
    // A path on drive A: goes untested; other data that merely begin with "A" ("Archive C:\...")
    // are tested like the rest.
    if (!data.starts_with("A:") && NamesSomethingThatExists(data)) return;
    QueueValueRemoval(root, path, name, DetailLine(tagRoot, path + name, "deleted"),
                      {"file missing", data});
  });
  RemoveQueuedValues(key);
  for (const std::string& subKey : subKeys) {
    if (!subKey.empty()) ScanHistoryBranch(root, path + subKey + "\\");
  }
}
