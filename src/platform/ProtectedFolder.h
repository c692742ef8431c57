// The undo folder of an elevated run: below the machine's program-data folder, one per user
// account, made for the system and the Administrators alone. A folder of that name that someone
// else made first (another owner, rights for others, a link) is refused, never reused.
#pragma once

#include <string>

#include "platform/UndoFolderTrust.h"

// ProgramData\Ostrawin\Klarvex\<user's SID>\ for an absolute program-data folder and a SID;
// "" when either is unknown.
std::string ProtectedUndoDir(const std::string& programData, const std::string& userSid);
// Makes the folders from programData down to undoDir that are missing, each with the protected
// descriptor (the user's account may read the last one, every signed-in user the ones above).
void MakeProtectedUndoDir(const std::string& programData, const std::string& undoDir,
                          const std::string& userSid);
// Checks every folder below programData down to undoDir, each opened as itself.
UndoFolderCheck CheckProtectedUndoDir(const std::string& programData, const std::string& undoDir);
