// The walk that fills the system file index: every file below a folder, depth-first, each
// subfolder listed where the walk meets it. A run walks on the index build's thread, which
// reads files only.
#include "engine/CleanEngine.h"
#include "engine/TrustedFiles.h"
#include "platform/FileApi.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

void CleanEngine::StartSystemFileIndex() {
  indexBuild_.Start([this, windows = WindowsDir(), programs = ProgramFilesDir()] {
    const UserWritableFolders skipped(windows);
    ScanSystemFolder(windows, skipped);
    ScanSystemFolder(programs, skipped);
  });
}

const ::SystemFileIndex* CleanEngine::BuiltSystemFileIndex() {
  return indexBuild_.Await([this] { BeginItem(); }) ? &SystemFileIndex : nullptr;
}

void CleanEngine::ClearSystemFileIndex() {
  indexBuild_.Abandon();
  SystemFileIndex.Clear();
}

void CleanEngine::ScanSystemFolder(const std::string& folder) {
  ScanSystemFolder(folder, UserWritableFolders(WindowsDir()));
}

void CleanEngine::ScanSystemFolder(const std::string& folder, const UserWritableFolders& skipped) {
  // Attribute mask 63: hidden, system and read-only entries are listed like any other.
  std::unique_ptr<FileSearch> search = Files().Find(folder + "*.*");
  if (!search) return;
  CodePage& codePage = Ansi();
  FindEntry entry;
  while (search->Next(entry)) {
    if (indexBuild_.StopRequested()) return;
    if ((entry.attributes & fileattr::kDirectory) == 0) {
      SystemFileIndex.Add(codePage.Upper(entry.name), folder);
    } else if (entry.name != "." && entry.name != ".." &&
               (entry.attributes & fileattr::kReparsePoint) == 0) {
      // A junction or folder link is not entered: it may lead back up the tree (a loop that
      // would grow the index without end) or anywhere a program without elevation chose.
      // What any user may place in the folders below is never a class's server.
      const std::string below = folder + entry.name + "\\";
      if (!skipped.Hold(below)) ScanSystemFolder(below, skipped);
    }
  }
}
