#include "ui/MainForm.h"

#include <array>

#include "engine/Categories.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "ui/ConfirmDialog.h"
#include "ui/InfoDialog.h"
#include "ui/Layout.h"
#include "ui/StartUp.h"
#include "undo/UndoJournal.h"

namespace {
struct Caption {
  Ctl control;
  const char* section;
  const char* key;
  const char* fallback;
  const char* suffix;
};

// The captions the language file replaces, in the order they are set: the introduction, then
// the categories' names and Details links (from the category table), then the rest.
constexpr std::array<Caption, 2> kIntroCaptions{{
    {Ctl::Intro, "Info", "Info1",
     "The Windows Registry is a crucial part of your PC's operation system. Regular use of "
     "computer makes the registry fragmented and cluttered with obsolete and invalid data.",
     ""},
    {Ctl::Slogan, "Info", "Info2", "Just clean registry in a blink of an eye!", ""},
}};
constexpr std::array<Caption, 19> kPageCaptions{{
    {Ctl::CleanButton, "Buttons", "Clean", "Clean", ""},
    {Ctl::DetailsHeading, "Items", "Details", "Details", ""},
    {Ctl::DetailsBackButton, "Buttons", "Back", "Back", ""},
    {Ctl::UndoHeading, "Buttons", "Undo", "Undo", ""},
    {Ctl::SelectAllLink, "Buttons", "SelectAll", "Select all", ""},
    {Ctl::DeselectAllLink, "Buttons", "DeselectAll", "Deselect all", ""},
    {Ctl::OpenFolderLink, "Undo", "OpenFolder", "Open folder", ""},
    {Ctl::UndoButton, "Buttons", "Undo", "Undo", ""},
    {Ctl::DeleteButton, "Buttons", "Delete", "Delete", ""},
    {Ctl::UndoBackButton, "Buttons", "Back", "Back", ""},
    {Ctl::TickAllLink, "Buttons", "SelectAll", "Select all", ""},
    {Ctl::UntickAllLink, "Buttons", "DeselectAll", "Deselect all", ""},
    {Ctl::IgnoreButton, "Buttons", "IgnoreAlways", "Ignore always", ""},
    {Ctl::IgnoredLink, "Items", "Ignored", "Ignored items", ""},
    {Ctl::ScanFirstLink, "Items", "ScanFirst", "Scan first ...", ""},
    {Ctl::UndoPageLink, "Items", "UndoPage", "Undo ...", ""},
    {Ctl::IgnoredHeading, "Items", "Ignored", "Ignored items", ""},
    {Ctl::RemoveIgnoredButton, "Buttons", "Remove", "Remove", ""},
    {Ctl::IgnoredBackButton, "Buttons", "Back", "Back", ""},
}};

template <typename List>
void Free(List& list) {
  List().swap(list);
}
}  // namespace

// The fixed numbers are the window's own size and margins at 96 DPI, and scale with it.
Position PlaceAtCursor(const ScreenMetrics& s) {
  Position p{s.cursorX, s.cursorY};
  if (s.screenWidth - s.windowWidth < p.left) {
    p.left = (s.workAreaWidth - ScaleToDpi(kClientWidth, s.dpi)) / 2;
  }
  if (s.screenHeight / 2 - ScaleToDpi(200, s.dpi) < p.top) p.top = ScaleToDpi(140, s.dpi);
  return p;
}

void MainForm::CreateForm() {
  PrepareProgram();
  // Held while the window is open: a report run meanwhile would share the undo folder.
  HoldLockOfItsRights(kRunLockName);
  if (::OsMajorVersion == 6) {
    // A refused write of this one setting must not keep the program from starting.
    try {
      WriteStringValue(RootKey::CurrentUser, kCompatLayersKey, Process().ExePath(),
                       kCompatLayersData);
    } catch (const RegistryError&) {
    }
  }
  if (!RestoreWindowPlace()) {
    const Position at = PlaceAtCursor(view_.Screen());
    view_.MoveTo(at.left, at.top);
  }
  view_.MakeTopmost();
  advertisedAddress_ = kAdvertisedAddress;
  SetCaptions();
  UndoJournal.clear();
  engine_.SystemFileIndex.Clear();
  FixScript.clear();
  for (int k = 1; k <= kCategoryCount; ++k) engine_.CategoryLog(k).clear();
  engine_.Running = false;
  engine_.JudgeUsers(UsersOfTheRun(gStartUp.allUsers));
  if (gStartUp.runningInstance == 0 && gStartUp.commandArgument == "UNDO") OpenUndoPage();
  if (gStartUp.runningInstance == 0 && gStartUp.commandArgument == "SCAN") {
    // The preview: the button scans first; after the scan it reads Clean and cleans.
    EnterPreview();
  }
}

void MainForm::SetCaptions() {
  for (const Caption& c : kIntroCaptions) {
    view_.SetText(c.control, LanguageText(c.section, c.key, c.fallback) + c.suffix);
  }
  for (int k = 1; k <= kCategoryCount; ++k) view_.SetText(NameLabel(k), CategoryName(k) + ":");
  for (int k = 1; k <= kCategoryCount; ++k) {
    view_.SetText(DetailsLink(k), LanguageText("Items", "Details", "Details"));
  }
  for (const Caption& c : kPageCaptions) {
    view_.SetText(c.control, LanguageText(c.section, c.key, c.fallback) + c.suffix);
  }
  view_.SetFindingsColumns(LanguageText("Review", "Problem", "Problem"),
                           LanguageText("Review", "Item", "Item"),
                           LanguageText("Review", "Data", "Data"));
  view_.SetIgnoredColumns(LanguageText("Review", "Line", "Line of Exclusions.txt"),
                          LanguageText("Review", "Kept", "Items kept last run"));
  ShowReviewControls(false);
}

void MainForm::FreeLists() {
  engine_.ClearSystemFileIndex();
  Free(UndoJournal);
  Free(FixScript);
  for (int k = 1; k <= kCategoryCount; ++k) Free(engine_.CategoryLog(k));
}

void MainForm::CloseForm(bool& canClose) {
  // A stopped run still needs its journal and script for its final steps.
  if (engine_.Running || engine_.RunInProgress()) {
    canClose = false;
    return;
  }
  SaveWindowPlace();
  FreeLists();
  FinishProgram();
}

void MainForm::OnCloseClicked() {
  if (!engine_.Running) view_.RequestClose();
}

void MainForm::DetailsLinkClick(int category) {
  if (engine_.Running) return;
  const int count = Reviewing() ? CountReview(category).found : engine_.CategoryCount(category);
  if (count == 0) {
    ShowInformation(LanguageText("Messages", "NothingToView", "You have nothing to view!"));
    return;
  }
  ShowReviewControls(Reviewing());
  ShowDetailsHeading(category);
  if (Reviewing()) {
    ShowReview(category);
    ShowReviewCounts();
  } else {
    view_.FillDetails(engine_.CategoryLog(category));
    view_.SetText(Ctl::DetailsFooter, std::to_string(engine_.CategoryCount(category)) + " " +
                                          CountText(LastRun()) + ".");
  }
  view_.BringToFront(Page::Details);
}

void MainForm::OnAdLinkClicked() { OpenForUser(advertisedAddress_); }

void MainForm::OpenForUser(const std::string& target) {
  if (OpenWithUsersRights(view_.OwnerHandle(), target)) return;
  ShowInformation(LanguageText("Messages", "OpenYourself",
                               "Klarvex runs as administrator and opens nothing with those "
                               "rights. Open this yourself:") +
                  "\n" + target);
}

void MainForm::OnDetailsBackClicked() { view_.BringToFront(Page::Start); }

void MainForm::MessageEvent(uint32_t message, uintptr_t wParam, bool& /*handled*/) {
  switch (RequestOf(gStartUp, message, wParam)) {
    case Request::Clean:
      if (!engine_.Running) view_.BringToFront(Page::Start);
      break;
    case Request::Undo:
      if (!engine_.Running) OpenUndoPage();
      break;
    case Request::None:
      break;
  }
}

void MainForm::ShowButtonCaption(const std::string& caption) {
  view_.SetText(Ctl::CleanButton, caption);
}

void MainForm::EnableCloseButton(bool enabled) { view_.SetEnabled(Ctl::CloseButton, enabled); }

void MainForm::ShowProgressLabel(const std::string& text) {
  view_.SetText(Ctl::ProgressLabel, text);
}

void MainForm::ShowGauge(int percent, bool visible) { view_.SetGauge(percent, visible); }

void MainForm::ShowCounterLabel(int category, const std::string& text) {
  view_.SetText(CounterLabel(category), text);
}

void MainForm::ActivateDetailsLinks(bool active) {
  for (int k = 1; k <= kCategoryCount; ++k) {
    view_.SetFontColour(DetailsLink(k), active ? kBlack : kGrey);
    view_.SetCursor(DetailsLink(k), active ? Cursor::Hand : Cursor::Arrow);
  }
}

int MainForm::AskConfirmation(const std::string& question) { return ConfirmBox.Ask(question); }

void MainForm::ShowInformation(const std::string& message) { InfoBox.Inform(message); }
