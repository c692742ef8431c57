// The preview window's button and the counts that follow the person's choices after its scan.
#include "engine/Categories.h"
#include "platform/LanguageFile.h"
#include "ui/MainForm.h"

void MainForm::BeginPreview() {
  preview_ = true;
  engine_.BeginPreview();
}

void MainForm::OnCleanClicked() {
  if (engine_.Running || engine_.RunInProgress()) {
    engine_.OnCleanClicked();
    if (!engine_.Running) stopped_ = true;
    return;
  }
  stopped_ = false;
  view_.SetText(Ctl::KeptOutLabel, "");
  engine_.OnCleanClicked();
  ShowRunNotices();
  if (!preview_) return;
  const bool wholeScan = LastRun() == RunMode::Scan && !stopped_ && engine_.RunError().empty();
  if (wholeScan) return ShowReviewCounts();
  // A Clean here never runs on an old or partial list: what it repairs was reviewed first.
  ScanReview().End();
  engine_.BeginPreview();
  view_.SetText(Ctl::CleanButton, LanguageText("Buttons", "ScanAgain", "Scan again"));
}

MainForm::ReviewCount MainForm::CountReview(int category) const {
  ReviewCount count;
  for (size_t i = 0; i < Findings().size(); ++i) {
    if (Findings()[i].category != category || ScanReview().Ignored(i)) continue;
    ++count.found;
    count.ticked += ScanReview().Ticked(i) ? 1 : 0;
  }
  return count;
}

namespace {
// n + " problems found, " + ticked + " ticked." ("1 problem found" for one).
std::string FoundAndTicked(int found, int ticked) {
  return CountedText(static_cast<size_t>(found), "Fix", "problem found", "problem found",
                     "problems found", "problems found") +
         ", " + std::to_string(ticked) + " " + LanguageText("Review", "Ticked", "ticked") + ".";
}
}  // namespace

void MainForm::ShowReviewCounts() {
  if (!Reviewing()) return;
  ReviewCount total;
  for (int k = 1; k <= kCategoryCount; ++k) {
    const ReviewCount count = CountReview(k);
    total.found += count.found;
    total.ticked += count.ticked;
    view_.SetText(CounterLabel(k), std::to_string(count.ticked) + " " +
                                       LanguageText("Review", "Of", "of") + " " +
                                       std::to_string(count.found));
  }
  view_.SetText(Ctl::ProgressLabel, LanguageText("Fix", "Summary", "Summary") + ":  " +
                                        FoundAndTicked(total.found, total.ticked));
  if (reviewCategory_ < 1) return;
  const ReviewCount shown = CountReview(reviewCategory_);
  view_.SetText(Ctl::DetailsFooter, FoundAndTicked(shown.found, shown.ticked));
}
