// The main window at the keyboard. The pages are not dialogs, so the keys a dialog manager would
// handle are handled here first, in the order the layout table gives (TabOrder), which the
// z-order of controls created table row by table row does not follow.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "ui/AccessKeys.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/Widgets.h"

namespace {
bool Usable(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE && IsWindowEnabled(hwnd) != FALSE; }
}  // namespace

bool MainWindow::OnKey(const MSG& msg) {
  if (msg.hwnd != hwnd_ && IsChild(hwnd_, msg.hwnd) == FALSE) return false;
  if (msg.message == WM_SYSCHAR) return PressAccessKey(static_cast<char>(msg.wParam));
  if (msg.message != WM_KEYDOWN) return false;
  HWND focus = GetFocus();
  const ControlSpec* focused = nullptr;
  for (const ControlSpec& entry : kLayout) {
    if (Control(entry.ctl) == focus) focused = &entry;
  }
  const bool pressable =
      focused != nullptr && (focused->kind == Kind::Link || focused->kind == Kind::Button);
  switch (msg.wParam) {
    case VK_TAB:
      MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
      return true;
    case VK_RETURN:
      Press(pressable ? focused->ctl : DefaultButton(front_));
      return true;
    case VK_SPACE:
      // A button presses itself on Space, a list ticks its focused row.
      if (focused == nullptr || focused->kind != Kind::Link) return false;
      Press(focused->ctl);
      return true;
    case VK_ESCAPE:
      OnCommand(IDCANCEL);
      return true;
    default:
      return false;
  }
}

void MainWindow::MoveFocus(int step) {
  std::vector<HWND> stops;
  for (Ctl c : TabOrder(front_)) {
    if (Usable(Control(c))) stops.push_back(Control(c));
  }
  if (stops.empty()) return;
  const auto n = static_cast<int>(stops.size());
  const auto at = std::find(stops.begin(), stops.end(), GetFocus());
  const int next = at == stops.end() ? (step > 0 ? 0 : n - 1)
                                     : (static_cast<int>(at - stops.begin()) + step + n) % n;
  SetFocus(stops[static_cast<size_t>(next)]);
  // Moved by the keyboard: focus rectangles and access keys are shown from now on.
  SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

void MainWindow::FocusFrontPage() {
  HWND page = pages_[static_cast<size_t>(front_)];
  HWND kept = lastFocus_[static_cast<size_t>(front_)];
  if (kept != nullptr && IsChild(page, kept) != FALSE && Usable(kept)) {
    SetFocus(kept);
    return;
  }
  for (Ctl c : TabOrder(front_)) {
    const Kind kind = LayoutOf(c).kind;
    const bool list = kind == Kind::CheckList || kind == Kind::ReviewList || kind == Kind::LineList;
    if (list && Usable(Control(c))) {
      SetFocus(Control(c));
      return;
    }
  }
  HWND button = Control(DefaultButton(front_));
  if (Usable(button)) SetFocus(button);
}

void MainWindow::Press(Ctl c) {
  HWND hwnd = Control(c);
  if (!Usable(hwnd)) return;
  if (LayoutOf(c).kind == Kind::Button) {
    SendMessageA(hwnd, BM_CLICK, 0, 0);
  } else {
    OnCommand(ControlId(c));
  }
}

bool MainWindow::PressAccessKey(char key) {
  const char wanted = AccessKeyOf(std::string{'&', key});
  if (wanted == 0) return false;
  for (const ControlSpec& entry : kLayout) {
    if (entry.page != front_ || entry.kind != Kind::Button) continue;
    HWND hwnd = Control(entry.ctl);
    if (Usable(hwnd) && AccessKeyOf(WindowText(hwnd)) == wanted) {
      Press(entry.ctl);
      return true;
    }
  }
  return false;
}

std::string MainWindow::TakenAccessKeys(Ctl c) const {
  std::string taken;
  const Page page = LayoutOf(c).page;
  for (const ControlSpec& entry : kLayout) {
    if (entry.ctl == c || entry.page != page || entry.kind != Kind::Button) continue;
    if (const char key = AccessKeyOf(WindowText(Control(entry.ctl)))) taken += key;
  }
  return taken;
}
