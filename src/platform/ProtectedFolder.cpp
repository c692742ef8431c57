#include "platform/ProtectedFolder.h"

#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace {

constexpr char kProtectedSubFolder[] = "\\Ostrawin\\Klarvex\\";
// SDDL's name for the Authenticated Users: each may pass through to his own folder.
constexpr char kEverySignedInUser[] = "AU";

bool IsFullPath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.starts_with("\\\\");
}

// The folders below base down to folder (with or without its last backslash), top first.
std::vector<std::string> FoldersBelow(const std::string& base, std::string folder) {
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  std::vector<std::string> chain;
  for (size_t at = folder.find('\\', base.size() + 1); at != std::string::npos;
       at = folder.find('\\', at + 1)) {
    chain.push_back(folder.substr(0, at));
  }
  chain.push_back(folder);
  return chain;
}

}  // namespace

std::string ProtectedUndoDir(const std::string& programData, const std::string& userSid) {
  // The SID is the folder's name: nothing in it may lead elsewhere.
  if (!IsFullPath(programData) || !userSid.starts_with("S-1-") ||
      userSid.find_first_not_of("S-0123456789") != std::string::npos) {
    return {};
  }
  return programData + kProtectedSubFolder + userSid + "\\";
}

namespace {

// What a held folder of the chain is: a link (by its handle, and by its name, as Wine opens a
// folder link's target even when asked not to), or one that standard users may change. Unknown
// rights (Wine's made-up descriptors) pass: there only links show.
UndoFolderState StateOf(HeldFile& held, const std::string& folder) {
  if (((held.Facts().attributes | Files().Attributes(folder)) & fileattr::kReparsePoint) != 0) {
    return UndoFolderState::ReparsePoint;
  }
  if (held.WhoMayChange() == ChangeRight::StandardUsers) return UndoFolderState::NotProtected;
  return UndoFolderState::Usable;
}

}  // namespace

// Each folder is made relative to its parent's handle, and only once the parent was checked
// while held without the right for others to rename or delete it: a link swapped in above can
// neither turn where a folder is made nor go unseen.
void MakeProtectedUndoDir(const std::string& programData, const std::string& undoDir,
                          const std::string& userSid) {
  std::vector<std::unique_ptr<HeldFile>> chain;
  long status = 0;
  chain.push_back(Files().Hold(programData, HoldMode::KeptFolder, status));
  const std::vector<std::string> folders = FoldersBelow(programData, undoDir);
  for (const std::string& folder : folders) {
    if (!chain.back()) return;
    const std::string readers = folder == folders.back() ? userSid : kEverySignedInUser;
    std::unique_ptr<HeldFile> next =
        Files().Attributes(folder) == fileattr::kInvalid
            ? chain.back()->MakeFolder(folder.substr(folder.rfind('\\') + 1), readers, status)
            : nullptr;
    // There already, or made meanwhile by another: judged before anything is made inside.
    if (!next) next = Files().Hold(folder, HoldMode::KeptFolder, status);
    if (!next || StateOf(*next, folder) != UndoFolderState::Usable) return;
    chain.push_back(std::move(next));
  }
}

UndoFolderCheck CheckProtectedUndoDir(const std::string& programData, const std::string& undoDir) {
  if (undoDir.empty()) return {UndoFolderState::NoProgramData, programData};
  for (const std::string& folder : FoldersBelow(programData, undoDir)) {
    long status = 0;
    const std::unique_ptr<HeldFile> held = Files().Hold(folder, HoldMode::Folder, status);
    if (!held) return {UndoFolderState::Unavailable, folder};
    if (const UndoFolderState state = StateOf(*held, folder); state != UndoFolderState::Usable) {
      return {state, folder};
    }
  }
  return {};
}
