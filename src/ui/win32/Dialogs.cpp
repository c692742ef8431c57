#include "ui/win32/Dialogs.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "ui/AccessKeys.h"
#include "ui/ConfirmDialog.h"
#include "ui/InfoDialog.h"
#include "ui/win32/AppIcon.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/HandlerGuard.h"
#include "ui/win32/Widgets.h"

namespace {

constexpr char kClassName[] = "KlarvexDialog";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

// The InfoLabel is drawn by the dialog itself: a static control cannot centre wrapped text
// vertically. A text too long for the screen is shown in a scrolling box in its place.
constexpr DialogControl kInfoLabel{kDialogInfoLabelId, "STATIC", SS_OWNERDRAW, kDialogTextBox};
constexpr DialogControl kScrollingText{
    kDialogScrollingTextId, "EDIT",
    ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, kDialogTextBox};
constexpr DialogControl kInformationButtons[] = {
    {kDialogButton1Id, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kInformationButton},
};
constexpr DialogControl kConfirmationButtons[] = {
    {kDialogButton1Id, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kYesButton},
    {kDialogButton2Id, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kNoButton},
};
// The dialogs' fonts at 96 DPI; MS Sans Serif is asked for in the ANSI character set.
constexpr Font kDialogFont{"MS Sans Serif", 11, false, false};
constexpr Font kLabelFont{"Arial", 12, true, false};

// Long words break at the box's edge rather than run past it.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

void RegisterDialogClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  if (GetClassInfoExA(instance, kClassName, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcA;  // replaced per window once it knows its object
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kClassName;
  RegisterClassExA(&wc);
}

// Created at its 96-DPI place; Layout puts it where the dialog's DPI and text want it.
HWND CreateControl(HWND parent, const DialogControl& row, bool visible = true) {
  return CreateWindowExA(0, row.className, "", WS_CHILD | (visible ? WS_VISIBLE : 0) | row.style,
                         row.at96.left, row.at96.top, row.at96.width, row.at96.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                         nullptr);
}

void MoveControl(HWND control, const Bounds& b) {
  SetWindowPos(control, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// An edit box breaks lines only at CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
    out += c;
  }
  return out;
}

std::unique_ptr<Win32Dialog> information;
std::unique_ptr<Win32Dialog> confirmation;
std::function<void(const MSG&)> messageHook;

}  // namespace

Win32Dialog::Win32Dialog(HWND owner, DialogKind kind, DialogEvents& events)
    : owner_(owner), events_(events) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterDialogClass(instance);

  const SIZE frame =
      FrameSizeForClient(kDialogClientWidth, kDialogClientHeight, kStyle, kExStyle, kBaseDpi);
  hwnd_ = CreateWindowExA(kExStyle, kClassName, "", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                          frame.cy, owner, nullptr, instance, nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));

  // Only the close box: no minimise, maximise, size or restore in the system menu either.
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
    for (UINT command : {SC_MINIMIZE, SC_MAXIMIZE, SC_SIZE, SC_RESTORE})
      DeleteMenu(menu, command, MF_BYCOMMAND);
  }

  CreateControl(hwnd_, kInfoLabel);
  CreateControl(hwnd_, kScrollingText, false);
  if (kind == DialogKind::Information) {
    buttons_.assign(std::begin(kInformationButtons), std::end(kInformationButtons));
  } else {
    buttons_.assign(std::begin(kConfirmationButtons), std::end(kConfirmationButtons));
  }
  for (const DialogControl& row : buttons_) CreateControl(hwnd_, row);
  Layout(WindowDpi(owner_ != nullptr ? owner_ : hwnd_));
}

void Win32Dialog::SetFonts(UINT dpi) {
  HFONT dialogFont = CreateFontForDpi(kDialogFont, dpi, ANSI_CHARSET);
  HFONT labelFont = CreateFontForDpi(kLabelFont, dpi, ANSI_CHARSET);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
  for (const DialogControl& row : buttons_) {
    SendDlgItemMessageA(hwnd_, row.id, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), TRUE);
  }
  for (int id : {kDialogInfoLabelId, kDialogScrollingTextId}) {
    SendDlgItemMessageA(hwnd_, id, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), TRUE);
  }
  if (dialogFont_ != nullptr) DeleteObject(dialogFont_);
  if (labelFont_ != nullptr) DeleteObject(labelFont_);
  dialogFont_ = dialogFont;
  labelFont_ = labelFont;
  dpi_ = dpi;
}

TextSize Win32Dialog::MeasureInfoText(int wrapWidth) const {
  const std::string text = WindowText(GetDlgItem(hwnd_, kDialogInfoLabelId));
  HDC dc = GetDC(hwnd_);
  HGDIOBJ oldFont = SelectObject(dc, labelFont_);
  TextSize size;
  RECT box{0, 0, wrapWidth, 0};
  // Breaking only between words tells how wide the widest word or line is...
  DrawTextA(dc, text.c_str(), -1, &box,
            DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : 0));
  size.width = box.right - box.left;
  // ...breaking long words too, how tall the text is drawn.
  box = {0, 0, wrapWidth, 0};
  DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | (wrapWidth > 0 ? kTextFormat : DT_NOPREFIX));
  size.height = box.bottom - box.top;
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd_, dc);
  return size;
}

void Win32Dialog::Layout(UINT dpi) {
  if (dpi != dpi_ || labelFont_ == nullptr) {
    SetFonts(dpi);
    ShowAppIcon(hwnd_, dpi);
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(owner_ != nullptr ? owner_ : hwnd_, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  const RECT& work = monitor.rcWork;
  const int scale = static_cast<int>(dpi);
  fit_ = FitDialogText([this](int wrapWidth) { return MeasureInfoText(wrapWidth); }, scale,
                       work.right - work.left, work.bottom - work.top);

  HWND label = GetDlgItem(hwnd_, kDialogInfoLabelId);
  HWND scrolling = GetDlgItem(hwnd_, kDialogScrollingTextId);
  MoveControl(label, fit_.text);
  MoveControl(scrolling, fit_.text);
  SetWindowTextA(scrolling, fit_.scrolls ? WithCrLf(WindowText(label)).c_str() : "");
  ShowWindow(label, fit_.scrolls ? SW_HIDE : SW_SHOWNA);
  ShowWindow(scrolling, fit_.scrolls ? SW_SHOWNA : SW_HIDE);
  for (const DialogControl& row : buttons_) {
    MoveControl(GetDlgItem(hwnd_, row.id), PlaceDialogButton(row.at96, fit_, scale));
  }
  const SIZE frame = FrameSizeForClient(fit_.clientWidth, fit_.clientHeight, kStyle, kExStyle, dpi);
  RECT now{};
  GetWindowRect(hwnd_, &now);
  if (now.right - now.left == frame.cx && now.bottom - now.top == frame.cy) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx, frame.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  placed_ = false;
}

Win32Dialog::~Win32Dialog() {
  if (showing_) Close();
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  DeleteObject(dialogFont_);
  DeleteObject(labelFont_);
}

void Win32Dialog::SetCaption(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

// Each button gets an access key of its own (Alt and the letter, or the letter alone).
void Win32Dialog::SetButtonCaption(int button, const std::string& text) {
  const int id = button == 1 ? kDialogButton1Id : kDialogButton2Id;
  const int other = button == 1 ? kDialogButton2Id : kDialogButton1Id;
  std::string taken;
  if (HWND otherButton = GetDlgItem(hwnd_, other)) {
    if (const char key = AccessKeyOf(WindowText(otherButton))) taken += key;
  }
  SetDlgItemTextA(hwnd_, id, WithAccessKey(text, taken).c_str());
}

void Win32Dialog::SetInfoText(const std::string& text) {
  HWND label = GetDlgItem(hwnd_, kDialogInfoLabelId);
  SetWindowTextA(label, text.c_str());
  Layout(WindowDpi(owner_ != nullptr ? owner_ : hwnd_));
  // A new text while showing: centred again if its size changed, and kept on the screen.
  if (showing_) Place();
  InvalidateRect(label, nullptr, TRUE);
}

// The first showing, and any after the dialog changed its size, centres it on the main window
// as it is now; otherwise it keeps the place the user gave it. Either way it lies inside the
// work area of the main window's screen.
void Win32Dialog::Place() {
  RECT own{};
  if (owner_ == nullptr || !GetWindowRect(owner_, &own))
    SetRect(&own, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  RECT self{};
  GetWindowRect(hwnd_, &self);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  monitor.rcWork = own;
  GetMonitorInfoA(MonitorFromRect(&own, MONITOR_DEFAULTTONEAREST), &monitor);
  const auto bounds = [](const RECT& r) {
    return Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  const Bounds at = placed_ ? MovedInto(bounds(self), bounds(monitor.rcWork))
                            : PlaceDialog(bounds(own), self.right - self.left,
                                          self.bottom - self.top, bounds(monitor.rcWork));
  SetWindowPos(hwnd_, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  placed_ = true;
}

void Win32Dialog::ShowModal() {
  if (hwnd_ == nullptr || showing_) return;
  Place();
  showing_ = true;
  // Only a control of the owner (another dialog's button may still hold the focus a moment
  // after that dialog hid).
  HWND focus = GetFocus();
  returnFocus_ = owner_ != nullptr && IsChild(owner_, focus) != FALSE ? focus : owner_;
  if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(GetDlgItem(hwnd_, kDialogButton1Id));

  MSG msg;
  while (showing_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: leave the quit request to the outer loop.
      Close();
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) {
      Close();
      break;
    }
    if (messageHook) messageHook(msg);
    // Enter presses the focused button; there is no default or cancel button.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && IsChild(hwnd_, msg.hwnd)) {
      SendMessageA(msg.hwnd, BM_CLICK, 0, 0);
      continue;
    }
    if (IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Dialog::Close() {
  if (!showing_) return;
  showing_ = false;
  // The owner comes back before the dialog hides, so activation returns to it.
  if (owner_ != nullptr) EnableWindow(owner_, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  if (owner_ != nullptr) SetActiveWindow(owner_);
  // The keyboard goes on where it was, not on the hidden dialog's button (under Wine the owner
  // may never have lost the activation that would otherwise give it the focus back).
  if (returnFocus_ != nullptr && IsWindow(returnFocus_) != FALSE) SetFocus(returnFocus_);
}

void Win32Dialog::DrawInfoLabel(const DRAWITEMSTRUCT& item) const {
  const std::string text = WindowText(item.hwndItem);
  const int length = static_cast<int>(text.size());
  RECT box = item.rcItem;
  FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(item.hDC, labelFont_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  // A grown dialog holds a list of names: it reads from the left.
  const UINT format = kTextFormat | (fit_.grown ? DT_LEFT : DT_CENTER);
  RECT measured = box;
  DrawTextA(item.hDC, text.c_str(), length, &measured, format | DT_CALCRECT);
  const int textHeight = measured.bottom - measured.top;
  // Centred vertically when it fits.
  if (textHeight < box.bottom - box.top) box.top += ((box.bottom - box.top) - textHeight) / 2;
  DrawTextA(item.hDC, text.c_str(), length, &box, format);
  SelectObject(item.hDC, oldFont);
}

LRESULT CALLBACK Win32Dialog::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return GuardedHandler(hwnd, [&] { return self->Route(msg, wParam, lParam); });
}

LRESULT Win32Dialog::Route(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) events_.ActivateForm();
      break;
    case WM_COMMAND:
      // Escape: as the close box, which answers No.
      if (LOWORD(wParam) == IDCANCEL) {
        Close();
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == kDialogButton1Id) events_.Button1Click();
        if (LOWORD(wParam) == kDialogButton2Id) events_.Button2Click();
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == kDialogInfoLabelId) {
        DrawInfoLabel(*item);
        return TRUE;
      }
      break;
    }
    case kDpiChangedMessage: {
      // Moved to a screen of another scale: the same place, the layout at the new DPI.
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      // The system placed it for the new scale: that place stands.
      const bool placed = placed_;
      Layout(HIWORD(wParam));
      placed_ = placed;
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    }
    case WM_CLOSE:
      // The close box hides the dialog for reuse; Answer keeps what activation set (No).
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void SetDialogMessageHook(std::function<void(const MSG&)> hook) { messageHook = std::move(hook); }

void CreateDialogs(HWND mainWindow) {
  information = std::make_unique<Win32Dialog>(mainWindow, DialogKind::Information, InfoBox);
  InfoBox.CreateForm(*information);
  confirmation = std::make_unique<Win32Dialog>(mainWindow, DialogKind::Confirmation, ConfirmBox);
  ConfirmBox.CreateForm(*confirmation);
}

void DestroyDialogs() {
  InfoBox.DestroyForm();
  ConfirmBox.DestroyForm();
  information.reset();
  confirmation.reset();
}

Win32Dialog* InformationDialog() { return information.get(); }
Win32Dialog* ConfirmationDialog() { return confirmation.get(); }
