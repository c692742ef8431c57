// The main window's pages and controls, named as the form names them. A control's window ID is
// kFirstControlId + its number, stable so that the test driver can find it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

enum class Page : int { Panel1 = 0, Panel2 = 1, Panel3 = 2 };
inline constexpr int kPageCount = 3;

enum class Ctl : int {
  Panel1InfoLabel1,
  Panel1InfoLabel2,
  Panel1Label1a,
  Panel1Label2a,
  Panel1Label3a,
  Panel1Label4a,
  Panel1Label5a,
  Panel1Label1b,
  Panel1Label2b,
  Panel1Label3b,
  Panel1Label4b,
  Panel1Label5b,
  Panel1Label1c,
  Panel1Label2c,
  Panel1Label3c,
  Panel1Label4c,
  Panel1Label5c,
  Panel1ProgressLabel,
  Panel1ProgressBar,
  Panel1Button1,
  Panel1Button2,
  Panel1InfoLabel3,
  Panel1InfoLabel4,
  Panel1InfoLabel5,
  Panel2Label1,
  Panel2InfoList,
  Panel2Label2,
  Panel2Button1,
  Panel3Label1,
  Panel3List1,
  Panel3List2,
  Panel3Label2,
  Panel3Label3,
  Panel3Label4,
  Panel3Button1,
  Panel3Button2,
  Panel3Button3,
};
inline constexpr int kControlCount = static_cast<int>(Ctl::Panel3Button3) + 1;
inline constexpr int kFirstControlId = 1001;
inline constexpr std::array<std::string_view, kControlCount> kControlNames{{
    "Panel1InfoLabel1", "Panel1InfoLabel2",    "Panel1Label1a",     "Panel1Label2a",
    "Panel1Label3a",    "Panel1Label4a",       "Panel1Label5a",     "Panel1Label1b",
    "Panel1Label2b",    "Panel1Label3b",       "Panel1Label4b",     "Panel1Label5b",
    "Panel1Label1c",    "Panel1Label2c",       "Panel1Label3c",     "Panel1Label4c",
    "Panel1Label5c",    "Panel1ProgressLabel", "Panel1ProgressBar", "Panel1Button1",
    "Panel1Button2",    "Panel1InfoLabel3",    "Panel1InfoLabel4",  "Panel1InfoLabel5",
    "Panel2Label1",     "Panel2InfoList",      "Panel2Label2",      "Panel2Button1",
    "Panel3Label1",     "Panel3List1",         "Panel3List2",       "Panel3Label2",
    "Panel3Label3",     "Panel3Label4",        "Panel3Button1",     "Panel3Button2",
    "Panel3Button3",
}};
inline constexpr std::string_view ControlName(Ctl c) {
  return kControlNames[static_cast<size_t>(c)];
}

// The pages' own window IDs.
inline constexpr int kFirstPageId = 901;

inline constexpr int ControlId(Ctl c) { return kFirstControlId + static_cast<int>(c); }

// Category k's name label, counter label and Details link (k = 1 to 5).
inline constexpr Ctl NameLabel(int k) {
  return static_cast<Ctl>(static_cast<int>(Ctl::Panel1Label1a) + k - 1);
}
inline constexpr Ctl CounterLabel(int k) {
  return static_cast<Ctl>(static_cast<int>(Ctl::Panel1Label1b) + k - 1);
}
inline constexpr Ctl DetailsLink(int k) {
  return static_cast<Ctl>(static_cast<int>(Ctl::Panel1Label1c) + k - 1);
}

// Colours as 0x00RRGGBB.
using Colour = uint32_t;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kGrey = 0x808080;
inline constexpr Colour kTeal = 0x008080;
inline constexpr Colour kBlue = 0x0000FF;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kCream = 0xFFFBF0;
inline constexpr Colour kGaugeBar = 0xEBB57B;  // red 235, green 181, blue 123

enum class Cursor { Arrow, Hand };
