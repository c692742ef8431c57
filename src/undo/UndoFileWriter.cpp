#include "undo/UndoFileWriter.h"

#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "platform/TextFile.h"

namespace {

// The journal goes to disk in pieces of whole lines of about this many bytes: the bytes of a key
// of 100,000 values are never all in memory at once beside the lines they are made from.
constexpr size_t kPieceBytes = 1u << 20;

// The end of the piece that starts at line first: at least one line.
size_t PieceEnd(const WideList& journal, size_t first) {
  size_t end = first;
  for (size_t bytes = 0; end < journal.size() && (end == first || bytes < kPieceBytes); ++end) {
    bytes += Utf16LeLineBytes(journal[end]);
  }
  return end;
}

}  // namespace

long UndoFileWriter::Create(const std::string& path, const WideList& journal) {
  long status = status::kSuccess;
  // The name was free when the run chose it; a plain file put there meanwhile is replaced, as a
  // whole save would replace it.
  bool created = false;
  file_ = HoldOwnFile(path, status, created);
  if (!file_) return status;
  const size_t end = PieceEnd(journal, 0);
  status = file_->Replace(Utf16LeFile(journal, end));
  if (status != status::kSuccess) {
    // A torn first copy is no undo file: nothing has been removed on its strength yet. A file
    // that was there already is held without the right to delete it: removed by name then.
    const bool deleted = file_->Delete() == status::kSuccess;
    file_.reset();
    if (!deleted) RemoveOwnFile(path);
    return status;
  }
  linesOnDisk_ = end;
  return status;
}

long UndoFileWriter::Write(const std::string& path, const WideList& journal) {
  if (!file_) {
    const long status = Create(path, journal);
    if (status != status::kSuccess) return status;
  }
  // Each piece ends a line: after every append the file is a whole script.
  while (linesOnDisk_ < journal.size()) {
    const size_t end = PieceEnd(journal, linesOnDisk_);
    const long status = file_->Append(Utf16LeLines(journal, linesOnDisk_, end));
    if (status != status::kSuccess) return status;
    linesOnDisk_ = end;
  }
  return status::kSuccess;
}

void UndoFileWriter::Close() {
  file_.reset();
  linesOnDisk_ = 0;
}
