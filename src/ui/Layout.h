// One table of the main window's controls: page, kind, position, size, initial caption, font,
// colour and alignment. The Win32 window is built from it; nothing else repeats these numbers.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "ui/Controls.h"

// LineList: a list of lines with a count beside each, one selected.
enum class Kind { Label, Link, Gauge, Button, Memo, WideMemo, CheckList, ReviewList, LineList };
enum class Align { Left, Centre, Right };

struct Font {
  const char* face;
  int height;  // pixels
  bool bold;
  bool underline;
};

// How a control follows a window larger than its smallest size: each edge moves by this share
// (in percent) of the extra width or height. {0, 0, 100, 100} fills, {100, 100, 100, 100} keeps
// to the bottom right corner, {50, 50, 50, 50} stays centred.
struct Anchor {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct ControlSpec {
  Ctl ctl;
  Page page;
  Kind kind;
  int left, top, width, height;
  const char* caption;  // before the language file replaces it
  Font font;
  Colour colour;
  Align align;
  bool wordWrap;
  bool verticalCentre;
  bool autoSize;  // width and height follow the text
  Anchor anchor;
};

inline constexpr int kClientWidth = 400;
inline constexpr int kClientHeight = 345;
inline constexpr const char* kWindowTitle = "Klarvex";
// The main window's own class: a later start looks for it, never for the title, which any
// program's window may carry.
inline constexpr const char* kWindowClass = "KlarvexForm";
inline constexpr Font kDefaultFont{"Arial", 11, false, false};

extern const std::array<ControlSpec, kControlCount> kLayout;

inline const ControlSpec& LayoutOf(Ctl c) { return kLayout[static_cast<size_t>(c)]; }

// The table's numbers are pixels at 96 DPI; a window shown at another DPI scales them.
inline constexpr int kBaseDpi = 96;
// A position or length of the table at dpi, to the nearest pixel (halves away from zero).
int ScaleToDpi(int length, int dpi);

struct Bounds {
  int left, top, width, height;
  bool operator==(const Bounds&) const = default;
};
// A box of the table at dpi. Its edges are scaled, not its width, so that boxes that touch or
// stand apart at 96 DPI never overlap through rounding.
Bounds ScaleBounds(const Bounds& at96, int dpi);
// The box moved the least that puts it wholly inside area; a box larger than the area keeps its
// top left corner in it.
Bounds MovedInto(Bounds box, const Bounds& area);
inline Bounds BoundsOf(const ControlSpec& entry) {
  return {entry.left, entry.top, entry.width, entry.height};
}
// Where a control stands at dpi in a client area of clientWidth x clientHeight (never taken as
// smaller than the table's own size at that dpi).
Bounds PlaceControl(const ControlSpec& entry, int dpi, int clientWidth, int clientHeight);
// The control with this name, or nullptr.
const ControlSpec* FindSpec(std::string_view name);

// The controls of a page that take the focus, in reading order: row by row from the top (a row
// is the controls beside one another), each row from the left. Tab follows it.
std::vector<Ctl> TabOrder(Page page);
// The button Enter presses on a page when the focus is on no button or link.
Ctl DefaultButton(Page page);
// The widest the window grows by itself to show a review's columns whole, at 96 DPI.
inline constexpr int kReviewWidthLimit = 1000;
// The frame's width that shows columns of columnsWidth in a list now listWidth wide, never
// narrower than now nor wider than the work area or the limit at dpi.
int ReviewFrameWidth(int frameWidth, int listWidth, int columnsWidth, int workWidth, int dpi);
