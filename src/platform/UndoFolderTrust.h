// Whether the undo folder can be trusted by an elevated run: every program of the user may write
// below the application-data folder, so a junction or link placed on the way, or a folder made
// by another account, would send the backups, the deletion script and their deletions elsewhere.
#pragma once

#include <string>

enum class UndoFolderState {
  Usable,
  NoAppData,     // the application-data folder is unknown or no full path
  Unavailable,   // the folder does not exist and could not be made, or cannot be opened
  ReparsePoint,  // a folder from the profile down is a junction or link
  ForeignOwner,  // the undo folder belongs neither to the user nor to the Administrators
  // Elevated runs: the program-data folder or the account is unknown; a folder of the
  // protected folder's chain was made by someone else (another owner, or others may change it).
  NoProgramData,
  NotProtected,
};

struct UndoFolderCheck {
  UndoFolderState state = UndoFolderState::Usable;
  std::string folder;  // the folder at fault
  bool Usable() const { return state == UndoFolderState::Usable; }
};

// The first folder from top down to folder (both included, as far as they exist) that is owned by
// neither the user running the program, nor the Administrators, nor the system, or that cannot be
// opened as itself to ask; "" when there is none. Each is opened without following a link.
std::string ForeignOwnedOnTheWay(const std::string& top, const std::string& folder);

// Checks UndoDir and the folders above it up to ProfileDir (an elevated run: up to the
// program-data folder), each opened without following a link. Called at start and before every
// run and undo.
UndoFolderCheck CheckUndoFolder();
