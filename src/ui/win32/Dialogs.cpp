#include "ui/win32/Dialogs.h"

#include <memory>

#include "ui/ConfirmDialog.h"
#include "ui/InfoDialog.h"

namespace {

constexpr char kClassName[] = "KlarvexDialog";
constexpr int kClientWidth = 280;
constexpr int kClientHeight = 140;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

struct ControlRow {
  int id;
  const char* className;
  DWORD style;
  int left, top, width, height;
};

// The InfoLabel is drawn by the dialog itself: a static control cannot centre wrapped text
// vertically.
constexpr ControlRow kInfoLabel{kDialogInfoLabelId, "STATIC", SS_OWNERDRAW, 18, 12, 248, 70};
constexpr ControlRow kInformationButtons[] = {
    {kDialogButton1Id, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 104, 104, 75, 25},
};
constexpr ControlRow kConfirmationButtons[] = {
    {kDialogButton1Id, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 56, 104, 75, 25},
    {kDialogButton2Id, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 152, 104, 75, 25},
};

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

HWND CreateControl(HWND parent, const ControlRow& row, HFONT font) {
  HWND control = CreateWindowExA(
      0, row.className, "", WS_CHILD | WS_VISIBLE | row.style, row.left, row.top, row.width,
      row.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Fonts by pixel height, independent of the system's DPI setting.
HFONT PixelFont(int height, int weight, const char* face) {
  return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

std::unique_ptr<Win32Dialog> information;
std::unique_ptr<Win32Dialog> confirmation;
std::function<void(const MSG&)> messageHook;

}  // namespace

Win32Dialog::Win32Dialog(HWND owner, DialogKind kind, DialogEvents& events)
    : owner_(owner), events_(events) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterDialogClass(instance);
  dialogFont_ = PixelFont(11, FW_NORMAL, "MS Sans Serif");
  labelFont_ = PixelFont(12, FW_BOLD, "Arial");

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  hwnd_ = CreateWindowExA(kExStyle, kClassName, "", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                          instance, nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_), FALSE);

  // Only the close box: no minimise, maximise, size or restore in the system menu either.
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
    for (UINT command : {SC_MINIMIZE, SC_MAXIMIZE, SC_SIZE, SC_RESTORE})
      DeleteMenu(menu, command, MF_BYCOMMAND);
  }

  CreateControl(hwnd_, kInfoLabel, labelFont_);
  if (kind == DialogKind::Information) {
    for (const ControlRow& row : kInformationButtons) CreateControl(hwnd_, row, dialogFont_);
  } else {
    for (const ControlRow& row : kConfirmationButtons) CreateControl(hwnd_, row, dialogFont_);
  }
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

void Win32Dialog::SetButtonCaption(int button, const std::string& text) {
  SetDlgItemTextA(hwnd_, button == 1 ? kDialogButton1Id : kDialogButton2Id, text.c_str());
}

void Win32Dialog::SetInfoText(const std::string& text) {
  HWND label = GetDlgItem(hwnd_, kDialogInfoLabelId);
  SetWindowTextA(label, text.c_str());
  InvalidateRect(label, nullptr, TRUE);
}

void Win32Dialog::PlaceFirstTime() {
  RECT own{};
  if (owner_ == nullptr || !GetWindowRect(owner_, &own))
    SetRect(&own, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  RECT self{};
  GetWindowRect(hwnd_, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  const int left = own.left + ((own.right - own.left) - width) / 2;
  const int top = own.top + ((own.bottom - own.top) - height) / 2;
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  placed_ = true;
}

void Win32Dialog::ShowModal() {
  if (hwnd_ == nullptr || showing_) return;
  if (!placed_) PlaceFirstTime();
  showing_ = true;
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
}

void Win32Dialog::DrawInfoLabel(const DRAWITEMSTRUCT& item) const {
  char text[4096];
  const int length = GetWindowTextA(item.hwndItem, text, sizeof text);
  RECT box = item.rcItem;
  FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(item.hDC, labelFont_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  RECT measured = box;
  DrawTextA(item.hDC, text, length, &measured, kFormat | DT_CALCRECT);
  const int textHeight = measured.bottom - measured.top;
  // Centred vertically when it fits; a longer text starts at the top and is clipped below.
  if (textHeight < box.bottom - box.top) box.top += ((box.bottom - box.top) - textHeight) / 2;
  DrawTextA(item.hDC, text, length, &box, kFormat);
  SelectObject(item.hDC, oldFont);
}

LRESULT CALLBACK Win32Dialog::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->Route(msg, wParam, lParam);
}

LRESULT Win32Dialog::Route(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) events_.ActivateForm();
      break;
    case WM_COMMAND:
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
