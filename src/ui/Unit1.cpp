#include "ui/Unit1.h"

#include <array>

#include "platform/LanguageFile.h"
#include "platform/Platform.h"
#include "platform/RegUnit.h"
#include "platform/Unit0.h"
#include "ui/StartUp.h"
#include "ui/Unit2a.h"
#include "ui/Unit2b.h"
#include "undo/UndoJournal.h"

namespace {
struct Caption {
  Ctl control;
  const char* section;
  const char* key;
  const char* fallback;
  const char* suffix;
};

// The captions the language file replaces, in the order they are set.
constexpr std::array<Caption, 22> kCaptions{{
    {Ctl::Panel1InfoLabel1, "Info", "Info1",
     "The Windows Registry is a crucial part of your PC's operation system. Regular use of "
     "computer makes the registry fragmented and cluttered with obsolete and invalid data.",
     ""},
    {Ctl::Panel1InfoLabel2, "Info", "Info2", "Just clean registry in a blink of an eye!", ""},
    {Ctl::Panel1Label1a, "Items", "Item1", "File associations", ":"},
    {Ctl::Panel1Label2a, "Items", "Item2", "Com/ActiveX entries", ":"},
    {Ctl::Panel1Label3a, "Items", "Item3", "Startup program list", ":"},
    {Ctl::Panel1Label4a, "Items", "Item4", "Uninstall entries", ":"},
    {Ctl::Panel1Label5a, "Items", "Item5", "Temporary registry values", ":"},
    {Ctl::Panel1Label1c, "Items", "Details", "Details", ""},
    {Ctl::Panel1Label2c, "Items", "Details", "Details", ""},
    {Ctl::Panel1Label3c, "Items", "Details", "Details", ""},
    {Ctl::Panel1Label4c, "Items", "Details", "Details", ""},
    {Ctl::Panel1Label5c, "Items", "Details", "Details", ""},
    {Ctl::Panel1Button1, "Buttons", "Clean", "Clean", ""},
    {Ctl::Panel2Label1, "Items", "Details", "Details", ""},
    {Ctl::Panel2Button1, "Buttons", "Back", "Back", ""},
    {Ctl::Panel3Label1, "Buttons", "Undo", "Undo", ""},
    {Ctl::Panel3Label2, "Buttons", "SelectAll", "Select all", ""},
    {Ctl::Panel3Label3, "Buttons", "DeselectAll", "Deselect all", ""},
    {Ctl::Panel3Label4, "Undo", "OpenFolder", "Open folder", ""},
    {Ctl::Panel3Button1, "Buttons", "Undo", "Undo", ""},
    {Ctl::Panel3Button2, "Buttons", "Delete", "Delete", ""},
    {Ctl::Panel3Button3, "Buttons", "Back", "Back", ""},
}};

std::string FixScriptPath() { return UndoDir() + kFixScriptName; }

void DeleteLeftoverFixScript() {
  if (FileExists(FixScriptPath())) Files().RemoveFile(FixScriptPath());
}

template <typename List>
void Free(List& list) {
  List().swap(list);
}
}  // namespace

Position PlaceAtCursor(const ScreenMetrics& s) {
  Position p{s.cursorX, s.cursorY};
  if (s.screenWidth - s.windowWidth < p.left) p.left = (s.workAreaWidth - 400) / 2;
  if (s.screenHeight / 2 - 200 < p.top) p.top = 140;
  return p;
}

void TForm1::CreateForm() {
  InitPaths();
  ::OsMajorVersion = Process().OsMajorVersion();
  if (::OsMajorVersion == 6) {
    // A refused write of this one setting must not keep the program from starting.
    try {
      WriteStringValue(RootKey::CurrentUser, kCompatLayersKey, Process().ExePath(),
                       kCompatLayersData);
    } catch (const RegistryError&) {
    }
  }
  const Position at = PlaceAtCursor(view_.Screen());
  view_.MoveTo(at.left, at.top);
  view_.MakeTopmost();
  advertisedAddress_ = kAdvertisedAddress;
  OpenLanguageFile(ExeDir() + "\\English.ini");
  SetCaptions();
  UndoJournal.clear();
  StartDate = Process().Today();
  SystemFileIndex.Clear();
  FixScript.clear();
  for (int k = 1; k <= kCategoryCount; ++k) CategoryLog(k).clear();
  Running = false;
  if (gStartUp.runningInstance == 0 && gStartUp.commandArgument == "UNDO") Panel3Enter();
}

void TForm1::SetCaptions() {
  for (const Caption& c : kCaptions) {
    view_.SetText(c.control, LanguageText(c.section, c.key, c.fallback) + c.suffix);
  }
}

void TForm1::FreeLists() {
  SystemFileIndex.Clear();
  Free(UndoJournal);
  Free(FixScript);
  for (int k = 1; k <= kCategoryCount; ++k) Free(CategoryLog(k));
}

void TForm1::CloseForm(bool& canClose) {
  if (Running) {
    canClose = false;
    return;
  }
  FreeLists();
  DeleteLeftoverFixScript();
  ReleaseLanguageFile();
}

void TForm1::Panel1Button2Click() {
  if (!Running) view_.RequestClose();
}

void TForm1::DetailsLinkClick(int category) {
  if (Running) return;
  if (CategoryCount(category) == 0) {
    ShowInformation(LanguageText("Messages", "NothingToView", "You have nothing to view!"));
    return;
  }
  view_.FillDetails(CategoryLog(category));
  view_.SetText(Ctl::Panel2Label2, std::to_string(CategoryCount(category)) + " " +
                                       LanguageText("Fix", "items fixed", "items fixed") + ".");
  view_.BringToFront(Page::Panel2);
}

void TForm1::Panel1InfoLabel4Click() { Shell().Open(view_.OwnerHandle(), advertisedAddress_); }

void TForm1::Panel2Button1Click() { view_.BringToFront(Page::Panel1); }

void TForm1::MessageEvent(uint32_t message, uintptr_t wParam, bool& /*handled*/) {
  switch (RequestOf(gStartUp, message, wParam)) {
    case Request::Clean:
      if (!Running) view_.BringToFront(Page::Panel1);
      break;
    case Request::Undo:
      if (!Running) Panel3Enter();
      break;
    case Request::None:
      break;
  }
}

void TForm1::ShowButtonCaption(const std::string& caption) {
  view_.SetText(Ctl::Panel1Button1, caption);
}

void TForm1::EnableCloseButton(bool enabled) { view_.SetEnabled(Ctl::Panel1Button2, enabled); }

void TForm1::ShowProgressLabel(const std::string& text) {
  view_.SetText(Ctl::Panel1ProgressLabel, text);
}

void TForm1::ShowGauge(int percent, bool visible) { view_.SetGauge(percent, visible); }

void TForm1::ShowCounterLabel(int category, const std::string& text) {
  view_.SetText(CounterLabel(category), text);
}

void TForm1::ActivateDetailsLinks(bool active) {
  for (int k = 1; k <= kCategoryCount; ++k) {
    view_.SetFontColour(DetailsLink(k), active ? kBlack : kGrey);
    view_.SetCursor(DetailsLink(k), active ? Cursor::Hand : Cursor::Arrow);
  }
}

int TForm1::AskConfirmation(const std::string& question) { return Form2b.Ask(question); }

void TForm1::ShowInformation(const std::string& message) { Form2a.Inform(message); }
