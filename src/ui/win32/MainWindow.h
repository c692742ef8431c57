// The real main window: frame, pages and controls built from the layout table, implementing the
// form's view. Its window procedure only routes messages to the form's named handlers.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "ui/FormView.h"
#include "ui/MainForm.h"
#include "ui/win32/Widgets.h"

// A frame that can be resized and maximised; its smallest size is the table's at the window's
// DPI.
inline constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
inline constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

class MainWindow : public FormView {
 public:
  MainWindow();
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls (hidden), then runs the form's CreateForm.
  bool Create(HINSTANCE instance);
  void Show();
  HWND Handle() const { return hwnd_; }
  MainForm& Form() { return form_; }
  // The main loop: every message passes MessageEvent first. Returns the quit code.
  int RunMessageLoop();

  // FormView
  void SetText(Ctl control, const std::string& text) override;
  void SetFontColour(Ctl control, Colour colour) override;
  void SetCursor(Ctl control, Cursor cursor) override;
  void SetEnabled(Ctl control, bool enabled) override;
  void SetVisible(Ctl control, bool visible) override;
  void SetGauge(int percent, bool visible) override;
  void BringToFront(Page page) override;
  void FillDetails(const TextList& lines) override;
  void SetFindingsColumns(const std::string& problem, const std::string& item,
                          const std::string& data) override;
  void FindingsListFill(const std::vector<FindingRow>& rows) override;
  void FindingsListTick(int row, bool ticked) override;
  int FindingsListSelected() override;
  void SetIgnoredColumns(const std::string& line, const std::string& kept) override;
  void IgnoredListFill(const std::vector<IgnoredRow>& rows) override;
  int IgnoredListSelected() override;
  void UndoListClear() override;
  void UndoListAdd(const std::string& name) override;
  int UndoListCount() override;
  std::string UndoListItem(int index) override;
  bool UndoListTicked(int index) override;
  void UndoListTick(int index, bool ticked) override;
  int UndoListSelected() override;
  void UndoListSelect(int index) override;
  void SetUndoText(const std::u16string& text) override;
  void PumpMessages() override;
  void RequestClose() override;
  ScreenMetrics Screen() override;
  void MoveTo(int left, int top) override;
  WindowPlace Placement() override;
  Bounds WorkAreaNear(const Bounds& frame) override;
  Bounds SmallestFrame() override;
  void PlaceWindow(const WindowPlace& place) override;
  void MakeTopmost() override;
  uintptr_t OwnerHandle() override { return reinterpret_cast<uintptr_t>(hwnd_); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls(HINSTANCE instance);
  HWND CreateControl(HINSTANCE instance, const ControlSpec& entry);
  void ApplyDpi(UINT dpi);
  void LayOut();
  // The frame around the table's client size at dpi.
  SIZE SmallestFrameSize(UINT dpi) const;
  // A list of one or two columns: the last one fills what the first leaves.
  void FitListColumns(const ControlSpec& entry, const Bounds& box);
  void FitToText(const ControlSpec& entry);
  void OnCommand(int id);
  void OnListNotify(const NMHDR& header);
  void OnFindingsNotify(const NMHDR& header);
  // Every column of the review list as wide as its widest text (the last one at least fills the
  // list), so that nothing is cut off that the scroll bar cannot bring into view.
  void FitFindingsColumns();
  void OnClose();
  // Passes one message through the hook and the keyboard, then to its window.
  void Deliver(MSG& msg);
  // The keyboard (MainWindowKeys.cpp): Tab and Shift+Tab in the page's reading order, Enter on
  // the focused link or button or else the page's default button, Space on a link, Escape back,
  // Alt and a button's access key. True when the key was used.
  bool OnKey(const MSG& msg);
  void MoveFocus(int step);
  // The focus into the front page: where it last was there, or its list, or its default button.
  void FocusFrontPage();
  bool PressAccessKey(char key);
  // Presses a link or button as a click would, when it is shown and enabled.
  void Press(Ctl c);
  // The access keys of the other buttons of c's page.
  std::string TakenAccessKeys(Ctl c) const;
  // A review's first size: wider, so that its columns show whole (ReviewFrameWidth).
  void GrowForReview();
  HWND Control(Ctl c) const { return controls_[static_cast<size_t>(c)]; }

  MainForm form_{*this};
  HWND hwnd_ = nullptr;
  std::array<HWND, kPageCount> pages_{};
  std::array<HWND, kControlCount> controls_{};
  std::array<HFONT, kControlCount> fonts_{};
  std::array<LabelState, kControlCount> labels_{};
  HBRUSH white_ = nullptr;
  UINT dpi_ = kBaseDpi;
  int clientWidth_ = kClientWidth;
  int clientHeight_ = kClientHeight;
  Page front_ = Page::Start;
  std::array<HWND, kPageCount> lastFocus_{};
  bool maximised_ = false;
  bool selecting_ = false;  // a selection made by the program raises no click
  ULONGLONG lastPump_ = 0;
};
