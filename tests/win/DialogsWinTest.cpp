// The Information and Confirmation dialogs shown for real under Wine, driven from a second
// thread the way a user would: close box, Yes, Close. Screenshots go to C:\klarvex\screenshots.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/RunMessages.h"
#include "platform/LanguageFile.h"
#include "platform/win32/Win32Platform.h"
#include "ui/ConfirmDialog.h"
#include "ui/InfoDialog.h"
#include "ui/win32/Dialogs.h"

namespace {

constexpr char kOwnerClass[] = "KlarvexTestOwner";
constexpr char kX11Key[] = "Software\\Wine\\X11 Driver";

std::string Text(HWND hwnd) {
  char buffer[512] = {};
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  return buffer;
}

// A control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LOGFONTA FontOf(HWND hwnd) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The window as it is on the screen, saved as a 24-bit BMP.
bool SaveScreenshot(HWND hwnd, const std::string& name) {
  CreateDirectoryA("C:\\klarvex", nullptr);
  CreateDirectoryA("C:\\klarvex\\screenshots", nullptr);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  const std::string path = "C:\\klarvex\\screenshots\\" + name + ".bmp";
  bool written = false;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, imageSize, 1, out) == 1;
    std::fclose(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && written;
}

// What the driver thread saw while the dialog was up.
struct Sighting {
  bool shown = false;
  bool ownerEnabled = true;
  bool focusOnButton1 = false;
  RECT place{};
};

class DialogsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    UseWin32Platform();
    ReleaseLanguageFile();
    // Without a window manager Wine draws the caption and close box itself only when told
    // to; that makes them visible on the screenshots (read when the display driver starts).
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kX11Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
      RegCloseKey(key);
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kOwnerClass;
    RegisterClassA(&wc);
    owner = CreateWindowExA(0, kOwnerClass, "Klarvex test owner", WS_OVERLAPPEDWINDOW, 120, 80, 600,
                            420, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr) << "no display: run under xvfb-run";
    ShowWindow(owner, SW_SHOW);
    UpdateWindow(owner);
  }

  void TearDown() override {
    DestroyDialogs();
    if (owner != nullptr) DestroyWindow(owner);
    ReleaseLanguageFile();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kX11Key, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "Decorated");
      RegCloseKey(key);
    }
  }

  // Runs show() (a modal call) while a driver thread waits for the dialog, notes what it sees,
  // optionally saves a screenshot, and then acts on it.
  Sighting WhileShown(HWND dialog, const std::function<void()>& show,
                      const std::function<void(HWND)>& act, const std::string& screenshot = {}) {
    Sighting seen;
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
      for (int i = 0; i < 250 && !IsWindowVisible(dialog); ++i) Sleep(20);
      seen.shown = IsWindowVisible(dialog) != FALSE;
      Sleep(300);  // let the dialog paint before it is photographed
      seen.ownerEnabled = IsWindowEnabled(owner) != FALSE;
      GUITHREADINFO gui{};
      gui.cbSize = sizeof gui;
      GetGUIThreadInfo(uiThread, &gui);
      seen.focusOnButton1 = gui.hwndFocus == GetDlgItem(dialog, kDialogButton1Id);
      GetWindowRect(dialog, &seen.place);
      if (!screenshot.empty()) {
        EXPECT_TRUE(SaveScreenshot(dialog, screenshot));
      }
      if (seen.shown) act(dialog);
    });
    show();
    driver.join();
    return seen;
  }

  HWND owner = nullptr;
};

void CloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

TEST_F(DialogsWin, ConfirmationClosedWithItsCloseBoxAnswersNo) {
  CreateDialogs(owner);
  HWND dialog = ConfirmationDialog()->Handle();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog), "Confirmation");
  EXPECT_EQ(Text(GetDlgItem(dialog, kDialogButton1Id)), "&Yes");
  EXPECT_EQ(Text(GetDlgItem(dialog, kDialogButton2Id)), "&No");

  int answer = 0;
  const Sighting seen = WhileShown(
      dialog, [&] { answer = ConfirmBox.Ask("Are you sure to delete checked undo?"); }, CloseBox,
      "confirmation");
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(answer, ConfirmDialog::kNo);
  EXPECT_FALSE(seen.ownerEnabled) << "modal: the main window is disabled while it is up";
  EXPECT_TRUE(seen.focusOnButton1);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(Text(GetDlgItem(dialog, kDialogInfoLabelId)), "Are you sure to delete checked undo?");

  // Centred over the main window the first time.
  RECT own{};
  GetWindowRect(owner, &own);
  EXPECT_NEAR((seen.place.left + seen.place.right) / 2, (own.left + own.right) / 2, 1);
  EXPECT_NEAR((seen.place.top + seen.place.bottom) / 2, (own.top + own.bottom) / 2, 1);
}

TEST_F(DialogsWin, YesGivesOneAndTheDialogKeepsItsPlace) {
  CreateDialogs(owner);
  HWND dialog = ConfirmationDialog()->Handle();
  int answer = 0;
  WhileShown(
      dialog, [&] { answer = ConfirmBox.Ask("Cancel operation?"); },
      [](HWND d) {
        // The user drags it elsewhere before answering.
        SetWindowPos(d, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Click(d, kDialogButton1Id);
      });
  EXPECT_EQ(answer, ConfirmDialog::kYes);

  const Sighting again = WhileShown(
      dialog, [&] { answer = ConfirmBox.Ask("Cancel operation?"); },
      [](HWND d) { Click(d, kDialogButton2Id); });
  EXPECT_EQ(answer, ConfirmDialog::kNo);
  EXPECT_EQ(again.place.left, 30);
  EXPECT_EQ(again.place.top, 40);
}

TEST_F(DialogsWin, InformationShowsTheMessageAndCloses) {
  CreateDialogs(owner);
  HWND dialog = InformationDialog()->Handle();
  EXPECT_EQ(Text(dialog), "Information");
  EXPECT_EQ(Text(GetDlgItem(dialog, kDialogButton1Id)), "&Close");
  // Escape closes it, as a key press reaches the focused button.
  const Sighting seen = WhileShown(
      dialog, [] { InfoBox.Inform("You have nothing to view!"); },
      [](HWND d) { PostMessageA(GetDlgItem(d, kDialogButton1Id), WM_KEYDOWN, VK_ESCAPE, 1); },
      "information");
  EXPECT_TRUE(seen.shown);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogsWin, FrameControlsAndFontsFollowTheLayout) {
  CreateDialogs(owner);
  struct Expected {
    HWND dialog;
    std::vector<std::pair<int, RECT>> controls;
  };
  const Expected dialogs[] = {
      {InformationDialog()->Handle(),
       {{kDialogInfoLabelId, {18, 12, 266, 82}}, {kDialogButton1Id, {104, 104, 179, 129}}}},
      {ConfirmationDialog()->Handle(),
       {{kDialogInfoLabelId, {18, 12, 266, 82}},
        {kDialogButton1Id, {56, 104, 131, 129}},
        {kDialogButton2Id, {152, 104, 227, 129}}}},
  };
  for (const Expected& expected : dialogs) {
    SCOPED_TRACE(Text(expected.dialog));
    RECT client{};
    GetClientRect(expected.dialog, &client);
    EXPECT_EQ(client.right, 280);
    EXPECT_EQ(client.bottom, 140);
    const LONG style = GetWindowLongA(expected.dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    for (const auto& [id, want] : expected.controls) {
      SCOPED_TRACE(id);
      const RECT got = ClientRectOf(expected.dialog, id);
      EXPECT_EQ(got.left, want.left);
      EXPECT_EQ(got.top, want.top);
      EXPECT_EQ(got.right, want.right);
      EXPECT_EQ(got.bottom, want.bottom);
      if (id != kDialogInfoLabelId) {
        HWND button = GetDlgItem(expected.dialog, id);
        EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << "no default";
        const LOGFONTA font = FontOf(button);
        EXPECT_EQ(font.lfHeight, -11);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
      }
    }
    const LOGFONTA label = FontOf(GetDlgItem(expected.dialog, kDialogInfoLabelId));
    EXPECT_EQ(label.lfHeight, -12);
    EXPECT_EQ(label.lfWeight, FW_BOLD);
    EXPECT_STREQ(label.lfFaceName, "Arial");
  }
}

// The longest report each kind of trouble gives: five long names and how many more.
TEST_F(DialogsWin, LongReportsGrowTheDialogOrScrollAndNameEveryItem) {
  TextList names;
  for (int i = 1; i <= 7; ++i) {
    names.push_back(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
        "Kvx Vendor Application With A Long Name " +
        std::to_string(i));
  }
  const TextList files = {"Undo 26-12-07-11.reg", "Undo 26-12-07-12.reg", "Undo 26-12-07-13.reg",
                          "Undo 26-12-07-14.reg", "Undo 26-12-07-15.reg", "Undo 26-12-07-16.reg"};
  struct Case {
    const char* screenshot;
    std::string text;
    bool scrolls;
  };
  const Case cases[] = {
      {"report-not-removed", runmsg::NotRemoved(names), false},
      {"report-not-restored", "7 undo applyed!\n\n" + runmsg::NotRestored(names), false},
      {"report-left-in-place", runmsg::NotBackedUp(names), false},
      {"report-deletion-refused", runmsg::DeletionRefused(names), false},
      {"report-not-deleted", "6 undo-files deleted!\n\n" + runmsg::NotDeleted(files), false},
      {"report-everything",
       runmsg::Join(runmsg::Join(runmsg::NotBackedUp(names), runmsg::DeletionRefused(names)),
                    runmsg::Join(runmsg::NotRemoved(names), runmsg::NotRestored(names))),
       true},
  };
  CreateDialogs(owner);
  HWND dialog = InformationDialog()->Handle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screenshot);
    RECT client{};
    RECT text{};
    RECT button{};
    bool labelShown = false;
    bool scrollShown = false;
    std::string scrollText;
    WhileShown(
        dialog, [&] { InfoBox.Inform(c.text); },
        [&](HWND d) {
          GetClientRect(d, &client);
          labelShown = IsWindowVisible(GetDlgItem(d, kDialogInfoLabelId)) != FALSE;
          scrollShown = IsWindowVisible(GetDlgItem(d, kDialogScrollingTextId)) != FALSE;
          text = ClientRectOf(d, c.scrolls ? kDialogScrollingTextId : kDialogInfoLabelId);
          button = ClientRectOf(d, kDialogButton1Id);
          char buffer[8192] = {};
          GetDlgItemTextA(d, kDialogScrollingTextId, buffer, sizeof buffer);
          scrollText = buffer;
          Click(d, kDialogButton1Id);
        },
        c.screenshot);
    EXPECT_EQ(labelShown, !c.scrolls);
    EXPECT_EQ(scrollShown, c.scrolls);
    EXPECT_GT(client.bottom, 140);
    EXPECT_LE(client.right, GetSystemMetrics(SM_CXSCREEN) * kDialogScreenShare / 100);
    EXPECT_LE(client.bottom, GetSystemMetrics(SM_CYSCREEN) * kDialogScreenShare / 100);
    EXPECT_EQ(button.top, text.bottom + 22) << "the button stays below the text";
    EXPECT_EQ(Text(GetDlgItem(dialog, kDialogInfoLabelId)).substr(0, 20), c.text.substr(0, 20));
    if (c.scrolls) {
      EXPECT_NE(scrollText.find("\r\nand 2 more."), std::string::npos);
    }
  }
  // A short message afterwards looks as it always did.
  WhileShown(
      dialog, [] { InfoBox.Inform("You have nothing to view!"); },
      [](HWND d) { Click(d, kDialogButton1Id); });
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 280);
  EXPECT_EQ(client.bottom, 140);
  EXPECT_EQ(ClientRectOf(dialog, kDialogInfoLabelId).bottom, 82);
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, kDialogInfoLabelId), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(DialogsWin, TextsComeFromTheLanguageFile) {
  const std::string folder = "C:\\klarvex\\tmp\\dialogs";
  const std::string path = folder + "\\English.ini";
  CreateDirectoryA("C:\\klarvex", nullptr);
  CreateDirectoryA("C:\\klarvex\\tmp", nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  const char ini[] =
      "[Messages]\r\nInformation=Hinweis\r\nConfirmation=Best\xE4tigung\r\n"
      "[Buttons]\r\nClose=Schlie\xDF"
      "en\r\nYes=Ja\r\nNo=Nein\r\n";
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(ini, 1, sizeof ini - 1, out);
  std::fclose(out);
  OpenLanguageFile(path);
  CreateDialogs(owner);

  HWND information = InformationDialog()->Handle();
  HWND confirmation = ConfirmationDialog()->Handle();
  EXPECT_EQ(Text(information), "Hinweis");
  EXPECT_EQ(Text(GetDlgItem(information, kDialogButton1Id)),
            "&Schlie\xDF"
            "en");
  EXPECT_EQ(Text(confirmation), "Best\xE4tigung");
  EXPECT_EQ(Text(GetDlgItem(confirmation, kDialogButton1Id)), "&Ja");
  EXPECT_EQ(Text(GetDlgItem(confirmation, kDialogButton2Id)), "&Nein");

  int answer = 0;
  WhileShown(
      confirmation,
      [&] {
        answer = ConfirmBox.Ask(
            "Ein langer Text bricht innerhalb des Feldes um und steht senkrecht in seiner "
            "Mitte, auch wenn er drei Zeilen braucht.");
      },
      CloseBox, "confirmation-language");
  EXPECT_EQ(answer, ConfirmDialog::kNo);
  DeleteFileA(path.c_str());
}

}  // namespace
