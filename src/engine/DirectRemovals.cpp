// Category 5 deletes values at once. A value deleted at once has no later import to wait for,
// so its backup must already be in the undo file on disk: a crash or a kill after the deletion
// then still leaves the way back. A key's values go together: every backup is appended and
// flushed in one write, then the values are deleted, so a key of many thousand values costs one
// write and one flush instead of one per value.
#include "engine/CleanEngine.h"
#include "engine/RunMessages.h"
#include "platform/Paths.h"
#include "platform/Roots.h"
#include "undo/UndoJournal.h"

bool CleanEngine::QueueValueRemoval(RootKey root, const std::string& keyPath,
                                    const std::string& name, const std::string& detail,
                                    const Rule& rule) {
  Finding* finding = Judge(kTemporary, root, keyPath, &name, rule);
  if (!finding) return false;
  if (lastRun_ == RunMode::Scan) return Found(*finding, detail);
  queuedValues_.push_back({static_cast<size_t>(finding - findings_.data()), detail});
  return true;
}

void CleanEngine::RemoveQueuedValues(const RegKey& key) {
  std::vector<QueuedValue> queued = std::move(queuedValues_);
  queuedValues_.clear();
  if (queued.empty()) return;
  std::vector<bool> backedUp;
  backedUp.reserve(queued.size());
  for (const QueuedValue& q : queued) {
    const Finding& f = findings_[q.finding];
    backedUp.push_back(BackupValue(key, f.root, f.keyPath, f.valueName));
  }
  const bool onDisk = undoFile_.Write(UndoDir() + UndoFileName, UndoJournal) == status::kSuccess;
  // Deleted from the last one listed back: Wine keeps a key's values in one array in the order
  // it lists them and closes the gap at every deletion, so deleting from the front of a key of
  // 100,000 values moved the rest of the array 100,000 times.
  std::vector<long> deleted(queued.size(), status::kSuccess);
  for (size_t i = queued.size(); onDisk && i-- > 0;) {
    if (backedUp[i]) deleted[i] = key.Delete(findings_[queued[i].finding].valueName);
  }
  for (size_t i = 0; i < queued.size(); ++i) {
    Finding& f = findings_[queued[i].finding];
    if (!onDisk || !backedUp[i]) {
      LeftWithoutBackup(f, ValueDisplayName(f.root, f.keyPath, f.valueName));
    } else if (deleted[i] != status::kSuccess) {
      deletionRefused_.push_back(ValueDisplayName(f.root, f.keyPath, f.valueName));
      LeftInPlace(f, runmsg::kNotDeleted);
    } else {
      // The queue's copy of the line becomes the finding's: a flood's lines are not held twice.
      f.detail = std::move(queued[i].detail);
      Record(f, f.detail);
    }
  }
}
