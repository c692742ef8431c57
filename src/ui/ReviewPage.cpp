// The Details page after a scan: the category's findings with a check box each, ticked by
// default; the Clean that follows repairs the ticked ones. "Ignore always" adds the selected
// finding to the exclusions file.
#include "engine/Categories.h"
#include "engine/Exclusions.h"
#include "engine/ReviewRows.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "ui/MainForm.h"

namespace {

// How long a row's item may grow before where it lives is shortened in its middle.
constexpr size_t kItemTextLength = 90;

}  // namespace

std::string MainForm::CategoryName(int category) {
  const CategoryInfo& info = CategoryOf(category);
  return LanguageText("Items", std::string(info.key), std::string(info.nameDefault));
}

void MainForm::ShowDetailsHeading(int category) {
  view_.SetText(Ctl::DetailsHeading,
                LanguageText("Items", "Details", "Details") + ": " + CategoryName(category));
}

void MainForm::ShowReviewControls(bool review) {
  view_.SetVisible(Ctl::DetailsList, !review);
  for (Ctl c : kReviewControls) {
    view_.SetVisible(c, review);
  }
}

void MainForm::ShowReview(int category) {
  reviewCategory_ = category;
  rows_.clear();
  std::vector<FindingRow> rows;
  for (size_t i = 0; i < Findings().size(); ++i) {
    const Finding& f = Findings()[i];
    if (f.category != category || ScanReview().Ignored(i)) continue;
    rows_.push_back(i);
    rows.push_back({ProblemText(f.rule), ReviewItemText(f, kItemTextLength), ReviewDataText(f),
                    ScanReview().Ticked(i)});
  }
  view_.FindingsListFill(rows);
  view_.SetText(Ctl::FindingDetails, "");
}

void MainForm::ShowFindingTicks() {
  for (size_t row = 0; row < rows_.size(); ++row) {
    view_.FindingsListTick(static_cast<int>(row), ScanReview().Ticked(rows_[row]));
  }
}

void MainForm::OnFindingTicked(int row, bool ticked) {
  if (engine_.Running || !Reviewing() || row < 0 || static_cast<size_t>(row) >= rows_.size())
    return;
  ScanReview().Tick(rows_[static_cast<size_t>(row)], ticked);
  // Findings that cannot be kept or removed apart from this one follow it.
  ShowFindingTicks();
  ShowReviewCounts();
}

void MainForm::TickAllShown(bool ticked) {
  if (engine_.Running || !Reviewing()) return;
  for (size_t finding : rows_) ScanReview().Tick(finding, ticked);
  ShowFindingTicks();
  ShowReviewCounts();
}

void MainForm::OnTickAllClicked() { TickAllShown(true); }

void MainForm::OnUntickAllClicked() { TickAllShown(false); }

void MainForm::OnIgnoreClicked() {
  if (engine_.Running || !Reviewing()) return;
  const int row = view_.FindingsListSelected();
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
    ShowInformation(LanguageText("Messages", "SelectFinding", "Select a finding first."));
    return;
  }
  const size_t index = rows_[static_cast<size_t>(row)];
  const Finding& f = Findings()[index];
  const std::string item = ItemName(f);
  const std::string question =
      LanguageText("Messages", "IgnoreAlways", "Never judge this item again?") + "\n" + item;
  if (AskConfirmation(question) != 1) return;
  std::string reason;
  if (!AddExclusion(ExclusionsFile(), f.root, f.keyPath, f.isValue ? &f.valueName : nullptr,
                    reason)) {
    ShowInformation(LanguageText("Messages", "NotIgnored",
                                 "This item could not be added to the exclusions file:") +
                    "\n" + item + "\n" + reason);
    return;
  }
  ScanReview().Ignore(index);
  ShowReview(reviewCategory_);
  ShowReviewCounts();
}

void MainForm::OnFindingSelected(int row) {
  if (!Reviewing() || row < 0 || static_cast<size_t>(row) >= rows_.size()) {
    view_.SetText(Ctl::FindingDetails, "");
    return;
  }
  view_.SetText(Ctl::FindingDetails,
                ReviewDetailsText(Findings()[rows_[static_cast<size_t>(row)]]));
}
