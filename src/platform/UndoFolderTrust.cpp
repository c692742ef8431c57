#include "platform/UndoFolderTrust.h"

#include <algorithm>
#include <memory>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/ProtectedFolder.h"
#include "platform/RegistryOps.h"

namespace {

// "C:\..." or "\\server\share\...": a relative or missing application-data folder would put
// the undo folder wherever the current folder or drive happens to be.
bool IsFullPath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.starts_with("\\\\");
}

}  // namespace

// Whoever owns a folder may change who can write it at any time, whatever its name shows now.
std::string ForeignOwnedOnTheWay(const std::string& top, const std::string& folder) {
  const std::string from = WithoutBackslash(top);
  const std::string to = WithoutBackslash(folder);
  if (!IsFullPath(from) || !UpperAscii(to).starts_with(UpperAscii(from))) return to;
  for (size_t end = from.size();; end = std::min(to.find('\\', end + 1), to.size())) {
    const std::string at = to.substr(0, end);
    // What is not there yet has no owner; what the run makes there is its own.
    if (Files().Attributes(at) == fileattr::kInvalid) return {};
    long status = 0;
    const std::unique_ptr<HeldFile> held = Files().Hold(at, HoldMode::Folder, status);
    if (!held || !held->Facts().trustedOwner) return at;
    if (end >= to.size()) return {};
  }
}

UndoFolderCheck CheckUndoFolder() {
  if (gFolders.elevated) return CheckProtectedUndoDir(gFolders.programDataDir, UndoDir());
  const std::string undo = WithoutBackslash(UndoDir());
  const std::string profile = WithoutBackslash(ProfileDir());
  if (!IsFullPath(profile) || !UpperAscii(undo).starts_with(UpperAscii(profile))) {
    return {UndoFolderState::NoAppData, undo};
  }
  if (!FolderExists(undo)) return {UndoFolderState::Unavailable, undo};
  // From the profile down, one folder at a time, each opened as itself.
  HeldFacts facts;
  for (size_t end = profile.size();;) {
    const std::string folder = undo.substr(0, end);
    long status = 0;
    const std::unique_ptr<HeldFile> held = Files().Hold(folder, HoldMode::Folder, status);
    if (!held) return {UndoFolderState::Unavailable, folder};
    facts = held->Facts();
    // The name's own attributes too: Wine opens a folder link's target even when asked not to,
    // while its attributes show the link.
    if (((facts.attributes | Files().Attributes(folder)) & fileattr::kReparsePoint) != 0) {
      return {UndoFolderState::ReparsePoint, folder};
    }
    if (end >= undo.size()) break;
    end = std::min(undo.find('\\', end + 1), undo.size());
  }
  if (!facts.trustedOwner) return {UndoFolderState::ForeignOwner, undo};
  return {};
}
