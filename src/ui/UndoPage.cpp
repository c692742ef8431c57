// The undo page of the main form: lists the undo files, shows one, applies or deletes the
// ticked ones.
#include <algorithm>
#include <memory>

#include "engine/Profiles.h"
#include "engine/RunMessages.h"
#include "platform/HeldFiles.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/TextFile.h"
#include "platform/UndoFolderTrust.h"
#include "ui/MainForm.h"
#include "undo/ImportCheck.h"
#include "undo/TornTail.h"
#include "undo/UndoJournal.h"

namespace {

// The private copy an import runs on; its name is no undo file's.
constexpr const char* kUndoCopyName = "Undo import.tmp";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "Undo YY-MM-DD-NN.reg" in plain ASCII (letters in either case, NN of two digits or more):
// the names the program gives its undo files. Anything else in the folder was put there by
// someone else and is not offered for an elevated import.
bool IsUndoFileName(const std::string& name) {
  const std::string upper = UpperAscii(name);
  if (upper.size() < 20 || !upper.starts_with("UNDO ") || !upper.ends_with(".REG")) return false;
  const std::string_view middle = std::string_view(upper).substr(5, upper.size() - 9);
  for (size_t i = 0; i < middle.size(); ++i) {
    const bool dash = i == 2 || i == 5 || i == 8;
    if (dash ? middle[i] != '-' : !IsDigit(middle[i])) return false;
  }
  return true;
}

// The whole text: a NUL would end a window's text there and hide what follows.
std::u16string Shown(const Bytes& data) {
  std::u16string text = DecodeText(data);
  for (char16_t& c : text) {
    if (c == u'\0') c = u'\x2400';  // the symbol for NUL
  }
  return text;
}

}  // namespace

void MainForm::OpenUndoPage() {
  RemoveLeftoverFixScript();
  view_.BringToFront(Page::Undo);
  RefreshUndoList();
}

void MainForm::RefreshUndoList() {
  engine_.Running = true;
  view_.UndoListClear();
  undoEntries_.clear();
  view_.SetUndoText(u"");
  ListUndoFiles(UndoDir(), true);
  // The user's own folder, unless another account owns it or a folder above it.
  if (UndoDir() != UserUndoDir() && gFolders.untrustedUserFolder.empty()) {
    ListUndoFiles(UserUndoDir(), false);
  }
  engine_.Running = false;
  const bool any = view_.UndoListCount() > 0;
  view_.SetEnabled(Ctl::UndoButton, any);
  view_.SetEnabled(Ctl::DeleteButton, any);
  if (any) {
    view_.UndoListSelect(0);
    OnUndoListClicked();
  }
}

void MainForm::ListUndoFiles(const std::string& folder, bool importable) {
  if (folder.empty() || !FolderExists(folder)) return;
  auto search = Files().Find(folder + "*.reg");
  FindEntry entry;
  while (search && search->Next(entry)) {
    PumpMessages();
    const bool plainFile =
        (entry.attributes & (fileattr::kDirectory | fileattr::kReparsePoint)) == 0;
    if (!plainFile || !IsUndoFileName(entry.name)) continue;
    undoEntries_.push_back({folder + entry.name, importable});
    view_.UndoListAdd(
        importable ? entry.name
                   : entry.name + " " +
                         LanguageText("Undo", "UserFolderMark", "(your own folder, not imported)"));
  }
}

void MainForm::OnUndoListClicked() {
  if (engine_.Running || view_.UndoListCount() == 0) return;
  // With nothing selected (a click on the list's blank area) no file is shown.
  view_.SetUndoText(u"");
  shown_ = {};
  const int selected = view_.UndoListSelected();
  if (selected < 0) return;
  if (static_cast<size_t>(selected) >= undoEntries_.size()) return;
  shown_ = ReadUndoFile(undoEntries_[static_cast<size_t>(selected)].path);
  if (shown_.status == status::kSuccess) {
    view_.SetUndoText(Shown(shown_.data));
  } else if (shown_.status != status::kFileNotFound) {
    view_.SetUndoText(Ansi().ToWide(
        runmsg::UndoFileRefused(shown_.path, shown_.status == status::kFileTooLarge)));
  }
}

MainForm::UndoFileRead MainForm::ReadUndoFile(const std::string& path) const {
  UndoFileRead read{path, {}, status::kFileNotFound};
  if (FileExists(path)) read.status = ReadOwnFile(path, read.data);
  return read;
}

std::string MainForm::ImportUndoCopy(Bytes data, TextList& missed) {
  // Another user's keys go back into that user's hive, loaded for the import where nobody has.
  const UndoFileHives hives(data);
  const std::string copy = UndoDir() + kUndoCopyName;
  RemoveOwnFile(copy);
  long status = 0;
  std::unique_ptr<HeldFile> held = WriteNewAndHold(copy, data, status);
  if (!held) return runmsg::ScriptNotSaved(copy, Process().ErrorText(status));
  // The name the held copy really has: what the editor opens is what was checked.
  const std::string finalPath = held->Facts().finalPath;
  RunRegedit(" /s \"" + (finalPath.empty() ? UndoDir() + "/" + kUndoCopyName : finalPath) + "\"");
  held.reset();
  RemoveOwnFile(copy);
  // The editor reports nothing: what the file held is read back from the registry.
  const TextList notBack = ItemsNotInEffectOfScript(data);
  missed.insert(missed.end(), notBack.begin(), notBack.end());
  return {};
}

void MainForm::OnSelectAllClicked() {
  if (engine_.Running) return;
  for (int i = 0; i < view_.UndoListCount(); ++i) view_.UndoListTick(i, true);
}

void MainForm::OnDeselectAllClicked() {
  if (engine_.Running) return;
  for (int i = 0; i < view_.UndoListCount(); ++i) view_.UndoListTick(i, false);
}

void MainForm::OnOpenFolderClicked() { OpenForUser(UndoDir()); }

int MainForm::ConfirmTicked(const std::string& question) {
  if (engine_.Running || view_.UndoListCount() == 0) return 0;
  int n = 0;
  for (int i = 0; i < view_.UndoListCount(); ++i) n += view_.UndoListTicked(i) ? 1 : 0;
  if (n == 0) {
    // A click on the list's blank area clears the selection, as in any list view; the entry the
    // user last looked at is not taken for one he chose.
    const int selected = view_.UndoListSelected();
    if (selected < 0) {
      ShowInformation(LanguageText("Undo", "Message5", "Check or select an undo file first."));
      return 0;
    }
    n = 1;
    // The tick stays even when the question is then answered No.
    view_.UndoListTick(selected, true);
  }
  return AskConfirmation(question) == 2 ? 0 : n;
}

void MainForm::OnUndoClicked() {
  const int n =
      ConfirmTicked(LanguageText("Undo", "Message1", "Are you sure to apply checked undo ?"));
  if (n == 0) return;
  if (const UndoFolderCheck folder = CheckUndoFolder(); !folder.Usable()) {
    return ShowInformation(runmsg::UndoFolderUnusable(folder));
  }
  engine_.Running = true;
  TextList missed;
  TextList refused;
  int applied = n;
  // The count is read at each step: the ticks stay open to the user during the loop.
  for (int i = 0; i < view_.UndoListCount(); ++i) {
    PumpMessages();
    if (!view_.UndoListTicked(i) || static_cast<size_t>(i) >= undoEntries_.size()) continue;
    const UndoEntry& entry = undoEntries_[static_cast<size_t>(i)];
    if (!entry.importable) {
      refused.push_back("\"" + entry.path + "\" " +
                        LanguageText("Undo", "UserFileRefused",
                                     "lies in your own folder, where programs without elevation "
                                     "can change it: Klarvex does not import it with "
                                     "administrator rights. To import it knowingly, open it with "
                                     "the registry editor, which asks for those rights itself."));
      // Never counted as applied: the message must not claim what did not happen.
      --applied;
      continue;
    }
    // The file shown is imported as it was shown; any other is read once, here.
    const UndoFileRead read = entry.path == shown_.path ? shown_ : ReadUndoFile(entry.path);
    if (read.status == status::kSuccess) {
      bool torn = false;
      const Bytes whole = WithoutTornTail(read.data, torn);
      if (torn) refused.push_back(runmsg::UndoFileTorn(entry.path));
      if (std::string problem = ImportUndoCopy(whole, missed); !problem.empty()) {
        refused.push_back(problem);
      }
    } else if (read.status != status::kFileNotFound) {
      refused.push_back(runmsg::UndoFileRefused(entry.path, read.status == status::kFileTooLarge));
    }
  }
  engine_.Running = false;
  std::string message = runmsg::Join(std::to_string(std::max(applied, 0)) + " " +
                                         LanguageText("Undo", "Message2", "undo applyed!"),
                                     runmsg::NotRestored(missed));
  for (const std::string& text : refused) message = runmsg::Join(message, text);
  ShowInformation(message);
}

void MainForm::OnDeleteClicked() {
  const int n =
      ConfirmTicked(LanguageText("Undo", "Message3", "Are you sure to delete checked undo?"));
  if (n == 0) return;
  if (const UndoFolderCheck folder = CheckUndoFolder(); !folder.Usable()) {
    return ShowInformation(runmsg::UndoFolderUnusable(folder));
  }
  engine_.Running = true;
  TextList kept;
  for (int i = 0; i < view_.UndoListCount(); ++i) {
    PumpMessages();
    if (static_cast<size_t>(i) >= undoEntries_.size()) break;
    const std::string& path = undoEntries_[static_cast<size_t>(i)].path;
    if (view_.UndoListTicked(i) && FileExists(path) && !RemoveOwnFile(path)) {
      kept.push_back(FileNamePart(path));
    }
  }
  engine_.Running = false;
  RefreshUndoList();
  ShowInformation(runmsg::Join(
      std::to_string(n) + " " + LanguageText("Undo", "Message4", "undo-files deleted!"),
      runmsg::NotDeleted(kept)));
}

void MainForm::OnUndoBackClicked() {
  if (!engine_.Running) view_.BringToFront(Page::Start);
}
