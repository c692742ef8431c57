// The main window's place on the screen, and its lists that only fill their width.
#include <windows.h>
// commctrl.h needs the types of windows.h first.
#include <commctrl.h>

#include <algorithm>

#include "ui/win32/Dpi.h"
#include "ui/win32/MainWindow.h"

namespace {
Bounds ToBounds(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }
RECT ToRect(const Bounds& b) { return {b.left, b.top, b.left + b.width, b.top + b.height}; }

// The width a list's column needs to show its heading whole.
int HeadingWidth(HWND list, int index, UINT dpi) {
  char heading[256] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT;
  column.pszText = heading;
  column.cchTextMax = sizeof heading;
  SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  return static_cast<int>(
             SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(heading))) +
         ScaleToDpi(16, static_cast<int>(dpi));
}
}  // namespace

SIZE MainWindow::SmallestFrameSize(UINT dpi) const {
  const int scale = static_cast<int>(dpi);
  return FrameSizeForClient(ScaleToDpi(kClientWidth, scale), ScaleToDpi(kClientHeight, scale),
                            kFormStyle, kFormExStyle, dpi);
}

WindowPlace MainWindow::Placement() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(hwnd_, &placement);
  WindowPlace place{ToBounds(placement.rcNormalPosition), IsZoomed(hwnd_) != FALSE};
  // The normal place is in work-area coordinates; the screen's are kept.
  HMONITOR monitor = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info) != FALSE) {
    place.frame.left += info.rcWork.left - info.rcMonitor.left;
    place.frame.top += info.rcWork.top - info.rcMonitor.top;
  }
  return place;
}

Bounds MainWindow::WorkAreaNear(const Bounds& frame) {
  const RECT rect = ToRect(frame);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info) == FALSE) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  }
  return ToBounds(info.rcWork);
}

Bounds MainWindow::SmallestFrame() {
  const SIZE size = SmallestFrameSize(dpi_);
  return {0, 0, size.cx, size.cy};
}

void MainWindow::PlaceWindow(const WindowPlace& place) {
  SetWindowPos(hwnd_, nullptr, place.frame.left, place.frame.top, place.frame.width,
               place.frame.height, SWP_NOZORDER | SWP_NOACTIVATE);
  maximised_ = place.maximised;
}

void MainWindow::FitListColumns(const ControlSpec& entry, const Bounds& box) {
  HWND list = Control(entry.ctl);
  const int inside = box.width - MetricForDpi(SM_CXVSCROLL, dpi_) - ScaleToDpi(4, dpi_);
  if (entry.kind == Kind::CheckList) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(inside, 0));
    return;
  }
  // The count column as wide as its heading; the line takes the rest.
  const int count = HeadingWidth(list, 1, dpi_);
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(count, 0));
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(std::max(inside - count, count), 0));
}

void MainWindow::SetIgnoredColumns(const std::string& line, const std::string& kept) {
  const std::string* headings[] = {&line, &kept};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>(headings[i]->c_str());
    SendMessageA(Control(Ctl::IgnoredList), LVM_SETCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
  FitListColumns(LayoutOf(Ctl::IgnoredList),
                 PlaceControl(LayoutOf(Ctl::IgnoredList), static_cast<int>(dpi_), clientWidth_,
                              clientHeight_));
}

void MainWindow::IgnoredListFill(const std::vector<IgnoredRow>& rows) {
  HWND list = Control(Ctl::IgnoredList);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(rows[i].line.c_str());
    const auto index = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(rows[i].kept.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  }
}

int MainWindow::IgnoredListSelected() {
  return static_cast<int>(SendMessageA(Control(Ctl::IgnoredList), LVM_GETNEXTITEM,
                                       static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Only a window at its first size grows: a size the person chose, or maximised, stands.
void MainWindow::GrowForReview() {
  RECT frame{};
  GetWindowRect(hwnd_, &frame);
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (IsZoomed(hwnd_) != FALSE || client.right != ScaleToDpi(kClientWidth, static_cast<int>(dpi_)))
    return;
  HWND list = Control(Ctl::FindingsList);
  // The last column as wide as its texts or its heading (it otherwise fills what the others
  // leave).
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  const int headingWidth = HeadingWidth(list, 2, dpi_);
  const int last = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0));
  int columns = MetricForDpi(SM_CXVSCROLL, dpi_) + ScaleToDpi(4, static_cast<int>(dpi_)) +
                std::max(0, headingWidth - last);
  for (int i = 0; i < 3; ++i) {
    columns += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
  }
  RECT inside{};
  GetClientRect(list, &inside);
  const Bounds work = WorkAreaNear(ToBounds(frame));
  const int width = ReviewFrameWidth(frame.right - frame.left, inside.right, columns, work.width,
                                     static_cast<int>(dpi_));
  if (width == frame.right - frame.left) return;
  const Bounds at = MovedInto({frame.left, frame.top, width, frame.bottom - frame.top}, work);
  SetWindowPos(hwnd_, nullptr, at.left, at.top, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
}
