#include "engine/RunMessages.h"

namespace runmsg {
namespace {
// The system's texts end with a line break (FormatMessage), which would split the sentence.
std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

std::string Reason(const std::string& reason) {
  const std::string text = Trimmed(reason);
  return text.empty() ? "unknown error." : text;
}

const char* const kNothingRemoved = "Nothing was removed from the registry.";

// Enough names to recognise the entries without turning the dialog into a list.
constexpr size_t kNamedItems = 5;

// The heading, then the first few entries, one a line.
std::string Listed(std::string text, const TextList& items) {
  for (size_t i = 0; i < items.size() && i < kNamedItems; ++i) text += "\n" + items[i];
  if (items.size() > kNamedItems) {
    text += "\nand " + std::to_string(items.size() - kNamedItems) + " more.";
  }
  return text;
}

std::string ItemList(const TextList& items, const std::string& what) {
  return Listed(std::to_string(items.size()) + (items.size() == 1 ? " item was " : " items were ") +
                    what + ":",
                items);
}
}  // namespace

std::string RunInterrupted(const std::string& reason) {
  return "The clean run was interrupted by an error: " + Reason(reason) +
         "\nThe entries found before the error were handled as usual.";
}

std::string UndoFileNotSaved(const std::string& path, const std::string& reason) {
  return "The undo file \"" + path + "\" could not be saved: " + Reason(reason) + "\n" +
         kNothingRemoved + " Without the undo file the removals could not be undone.";
}

std::string UndoFileNotCompleted(const std::string& path, const std::string& reason) {
  return "The undo file \"" + path + "\" could not be saved completely: " + Reason(reason) +
         "\nIt still holds the temporary values that were deleted; the other entries found were "
         "not removed, since without the undo file they could not be restored.";
}

std::string ScriptNotSaved(const std::string& path, const std::string& reason) {
  return "The registry script \"" + path + "\" could not be saved: " + Reason(reason) + "\n" +
         kNothingRemoved;
}

std::string EditorNotStarted(const std::string& editorPath) {
  return "The registry editor \"" + editorPath + "\" could not be started.\n" + kNothingRemoved;
}

std::string NotBackedUp(const TextList& items) {
  if (items.empty()) return {};
  return ItemList(items, "left in place") +
         "\nNo backup of them could be made, and nothing is removed without one. If the registry "
         "editor could not run, starting Klarvex as administrator may help.";
}

std::string DeletionRefused(const TextList& items) {
  if (items.empty()) return {};
  return ItemList(items, "left in place") +
         "\nThe registry refused to delete them; the user may lack the right to.";
}

std::string ServerNotSearched(const TextList& items) {
  if (items.empty()) return {};
  return ItemList(items, "left in place") +
         "\nTheir server files are missing, and the search for where they moved did not end: "
         "the run was stopped or interrupted first.";
}

std::string HivesNotUnloaded(const TextList& hives) {
  if (hives.empty()) return {};
  return Listed("The registry did not let go of these users' hives, loaded for the run:", hives) +
         "\nThey stay loaded until Windows restarts.";
}

std::string ProfilesSkipped(const TextList& profiles) {
  if (profiles.empty()) return {};
  return Listed(std::to_string(profiles.size()) +
                    (profiles.size() == 1 ? " user was" : " users were") + " not judged:",
                profiles);
}

std::string NoUserJudged() {
  return "No user's items were judged: the run is the system's own account, whose settings are "
         "nobody's. Run SCAN /allusers or CLEAN /allusers to judge every user of the machine.";
}

std::string NotRemoved(const TextList& items) {
  if (items.empty()) return {};
  return ItemList(items, "not removed from the registry") +
         "\nThe registry editor could not change them; the user may lack the right to.";
}

std::string NotRestored(const TextList& items) {
  if (items.empty()) return {};
  return ItemList(items, "not restored") +
         "\nThe registry editor could not write them; the user may lack the right to.";
}

std::string AppearedAfterScan(const std::string& sentence, const TextList& items) {
  return Listed(sentence, items);
}

std::string NotDeleted(const TextList& names) {
  if (names.empty()) return {};
  return ItemList(names, "not deleted") +
         "\nThey may be open in another program, read-only, or the user may lack the right to.";
}

std::string BadExclusionLines(const std::vector<size_t>& numbers, const TextList& lines) {
  if (lines.empty()) return {};
  TextList named;
  for (size_t i = 0; i < lines.size(); ++i) {
    named.push_back("line " + std::to_string(numbers[i]) + ": " + lines[i]);
  }
  const bool one = lines.size() == 1;
  return Listed(std::to_string(lines.size()) + (one ? " line of " : " lines of ") +
                    kExclusionsFile + " named no key or value and " + (one ? "was" : "were") +
                    " ignored:",
                named);
}

std::string UndoFolderUnusable(const UndoFolderCheck& check) {
  std::string why;
  switch (check.state) {
    case UndoFolderState::Usable:
      return {};
    case UndoFolderState::NoAppData:
      why = "the user's application-data folder is not known";
      break;
    case UndoFolderState::Unavailable:
      why = "\"" + check.folder + "\" does not exist or cannot be opened";
      break;
    case UndoFolderState::ReparsePoint:
      why = "\"" + check.folder + "\" is a link or junction to another place";
      break;
    case UndoFolderState::ForeignOwner:
      why = "\"" + check.folder + "\" belongs to another user";
      break;
    case UndoFolderState::NoProgramData:
      why = "the machine's program-data folder or the user's account is not known";
      break;
    case UndoFolderState::NotProtected:
      why = "\"" + check.folder +
            "\" was made by someone else: it is not owned by the system or the Administrators, "
            "or others may change it";
      break;
  }
  return "Klarvex cannot keep its undo files safely: " + why +
         ".\nNothing was changed. Remove what is in the way, or start Klarvex as the user whose "
         "application-data folder it is.";
}

std::string UndoFileRefused(const std::string& path, bool tooLarge) {
  return "The undo file \"" + path + "\" was not shown or applied: " +
         (tooLarge ? "it is larger than 64 MB, far larger than any undo file Klarvex writes."
                   : "it is a link, has a second name, or could not be read.");
}

std::string UndoFileTorn(const std::string& path) {
  return "The undo file \"" + path +
         "\" ends in the middle of a line: the run that wrote it was stopped while writing. Its "
         "last, incomplete value was left out of the import; the items that run removed are all "
         "in the lines before it.";
}

std::string ExclusionsRefused(const std::string& path, bool tooLarge) {
  return "Klarvex did not read \"" + path + "\": " +
         (tooLarge
              ? std::string("it is larger than 1 MB, far larger than any list of exclusions.")
              : std::string("it is a link, lies behind a link or junction or in a folder "
                            "another account owns, has a second name, or could not be read.")) +
         "\nNothing was changed. Make it a plain file of its own in that folder, or remove it.";
}

std::string ReportFileRefused(const std::string& path) {
  return "The report file \"" + path +
         "\" was refused: it is a link, has a second name, lies in the undo folder, or could not "
         "be opened.";
}

std::string ExclusionsKept(const std::vector<ExclusionKept>& lines) {
  if (lines.empty()) return {};
  TextList named;
  for (const ExclusionKept& line : lines) {
    named.push_back("line " + std::to_string(line.number) + ": " + line.text + " (" +
                    std::to_string(line.kept) + (line.kept == 1 ? " item)" : " items)"));
  }
  return Listed(std::string(kExclusionsFile) + " kept these items out of the run:", named);
}

std::string HandlerFailed(const std::string& reason) {
  return "Klarvex could not complete this action: " + Reason(reason) +
         "\nThe window stays open; you may try again.";
}

std::string AnotherRun() {
  return "Another Klarvex window or report run is using the undo folder.\nClose it, or wait for "
         "it to end, and try again.";
}

std::string FolderSettingIgnored(const std::string& setting, const std::string& used) {
  if (setting.empty()) return {};
  return "The user's application-data folder setting (" + setting +
         ") lies outside the user's profile and was ignored: any program of the user may change "
         "it. Klarvex reads the user's files from " +
         used + " instead.";
}

std::string UserFolderUntrusted(const std::string& folder, const std::string& userFolder) {
  if (folder.empty()) return {};
  return "Klarvex runs as administrator and does not use the user's folder " + userFolder + ": " +
         folder +
         " belongs to another account, or its owner could not be read, and whoever owns a folder "
         "may change what is in it. No Exclusions.txt or undo file is read from there, and "
         "nothing is made there.";
}

std::string Join(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + "\n\n" + second;
}

}  // namespace runmsg
