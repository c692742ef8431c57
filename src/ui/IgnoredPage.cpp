// The ignored page: the lines of the exclusions file, each with the items it kept in the last
// run, and the selected line taken back out of the file after asking.
#include <algorithm>

#include "engine/ExclusionLines.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "ui/MainForm.h"

void MainForm::OpenIgnoredPage() {
  if (engine_.Running) return;
  ShowIgnoredLines();
  view_.BringToFront(Page::Ignored);
}

void MainForm::ShowIgnoredLines() {
  const Exclusions file = Exclusions::Load(ExclusionsFile());
  ignoredLines_ = file.Lines();
  // A line the program cannot read is listed too, so that it can be taken out here.
  ignoredLines_.insert(ignoredLines_.end(), file.BadLines().begin(), file.BadLines().end());
  std::sort(
      ignoredLines_.begin(), ignoredLines_.end(),
      [](const Exclusions::Line& a, const Exclusions::Line& b) { return a.number < b.number; });
  std::vector<IgnoredRow> rows;
  for (const Exclusions::Line& line : ignoredLines_) {
    std::string kept = LanguageText("Review", "NotInLastRun", "not in the last run");
    // The last run's count, where that run read this very line.
    for (const Exclusions::Line& used : engine_.AppliedExclusions().Lines()) {
      if (used.number == line.number && used.text == line.text) kept = std::to_string(used.kept);
    }
    rows.push_back({line.text, kept});
  }
  view_.IgnoredListFill(rows);
  // An empty page says what it is for in place of the list.
  view_.SetText(Ctl::IgnoredHint,
                rows.empty() ? LanguageText("Review", "IgnoredHint",
                                            "Items you chose to \"Ignore always\" in a review are "
                                            "listed here; Klarvex does not judge them again. Take "
                                            "one out with Remove to have it judged again from the "
                                            "next run on. There are none now.")
                             : std::string());
  view_.SetVisible(Ctl::IgnoredHint, rows.empty());
  view_.SetVisible(Ctl::IgnoredList, !rows.empty());
}

void MainForm::OnRemoveIgnoredClicked() {
  if (engine_.Running) return;
  const int row = view_.IgnoredListSelected();
  if (row < 0 || static_cast<size_t>(row) >= ignoredLines_.size()) {
    ShowInformation(LanguageText("Messages", "SelectLine", "Select a line first."));
    return;
  }
  const Exclusions::Line line = ignoredLines_[static_cast<size_t>(row)];
  const std::string question =
      LanguageText("Messages", "RemoveIgnored", "Judge this item again from the next run on?") +
      "\n" + line.text;
  if (AskConfirmation(question) != 1) return;
  std::string reason;
  if (!RemoveExclusionLine(ExclusionsFile(), line.number, line.text, reason)) {
    ShowInformation(LanguageText("Messages", "NotRemoved",
                                 "This line could not be taken out of the exclusions file:") +
                    "\n" + line.text + "\n" + reason);
  }
  ShowIgnoredLines();
}

void MainForm::OnIgnoredBackClicked() { view_.BringToFront(Page::Start); }
