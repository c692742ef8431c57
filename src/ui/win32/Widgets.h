// The main window's own control classes: labels and links drawn with their font, colour,
// alignment and cursor, and the percentage gauge.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Layout.h"

inline constexpr const char* kLabelClass = "KlarvexLabel";
inline constexpr const char* kGaugeClass = "KlarvexGauge";

// What a label needs to paint itself; owned by the main window, passed at creation.
struct LabelState {
  const ControlSpec* entry = nullptr;
  HFONT font = nullptr;
  Colour colour = kBlack;
  Cursor cursor = Cursor::Arrow;
};

void RegisterWidgetClasses(HINSTANCE instance);

inline COLORREF ToColorRef(Colour c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// Sets the gauge's percentage and repaints it at once.
void SetGaugePercent(HWND gauge, int percent);
int GaugePercent(HWND gauge);
// A window's whole text.
std::string WindowText(HWND hwnd);
// The size a label's text needs in its font (for the labels sized to their text).
SIZE MeasureLabel(HWND label);
