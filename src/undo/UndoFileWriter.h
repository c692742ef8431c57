// The undo file of a clean run, held from its first write to the run's end and grown by
// appending: after every write the file on disk is a whole registry script (byte-order mark and
// header first, then whole lines), so a run killed at any moment leaves one that imports.
#pragma once

#include <memory>
#include <string>

#include "platform/FileApi.h"
#include "platform/Types.h"

class UndoFileWriter {
 public:
  // Puts the journal's lines that are not on disk yet into the file at path and flushes them:
  // the first write creates the file, and everything else is appended, in pieces of whole lines
  // of about a megabyte. On failure the file holds the pieces written before (LinesOnDisk says
  // how many lines), never part of a line. Win32 status.
  long Write(const std::string& path, const WideList& journal);
  // How many of the journal's lines the file holds; 0 before the first write.
  size_t LinesOnDisk() const { return linesOnDisk_; }
  // Lets the file go (others may change it again) and starts over.
  void Close();

 private:
  long Create(const std::string& path, const WideList& journal);

  std::unique_ptr<HeldFile> file_;
  size_t linesOnDisk_ = 0;
};
