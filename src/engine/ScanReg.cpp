// The history keys of the current user: every plain string value directly in each key goes.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "engine/RunMessages.h"
#include "platform/Paths.h"
#include "undo/UndoJournal.h"

void CleanEngine::ScanReg(const std::string& path) {
  const RegKey key(RootKey::CurrentUser, path, keyaccess::kAllAccess);
  if (!key.IsOpen()) return;
  ForEachItem(key.ValueNames(), kNoGauge, [&](const std::string& name) {
    uint32_t type = regtype::kNone;
    Bytes data;
    if (key.Query(name, type, data) != status::kSuccess || type != regtype::kSz) return;
    RemoveValueNow(RootKey::CurrentUser, path, key, name,
                   DetailLine(RootKey::CurrentUser, path + "\\" + name, "deleted"),
                   {"history list", StringData(data)});
  });
}

// A value deleted at once has no later import to wait for, so its backup must already be in
// the undo file on disk: a crash or a kill after the deletion then still leaves the way back.
bool CleanEngine::RemoveValueNow(RootKey root, const std::string& keyPath, const RegKey& key,
                                 const std::string& name, const std::string& detail,
                                 const Rule& rule) {
  Finding* finding = Judge(kTemporary, root, keyPath, &name, rule);
  if (!finding) return false;
  if (lastRun_ == RunMode::Scan) return Found(*finding, detail);
  if (!BackupValue(root, keyPath, name) ||
      SaveUndoFile(UndoDir() + UndoFileName, UndoJournal) != status::kSuccess) {
    return LeftWithoutBackup(*finding, ValueDisplayName(root, keyPath, name));
  }
  journalLinesOnDisk_ = UndoJournal.size();
  if (key.Delete(name) != status::kSuccess) {
    deletionRefused_.push_back(ValueDisplayName(root, keyPath, name));
    return LeftInPlace(*finding, runmsg::kNotDeleted);
  }
  Record(*finding, detail);
  return true;
}
