// What the clean run tells the user when something went wrong. The language file has no keys
// for these, so the wording is fixed English, kept here and nowhere else.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/UndoFolderTrust.h"

namespace runmsg {

// A check or a save raised an error; the run went on to its final steps.
std::string RunInterrupted(const std::string& reason);
// The undo file could not be written; the deletion script was therefore not imported.
std::string UndoFileNotSaved(const std::string& path, const std::string& reason);
// The undo file could not be saved whole after values had already been deleted with their
// backups in it: the file keeps those; the deletion script was not imported.
std::string UndoFileNotCompleted(const std::string& path, const std::string& reason);
// The deletion script could not be written; nothing was imported.
std::string ScriptNotSaved(const std::string& path, const std::string& reason);
// The registry editor could not be started for the import.
std::string EditorNotStarted(const std::string& editorPath);

// Problems found but left in place because no backup of them could be made.
std::string NotBackedUp(const TextList& items);
// Values that the registry refused to delete directly (their backups stay in the undo file).
std::string DeletionRefused(const TextList& items);
// Classes whose server file is missing, left in place because the search for the moved file
// was stopped or failed before its end.
std::string ServerNotSearched(const TextList& items);
// Items that the deletion script's import left in place (or did not rewrite), named by
// ItemsNotInEffect: the first few, then how many more.
std::string NotRemoved(const TextList& items);
// Users' hives loaded for the run that the registry would not let go again.
std::string HivesNotUnloaded(const TextList& hives);
// Profiles the run could not judge ("Anna: why"), and a run that judged no user.
std::string ProfilesSkipped(const TextList& profiles);
std::string NoUserJudged();
// Items that an undo file's import did not bring back.
std::string NotRestored(const TextList& items);

// The sentence saying how many problems appeared after the reviewed scan, then their names.
std::string AppearedAfterScan(const std::string& sentence, const TextList& items);

// Undo files that the undo page could not delete.
std::string NotDeleted(const TextList& names);

// Why an item the run found stays where it is (the report's reasons).
inline constexpr const char* kNoBackup = "no backup could be made";
inline constexpr const char* kNotDeleted = "the value could not be deleted";
inline constexpr const char* kNotImported = "the deletion script was not imported";
inline constexpr const char* kNotChanged = "the registry editor did not change it";
inline constexpr const char* kNotSearched = "the search for the moved server file did not end";
inline constexpr const char* kAppearedAfterScan = "not found by the scan that was reviewed";

inline constexpr const char* kExclusionsFile = "Exclusions.txt";
// Lines of the exclusions file that name no key or value; they were ignored.
std::string BadExclusionLines(const std::vector<size_t>& numbers, const TextList& lines);
// The undo folder failed its check: nothing was run, nothing was changed.
std::string UndoFolderUnusable(const UndoFolderCheck& check);
// An undo file too large to be one of the program's own, or one that is not a plain file.
std::string UndoFileRefused(const std::string& path, bool tooLarge);
// The undo file ends in the middle of a line: its run was stopped while writing it.
std::string UndoFileTorn(const std::string& path);
// Exclusions.txt is there but was not read: a link at its name or on its way, a second name, too
// large (tooLarge), or unreadable.
std::string ExclusionsRefused(const std::string& path, bool tooLarge);
// The report file is a link, has a second name or lies in the undo folder.
std::string ReportFileRefused(const std::string& path);

// What each line of the exclusions file kept out of the run: its number, text and how many
// items it kept.
struct ExclusionKept {
  size_t number;
  std::string text;
  size_t kept;
};
std::string ExclusionsKept(const std::vector<ExclusionKept>& lines);
// An action of the window ended with an error that its handler did not expect.
std::string HandlerFailed(const std::string& reason);
// Another Klarvex window or report run holds the run lock.
std::string AnotherRun();

// An elevated run's folder setting that pointed outside the user's profile, and the folder used
// instead; "" when none was ignored.
std::string FolderSettingIgnored(const std::string& setting, const std::string& used);

// An elevated run's user folder (userFolder) not used because folder, it or one above it, is
// owned by another account; "" when folder is "".
std::string UserFolderUntrusted(const std::string& folder, const std::string& userFolder);

// Several problems of one run, shown together in one dialog.
std::string Join(const std::string& first, const std::string& second);

}  // namespace runmsg
