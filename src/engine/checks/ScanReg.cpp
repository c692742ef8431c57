// The history keys of the current user: every plain string value directly in each key goes.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"

void CleanEngine::ScanReg(const std::string& path) {
  const JudgedBy judged(ContextOf(RootKey::CurrentUser));
  const RegKey key(RootKey::CurrentUser, path, keyaccess::kAllAccess);
  if (!key.IsOpen()) return;
  ForEachItem(key.ValueNames(), kNoGauge, [&](const std::string& name) {
    uint32_t type = regtype::kNone;
    Bytes data;
    if (key.Query(name, type, data) != status::kSuccess || type != regtype::kSz) return;
    QueueValueRemoval(RootKey::CurrentUser, path, name,
                      DetailLine(RootKey::CurrentUser, path + "\\" + name, "deleted"),
                      {"history list", StringData(data)});
  });
  RemoveQueuedValues(key);
}
