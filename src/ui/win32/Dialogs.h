// The real Information and Confirmation dialogs: plain windows built from a control table,
// shown modally over the main window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/DialogLayout.h"
#include "ui/DialogView.h"

enum class DialogKind { Information, Confirmation };

// Child control ids, for test drivers and automation (GetDlgItem).
inline constexpr int kDialogInfoLabelId = 100;
inline constexpr int kDialogButton1Id = 101;
inline constexpr int kDialogButton2Id = 102;
// Shown instead of the InfoLabel (which keeps the text) when the text is too long to fit.
inline constexpr int kDialogScrollingTextId = 103;

// One child control of a dialog: its id, class, style and place at 96 DPI.
struct DialogControl {
  int id;
  const char* className;
  DWORD style;
  Bounds at96;
};

class Win32Dialog : public DialogView {
 public:
  // Creates the hidden dialog window, owned by owner (may be null: then centred on the screen).
  Win32Dialog(HWND owner, DialogKind kind, DialogEvents& events);
  ~Win32Dialog() override;
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  void SetCaption(const std::string& text) override;
  void SetButtonCaption(int button, const std::string& text) override;
  void SetInfoText(const std::string& text) override;
  void ShowModal() override;
  void Close() override;

  HWND Handle() const { return hwnd_; }
  bool Showing() const { return showing_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Route(UINT msg, WPARAM wParam, LPARAM lParam);
  void DrawInfoLabel(const DRAWITEMSTRUCT& item) const;
  void Place();
  // Sizes the text box, the buttons and the window for the text and dpi.
  void Layout(UINT dpi);
  void SetFonts(UINT dpi);
  TextSize MeasureInfoText(int wrapWidth) const;

  HWND owner_;
  DialogEvents& events_;
  HWND hwnd_ = nullptr;
  HFONT dialogFont_ = nullptr;
  HFONT labelFont_ = nullptr;
  UINT dpi_ = 0;
  DialogFit fit_;
  std::vector<DialogControl> buttons_;
  HWND returnFocus_ = nullptr;
  bool showing_ = false;
  bool placed_ = false;
};

// Creates the two process-wide dialogs over the main window and binds them to InfoBox and
// ConfirmBox (their captions are read from the language file now). Call once after the main window.
void CreateDialogs(HWND mainWindow);
// The application-wide message hook: every message the dialogs' modal loop takes from the queue
// passes it first, as in the main loop, so a hand-over arriving while a dialog is open is seen.
void SetDialogMessageHook(std::function<void(const MSG&)> hook);
// Destroys them when the program ends.
void DestroyDialogs();
// The windows created by CreateDialogs (null before).
Win32Dialog* InformationDialog();
Win32Dialog* ConfirmationDialog();
