// The seam between the portable main form (MainForm) and its window: the real Win32 window or a
// recording fake in the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "ui/Controls.h"
#include "ui/Layout.h"

// What placement needs to know about the screen, in pixels.
struct ScreenMetrics {
  int cursorX = 0;
  int cursorY = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  int workAreaWidth = 0;
  int windowWidth = 0;  // the whole window, frame included
  int dpi = 96;         // the window's; the layout table's numbers are at 96
};

// One row of the review list: a finding's problem, item and data, and its check box.
struct FindingRow {
  std::string problem;
  std::string item;
  std::string data;
  bool ticked = true;
};

// One line of the exclusions file on the ignored page, with the items it kept in the last run.
struct IgnoredRow {
  std::string line;
  std::string kept;
};

// Where the window stands on the screen, its frame included, in pixels.
struct WindowPlace {
  Bounds frame{};
  bool maximised = false;
  bool operator==(const WindowPlace&) const = default;
};

class FormView {
 public:
  virtual ~FormView() = default;

  virtual void SetText(Ctl control, const std::string& text) = 0;
  virtual void SetFontColour(Ctl control, Colour colour) = 0;
  virtual void SetCursor(Ctl control, Cursor cursor) = 0;
  virtual void SetEnabled(Ctl control, bool enabled) = 0;
  virtual void SetVisible(Ctl control, bool visible) = 0;
  virtual void SetGauge(int percent, bool visible) = 0;
  virtual void BringToFront(Page page) = 0;
  // DetailsList: the lines of one detail list.
  virtual void FillDetails(const TextList& lines) = 0;

  // FindingsList, the review list: its column headings, its rows, a row's check box, and the
  // selected row (-1 when none is). Ticks set here raise no OnFindingTicked.
  virtual void SetFindingsColumns(const std::string& problem, const std::string& item,
                                  const std::string& data) = 0;
  virtual void FindingsListFill(const std::vector<FindingRow>& rows) = 0;
  virtual void FindingsListTick(int row, bool ticked) = 0;
  virtual int FindingsListSelected() = 0;

  // IgnoredList: the lines of the exclusions file; the selected one (-1 when none is).
  virtual void SetIgnoredColumns(const std::string& line, const std::string& kept) = 0;
  virtual void IgnoredListFill(const std::vector<IgnoredRow>& rows) = 0;
  virtual int IgnoredListSelected() = 0;

  // UndoFileList, the list with check boxes.
  virtual void UndoListClear() = 0;
  virtual void UndoListAdd(const std::string& name) = 0;
  virtual int UndoListCount() = 0;
  virtual std::string UndoListItem(int index) = 0;
  virtual bool UndoListTicked(int index) = 0;
  virtual void UndoListTick(int index, bool ticked) = 0;
  // -1 when no entry is selected.
  virtual int UndoListSelected() = 0;
  // Selects without raising the list's click.
  virtual void UndoListSelect(int index) = 0;
  // UndoFileText, the wide-text box.
  virtual void SetUndoText(const std::u16string& text) = 0;

  // Processes all pending messages (each passed through the form's MessageEvent).
  virtual void PumpMessages() = 0;
  // Asks the window to close; the close request runs CloseForm.
  virtual void RequestClose() = 0;
  virtual ScreenMetrics Screen() = 0;
  virtual void MoveTo(int left, int top) = 0;
  // The window's place now (its normal place when maximised), the work area of the screen
  // nearest to a frame, and the smallest frame the window may have.
  virtual WindowPlace Placement() = 0;
  virtual Bounds WorkAreaNear(const Bounds& frame) = 0;
  virtual Bounds SmallestFrame() = 0;
  virtual void PlaceWindow(const WindowPlace& place) = 0;
  // Topmost without moving, resizing or activating.
  virtual void MakeTopmost() = 0;
  // The owner handed to the shell.
  virtual uintptr_t OwnerHandle() = 0;
};
