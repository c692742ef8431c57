// The dialogs' text box: unchanged for a short text, grown to fit a longer one, scrolling past
// its share of the screen; the same at any DPI.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/RunMessages.h"
#include "ui/DialogLayout.h"

namespace {
constexpr int kCharWidth = 6;
constexpr int kLineHeight = 14;

// A font of fixed-width letters, scaled with the DPI like the real one.
MeasureText Monospace(const std::string& text, int dpi = kBaseDpi) {
  const int charWidth = ScaleToDpi(kCharWidth, dpi);
  const int lineHeight = ScaleToDpi(kLineHeight, dpi);
  return [=](int wrap) {
    TextSize size;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      const int width = static_cast<int>(line.size()) * charWidth;
      size.height += lineHeight * (wrap == 0 ? 1 : std::max(1, (width + wrap - 1) / wrap));
      std::istringstream words(line);
      int longestWord = 0;
      for (std::string word; words >> word;) {
        longestWord = std::max(longestWord, static_cast<int>(word.size()) * charWidth);
      }
      size.width =
          std::max(size.width, wrap == 0 ? width : std::max(std::min(width, wrap), longestWord));
    }
    return size;
  };
}

TextList Names(int count) {
  TextList names;
  for (int i = 0; i < count; ++i) {
    names.push_back(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
        "Vendor Application " +
        std::to_string(i));
  }
  return names;
}

constexpr int kWorkWidth = 1024;
constexpr int kWorkHeight = 738;

TEST(DialogLayout, AShortTextKeepsTheTableAtEveryScale) {
  for (int dpi : {96, 144, 192}) {
    SCOPED_TRACE(dpi);
    for (const char* text : {"You have nothing to view!", "Are you sure to apply checked undo ?",
                             "Check or select an undo file first."}) {
      const DialogFit fit =
          FitDialogText(Monospace(text, dpi), dpi, kWorkWidth * 2, kWorkHeight * 2);
      EXPECT_FALSE(fit.grown);
      EXPECT_FALSE(fit.scrolls);
      EXPECT_EQ(fit.clientWidth, ScaleToDpi(kDialogClientWidth, dpi));
      EXPECT_EQ(fit.clientHeight, ScaleToDpi(kDialogClientHeight, dpi));
      EXPECT_EQ(fit.text, ScaleBounds(kDialogTextBox, dpi));
      EXPECT_EQ(PlaceDialogButton(kYesButton, fit, dpi), ScaleBounds(kYesButton, dpi));
    }
  }
  const DialogFit at96 = FitDialogText(Monospace("Cancel operation?"), 96, kWorkWidth, kWorkHeight);
  EXPECT_EQ(PlaceDialogButton(kInformationButton, at96, 96), (Bounds{104, 104, 75, 25}));
}

TEST(DialogLayout, TheLongestReportsGrowToShowEveryLineOrScroll) {
  struct Case {
    const char* what;
    std::string text;
    bool scrolls;
  };
  const Case cases[] = {
      {"not restored", runmsg::NotRestored(Names(9)), false},
      {"not removed", runmsg::NotRemoved(Names(6)), false},
      {"undo files not deleted",
       runmsg::NotDeleted({"Undo 26-12-07-01.reg", "b.reg", "c.reg", "d.reg", "e.reg", "f.reg"}),
       false},
      {"one long name", "1 item was left in place:\n" + Names(1)[0], false},
      {"every report at once",
       runmsg::Join(runmsg::Join(runmsg::NotBackedUp(Names(7)), runmsg::NotRemoved(Names(7))),
                    runmsg::DeletionRefused(Names(7))),
       true},
      {"a text longer than the screen", std::string(60, 'x') + std::string(80, '\n') + "end", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const MeasureText measure = Monospace(c.text);
    const DialogFit fit = FitDialogText(measure, kBaseDpi, kWorkWidth, kWorkHeight);
    EXPECT_TRUE(fit.grown);
    EXPECT_EQ(fit.scrolls, c.scrolls);
    EXPECT_LE(fit.clientWidth, kWorkWidth * kDialogScreenShare / 100);
    EXPECT_LE(fit.clientHeight, kWorkHeight * kDialogScreenShare / 100);
    EXPECT_EQ(fit.text.left, 18);
    EXPECT_EQ(fit.text.top, 12);
    if (!c.scrolls) {
      EXPECT_GE(fit.text.height, measure(fit.text.width).height);
      EXPECT_GE(fit.text.width, std::min(measure(0).width, fit.text.width));
    }
    // The buttons keep their margins below the text and stay centred.
    const Bounds close = PlaceDialogButton(kInformationButton, fit, kBaseDpi);
    EXPECT_EQ(close.top, fit.text.top + fit.text.height + 22);
    EXPECT_EQ(fit.clientHeight - (close.top + close.height), 11);
    EXPECT_NEAR(close.left + close.width / 2, fit.clientWidth / 2, 2);
  }
}

// On a 1280x1024 screen at each scale, every dialog, short or grown, lies wholly inside the work
// area wherever the main window is, centred on it when there is room, its text above its buttons.
TEST(DialogLayout, EveryDialogStaysInsideTheWorkAreaAtEveryScale) {
  const Bounds work{0, 0, 1280, 1024};
  const std::string texts[] = {
      "Cancel operation?", "Exclusions.txt kept these items out of the run: line 8: " + Names(1)[0],
      runmsg::NotRemoved(Names(30)), std::string(300, 'x')};
  for (int dpi : {96, 144, 192}) {
    // A caption bar and borders roughly as Windows draws them at this scale.
    const int sides = ScaleToDpi(16, dpi);
    const int caption = ScaleToDpi(39, dpi);
    const Bounds smallest = ScaleBounds({0, 0, 400, 345}, dpi);
    const Bounds owners[] = {
        {440, 340, smallest.width, smallest.height},
        {1280 - smallest.width, 1024 - smallest.height, smallest.width, smallest.height},
        {-300, -40, smallest.width, smallest.height},
        work};
    for (const std::string& text : texts) {
      const DialogFit fit = FitDialogText(Monospace(text, dpi), dpi, work.width, work.height);
      const Bounds close = PlaceDialogButton(kInformationButton, fit, dpi);
      EXPECT_LE(fit.text.top + fit.text.height, close.top);
      EXPECT_LE(close.top + close.height, fit.clientHeight);
      for (const Bounds& owner : owners) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI, owner at " << owner.left << ","
                                        << owner.top << ": " << text.substr(0, 20));
        const Bounds at =
            PlaceDialog(owner, fit.clientWidth + sides, fit.clientHeight + caption, work);
        EXPECT_GE(at.left, work.left);
        EXPECT_GE(at.top, work.top);
        EXPECT_LE(at.left + at.width, work.left + work.width);
        EXPECT_LE(at.top + at.height, work.top + work.height);
        if (owner.left >= 0 && at.width <= owner.width) {
          EXPECT_NEAR(at.left + at.width / 2, owner.left + owner.width / 2, 1);
        }
      }
    }
  }
}
}  // namespace
