#include "ui/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/AccessKeys.h"
#include "ui/Layout.h"
#include "ui/win32/AppIcon.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/HandlerGuard.h"

namespace {
constexpr const char* kFormClass = kWindowClass;
constexpr const char* kPageClass = "KlarvexPage";

// Pages are created in this order, so that the start page lies in front.
constexpr Page kPageOrder[] = {Page::Details, Page::Undo, Page::Ignored, Page::Start};

using Handler = void (MainForm::*)();
struct Click {
  Ctl control;
  Handler handler;
};
// Every clickable control but the categories' Details links, and the form's handler for it.
constexpr Click kClicks[] = {
    {Ctl::CleanButton, &MainForm::OnCleanClicked},
    {Ctl::CloseButton, &MainForm::OnCloseClicked},
    {Ctl::AdLink, &MainForm::OnAdLinkClicked},
    {Ctl::DetailsBackButton, &MainForm::OnDetailsBackClicked},
    {Ctl::SelectAllLink, &MainForm::OnSelectAllClicked},
    {Ctl::DeselectAllLink, &MainForm::OnDeselectAllClicked},
    {Ctl::OpenFolderLink, &MainForm::OnOpenFolderClicked},
    {Ctl::UndoButton, &MainForm::OnUndoClicked},
    {Ctl::DeleteButton, &MainForm::OnDeleteClicked},
    {Ctl::UndoBackButton, &MainForm::OnUndoBackClicked},
    {Ctl::TickAllLink, &MainForm::OnTickAllClicked},
    {Ctl::UntickAllLink, &MainForm::OnUntickAllClicked},
    {Ctl::IgnoreButton, &MainForm::OnIgnoreClicked},
    {Ctl::IgnoredLink, &MainForm::OpenIgnoredPage},
    {Ctl::ScanFirstLink, &MainForm::OnScanFirstClicked},
    {Ctl::UndoPageLink, &MainForm::OnUndoPageLinkClicked},
    {Ctl::RemoveIgnoredButton, &MainForm::OnRemoveIgnoredClicked},
    {Ctl::IgnoredBackButton, &MainForm::OnIgnoredBackClicked},
};

// A control that goes with a page or with another control, in a small table.
template <typename Key>
struct ControlFor {
  Key key;
  Ctl ctl;
};
template <typename Key, size_t N>
const Ctl* Lookup(const ControlFor<Key> (&table)[N], Key key) {
  for (const ControlFor<Key>& row : table) {
    if (row.key == key) return &row.ctl;
  }
  return nullptr;
}

// Escape on a page presses its Back button.
constexpr ControlFor<Page> kBackButtons[] = {
    {Page::Details, Ctl::DetailsBackButton},
    {Page::Undo, Ctl::UndoBackButton},
    {Page::Ignored, Ctl::IgnoredBackButton},
};

constexpr int kFindingColumns = 3;

// Less than this since the last look at the queue: a pump returns at once (each look costs
// time per item in a long check loop, and the window stays responsive anyway). The tick count
// is read from memory the system keeps current, so the test itself costs no system call; its
// resolution (10-16 ms on Windows) still keeps the window well within a frame or two.
constexpr ULONGLONG kPumpIntervalMs = 4;

DWORD EditStyle() {
  return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
         ES_AUTOHSCROLL | ES_AUTOVSCROLL;
}

// Characters a click on the review list's horizontal scroll arrow moves; the list view itself
// moves one pixel in report view.
constexpr int kScrollStepChars = 4;

LRESULT CALLBACK ReviewListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR) {
  const int part = LOWORD(wParam);
  if (message == WM_HSCROLL && lParam == 0 && (part == SB_LINELEFT || part == SB_LINERIGHT)) {
    TEXTMETRICA metrics{};
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    const int step = std::max(1, static_cast<int>(metrics.tmAveCharWidth) * kScrollStepChars);
    SendMessageA(list, LVM_SCROLL, static_cast<WPARAM>(part == SB_LINELEFT ? -step : step), 0);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(list, &ReviewListProc, id);
  return DefSubclassProc(list, message, wParam, lParam);
}

std::string Join(const TextList& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}
}  // namespace

MainWindow::MainWindow() { white_ = CreateSolidBrush(RGB(255, 255, 255)); }

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (HFONT font : fonts_) {
    if (font != nullptr) DeleteObject(font);
  }
  DeleteObject(white_);
}

bool MainWindow::Create(HINSTANCE instance) {
  WNDCLASSA form{};
  form.lpfnWndProc = WindowProc;
  form.hInstance = instance;
  form.lpszClassName = kFormClass;
  form.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  form.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kAppIconId));
  RegisterClassA(&form);
  WNDCLASSA page = form;
  page.lpfnWndProc = PageProc;
  page.lpszClassName = kPageClass;
  page.hIcon = nullptr;
  RegisterClassA(&page);
  RegisterWidgetClasses(instance);

  const SIZE frame =
      FrameSizeForClient(kClientWidth, kClientHeight, kFormStyle, kFormExStyle, kBaseDpi);
  hwnd_ = CreateWindowExA(kFormExStyle, kFormClass, kWindowTitle, kFormStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.cx, frame.cy, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) return false;
  CreateControls(instance);
  const UINT dpi = WindowDpi(hwnd_);
  const SIZE smallest = SmallestFrameSize(dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, smallest.cx, smallest.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpi(dpi);
  form_.CreateForm();
  return true;
}

void MainWindow::CreateControls(HINSTANCE instance) {
  for (Page p : kPageOrder) {
    pages_[static_cast<size_t>(p)] = CreateWindowExA(
        WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, kClientWidth,
        kClientHeight, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstPageId + static_cast<int>(p))), instance,
        nullptr);
  }
  // The table's order is the tab order within each page.
  for (const ControlSpec& entry : kLayout)
    controls_[static_cast<size_t>(entry.ctl)] = CreateControl(instance, entry);
  BringToFront(Page::Start);
}

// Every font of the table at dpi, and the controls laid out again.
void MainWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  ShowAppIcon(hwnd_, dpi);
  for (const ControlSpec& entry : kLayout) {
    const auto index = static_cast<size_t>(entry.ctl);
    HFONT old = fonts_[index];
    fonts_[index] = CreateFontForDpi(entry.font, dpi);
    labels_[index].font = fonts_[index];
    SendMessageA(controls_[index], WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[index]), TRUE);
    if (old != nullptr) DeleteObject(old);
  }
  LayOut();
}

// The pages fill the client area and each control stands where its anchors put it.
void MainWindow::LayOut() {
  RECT client{0, 0, 0, 0};
  GetClientRect(hwnd_, &client);
  const int scale = static_cast<int>(dpi_);
  clientWidth_ = std::max(static_cast<int>(client.right), ScaleToDpi(kClientWidth, scale));
  clientHeight_ = std::max(static_cast<int>(client.bottom), ScaleToDpi(kClientHeight, scale));
  for (HWND page : pages_) {
    SetWindowPos(page, nullptr, 0, 0, clientWidth_, clientHeight_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const ControlSpec& entry : kLayout) {
    HWND hwnd = Control(entry.ctl);
    const Bounds b = PlaceControl(entry, scale, clientWidth_, clientHeight_);
    SetWindowPos(hwnd, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
    FitToText(entry);
    if (entry.kind == Kind::CheckList || entry.kind == Kind::LineList) FitListColumns(entry, b);
  }
  FitFindingsColumns();
  // The pages do not clip their controls: painted parents first, at once, so that a page's
  // background never covers a button moved by a maximise (seen under Wine).
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

HWND MainWindow::CreateControl(HINSTANCE instance, const ControlSpec& entry) {
  const auto index = static_cast<size_t>(entry.ctl);
  HWND parent = pages_[static_cast<size_t>(entry.page)];
  auto* id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(entry.ctl)));
  // Placed and given their fonts by ApplyDpi.
  HWND hwnd = nullptr;
  switch (entry.kind) {
    case Kind::Label:
    case Kind::Link:
      labels_[index] = {&entry, nullptr, entry.colour,
                        entry.kind == Kind::Link ? Cursor::Hand : Cursor::Arrow};
      // A link is a tab stop like a button.
      hwnd = CreateWindowExA(0, kLabelClass, entry.caption,
                             WS_CHILD | WS_VISIBLE | (entry.kind == Kind::Link ? WS_TABSTOP : 0),
                             entry.left, entry.top, entry.width, entry.height, parent, id, instance,
                             &labels_[index]);
      break;
    case Kind::Gauge:
      hwnd = CreateWindowExA(0, kGaugeClass, "", WS_CHILD, entry.left, entry.top, entry.width,
                             entry.height, parent, id, instance, nullptr);
      break;
    case Kind::Button:
      hwnd = CreateWindowExA(0, "BUTTON", entry.caption,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, entry.left,
                             entry.top, entry.width, entry.height, parent, id, instance, nullptr);
      break;
    case Kind::Memo:
      hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", EditStyle(), entry.left, entry.top,
                             entry.width, entry.height, parent, id, instance, nullptr);
      break;
    case Kind::WideMemo:
      hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", EditStyle(), entry.left, entry.top,
                             entry.width, entry.height, parent, id, instance, nullptr);
      break;
    case Kind::CheckList: {
      hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER |
                                 LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                             entry.left, entry.top, entry.width, entry.height, parent, id, instance,
                             nullptr);
      SendMessageA(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
      LVCOLUMNA column{};
      column.mask = LVCF_WIDTH;
      SendMessageA(hwnd, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
      break;
    }
    case Kind::LineList: {
      hwnd = CreateWindowExA(
          WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
          entry.left, entry.top, entry.width, entry.height, parent, id, instance, nullptr);
      SendMessageA(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
      LVCOLUMNA column{};
      column.mask = LVCF_WIDTH | LVCF_TEXT;
      column.pszText = const_cast<char*>("");
      for (int i = 0; i < 2; ++i) {
        SendMessageA(hwnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
      }
      break;
    }
    case Kind::ReviewList: {
      // Space ticks the selected row and the arrows move, as in any list with check boxes; the
      // header's dividers widen a column; a row's whole text shows as its tooltip.
      hwnd = CreateWindowExA(
          WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
          entry.left, entry.top, entry.width, entry.height, parent, id, instance, nullptr);
      SendMessageA(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
      LVCOLUMNA column{};
      column.mask = LVCF_WIDTH | LVCF_TEXT;
      column.pszText = const_cast<char*>("");
      for (int i = 0; i < kFindingColumns; ++i) {
        SendMessageA(hwnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
      }
      SetWindowSubclass(hwnd, &ReviewListProc, 0, 0);
      break;
    }
  }
  return hwnd;
}

void MainWindow::Show() {
  ShowWindow(hwnd_, maximised_ ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return GuardedHandler(hwnd, [&] { return self->Route(message, wParam, lParam); });
}

// A page only hands its children's notifications up to the main window.
LRESULT CALLBACK MainWindow::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return SendMessageA(GetParent(hwnd), message, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT MainWindow::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      OnListNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      // The read-only text boxes stay white like the list beside them.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, RGB(255, 255, 255));
      SetTextColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(white_);
    }
    case kDpiChangedMessage: {
      // Moved to a screen of another scale, or the scale changed: the window takes the place
      // and size the system suggests and lays itself out again at the new DPI.
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      dpi_ = HIWORD(wParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wParam));
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // Today's size at the display's scale is the smallest the window gets.
      const SIZE smallest = SmallestFrameSize(dpi_);
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {smallest.cx, smallest.cy};
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && controls_[0] != nullptr) LayOut();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_SETFOCUS:
      FocusFrontPage();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcA(hwnd_, message, wParam, lParam);
      hwnd_ = nullptr;
      return result;
    }
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

void MainWindow::OnCommand(int id) {
  if (id == IDCANCEL) {
    if (const Ctl* back = Lookup(kBackButtons, front_)) OnCommand(ControlId(*back));
    return;
  }
  for (int k = 1; k <= kCategoryCount; ++k) {
    if (ControlId(DetailsLink(k)) == id) return form_.DetailsLinkClick(k);
  }
  for (const Click& click : kClicks) {
    if (ControlId(click.control) == id) {
      (form_.*click.handler)();
      return;
    }
  }
}

void MainWindow::OnListNotify(const NMHDR& header) {
  if (header.idFrom == static_cast<UINT_PTR>(ControlId(Ctl::IgnoredList))) return;
  if (header.idFrom == static_cast<UINT_PTR>(ControlId(Ctl::FindingsList))) {
    return OnFindingsNotify(header);
  }
  if (header.idFrom != static_cast<UINT_PTR>(ControlId(Ctl::UndoFileList))) return;
  if (header.code != LVN_ITEMCHANGED || selecting_) return;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  const bool nowSelected = (change.uNewState & LVIS_SELECTED) != 0;
  const bool wasSelected = (change.uOldState & LVIS_SELECTED) != 0;
  // A selection made or lost by the user: the text box follows it.
  if ((change.uChanged & LVIF_STATE) != 0 && nowSelected != wasSelected) {
    form_.OnUndoListClicked();
  }
}

void MainWindow::OnFindingsNotify(const NMHDR& header) {
  HWND list = Control(Ctl::FindingsList);
  if (header.code == LVN_GETINFOTIPA) {
    auto& tip = const_cast<NMLVGETINFOTIPA&>(reinterpret_cast<const NMLVGETINFOTIPA&>(header));
    std::string text;
    for (int column = 0; column < kFindingColumns; ++column) {
      char buffer[1024] = {};
      LVITEMA item{};
      item.iSubItem = column;
      item.pszText = buffer;
      item.cchTextMax = sizeof buffer;
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(tip.iItem),
                   reinterpret_cast<LPARAM>(&item));
      if (buffer[0] != '\0') text += (text.empty() ? "" : "\r\n") + std::string(buffer);
    }
    if (tip.pszText != nullptr && tip.cchTextMax > 0) {
      lstrcpynA(tip.pszText, text.c_str(), tip.cchTextMax);
    }
    return;
  }
  if (header.code != LVN_ITEMCHANGED || selecting_) return;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
      (change.uOldState & LVIS_SELECTED) == 0) {
    form_.OnFindingSelected(change.iItem);
  }
  const UINT oldTick = change.uOldState & LVIS_STATEIMAGEMASK;
  const UINT newTick = change.uNewState & LVIS_STATEIMAGEMASK;
  // A check box the person changed (by mouse or space); the state image 2 is the tick.
  if ((change.uChanged & LVIF_STATE) != 0 && oldTick != 0 && newTick != oldTick) {
    form_.OnFindingTicked(change.iItem, (newTick >> 12) == 2);
  }
}

void MainWindow::OnClose() {
  bool canClose = true;
  form_.CloseForm(canClose);
  if (canClose) DestroyWindow(hwnd_);
}

// Labels sized to their text follow it. At a scale other than 96 DPI a one-line label that
// reads from the left is also never narrower than its text: a font's letters do not grow exactly
// with its height, so a heading that just fits at 96 DPI could lose its last letter.
void MainWindow::FitToText(const ControlSpec& entry) {
  HWND hwnd = Control(entry.ctl);
  if (entry.autoSize) {
    const SIZE size = MeasureLabel(hwnd);
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    return;
  }
  if (dpi_ == kBaseDpi || entry.kind != Kind::Label || entry.wordWrap || entry.align != Align::Left)
    return;
  const Bounds box = PlaceControl(entry, static_cast<int>(dpi_), clientWidth_, clientHeight_);
  const SIZE size = MeasureLabel(hwnd);
  SetWindowPos(hwnd, nullptr, 0, 0, std::max(static_cast<int>(size.cx), box.width), box.height,
               SWP_NOMOVE | SWP_NOZORDER);
}

namespace {
// A list a screen reader names by the heading above it: its window text, which the list itself
// does not show.
constexpr ControlFor<Ctl> kListNames[] = {
    {Ctl::DetailsHeading, Ctl::FindingsList},
    {Ctl::UndoHeading, Ctl::UndoFileList},
    {Ctl::IgnoredHeading, Ctl::IgnoredList},
};
}  // namespace

void MainWindow::SetText(Ctl control, const std::string& text) {
  HWND hwnd = Control(control);
  const bool button = LayoutOf(control).kind == Kind::Button;
  SetWindowTextA(hwnd, (button ? WithAccessKey(text, TakenAccessKeys(control)) : text).c_str());
  if (const Ctl* list = Lookup(kListNames, control)) SetWindowTextA(Control(*list), text.c_str());
  FitToText(LayoutOf(control));
  UpdateWindow(hwnd);
}

void MainWindow::SetFontColour(Ctl control, Colour colour) {
  labels_[static_cast<size_t>(control)].colour = colour;
  InvalidateRect(Control(control), nullptr, TRUE);
}

void MainWindow::SetCursor(Ctl control, Cursor cursor) {
  labels_[static_cast<size_t>(control)].cursor = cursor;
}

void MainWindow::SetEnabled(Ctl control, bool enabled) {
  EnableWindow(Control(control), enabled ? TRUE : FALSE);
}

void MainWindow::SetVisible(Ctl control, bool visible) {
  ShowWindow(Control(control), visible ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::SetGauge(int percent, bool visible) {
  HWND gauge = Control(Ctl::ProgressGauge);
  ShowWindow(gauge, visible ? SW_SHOWNA : SW_HIDE);
  SetGaugePercent(gauge, percent);
}

void MainWindow::BringToFront(Page page) {
  HWND focus = GetFocus();
  if (IsChild(pages_[static_cast<size_t>(front_)], focus) != FALSE)
    lastFocus_[static_cast<size_t>(front_)] = focus;
  front_ = page;
  HWND front = pages_[static_cast<size_t>(page)];
  SetWindowPos(front, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  // The pages behind are hidden too, so that only the front page's controls take input.
  for (HWND other : pages_) {
    if (other != front) ShowWindow(other, SW_HIDE);
  }
  if (GetActiveWindow() == hwnd_) FocusFrontPage();
}

void MainWindow::FillDetails(const TextList& lines) {
  SetWindowTextA(Control(Ctl::DetailsList), Join(lines).c_str());
}

void MainWindow::SetFindingsColumns(const std::string& problem, const std::string& item,
                                    const std::string& data) {
  const std::string* headings[kFindingColumns] = {&problem, &item, &data};
  for (int i = 0; i < kFindingColumns; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>(headings[i]->c_str());
    SendMessageA(Control(Ctl::FindingsList), LVM_SETCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
  FitFindingsColumns();
}

void MainWindow::FindingsListFill(const std::vector<FindingRow>& rows) {
  HWND list = Control(Ctl::FindingsList);
  selecting_ = true;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string* texts[kFindingColumns] = {&rows[i].problem, &rows[i].item, &rows[i].data};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(texts[0]->c_str());
    const auto index = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < kFindingColumns; ++column) {
      item.iSubItem = column;
      item.pszText = const_cast<char*>(texts[column]->c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
    }
    FindingsListTick(static_cast<int>(index), rows[i].ticked);
  }
  // The keyboard starts at the first row: Space ticks it, the arrows move on.
  LVITEMA first{};
  first.stateMask = LVIS_FOCUSED;
  first.state = LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  selecting_ = false;
  FitFindingsColumns();
  GrowForReview();
  // Each category's list starts at its left edge, whatever the one before was scrolled to.
  SendMessageA(list, LVM_SCROLL, static_cast<WPARAM>(-0x7FFF), 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::FitFindingsColumns() {
  HWND list = Control(Ctl::FindingsList);
  if (list == nullptr) return;
  for (int i = 0; i < kFindingColumns; ++i) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                 MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
  }
}

void MainWindow::FindingsListTick(int row, bool ticked) {
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  const bool wasSelecting = selecting_;
  selecting_ = true;
  SendMessageA(Control(Ctl::FindingsList), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
  selecting_ = wasSelecting;
}

int MainWindow::FindingsListSelected() {
  return static_cast<int>(SendMessageA(Control(Ctl::FindingsList), LVM_GETNEXTITEM,
                                       static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void MainWindow::UndoListClear() {
  SendMessageA(Control(Ctl::UndoFileList), LVM_DELETEALLITEMS, 0, 0);
}

void MainWindow::UndoListAdd(const std::string& name) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = UndoListCount();
  item.pszText = const_cast<char*>(name.c_str());
  SendMessageA(Control(Ctl::UndoFileList), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int MainWindow::UndoListCount() {
  return static_cast<int>(SendMessageA(Control(Ctl::UndoFileList), LVM_GETITEMCOUNT, 0, 0));
}

std::string MainWindow::UndoListItem(int index) {
  char buffer[MAX_PATH + 1] = {};
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = MAX_PATH;
  SendMessageA(Control(Ctl::UndoFileList), LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
  return buffer;
}

bool MainWindow::UndoListTicked(int index) {
  const auto state = SendMessageA(Control(Ctl::UndoFileList), LVM_GETITEMSTATE,
                                  static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void MainWindow::UndoListTick(int index, bool ticked) {
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  SendMessageA(Control(Ctl::UndoFileList), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

int MainWindow::UndoListSelected() {
  return static_cast<int>(SendMessageA(Control(Ctl::UndoFileList), LVM_GETNEXTITEM,
                                       static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void MainWindow::UndoListSelect(int index) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  selecting_ = true;
  SendMessageA(Control(Ctl::UndoFileList), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
  selecting_ = false;
}

void MainWindow::SetUndoText(const std::u16string& text) {
  SetWindowTextW(Control(Ctl::UndoFileText), reinterpret_cast<const wchar_t*>(text.c_str()));
}

void MainWindow::Deliver(MSG& msg) {
  bool handled = false;
  form_.MessageEvent(msg.message, msg.wParam, handled);
  if (handled) return;
  // A key may run a handler as a click does: guarded the same way, and used even when it failed.
  bool used = true;
  GuardedHandler(hwnd_, [&]() -> LRESULT {
    used = OnKey(msg);
    return 0;
  });
  if (used) return;
  if (IsDialogMessageA(hwnd_, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void MainWindow::PumpMessages() {
  const ULONGLONG now = GetTickCount64();
  if (now - lastPump_ < kPumpIntervalMs) return;
  lastPump_ = now;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the main loop, which ends on it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Deliver(msg);
  }
}

int MainWindow::RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) Deliver(msg);
  return static_cast<int>(msg.wParam);
}

void MainWindow::RequestClose() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

ScreenMetrics MainWindow::Screen() {
  ScreenMetrics s;
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  s.cursorX = cursor.x;
  s.cursorY = cursor.y;
  s.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  s.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT work{0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  s.workAreaWidth = work.right - work.left;
  RECT frame{0, 0, 0, 0};
  GetWindowRect(hwnd_, &frame);
  s.windowWidth = frame.right - frame.left;
  s.dpi = static_cast<int>(dpi_);
  return s;
}

void MainWindow::MoveTo(int left, int top) {
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::MakeTopmost() {
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
