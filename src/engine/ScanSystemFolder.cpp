// The walk that fills the system file index: every file below a folder, depth-first, each
// subfolder listed where the walk meets it.
#include "engine/CleanEngine.h"
#include "platform/FileApi.h"
#include "platform/Platform.h"

void CleanEngine::ScanSystemFolder(const std::string& folder) {
  // Attribute mask 63: hidden, system and read-only entries are listed like any other.
  std::unique_ptr<FileSearch> search = Files().Find(folder + "*.*");
  if (!search) return;
  CodePage& codePage = Ansi();
  FindEntry entry;
  while (search->Next(entry)) {
    if (!BeginItem()) continue;
    if ((entry.attributes & fileattr::kDirectory) == 0) {
      SystemFileIndex.Add(codePage.Upper(entry.name), folder);
    } else if (entry.name != "." && entry.name != "..") {
      ScanSystemFolder(folder + entry.name + "\\");
    }
  }
}
