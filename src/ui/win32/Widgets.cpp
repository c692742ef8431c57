#include "ui/win32/Widgets.h"

#include <string>

namespace {
LabelState* StateOf(HWND hwnd) {
  return reinterpret_cast<LabelState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

UINT DrawFormat(const ControlSpec& entry) {
  UINT format = DT_NOPREFIX;
  if (entry.align == Align::Centre) format |= DT_CENTER;
  if (entry.align == Align::Right) format |= DT_RIGHT;
  format |= entry.wordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  return format;
}

void PaintLabel(HWND hwnd, HDC dc) {
  const LabelState* state = StateOf(hwnd);
  RECT rect;
  GetClientRect(hwnd, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  if (state == nullptr) return;
  const std::string text = WindowText(hwnd);
  HGDIOBJ old = SelectObject(dc, state->font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(state->colour));
  const UINT format = DrawFormat(*state->entry);
  if (state->entry->verticalCentre) {
    RECT needed = rect;
    DrawTextA(dc, text.c_str(), -1, &needed, format | DT_CALCRECT);
    const LONG offset = ((rect.bottom - rect.top) - (needed.bottom - needed.top)) / 2;
    if (offset > 0) rect.top += offset;
  }
  DrawTextA(dc, text.c_str(), -1, &rect, format);
  // A link with the keyboard focus shows it, unless the window hides focus until a key is used.
  const bool hidden = (SendMessageA(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
  if (state->entry->kind == Kind::Link && GetFocus() == hwnd && !hidden) {
    RECT box;
    GetClientRect(hwnd, &box);
    DrawFocusRect(dc, &box);
  }
  SelectObject(dc, old);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      PaintLabel(hwnd, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_SETCURSOR: {
      const LabelState* state = StateOf(hwnd);
      const bool hand = state != nullptr && state->cursor == Cursor::Hand;
      SetCursor(LoadCursorA(nullptr, hand ? IDC_HAND : IDC_ARROW));
      return TRUE;
    }
    case WM_LBUTTONUP: {
      const LabelState* state = StateOf(hwnd);
      if (state != nullptr && state->entry->kind == Kind::Link) {
        SendMessageA(GetAncestor(hwnd, GA_ROOT), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void PaintGauge(HWND hwnd, HDC dc) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  const int percent = GaugePercent(hwnd);
  HBRUSH cream = CreateSolidBrush(ToColorRef(kCream));
  FillRect(dc, &rect, cream);
  DeleteObject(cream);
  RECT bar = rect;
  bar.right = rect.left + (rect.right - rect.left) * percent / 100;
  HBRUSH fill = CreateSolidBrush(ToColorRef(kGaugeBar));
  FillRect(dc, &bar, fill);
  DeleteObject(fill);
  FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const std::string text = std::to_string(percent) + "%";
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextA(dc, text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

LRESULT CALLBACK GaugeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      PaintGauge(hwnd, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    // The gauge keeps its font in its extra bytes, as a standard control would.
    case WM_SETFONT:
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(hwnd, sizeof(LONG_PTR));
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}
}  // namespace

void RegisterWidgetClasses(HINSTANCE instance) {
  WNDCLASSA label{};
  label.lpfnWndProc = LabelProc;
  label.hInstance = instance;
  label.lpszClassName = kLabelClass;
  label.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&label);

  WNDCLASSA gauge{};
  gauge.lpfnWndProc = GaugeProc;
  gauge.hInstance = instance;
  gauge.lpszClassName = kGaugeClass;
  gauge.cbWndExtra = 2 * sizeof(LONG_PTR);
  gauge.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&gauge);
}

void SetGaugePercent(HWND gauge, int percent) {
  SetWindowLongPtrA(gauge, 0, percent);
  InvalidateRect(gauge, nullptr, FALSE);
  UpdateWindow(gauge);
}

int GaugePercent(HWND gauge) { return static_cast<int>(GetWindowLongPtrA(gauge, 0)); }

SIZE MeasureLabel(HWND label) {
  SIZE size{0, 0};
  const LabelState* state = StateOf(label);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, state != nullptr ? state->font : nullptr);
  const std::string text = WindowText(label);
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return size;
}

std::string WindowText(HWND hwnd) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}
