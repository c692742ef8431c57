// The history keys of the user being judged: every plain string value directly in each key goes.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"

void CleanEngine::ScanReg(const std::string& list) {
  const OwnerContext& context = ContextOf(RootKey::CurrentUser);
  const JudgedBy judged(context);
  const RootKey root = context.Root(RootKey::CurrentUser);
  const std::string path = context.Key(RootKey::CurrentUser, list);
  const RegKey key(root, path, keyaccess::kAllAccess);
  if (!key.IsOpen()) return;
  ForEachItem(key.ValueNames(), kNoGauge, [&](const std::string& name) {
    uint32_t type = regtype::kNone;
    Bytes data;
    if (key.Query(name, type, data) != status::kSuccess || type != regtype::kSz) return;
    QueueValueRemoval(root, path, name, DetailLine(root, path + "\\" + name, "deleted"),
                      {"history list", StringData(data)});
  });
  RemoveQueuedValues(key);
}
