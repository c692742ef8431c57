// The start page's ways on besides Clean: the preview ("Scan first ..."), the undo page (offered
// again after a Clean), and the line that says what the exclusions file kept out of a run.
#include <string>

#include "platform/LanguageFile.h"
#include "ui/MainForm.h"

std::string CountedText(size_t count, const char* section, const char* oneKey,
                        const char* oneDefault, const char* manyKey, const char* manyDefault) {
  return std::to_string(count) + " " +
         (count == 1 ? LanguageText(section, oneKey, oneDefault)
                     : LanguageText(section, manyKey, manyDefault));
}

void MainForm::EnterPreview() {
  BeginPreview();
  view_.SetText(Ctl::CleanButton, LanguageText("Buttons", "Scan", "Scan"));
}

void MainForm::OnScanFirstClicked() {
  if (engine_.Running || engine_.RunInProgress()) return;
  view_.BringToFront(Page::Start);
  EnterPreview();
  OnCleanClicked();
}

void MainForm::OnUndoPageLinkClicked() {
  if (engine_.Running || engine_.RunInProgress()) return;
  OpenUndoPage();
}

void MainForm::ShowRunNotices() {
  size_t kept = 0;
  for (const Exclusions::Line& line : engine_.AppliedExclusions().Lines()) kept += line.kept;
  view_.SetText(Ctl::KeptOutLabel,
                engine_.AppliedExclusions().Lines().empty()
                    ? std::string()
                    : CountedText(kept, "Review", "KeptOutOne",
                                  "item kept out of this run by Exclusions.txt.", "KeptOut",
                                  "items kept out of this run by Exclusions.txt."));
  // After a Clean that left an undo file the link offers to take it back.
  const bool undoable = LastRun() == RunMode::Clean && !engine_.UndoFileWritten().empty();
  view_.SetText(Ctl::UndoPageLink, undoable ? LanguageText("Items", "UndoClean", "Undo clean ...")
                                            : LanguageText("Items", "UndoPage", "Undo ..."));
}
