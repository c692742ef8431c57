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

void MakeProtectedUndoDir(const std::string& programData, const std::string& undoDir,
                          const std::string& userSid) {
  const std::vector<std::string> chain = FoldersBelow(programData, undoDir);
  for (const std::string& folder : chain) {
    if (Files().Attributes(folder) != fileattr::kInvalid) continue;
    // One that appears meanwhile is judged by the check like any other.
    Files().MakeProtectedFolder(folder, folder == chain.back() ? userSid : kEverySignedInUser);
  }
}

UndoFolderCheck CheckProtectedUndoDir(const std::string& programData, const std::string& undoDir) {
  if (undoDir.empty()) return {UndoFolderState::NoProgramData, programData};
  for (const std::string& folder : FoldersBelow(programData, undoDir)) {
    long status = 0;
    const std::unique_ptr<HeldFile> held = Files().Hold(folder, HoldMode::Folder, status);
    if (!held) return {UndoFolderState::Unavailable, folder};
    // The name's own attributes too: Wine opens a folder link's target even when asked not to.
    if (((held->Facts().attributes | Files().Attributes(folder)) & fileattr::kReparsePoint) != 0) {
      return {UndoFolderState::ReparsePoint, folder};
    }
    // Unknown where the platform keeps no real descriptors (Wine): there only links show.
    if (held->WhoMayChange() == ChangeRight::StandardUsers) {
      return {UndoFolderState::NotProtected, folder};
    }
  }
  return {};
}
