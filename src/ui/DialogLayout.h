// The Information and Confirmation dialogs' layout: a text box above one or two buttons, as the
// numbers below give it at 96 DPI, scaled to the dialog's DPI and grown to fit a longer text up to
// a share of the screen; a text longer still scrolls in its box.
#pragma once

#include <functional>

#include "ui/Layout.h"

inline constexpr int kDialogClientWidth = 280;
inline constexpr int kDialogClientHeight = 140;
inline constexpr Bounds kDialogTextBox{18, 12, 248, 70};
inline constexpr Bounds kInformationButton{104, 104, 75, 25};
inline constexpr Bounds kYesButton{56, 104, 75, 25};
inline constexpr Bounds kNoButton{152, 104, 75, 25};

// The share of the screen's work area a dialog may take, in percent of its width and height.
inline constexpr int kDialogScreenShare = 60;

struct TextSize {
  int width = 0;   // the widest line when lines break only between words
  int height = 0;  // the height when words longer than a line are broken too
};
// How large the dialog's text is in its font, lines broken at wrapWidth pixels (0: only at the
// text's own line breaks).
using MeasureText = std::function<TextSize(int wrapWidth)>;

struct DialogFit {
  int clientWidth = 0;
  int clientHeight = 0;
  Bounds text{};
  bool grown = false;    // the text starts at the top left instead of the centre
  bool scrolls = false;  // the text box scrolls
};

// workWidth and workHeight: the screen's work area in pixels.
DialogFit FitDialogText(const MeasureText& measure, int dpi, int workWidth, int workHeight);
// A button of the layout at the fit's DPI, kept centred below a grown text.
Bounds PlaceDialogButton(const Bounds& at96, const DialogFit& fit, int dpi);
// Where a dialog's frame of width x height goes: centred on its owner's frame, moved wholly into
// the work area of the owner's screen.
Bounds PlaceDialog(const Bounds& owner, int width, int height, const Bounds& work);
