// The main form: window creation and close, the Details links and page, the undo page, the
// hand-over messages. The clean run itself is the engine's; the form hosts it through its view.
#pragma once

#include <string>
#include <vector>

#include "engine/CleanEngine.h"
#include "ui/FormView.h"

inline constexpr const char* kAdvertisedAddress = "https://www.ostrawin.com/fastrel/";
inline constexpr const char* kCompatLayersKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline constexpr const char* kCompatLayersData = "RUNASADMIN ELEVATECREATEPROCESS";

struct Position {
  int left = 0;
  int top = 0;
  bool operator==(const Position&) const = default;
};
// "1 " and the text for one, or the count and the text for several, from the language file.
std::string CountedText(size_t count, const char* section, const char* oneKey,
                        const char* oneDefault, const char* manyKey, const char* manyDefault);

// At the cursor, moved back into the screen when the window would stick out.
Position PlaceAtCursor(const ScreenMetrics& screen);

class MainForm final : public RunHost {
 public:
  explicit MainForm(FormView& view) : view_(view) {}

  // The clean run the window holds.
  CleanEngine& Engine() { return engine_; }
  const CleanEngine& Engine() const { return engine_; }

  void CreateForm();
  // The window's close request; canClose is cleared to refuse it.
  void CloseForm(bool& canClose);

  // The Clean/Stop button. In the preview window a Clean only follows a whole scan whose list
  // was there to review; after that Clean, or after a stop, the button reads "Scan again".
  void OnCleanClicked();
  void BeginPreview();

  void OnCloseClicked();
  void DetailsLinkClick(int category);
  void OnAdLinkClicked();
  void OnDetailsBackClicked();

  // The review of a scan's findings on the Details page: a row's check box changed by the
  // person, Select all and Deselect all of the category shown, and "Ignore always".
  void OnFindingTicked(int row, bool ticked);
  void OnTickAllClicked();
  void OnUntickAllClicked();
  void OnIgnoreClicked();

  // The review's details pane follows the selected row.
  void OnFindingSelected(int row);

  // The start page's links to the preview (its scan starts at once) and to the undo page.
  void OnScanFirstClicked();
  void OnUndoPageLinkClicked();

  // The ignored page.
  void OpenIgnoredPage();
  void OnRemoveIgnoredClicked();
  void OnIgnoredBackClicked();

  // The undo page.
  void OpenUndoPage();
  void RefreshUndoList();
  void OnUndoListClicked();
  void OnSelectAllClicked();
  void OnDeselectAllClicked();
  void OnOpenFolderClicked();
  void OnUndoClicked();
  void OnDeleteClicked();
  void OnUndoBackClicked();

  // The application-wide hook every message from the queue passes before it is dispatched.
  void MessageEvent(uint32_t message, uintptr_t wParam, bool& handled);

  const std::string& AdvertisedAddress() const { return advertisedAddress_; }

  // What the run shows and asks, through the window's controls and dialogs.
  void PumpMessages() override { view_.PumpMessages(); }
  void ShowButtonCaption(const std::string& caption) override;
  void EnableCloseButton(bool enabled) override;
  void ShowProgressLabel(const std::string& text) override;
  void ShowGauge(int percent, bool visible) override;
  void ShowCounterLabel(int category, const std::string& text) override;
  void ActivateDetailsLinks(bool active) override;
  int AskConfirmation(const std::string& question) override;
  void ShowInformation(const std::string& message) override;
  // The start page says it in a line of its own (ShowRunNotices).
  bool ListsExclusionsKept() const override { return false; }

 private:
  // The run's state the pages read.
  RunMode LastRun() const { return engine_.LastRun(); }
  const std::vector<Finding>& Findings() const { return engine_.Findings(); }
  ::Review& ScanReview() { return engine_.ScanReview(); }
  const ::Review& ScanReview() const { return engine_.ScanReview(); }

  void SetCaptions();
  // Opens an address or folder with the user's own rights, or shows it for the user to open.
  void OpenForUser(const std::string& target);
  // The button scans first, as the SCAN command line has it.
  void EnterPreview();
  // After a run: the line of what the exclusions kept out, and the undo link's offer.
  void ShowRunNotices();
  // The Details page's heading names the category shown.
  void ShowDetailsHeading(int category);
  static std::string CategoryName(int category);
  // The place the window had when the user last closed it, kept on a screen; false when none
  // was kept.
  bool RestoreWindowPlace();
  void SaveWindowPlace();
  void FreeLists();
  // After a scan the Details page lists the category's findings for review; otherwise, and
  // after a Clean, its text box shows the category's detail lines.
  bool Reviewing() const { return LastRun() == RunMode::Scan && ScanReview().Active(); }
  void ShowReviewControls(bool review);
  void ShowReview(int category);
  void ShowFindingTicks();
  void TickAllShown(bool ticked);
  // After a scan: each category's counter reads ticked of found, and the summary and the
  // Details footer say both; ignored findings are no longer among the found.
  void ShowReviewCounts();
  void ShowIgnoredLines();
  struct ReviewCount {
    int found = 0;
    int ticked = 0;
  };
  ReviewCount CountReview(int category) const;
  // Undo and Delete share their first steps: nothing while busy or with an empty list; the count
  // of ticked entries (at least 1, the selected one ticked when none was; with none ticked and
  // none selected, only a message saying so); the question. Returns that count once the user
  // answered Yes, else 0.
  int ConfirmTicked(const std::string& question);
  // A listed undo file. An elevated run lists the user's own folder too, whose files it shows
  // but never imports: any program of the user may have written or changed them.
  struct UndoEntry {
    std::string path;
    bool importable = true;
  };
  // An undo file read once: what the page shows of it is what Undo imports.
  struct UndoFileRead {
    std::string path;
    Bytes data;
    long status = -1;  // the read's Win32 status; -1 before any read
  };
  UndoFileRead ReadUndoFile(const std::string& path) const;
  void ListUndoFiles(const std::string& folder, bool importable);
  // Imports the bytes through a private copy created new and held during the import; the items
  // the registry does not show afterwards are added to missed. Returns why the copy could not
  // be made, "" when it was imported.
  std::string ImportUndoCopy(Bytes data, TextList& missed);

  FormView& view_;
  CleanEngine engine_{*this};
  UndoFileRead shown_;
  std::vector<UndoEntry> undoEntries_;  // by row of the undo list
  std::string advertisedAddress_;
  // The review list's rows: the findings of the category shown, by their index in Findings().
  std::vector<size_t> rows_;
  int reviewCategory_ = 0;
  // The ignored page's rows: the file's lines as they were listed.
  std::vector<Exclusions::Line> ignoredLines_;
  bool preview_ = false;
  // The run in progress was stopped by the person.
  bool stopped_ = false;
};
