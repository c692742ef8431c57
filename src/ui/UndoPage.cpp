// The undo page of the main form: lists the undo files, shows one, applies or deletes the
// ticked ones.
#include "engine/RunMessages.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/TextFile.h"
#include "ui/MainForm.h"
#include "undo/ImportCheck.h"
#include "undo/UndoJournal.h"

void MainForm::OpenUndoPage() {
  const std::string script = UndoDir() + kFixScriptName;
  if (FileExists(script)) Files().RemoveFile(script);
  view_.BringToFront(Page::Undo);
  RefreshUndoList();
}

void MainForm::RefreshUndoList() {
  Running = true;
  view_.UndoListClear();
  view_.SetUndoText(u"");
  if (FolderExists(UndoDir())) {
    if (auto search = Files().Find(UndoDir() + "*.reg")) {
      FindEntry entry;
      while (search->Next(entry)) {
        PumpMessages();
        view_.UndoListAdd(entry.name);
      }
    }
  }
  Running = false;
  const bool any = view_.UndoListCount() > 0;
  view_.SetEnabled(Ctl::UndoButton, any);
  view_.SetEnabled(Ctl::DeleteButton, any);
  if (any) {
    view_.UndoListSelect(0);
    OnUndoListClicked();
  }
}

void MainForm::OnUndoListClicked() {
  if (Running || view_.UndoListCount() == 0) return;
  // With nothing selected (a click on the list's blank area) no file is shown.
  view_.SetUndoText(u"");
  const int selected = view_.UndoListSelected();
  if (selected < 0) return;
  const std::string path = UndoDir() + view_.UndoListItem(selected);
  std::u16string text;
  if (FileExists(path) && ReadTextFile(path, text)) view_.SetUndoText(text);
}

void MainForm::OnSelectAllClicked() {
  if (Running) return;
  for (int i = 0; i < view_.UndoListCount(); ++i) view_.UndoListTick(i, true);
}

void MainForm::OnDeselectAllClicked() {
  if (Running) return;
  for (int i = 0; i < view_.UndoListCount(); ++i) view_.UndoListTick(i, false);
}

void MainForm::OnOpenFolderClicked() { Shell().Open(view_.OwnerHandle(), UndoDir()); }

int MainForm::ConfirmTicked(const std::string& question) {
  if (Running || view_.UndoListCount() == 0) return 0;
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
  Running = true;
  TextList missed;
  // The count is read at each step: the ticks stay open to the user during the loop.
  for (int i = 0; i < view_.UndoListCount(); ++i) {
    PumpMessages();
    if (view_.UndoListTicked(i)) {
      const std::string name = view_.UndoListItem(i);
      RunRegedit(" /s \"" + UndoDir() + "/" + name + "\"");
      // The editor reports nothing: what the file holds is read back from the registry.
      const TextList notBack = ItemsNotInEffectOfFile(UndoDir() + name);
      missed.insert(missed.end(), notBack.begin(), notBack.end());
    }
  }
  Running = false;
  ShowInformation(
      runmsg::Join(std::to_string(n) + " " + LanguageText("Undo", "Message2", "undo applyed!"),
                   runmsg::NotRestored(missed)));
}

void MainForm::OnDeleteClicked() {
  const int n =
      ConfirmTicked(LanguageText("Undo", "Message3", "Are you sure to delete checked undo?"));
  if (n == 0) return;
  Running = true;
  TextList kept;
  for (int i = 0; i < view_.UndoListCount(); ++i) {
    PumpMessages();
    const std::string name = view_.UndoListItem(i);
    const std::string path = UndoDir() + name;
    if (view_.UndoListTicked(i) && FileExists(path) && !Files().RemoveFile(path)) {
      kept.push_back(name);
    }
  }
  Running = false;
  RefreshUndoList();
  ShowInformation(runmsg::Join(
      std::to_string(n) + " " + LanguageText("Undo", "Message4", "undo-files deleted!"),
      runmsg::NotDeleted(kept)));
}

void MainForm::OnUndoBackClicked() {
  if (!Running) view_.BringToFront(Page::Start);
}
