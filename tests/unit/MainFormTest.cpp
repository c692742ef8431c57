// The main form over the simulated platform with a recording window: creation, placement,
// Details links and page, close, the advertised link and the hand-over messages.
#include <algorithm>

#include "platform/LanguageFile.h"
#include "platform/RegistryOps.h"
#include "support/FormTest.h"
#include "support/RecordingView.h"
#include "support/SimFixture.h"
#include "ui/AccessKeys.h"
#include "ui/MainForm.h"
#include "ui/StartUp.h"
#include "undo/UndoJournal.h"

namespace {
const std::string kInfo1 =
    "The Windows Registry is a crucial part of your PC's operation system. Regular use of computer "
    "makes the registry fragmented and cluttered with obsolete and invalid data.";

class MainFormTest : public SimTest {
 protected:
  void TearDown() override {
    gStartUp = {};
    ReleaseLanguageFile();
    SimTest::TearDown();
  }
  std::string FixScriptPath() const { return UndoDir() + "RegistryCleaner.reg"; }

  RecordingView view;
  ScriptedDialogs dialogs;
  MainForm form{view};
};

TEST_F(MainFormTest, CreateFormPlacesTheWindowThenSetsEveryCaptionInOrder) {
  form.CreateForm();
  const std::vector<std::string> expected = {
      "move 100,50",
      "topmost",
      "text Intro=" + kInfo1,
      "text Slogan=Just clean registry in a blink of an eye!",
      "text CategoryName1=File associations:",
      "text CategoryName2=Com/ActiveX entries:",
      "text CategoryName3=Startup program list:",
      "text CategoryName4=Uninstall entries:",
      "text CategoryName5=Temporary registry values:",
      "text CategoryName6=Application paths, fonts and help files:",
      "text DetailsLink1=Details",
      "text DetailsLink2=Details",
      "text DetailsLink3=Details",
      "text DetailsLink4=Details",
      "text DetailsLink5=Details",
      "text DetailsLink6=Details",
      "text CleanButton=Clean",
      "text DetailsHeading=Details",
      "text DetailsBackButton=Back",
      "text UndoHeading=Undo",
      "text SelectAllLink=Select all",
      "text DeselectAllLink=Deselect all",
      "text OpenFolderLink=Open folder",
      "text UndoButton=Undo",
      "text DeleteButton=Delete",
      "text UndoBackButton=Back",
      "text TickAllLink=Select all",
      "text UntickAllLink=Deselect all",
      "text IgnoreButton=Ignore always",
      "text IgnoredLink=Ignored items",
      "text ScanFirstLink=Scan first ...",
      "text UndoPageLink=Undo ...",
      "text IgnoredHeading=Ignored items",
      "text RemoveIgnoredButton=Remove",
      "text IgnoredBackButton=Back",
  };
  EXPECT_EQ(view.log, expected);
  EXPECT_EQ(view.front, Page::Start);
  EXPECT_FALSE(form.Engine().Running);
  EXPECT_EQ(::OsMajorVersion, 10u);
  EXPECT_EQ(StartDate.year, 2026);
  EXPECT_EQ(StartDate.day, 7);
  EXPECT_EQ(form.AdvertisedAddress(), kAdvertisedAddress);
}

TEST_F(MainFormTest, CreateFormComputesTheFoldersBeforeReadingTheLanguageFile) {
  PutFile("C:\\Program Files\\Klarvex\\English.ini",
          "[items]\nITEM1=Dateien\nDetails=Mehr\n[Undo]\nOpenFolder=Ordner\n"
          "[Buttons]\nOpenFolder=Nein\nBack=\n");
  gFolders = {};
  form.CreateForm();
  EXPECT_EQ(ExeDir(), "C:\\Program Files\\Klarvex");
  EXPECT_EQ(view.texts[Ctl::CategoryName1], "Dateien:");
  EXPECT_EQ(view.texts[Ctl::DetailsLink3], "Mehr");
  EXPECT_EQ(view.texts[Ctl::DetailsHeading], "Mehr");
  EXPECT_EQ(view.texts[Ctl::OpenFolderLink], "Ordner");
  EXPECT_EQ(view.texts[Ctl::DetailsBackButton], "");
  EXPECT_EQ(view.texts[Ctl::UndoBackButton], "");
}

TEST_F(MainFormTest, OnlyMajorVersionSixGetsTheCompatibilityValue) {
  for (uint32_t major : {0u, 5u, 6u, 10u}) {
    SCOPED_TRACE(major);
    DeleteValueIfExists(RootKey::CurrentUser, kCompatLayersKey, sim.process.exePath);
    sim.process.osMajorVersion = major;
    MainForm fresh{view};
    fresh.CreateForm();
    EXPECT_EQ(::OsMajorVersion, major);
    const auto value = sim.registry.GetValue(RootKey::CurrentUser, kCompatLayersKey,
                                             "C:\\Program Files\\Klarvex\\Klarvex.exe");
    ASSERT_EQ(value.has_value(), major == 6);
    if (value) {
      EXPECT_EQ(value->type, regtype::kSz);
      EXPECT_EQ(ReadStringUpper(RootKey::CurrentUser, kCompatLayersKey, sim.process.exePath),
                kCompatLayersData);
    }
  }
}

TEST_F(MainFormTest, ARefusedCompatibilityValueDoesNotStopTheWindow) {
  sim.process.osMajorVersion = 6;
  sim.registry.FailWritesBelow(RootKey::CurrentUser, "Software\\Microsoft");
  EXPECT_NO_THROW(form.CreateForm());
  EXPECT_EQ(view.texts[Ctl::CleanButton], "Clean");
}

TEST_F(MainFormTest, UndoArgumentOpensTheUndoPageUnlessAnInstanceWasFound) {
  PutFile(UndoDir() + "Undo 26-12-07-01.reg", "REGEDIT4\r\n");
  PutFile(FixScriptPath(), "REGEDIT4\r\n");
  gStartUp.commandArgument = "UNDO";
  gStartUp.runningInstance = 0x42;
  form.CreateForm();
  EXPECT_EQ(view.front, Page::Start);
  EXPECT_TRUE(sim.files.Exists(FixScriptPath()));

  gStartUp.runningInstance = 0;
  MainForm second{view};
  second.CreateForm();
  EXPECT_EQ(view.log.back(), "enable DeleteButton");
  EXPECT_EQ(view.front, Page::Undo);
  EXPECT_EQ(view.Names(), std::vector<std::string>{"Undo 26-12-07-01.reg"});
  EXPECT_FALSE(sim.files.Exists(FixScriptPath()));
}

TEST(PlaceAtCursor, MovesTheWindowBackOnScreen) {
  struct Case {
    ScreenMetrics screen;
    Position expected;
  };
  // cursor x, y; screen width, height; work area width; window width; DPI.
  const Case cases[] = {
      // At 192 DPI the window is twice as large and so are the margins.
      {{1200, 185, 1920, 1080, 1920, 812, 192}, {560, 280}},
      {{1100, 139, 1920, 1080, 1920, 812, 192}, {1100, 139}},
      {{100, 50, 1024, 768, 1024, 406}, {100, 50}},
      {{618, 184, 1024, 768, 1024, 406}, {618, 184}},  // exactly at both limits: kept
      {{619, 185, 1024, 768, 1024, 406}, {312, 140}},  // past both: centred, top 140
      {{1000, 10, 1024, 768, 985, 406}, {292, 10}},    // (985 - 400) / 2 rounds down
      {{10, 700, 1280, 1025, 1280, 406}, {10, 140}},   // 1025 / 2 = 512, minus 200
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.screen.cursorX) + "," + std::to_string(c.screen.cursorY));
    EXPECT_EQ(PlaceAtCursor(c.screen), c.expected);
  }
}

TEST_F(MainFormTest, DetailsLinkShowsTheListAndFooterOrSaysThereIsNothing) {
  form.CreateForm();
  form.Engine().CategoryLog(kComActiveX) = {
      "COM/ActiveX entries...", "[HKCR]\\CLSID\\{X} ... deleted", "", "Summary: 1 items fixed."};
  form.Engine().CategoryCount(kComActiveX) = 1;
  form.Engine().CategoryLog(kStartup) = {"Startup program list...", "", "Summary: 0 items fixed."};

  form.DetailsLinkClick(kStartup);
  EXPECT_EQ(dialogs.information.shown, std::vector<std::string>{"You have nothing to view!"});
  EXPECT_EQ(view.front, Page::Start);

  form.DetailsLinkClick(kComActiveX);
  EXPECT_EQ(view.details, form.Engine().CategoryLog(kComActiveX));
  EXPECT_EQ(view.texts[Ctl::DetailsFooter], "1 items fixed.");
  EXPECT_EQ(view.front, Page::Details);
  EXPECT_EQ(view.texts[Ctl::DetailsHeading], "Details: Com/ActiveX entries");

  form.OnDetailsBackClicked();
  EXPECT_EQ(view.front, Page::Start);
}

TEST_F(MainFormTest, DetailsLinksAndCloseDoNothingDuringARun) {
  form.CreateForm();
  form.Engine().CategoryCount(kAssociations) = 2;
  form.Engine().Running = true;
  for (int k = 1; k <= kCategoryCount; ++k) form.DetailsLinkClick(k);
  form.OnCloseClicked();
  form.OnUndoPageLinkClicked();
  form.OnScanFirstClicked();
  EXPECT_EQ(view.front, Page::Start);
  EXPECT_EQ(view.texts[Ctl::CleanButton], "Clean");
  EXPECT_TRUE(dialogs.information.shown.empty());
  EXPECT_EQ(view.closeRequests, 0);

  form.Engine().Running = false;
  form.OnCloseClicked();
  EXPECT_EQ(view.closeRequests, 1);
}

TEST_F(MainFormTest, CloseIsRefusedDuringARunAndOtherwiseFreesAndDeletesTheScript) {
  PutFile("C:\\Program Files\\Klarvex\\English.ini", "[Fix]\nSummary=Total\n");
  form.CreateForm();
  PutFile(FixScriptPath(), "REGEDIT4\r\n");
  form.Engine().CategoryLog(kUninstall) = {"Uninstall entries..."};
  FixScript = {"REGEDIT4", ""};

  form.Engine().Running = true;
  bool canClose = true;
  form.CloseForm(canClose);
  EXPECT_FALSE(canClose);
  EXPECT_TRUE(sim.files.Exists(FixScriptPath()));
  EXPECT_EQ(form.Engine().CategoryLog(kUninstall).size(), 1u);

  form.Engine().Running = false;
  canClose = true;
  form.CloseForm(canClose);
  EXPECT_TRUE(canClose);
  EXPECT_FALSE(sim.files.Exists(FixScriptPath()));
  EXPECT_TRUE(form.Engine().CategoryLog(kUninstall).empty());
  EXPECT_TRUE(FixScript.empty());
  // The reader is released: the file is no longer consulted.
  EXPECT_EQ(LanguageText("Fix", "Summary", "Summary"), "Summary");
}

TEST_F(MainFormTest, CloseIsRefusedWhileAStoppedRunWindsDown) {
  form.CreateForm();
  std::vector<bool> closable;
  view.onPump = [&](int pump) {
    if (pump == 3) form.Engine().Running = false;  // the stop, answered Yes
    if (pump < 3) return;
    bool canClose = true;
    form.CloseForm(canClose);
    closable.push_back(canClose);
  };
  form.OnCleanClicked();
  view.onPump = nullptr;

  ASSERT_FALSE(closable.empty());
  EXPECT_EQ(std::count(closable.begin(), closable.end(), true), 0);
  bool canClose = true;
  form.CloseForm(canClose);
  EXPECT_TRUE(canClose);
}

TEST_F(MainFormTest, AdvertisedLinkOpensItsAddressEvenDuringARun) {
  form.CreateForm();
  form.Engine().Running = true;
  form.OnAdLinkClicked();
  ASSERT_EQ(sim.shell.opened.size(), 1u);
  EXPECT_EQ(sim.shell.opened[0].target, kAdvertisedAddress);
  EXPECT_EQ(sim.shell.opened[0].ownerWindow, 0x1234u);
}

TEST_F(MainFormTest, HandOverMessagesBringTheirPageUnlessARunIsGoing) {
  gStartUp.cleanMessage = 0xC101;
  gStartUp.undoMessage = 0xC102;
  form.CreateForm();
  PutFile(UndoDir() + "Undo 26-12-07-01.reg", "REGEDIT4\r\n");
  bool handled = false;

  form.MessageEvent(0xC102, 1057, handled);  // the undo message with the clean value
  form.MessageEvent(0xC101, 1058, handled);
  EXPECT_EQ(view.front, Page::Start);

  form.MessageEvent(0xC102, 1058, handled);
  EXPECT_EQ(view.front, Page::Undo);
  EXPECT_EQ(view.UndoListCount(), 1);

  form.Engine().Running = true;
  form.MessageEvent(0xC101, 1057, handled);
  EXPECT_EQ(view.front, Page::Undo);
  form.Engine().Running = false;
  form.MessageEvent(0xC101, 1057, handled);
  EXPECT_EQ(view.front, Page::Start);

  form.Engine().Running = true;
  view.UndoListClear();
  form.MessageEvent(0xC102, 1058, handled);
  EXPECT_EQ(view.front, Page::Start);
  EXPECT_EQ(view.UndoListCount(), 0);
  EXPECT_FALSE(handled);
}

TEST_F(MainFormTest, ARunGreysTheDetailsLinksAndRestoresThemAfterwards) {
  form.CreateForm();
  std::vector<Colour> during;
  view.onPump = [&](int) { during.push_back(view.colours[Ctl::DetailsLink4]); };
  form.OnCleanClicked();
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during.front(), kGrey);
  for (int k = 1; k <= kCategoryCount; ++k) {
    EXPECT_EQ(view.colours[DetailsLink(k)], kBlack);
    EXPECT_EQ(view.cursors[DetailsLink(k)], Cursor::Hand);
    EXPECT_EQ(view.texts[CounterLabel(k)], "0");
  }
  EXPECT_EQ(view.texts[Ctl::ProgressLabel], "Summary:  0 items fixed.");
  EXPECT_FALSE(view.gaugeVisible);
}
}  // namespace

TEST(Layout, ScalingKeepsTheTableAt96AndNoTwoControlsOfAPageOverlapAtAnyScale) {
  for (const ControlSpec& entry : kLayout) {
    EXPECT_EQ(ScaleBounds(BoundsOf(entry), kBaseDpi), BoundsOf(entry));
  }
  const auto overlap = [](const Bounds& a, const Bounds& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
  };
  // The smallest window and a window maximised on a 1280 x 1024 screen.
  for (int dpi : {kBaseDpi, 120, 144, 168, 192, 240}) {
    for (const auto& [width, height] :
         {std::pair{ScaleToDpi(kClientWidth, dpi), ScaleToDpi(kClientHeight, dpi)},
          std::pair{1280, 960}}) {
      SCOPED_TRACE(std::to_string(dpi) + " dpi, " + std::to_string(width));
      for (const ControlSpec& a : kLayout) {
        const Bounds placed = PlaceControl(a, dpi, width, height);
        EXPECT_GE(placed.left, 0) << ControlName(a.ctl);
        EXPECT_LE(placed.left + placed.width, std::max(width, ScaleToDpi(kClientWidth, dpi)))
            << ControlName(a.ctl);
        EXPECT_LE(placed.top + placed.height, std::max(height, ScaleToDpi(kClientHeight, dpi)))
            << ControlName(a.ctl);
        for (const ControlSpec& b : kLayout) {
          if (&a == &b || a.page != b.page || ShownInsteadOfEachOther(a.ctl, b.ctl)) continue;
          EXPECT_FALSE(overlap(placed, PlaceControl(b, dpi, width, height)))
              << ControlName(a.ctl) << " and " << ControlName(b.ctl);
        }
      }
    }
  }
  // Larger, the lists take the room and the buttons keep to the corner.
  const Bounds list = PlaceControl(LayoutOf(Ctl::FindingsList), 144, 1280, 960);
  const Bounds pane = PlaceControl(LayoutOf(Ctl::FindingDetails), 144, 1280, 960);
  const Bounds back = PlaceControl(LayoutOf(Ctl::DetailsBackButton), 144, 1280, 960);
  EXPECT_GT(list.width, 1200);
  EXPECT_GT(pane.height, 250);
  EXPECT_EQ(back.left + back.width, ScaleToDpi(369, 144) + 1280 - ScaleToDpi(kClientWidth, 144));
  EXPECT_EQ(ScaleToDpi(13, 120), 16);  // 16.25
  EXPECT_EQ(ScaleToDpi(11, 144), 17);  // 16.5 rounds up
  EXPECT_EQ(ScaleToDpi(-13, 144), -20);
}

TEST(Layout, TabFollowsEachPagesReadingOrder) {
  using enum Ctl;
  const std::vector<std::pair<Page, std::vector<Ctl>>> pages = {
      {Page::Start,
       {DetailsLink1, DetailsLink2, DetailsLink3, DetailsLink4, DetailsLink5, DetailsLink6,
        IgnoredLink, ScanFirstLink, UndoPageLink, CleanButton, CloseButton, AdLink}},
      {Page::Details,
       {DetailsList, FindingsList, FindingDetails, TickAllLink, UntickAllLink, IgnoreButton,
        DetailsBackButton}},
      {Page::Undo,
       {UndoFileList, UndoFileText, SelectAllLink, DeselectAllLink, OpenFolderLink, UndoButton,
        DeleteButton, UndoBackButton}},
      {Page::Ignored, {IgnoredList, RemoveIgnoredButton, IgnoredBackButton}},
  };
  for (const auto& [page, order] : pages) EXPECT_EQ(TabOrder(page), order);
}

TEST(Layout, AReviewGrowsTheWindowToItsColumnsUpToTheWorkAreaAndTheLimit) {
  EXPECT_EQ(ReviewFrameWidth(406, 370, 900, 1280, 96), 936);
  EXPECT_EQ(ReviewFrameWidth(406, 370, 2000, 1280, 96), 1000);
  EXPECT_EQ(ReviewFrameWidth(406, 370, 2000, 800, 96), 800);
  EXPECT_EQ(ReviewFrameWidth(812, 740, 3000, 2560, 192), 2000);
  EXPECT_EQ(ReviewFrameWidth(406, 370, 300, 1280, 96), 406);
}

TEST(AccessKeys, TheFirstFreeLetterIsMarkedAndOwnAmpersandsStayText) {
  const struct {
    const char* caption;
    const char* taken;
    const char* marked;
    char key;
  } cases[] = {{"Clean", "", "&Clean", 'c'},
               {"Close", "c", "C&lose", 'l'},
               {"R&D", "", "&R&&D", 'r'},
               {"Ab", "ab", "Ab", 0},
               {"... 2", "", "... &2", '2'}};
  for (const auto& c : cases) {
    EXPECT_EQ(WithAccessKey(c.caption, c.taken), c.marked);
    EXPECT_EQ(AccessKeyOf(c.marked), c.key) << c.marked;
  }
}

TEST(Layout, RowsFollowTheControlOrderAndStayInsideTheClientArea) {
  for (int i = 0; i < kControlCount; ++i) {
    const ControlSpec& entry = kLayout[static_cast<size_t>(i)];
    SCOPED_TRACE(std::string(ControlName(entry.ctl)));
    EXPECT_EQ(static_cast<int>(entry.ctl), i);
    EXPECT_EQ(FindSpec(ControlName(entry.ctl)), &entry);
    EXPECT_LE(entry.left + entry.width, kClientWidth);
    EXPECT_LE(entry.top + entry.height, kClientHeight);
  }
}

namespace {
using WindowPlaceTest = FormTest;

TEST_F(WindowPlaceTest, TheClosedWindowsPlaceIsKeptAndBroughtBackOntoTheScreen) {
  form.CreateForm();
  view.place = {{300, 200, 900, 700}, true};
  bool canClose = true;
  form.CloseForm(canClose);
  RecordingView next;
  MainForm again{next};
  again.CreateForm();
  EXPECT_EQ(next.place, (WindowPlace{{300, 200, 900, 700}, true}));
  EXPECT_EQ(next.log.front(), "place 300,200");

  struct Case {
    const char* kept;
    Bounds expected;  // {} when the window is placed at the cursor instead
  };
  const Case cases[] = {
      {"5000 4000 406 374 0", {874, 620, 406, 374}},  // off every screen
      {"-2000 10 500 400 0", {0, 10, 500, 400}},
      {"1150 10 500 400 0", {1150, 10, 500, 400}},  // its title bar still shows
      {"10 -30 500 400 0", {10, 0, 500, 400}},      // its title bar above the screen
      {"0 0 3000 2000 0", {0, 0, 1280, 994}},       // larger than the work area
      {"20 20 100 100 0", {20, 20, 406, 374}},      // smaller than the smallest
      {"20 20 100", {}},
      {"20 x 100 100 0", {}},
      {"20 20 0 100 0", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kept);
    PutString(RootKey::CurrentUser, "Software\\Ostrawin\\Klarvex", "Window", c.kept);
    RecordingView other;
    MainForm form3{other};
    form3.CreateForm();
    if (c.expected.width == 0) {
      EXPECT_EQ(other.log.front(), "move 100,50");
    } else {
      EXPECT_EQ(other.place.frame, c.expected);
    }
  }
}
}  // namespace
