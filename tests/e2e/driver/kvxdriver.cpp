// Drives a running Klarvex.exe from another process in the same Wine prefix: finds the window
// by its title and the controls by their IDs, presses them, reads their texts, and answers the
// dialogs. One command per run; exit code 0 when it succeeded, 1 when not, 2 on bad usage.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
// clang-format on

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ui/Controls.h"

namespace {
constexpr int kDialogLabelId = 100;
constexpr int kDialogFirstButtonId = 101;

int Usage() {
  std::fputs(
      "usage: kvxdriver wait-window|wait-gone [ms]\n"
      "       kvxdriver text|visible|enabled|click|list|wide-text CONTROL\n"
      "       kvxdriver click-at CONTROL X Y (a mouse click at that point of the control)\n"
      "       kvxdriver client-size | window-rect | maximise\n"
      "       kvxdriver title-bar [DIALOG TITLE] (X Y WIDTH HEIGHT on the screen)\n"
      "       kvxdriver wait-text CONTROL SUBSTRING [ms]\n"
      "       kvxdriver select CONTROL INDEX\n"
      "       kvxdriver click-check CONTROL INDEX (a mouse click on the row's check box)\n"
      "       kvxdriver scroll-right CONTROL (pixels a click on the right scroll arrow moves)\n"
      "       kvxdriver dialog TITLE [ms] | press TITLE 1|2 | no-dialog TITLE\n"
      "       kvxdriver dialog-rect TITLE (WxH+X+Y, as an image crop takes it)\n"
      "       kvxdriver key NAME... (tab enter space escape up down alt-X, to the focus)\n"
      "       kvxdriver focus (the focused control's name) | acc-name CONTROL\n"
      "       kvxdriver close\n"
      "       kvxdriver squat SECONDS (takes Klarvex's lock names and a window of its class, as\n"
      "         any program of the user could; prints the hand-overs it received)\n",
      stderr);
  return 2;
}

HWND MainWindow() { return FindWindowA(nullptr, "Klarvex"); }

template <typename Found>
bool WaitFor(int ms, Found found) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    if (found()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < end);
  return found();
}

HWND FindControl(const char* name) {
  HWND main = MainWindow();
  if (main == nullptr) return nullptr;
  int id = 0;
  for (int i = 0; i < kControlCount; ++i) {
    if (kControlNames[static_cast<size_t>(i)] == name) id = kFirstControlId + i;
  }
  if (id == 0) return nullptr;
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      main,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Sends a message that reads from the window, trying again when the window's thread did not
// answer in time (a loaded machine can keep it from answering). Ends the driver when it never
// answers, so that no empty text passes for the window's.
void AskWindow(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, bool wide,
               DWORD_PTR& result) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const LRESULT answered =
        wide ? SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result)
             : SendMessageTimeoutA(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result);
    if (answered != 0) return;
  }
  std::fprintf(stderr, "kvxdriver: the window did not answer\n");
  std::exit(1);
}

std::string TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  AskWindow(hwnd, WM_GETTEXTLENGTH, 0, 0, false, length);
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  AskWindow(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), false, copied);
  text.resize(copied);
  return text;
}

std::string WideTextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  AskWindow(hwnd, WM_GETTEXTLENGTH, 0, 0, true, length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  AskWindow(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), true, copied);
  text.resize(copied);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  return utf8;
}

// A buffer in the window's own process: list-view messages carry pointers that must be valid
// there, not here.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND hwnd, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ != nullptr) {
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool Ok() const { return address_ != nullptr; }
  char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
  void Write(size_t offset, const void* data, size_t size) {
    WriteProcessMemory(process_, At(offset), data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_, At(offset), data, size, nullptr);
  }
  size_t Size() const { return size_; }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

// A row's text whole: the review's data may name a path far longer than MAX_PATH.
std::string ItemText(HWND list, int index, int column = 0) {
  constexpr int kMaxText = 4096;
  RemoteBuffer remote(list, sizeof(LVITEMA) + kMaxText + 1);
  if (!remote.Ok()) return {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = remote.At(sizeof(LVITEMA));
  item.cchTextMax = kMaxText;
  remote.Write(0, &item, sizeof item);
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(remote.At(0)));
  std::string text(kMaxText + 1, '\0');
  remote.Read(sizeof(LVITEMA), text.data(), kMaxText);
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool SetItemState(HWND list, int index, UINT mask, UINT state) {
  RemoteBuffer remote(list, sizeof(LVITEMA));
  if (!remote.Ok()) return false;
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  remote.Write(0, &item, sizeof item);
  return SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(remote.At(0))) != 0;
}

int ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
}

int ListItems(HWND list) {
  const auto count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    const auto state = SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i),
                                    LVIS_STATEIMAGEMASK | LVIS_SELECTED);
    const bool ticked = ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
    const bool selected = (state & LVIS_SELECTED) != 0;
    std::string columns = ItemText(list, i);
    for (int c = 1; c < ColumnCount(list); ++c) columns += "\t" + ItemText(list, i, c);
    std::printf("%d\t%d\t%s\n", ticked ? 1 : 0, selected ? 1 : 0, columns.c_str());
  }
  return 0;
}

// Where the list view itself says row index's check box is: the middle of the points of its
// row that hit-test as the state icon.
bool CheckBoxPoint(HWND list, int index, POINT& at) {
  SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  RemoteBuffer remote(list, sizeof(RECT) + sizeof(LVHITTESTINFO));
  if (!remote.Ok()) return false;
  RECT row{};
  row.left = LVIR_BOUNDS;
  remote.Write(0, &row, sizeof row);
  if (SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(remote.At(0))) == 0) {
    return false;
  }
  remote.Read(0, &row, sizeof row);
  const LONG y = (row.top + row.bottom) / 2;
  LONG first = -1, last = -1;
  for (LONG x = row.left; x < row.left + 80; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    remote.Write(sizeof(RECT), &hit, sizeof hit);
    SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote.At(sizeof(RECT))));
    remote.Read(sizeof(RECT), &hit, sizeof hit);
    if (hit.iItem != index || (hit.flags & LVHT_ONITEMSTATEICON) == 0) continue;
    if (first < 0) first = x;
    last = x;
  }
  if (first < 0) return false;
  at = {(first + last) / 2, y};
  return true;
}

// A visible top-level window of Klarvex's process with this title.
HWND FindDialog(const char* title) {
  HWND main = MainWindow();
  if (main == nullptr) return nullptr;
  struct Search {
    const char* title;
    DWORD pid;
    HWND main;
    HWND found;
  } search{title, 0, main, nullptr};
  GetWindowThreadProcessId(main, &search.pid);
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (hwnd == s->main || pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
        if (TextOf(hwnd) != s->title) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Click(HWND control) {
  char kind[64] = {};
  GetClassNameA(control, kind, sizeof kind);
  // Posted, not sent: a click may open a modal dialog or start a long run.
  if (_stricmp(kind, "Button") == 0) {
    PostMessageA(control, BM_CLICK, 0, 0);
  } else {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
}

// A click of the mouse itself, as a user makes it: the pointer moves there and the button goes
// down and up, so the control sees the click where the system delivers it.
bool ClickAt(HWND control, int x, int y) {
  POINT at{x, y};
  ClientToScreen(control, &at);
  if (!SetCursorPos(at.x, at.y)) return false;
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].type = INPUT_MOUSE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

std::string SizeText(const RECT& r) {
  return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

int PrintRect(HWND window) {
  RECT r{};
  if (window == nullptr || !GetWindowRect(window, &r)) return 1;
  return std::printf("%s+%ld+%ld\n", SizeText(r).c_str(), r.left, r.top) < 0;
}

// How far the list's first row moves on one press of the horizontal scroll bar's right arrow.
bool ScrollRightStep(HWND list, LONG& moved) {
  RemoteBuffer remote(list, sizeof(RECT));
  const auto firstRowLeft = [&](LONG& left) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    remote.Write(0, &row, sizeof row);
    if (SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(remote.At(0))) == 0) {
      return false;
    }
    remote.Read(0, &row, sizeof row);
    left = row.left;
    return true;
  };
  LONG before = 0, after = 0;
  if (!remote.Ok() || !firstRowLeft(before)) return false;
  SendMessageA(list, WM_HSCROLL, SB_LINERIGHT, 0);
  SendMessageA(list, WM_HSCROLL, SB_ENDSCROLL, 0);
  if (!firstRowLeft(after)) return false;
  moved = before - after;
  return true;
}

// A button's caption marks its access key with '&', which is no part of the text read.
std::string ShownText(HWND hwnd) {
  std::string text = TextOf(hwnd);
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") != 0) return text;
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

// The window with the keyboard focus in Klarvex's window thread (a dialog's button while one is
// up).
HWND Focused() {
  HWND main = MainWindow();
  if (main == nullptr) return nullptr;
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gui)) return nullptr;
  return gui.hwndFocus != nullptr ? gui.hwndFocus : gui.hwndActive;
}

int PrintFocus() {
  HWND focus = Focused();
  const int id = focus != nullptr ? GetDlgCtrlID(focus) : 0;
  if (id >= kFirstControlId && id < kFirstControlId + kControlCount) {
    return std::printf(
               "%s\n",
               std::string(kControlNames[static_cast<size_t>(id - kFirstControlId)]).c_str()) < 0;
  }
  return std::printf("%s %d\n", focus != nullptr ? "other" : "none", id) < 0;
}

// A key as the keyboard hands it to the focused window's queue, where the program's own loop
// takes it (down and up; its loop makes the character). Alt and a letter is the system
// character it turns into.
bool PressKey(const std::string& name) {
  struct Key {
    const char* name;
    WPARAM vk;
  };
  constexpr Key kKeys[] = {{"tab", VK_TAB},       {"enter", VK_RETURN}, {"space", VK_SPACE},
                           {"escape", VK_ESCAPE}, {"up", VK_UP},        {"down", VK_DOWN}};
  HWND target = Focused();
  if (target == nullptr) return false;
  bool posted = false;
  if (name.size() == 5 && name.starts_with("alt-")) {
    posted = PostMessageA(target, WM_SYSCHAR, static_cast<unsigned char>(name[4]), 1 | (1 << 29));
  }
  for (const Key& key : kKeys) {
    if (name != key.name) continue;
    const LPARAM down = 1 | static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key.vk), 0) << 16);
    posted = PostMessageA(target, WM_KEYDOWN, key.vk, down) &&
             PostMessageA(target, WM_KEYUP, key.vk, down | (LPARAM{3} << 30));
  }
  // Time for the window to act on it before the next key.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  return posted;
}

// The name a screen reader reads for the control, through the accessibility interface.
int PrintAccessibleName(HWND control) {
  CoInitialize(nullptr);
  IAccessible* accessible = nullptr;
  std::wstring name;
  const HRESULT found =
      AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                 reinterpret_cast<void**>(&accessible));
  if (FAILED(found)) std::fprintf(stderr, "kvxdriver: no accessible object (%08lx)\n", found);
  if (SUCCEEDED(found) && accessible != nullptr) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT named = accessible->get_accName(self, &text);
    if (FAILED(named)) std::fprintf(stderr, "kvxdriver: no name (%08lx)\n", named);
    if (SUCCEEDED(named) && text != nullptr) name = text;
    SysFreeString(text);
    accessible->Release();
  }
  CoUninitialize();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  return std::printf("%s\n", utf8.c_str()) < 0;
}

int Wait(int argc, char** argv, int index) { return argc > index ? std::atoi(argv[index]) : 10000; }

int ControlCommand(const std::string& command, int argc, char** argv) {
  HWND control = FindControl(argv[2]);
  if (control == nullptr) {
    std::fprintf(stderr, "kvxdriver: no control %s\n", argv[2]);
    return 1;
  }
  if (command == "text") return std::printf("%s\n", ShownText(control).c_str()) < 0;
  if (command == "acc-name") return PrintAccessibleName(control);
  if (command == "wide-text") return std::printf("%s\n", WideTextOf(control).c_str()) < 0;
  if (command == "visible") return std::printf("%d\n", IsWindowVisible(control) ? 1 : 0) < 0;
  if (command == "enabled") return std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0) < 0;
  if (command == "list") return ListItems(control);
  if (command == "click-at" && argc >= 5) {
    return ClickAt(control, std::atoi(argv[3]), std::atoi(argv[4])) ? 0 : 1;
  }
  if (command == "click") {
    Click(control);
    return 0;
  }
  if (command == "wait-text" && argc >= 4) {
    const bool found = WaitFor(
        Wait(argc, argv, 4), [&] { return ShownText(control).find(argv[3]) != std::string::npos; });
    std::printf("%s\n", ShownText(control).c_str());
    return found ? 0 : 1;
  }
  if (command == "click-check" && argc >= 4) {
    POINT at{};
    return CheckBoxPoint(control, std::atoi(argv[3]), at) && ClickAt(control, at.x, at.y) ? 0 : 1;
  }
  if (command == "scroll-right") {
    LONG moved = 0;
    return ScrollRightStep(control, moved) && std::printf("%ld\n", moved) >= 0 ? 0 : 1;
  }
  if (command == "select" && argc >= 4) {
    const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    return SetItemState(control, std::atoi(argv[3]), both, both) ? 0 : 1;
  }
  return Usage();
}

int DialogCommand(const std::string& command, int argc, char** argv) {
  const char* title = argv[2];
  if (command == "no-dialog") return FindDialog(title) == nullptr ? 0 : 1;
  HWND dialog = nullptr;
  WaitFor(command == "dialog" ? Wait(argc, argv, 3) : 5000,
          [&] { return (dialog = FindDialog(title)) != nullptr; });
  if (dialog == nullptr) {
    std::fprintf(stderr, "kvxdriver: no dialog %s\n", title);
    return 1;
  }
  if (command == "dialog-rect") return PrintRect(dialog);
  if (command == "dialog") {
    return std::printf("%s\n", TextOf(GetDlgItem(dialog, kDialogLabelId)).c_str()) < 0;
  }
  if (command != "press" || argc < 4) return Usage();
  PostMessageA(GetDlgItem(dialog, kDialogFirstButtonId + std::atoi(argv[3]) - 1), BM_CLICK, 0, 0);
  // Done when the dialog is gone.
  return WaitFor(5000, [&] { return !IsWindowVisible(dialog); }) ? 0 : 1;
}
// What a program without elevation can do to a Klarvex that trusts names: take the run lock and
// the instance lock in the session first, and make a window of Klarvex's class to receive the
// CLEAN and UNDO hand-overs.
int Squat(int seconds) {
  CreateMutexA(nullptr, TRUE, "Klarvex.RunLock");
  CreateMutexA(nullptr, TRUE, "Klarvex.Instance");
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "KlarvexForm";
  RegisterClassA(&windowClass);
  CreateWindowExA(0, "KlarvexForm", "KvxSquat", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                  GetModuleHandleA(nullptr), nullptr);
  const UINT clean = RegisterWindowMessageA("KVXCLEAN");
  const UINT undo = RegisterWindowMessageA("KVXUNDO");
  std::fputs("squatting\n", stdout);
  std::fflush(stdout);
  int received = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == clean || msg.message == undo) ++received;
      DispatchMessageA(&msg);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::printf("%d\n", received);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  // Sizes and points in the window's own pixels, whatever the display scale.
  SetProcessDPIAware();
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "wait-window") {
    return WaitFor(Wait(argc, argv, 2), [] { return MainWindow() != nullptr; }) ? 0 : 1;
  }
  if (command == "wait-gone") {
    return WaitFor(Wait(argc, argv, 2), [] { return MainWindow() == nullptr; }) ? 0 : 1;
  }
  if (command == "close") {
    HWND main = MainWindow();
    return main != nullptr && PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (command == "window-rect") return PrintRect(MainWindow());
  if (command == "squat" && argc >= 3) return Squat(std::atoi(argv[2]));
  if (command == "focus") return PrintFocus();
  if (command == "key") {
    for (int i = 2; i < argc; ++i) {
      if (!PressKey(argv[i])) {
        std::fprintf(stderr, "kvxdriver: key %s not pressed\n", argv[i]);
        return 1;
      }
    }
    return argc > 2 ? 0 : Usage();
  }
  if (command == "maximise") {
    HWND main = MainWindow();
    return main != nullptr && PostMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0) ? 0 : 1;
  }
  if (command == "client-size") {
    RECT r{};
    return GetClientRect(MainWindow(), &r) && std::printf("%s\n", SizeText(r).c_str()) >= 0 ? 0 : 1;
  }
  if (command == "title-bar") {
    // Where the title bar is on the screen, as X Y WIDTH HEIGHT: under Wine another process
    // cannot ask for a window's icon, so a test looks at the screen there.
    HWND window = argc > 2 ? FindDialog(argv[2]) : MainWindow();
    RECT r{};
    if (window == nullptr || !GetWindowRect(window, &r)) return 1;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, origin.y - r.top) < 0;
  }
  if (argc < 3) return Usage();
  if (command == "dialog" || command == "dialog-rect" || command == "press" ||
      command == "no-dialog") {
    return DialogCommand(command, argc, argv);
  }
  return ControlCommand(command, argc, argv);
}
