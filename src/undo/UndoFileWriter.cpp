#include "undo/UndoFileWriter.h"

#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "platform/TextFile.h"

long UndoFileWriter::Create(const std::string& path, const WideList& journal) {
  long status = status::kSuccess;
  // The name was free when the run chose it; a plain file put there meanwhile is replaced, as a
  // whole save would replace it.
  file_ = Files().Hold(path, HoldMode::CreateNew, status);
  if (!file_ && status == status::kFileExists) file_ = HoldPlainFile(path, HoldMode::Write, status);
  if (!file_) return status;
  status = file_->Replace(Utf16LeFile(journal));
  if (status != status::kSuccess) {
    // A torn first copy is no undo file: nothing has been removed on its strength yet. A file
    // that was there already is held without the right to delete it: removed by name then.
    const bool deleted = file_->Delete() == status::kSuccess;
    file_.reset();
    if (!deleted) RemoveOwnFile(path);
    return status;
  }
  linesOnDisk_ = journal.size();
  return status;
}

long UndoFileWriter::Write(const std::string& path, const WideList& journal) {
  if (!file_) return Create(path, journal);
  if (journal.size() <= linesOnDisk_) return status::kSuccess;
  const long status = file_->Append(Utf16LeLines(journal, linesOnDisk_));
  if (status == status::kSuccess) linesOnDisk_ = journal.size();
  return status;
}

void UndoFileWriter::Close() {
  file_.reset();
  linesOnDisk_ = 0;
}
