// The undo journal and the deletion script: what a run backs up before it removes anything,
// the files they are saved as, and the registry editor runs that export and import them.
#pragma once

#include <string>

#include "platform/ProcessApi.h"
#include "platform/RegKey.h"
#include "platform/Types.h"

// Process-wide state of the current run (created with the main window).
extern WideList UndoJournal;      // UTF-16 lines: header, empty line, backup blocks
extern std::string UndoFileName;  // "Undo YY-MM-DD-NN.reg", chosen by BeginUndoJournal
extern LocalDate StartDate;       // taken once at window creation
extern TextList FixScript;        // ANSI lines: "REGEDIT4", empty line, repair blocks
extern uint32_t OsMajorVersion;   // 0 when the version query failed

inline constexpr const char* kFixScriptName = "RegistryCleaner.reg";
inline constexpr const char* kExportFileName = "tmp.reg";

// Chooses the next free UndoFileName in UndoDir and resets UndoJournal to its two header lines.
void BeginUndoJournal();
// Appends one block with one value. True when the value's line is in the journal, so that
// importing the journal restores the value with its type and bytes.
bool BackupValue(RootKey root, const std::string& path, const std::string& name);
// The same through a key already open with the right to read it (a key of many values is
// opened once, not once per value).
bool BackupValue(const RegKey& key, RootKey root, const std::string& path, const std::string& name);
// Appends the registry editor's export of the key and its subtree. True when it added it.
bool BackupKey(RootKey root, const std::string& path);
// Starts WindowsDir + "regedit.exe" with the argument text and waits for its end.
bool RunRegedit(const std::string& arguments);

// Removes the deletion script a run left in UndoDir, if any, through a handle (a link at its
// name is removed itself).
void RemoveLeftoverFixScript();

// Saves the journal as UTF-16LE with a byte-order mark and CRLF line ends. Win32 status.
long SaveUndoFile(const std::string& path, const WideList& lines);
// The script as ANSI with CRLF line ends and no byte-order mark.
Bytes FixScriptBytes(const TextList& lines);
// Saves the script in that form. Win32 status.
long SaveFixScript(const std::string& path, const TextList& lines);
