#include "ui/Layout.h"

#include <algorithm>

namespace {
constexpr Font kRegular13{"Arial", 13, false, false};
constexpr Font kBold13{"Arial", 13, true, false};
constexpr Font kBold12{"Arial", 12, true, false};
constexpr Font kLink13{"Arial", 13, false, true};
constexpr Font kBoldLink13{"Arial", 13, true, true};
constexpr Font kLink11{"Arial", 11, false, true};
constexpr Font kHeading{"Verdana", 13, true, false};

using enum Ctl;
using enum Kind;
using enum Align;
constexpr Page P1 = Page::Start;
constexpr Page P2 = Page::Details;
constexpr Page P3 = Page::Undo;
constexpr Page P4 = Page::Ignored;

constexpr ControlSpec Row(Ctl c, Page page, Kind kind, int l, int t, int w, int h,
                          const char* caption, Font font, Colour colour, Align align,
                          bool wrap = false, bool vcentre = false, bool autoSize = false) {
  return {c, page, kind, l, t, w, h, caption, font, colour, align, wrap, vcentre, autoSize, {}};
}
constexpr Anchor kCentred{50, 50, 50, 50};
constexpr Anchor kFill{0, 0, 100, 100};
constexpr Anchor kBottomLeft{0, 100, 0, 100};
constexpr Anchor kBottomRight{100, 100, 100, 100};
// The review list takes two thirds of the extra height, the details pane below it the rest.
constexpr Anchor kReviewShare{0, 0, 100, 67};
constexpr Anchor kDetailsShare{0, 67, 100, 100};
// The undo files' names take a quarter of the extra width, the text beside them the rest.
constexpr Anchor kUndoNames{0, 0, 25, 100};
constexpr Anchor kUndoText{25, 0, 100, 100};

constexpr ControlSpec Anchored(ControlSpec control, Anchor anchor) {
  control.anchor = anchor;
  return control;
}
// The start page keeps its arrangement and stays in the middle of a larger window.
constexpr ControlSpec Start(ControlSpec control) { return Anchored(control, kCentred); }
}  // namespace

// Indexed by Ctl: the rows keep the enumeration's order (checked by a test). The category rows
// are wide enough for the longest category name in bold at every scale.
const std::array<ControlSpec, kControlCount> kLayout{{
    Start(Row(Intro, P1, Label, 16, 8, 370, 54, "", kRegular13, kBlack, Centre, true, true)),
    Start(Row(Slogan, P1, Label, 16, 70, 350, 16, "", kBold13, kTeal, Centre)),
    Start(Row(CategoryName1, P1, Label, 2, 98, 256, 16, "", kBold13, kBlack, Right)),
    Start(Row(CategoryName2, P1, Label, 2, 118, 256, 16, "", kBold13, kBlack, Right)),
    Start(Row(CategoryName3, P1, Label, 2, 138, 256, 16, "", kBold13, kBlack, Right)),
    Start(Row(CategoryName4, P1, Label, 2, 158, 256, 16, "", kBold13, kBlack, Right)),
    Start(Row(CategoryName5, P1, Label, 2, 178, 256, 16, "", kBold13, kBlack, Right)),
    Start(Row(CategoryName6, P1, Label, 2, 198, 256, 16, "", kBold13, kBlack, Right)),
    Start(Row(Counter1, P1, Label, 262, 98, 56, 14, "0", kBold13, kBlack, Centre)),
    Start(Row(Counter2, P1, Label, 262, 118, 56, 14, "0", kBold13, kBlack, Centre)),
    Start(Row(Counter3, P1, Label, 262, 138, 56, 14, "0", kBold13, kBlack, Centre)),
    Start(Row(Counter4, P1, Label, 262, 158, 56, 14, "0", kBold13, kBlack, Centre)),
    Start(Row(Counter5, P1, Label, 262, 178, 56, 14, "0", kBold13, kBlack, Centre)),
    Start(Row(Counter6, P1, Label, 262, 198, 56, 14, "0", kBold13, kBlack, Centre)),
    Start(Row(DetailsLink1, P1, Link, 322, 98, 40, 16, "Details", kLink13, kBlack, Left)),
    Start(Row(DetailsLink2, P1, Link, 322, 118, 40, 16, "Details", kLink13, kBlack, Left)),
    Start(Row(DetailsLink3, P1, Link, 322, 138, 40, 16, "Details", kLink13, kBlack, Left)),
    Start(Row(DetailsLink4, P1, Link, 322, 158, 40, 16, "Details", kLink13, kBlack, Left)),
    Start(Row(DetailsLink5, P1, Link, 322, 178, 40, 16, "Details", kLink13, kBlack, Left)),
    Start(Row(DetailsLink6, P1, Link, 322, 198, 40, 16, "Details", kLink13, kBlack, Left)),
    Start(Row(ProgressLabel, P1, Label, 24, 218, 350, 14, "", kBold12, kTeal, Centre)),
    Start(Row(ProgressGauge, P1, Gauge, 24, 242, 350, 14, "", kDefaultFont, kBlack, Centre)),
    Start(Row(CleanButton, P1, Button, 222, 264, 75, 25, "Clean", kDefaultFont, kBlack, Centre)),
    Start(Row(CloseButton, P1, Button, 302, 264, 75, 25, "Close", kDefaultFont, kBlack, Centre)),
    Start(Row(AdHeadline, P1, Label, 24, 300, 350, 16, "Want more performance?", kBold13, kTeal,
              Centre)),
    Start(Row(AdLink, P1, Link, 40, 316, 163, 16, "Download Fastrel now!", kBoldLink13, kBlue,
              Centre)),
    Start(Row(AdTagline, P1, Label, 208, 316, 131, 16, "Make your PC faster!", kBold13, kTeal,
              Centre)),
    // The heading names the category shown: its width follows the text.
    Row(DetailsHeading, P2, Label, 16, 8, 0, 0, "Details", kHeading, kBlack, Left, false, false,
        true),
    Anchored(Row(DetailsList, P2, Memo, 16, 32, 370, 260, "", kDefaultFont, kBlack, Left), kFill),
    Anchored(Row(DetailsFooter, P2, Label, 16, 312, 0, 0, "", kDefaultFont, kBlack, Left, false,
                 false, true),
             kBottomLeft),
    Anchored(
        Row(DetailsBackButton, P2, Button, 294, 312, 75, 25, "Back", kDefaultFont, kBlack, Centre),
        kBottomRight),
    Row(UndoHeading, P3, Label, 16, 8, 37, 16, "Undo", kHeading, kBlack, Left),
    Anchored(Row(UndoFileList, P3, CheckList, 12, 32, 160, 248, "", kDefaultFont, kBlack, Left),
             kUndoNames),
    Anchored(Row(UndoFileText, P3, WideMemo, 176, 32, 210, 248, "", kDefaultFont, kBlack, Left),
             kUndoText),
    Anchored(Row(SelectAllLink, P3, Link, 20, 290, 0, 0, "Select all", kLink11, kBlack, Left, false,
                 false, true),
             kBottomLeft),
    Anchored(Row(DeselectAllLink, P3, Link, 76, 290, 0, 0, "Deselect all", kLink11, kBlack, Left,
                 false, false, true),
             kBottomLeft),
    Anchored(Row(OpenFolderLink, P3, Link, 140, 290, 0, 0, "Open folder", kLink11, kBlack, Left,
                 false, false, true),
             kBottomLeft),
    Anchored(Row(UndoButton, P3, Button, 150, 312, 75, 25, "Undo", kDefaultFont, kBlack, Centre),
             kBottomRight),
    Anchored(
        Row(DeleteButton, P3, Button, 230, 312, 75, 25, "Delete", kDefaultFont, kBlack, Centre),
        kBottomRight),
    Anchored(
        Row(UndoBackButton, P3, Button, 310, 312, 75, 25, "Back", kDefaultFont, kBlack, Centre),
        kBottomRight),
    // After a scan the Details page shows the category's findings for review in place of the
    // text box.
    Anchored(Row(FindingsList, P2, ReviewList, 16, 32, 370, 170, "", kDefaultFont, kBlack, Left),
             kReviewShare),
    Anchored(Row(TickAllLink, P2, Link, 20, 290, 0, 0, "Select all", kLink11, kBlack, Left, false,
                 false, true),
             kBottomLeft),
    Anchored(Row(UntickAllLink, P2, Link, 76, 290, 0, 0, "Deselect all", kLink11, kBlack, Left,
                 false, false, true),
             kBottomLeft),
    Anchored(Row(IgnoreButton, P2, Button, 190, 312, 99, 25, "Ignore always", kDefaultFont, kBlack,
                 Centre),
             kBottomRight),
    // Below the review list: the selected finding whole.
    Anchored(Row(FindingDetails, P2, Memo, 16, 206, 370, 78, "", kDefaultFont, kBlack, Left),
             kDetailsShare),
    Start(Row(IgnoredLink, P1, Link, 16, 270, 0, 0, "Ignored items", kLink11, kBlack, Left, false,
              false, true)),
    Row(IgnoredHeading, P4, Label, 16, 8, 120, 16, "Ignored items", kHeading, kBlack, Left),
    Anchored(Row(IgnoredList, P4, LineList, 16, 32, 370, 272, "", kDefaultFont, kBlack, Left),
             kFill),
    Anchored(Row(RemoveIgnoredButton, P4, Button, 214, 312, 75, 25, "Remove", kDefaultFont, kBlack,
                 Centre),
             kBottomRight),
    Anchored(
        Row(IgnoredBackButton, P4, Button, 294, 312, 75, 25, "Back", kDefaultFont, kBlack, Centre),
        kBottomRight),
    // The way to the preview and to the undo files, beside the ignored items.
    Start(Row(ScanFirstLink, P1, Link, 84, 270, 0, 0, "Scan first ...", kLink11, kBlack, Left,
              false, false, true)),
    Start(Row(UndoPageLink, P1, Link, 148, 270, 0, 0, "Undo ...", kLink11, kBlack, Left, false,
              false, true)),
    // Shown in place of the empty ignored list: what the page is for.
    Anchored(Row(IgnoredHint, P4, Label, 16, 32, 370, 64, "", kDefaultFont, kBlack, Left, true),
             {0, 0, 100, 0}),
    // After a run, where the gauge stood: what the exclusions file kept out of it.
    Start(Row(KeptOutLabel, P1, Label, 24, 242, 350, 14, "", kDefaultFont, kTeal, Centre)),
}};

int ScaleToDpi(int length, int dpi) {
  const long long scaled = static_cast<long long>(length) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kBaseDpi : (scaled - half) / kBaseDpi);
}

Bounds ScaleBounds(const Bounds& at96, int dpi) {
  const int left = ScaleToDpi(at96.left, dpi);
  const int top = ScaleToDpi(at96.top, dpi);
  return {left, top, ScaleToDpi(at96.left + at96.width, dpi) - left,
          ScaleToDpi(at96.top + at96.height, dpi) - top};
}

const ControlSpec* FindSpec(std::string_view name) {
  for (const ControlSpec& entry : kLayout) {
    if (name == ControlName(entry.ctl)) return &entry;
  }
  return nullptr;
}

Bounds MovedInto(Bounds box, const Bounds& area) {
  box.left =
      std::clamp(box.left, area.left, std::max(area.left, area.left + area.width - box.width));
  box.top = std::clamp(box.top, area.top, std::max(area.top, area.top + area.height - box.height));
  return box;
}

Bounds PlaceControl(const ControlSpec& entry, int dpi, int clientWidth, int clientHeight) {
  const Bounds b = ScaleBounds(BoundsOf(entry), dpi);
  const int dx = std::max(0, clientWidth - ScaleToDpi(kClientWidth, dpi));
  const int dy = std::max(0, clientHeight - ScaleToDpi(kClientHeight, dpi));
  const Anchor& a = entry.anchor;
  const int left = b.left + dx * a.left / 100;
  const int top = b.top + dy * a.top / 100;
  return {left, top, b.left + b.width + dx * a.right / 100 - left,
          b.top + b.height + dy * a.bottom / 100 - top};
}

namespace {
bool TakesFocus(Kind kind) { return kind != Kind::Label && kind != Kind::Gauge; }
}  // namespace

std::vector<Ctl> TabOrder(Page page) {
  std::vector<const ControlSpec*> stops;
  for (const ControlSpec& entry : kLayout) {
    if (entry.page == page && TakesFocus(entry.kind)) stops.push_back(&entry);
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const ControlSpec* a, const ControlSpec* b) { return a->top < b->top; });
  // A control that starts above the lowest bottom of the row so far stands beside it.
  std::vector<Ctl> order;
  for (size_t first = 0; first < stops.size();) {
    size_t end = first;
    int bottom = stops[first]->top;
    while (end < stops.size() && (end == first || stops[end]->top < bottom)) {
      bottom = std::max(bottom, stops[end]->top + std::max(1, stops[end]->height));
      ++end;
    }
    std::stable_sort(stops.begin() + static_cast<long>(first),
                     stops.begin() + static_cast<long>(end),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->left < b->left; });
    for (size_t i = first; i < end; ++i) order.push_back(stops[i]->ctl);
    first = end;
  }
  return order;
}

Ctl DefaultButton(Page page) {
  switch (page) {
    case Page::Start:
      return Ctl::CleanButton;
    case Page::Details:
      return Ctl::DetailsBackButton;
    case Page::Undo:
      return Ctl::UndoButton;
    case Page::Ignored:
      return Ctl::IgnoredBackButton;
  }
  return Ctl::CleanButton;
}

int ReviewFrameWidth(int frameWidth, int listWidth, int columnsWidth, int workWidth, int dpi) {
  const int wanted = frameWidth + columnsWidth - listWidth;
  return std::max(frameWidth, std::min({wanted, workWidth, ScaleToDpi(kReviewWidthLimit, dpi)}));
}
