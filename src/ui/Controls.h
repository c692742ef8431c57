// The main window's pages and controls, named as the form names them. A control's window ID is
// kFirstControlId + its number, stable so that the test driver can find it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

enum class Page : int { Start = 0, Details = 1, Undo = 2, Ignored = 3 };
inline constexpr int kPageCount = 4;

enum class Ctl : int {
  Intro,
  Slogan,
  CategoryName1,
  CategoryName2,
  CategoryName3,
  CategoryName4,
  CategoryName5,
  CategoryName6,
  Counter1,
  Counter2,
  Counter3,
  Counter4,
  Counter5,
  Counter6,
  DetailsLink1,
  DetailsLink2,
  DetailsLink3,
  DetailsLink4,
  DetailsLink5,
  DetailsLink6,
  ProgressLabel,
  ProgressGauge,
  CleanButton,
  CloseButton,
  AdHeadline,
  AdLink,
  AdTagline,
  DetailsHeading,
  DetailsList,
  DetailsFooter,
  DetailsBackButton,
  UndoHeading,
  UndoFileList,
  UndoFileText,
  SelectAllLink,
  DeselectAllLink,
  OpenFolderLink,
  UndoButton,
  DeleteButton,
  UndoBackButton,
  FindingsList,
  TickAllLink,
  UntickAllLink,
  IgnoreButton,
  FindingDetails,
  IgnoredLink,
  IgnoredHeading,
  IgnoredList,
  RemoveIgnoredButton,
  IgnoredBackButton,
  ScanFirstLink,
  UndoPageLink,
  IgnoredHint,
  KeptOutLabel,
};
inline constexpr int kControlCount = static_cast<int>(Ctl::KeptOutLabel) + 1;
inline constexpr int kFirstControlId = 1001;
inline constexpr std::array<std::string_view, kControlCount> kControlNames{{
    "Intro",
    "Slogan",
    "CategoryName1",
    "CategoryName2",
    "CategoryName3",
    "CategoryName4",
    "CategoryName5",
    "CategoryName6",
    "Counter1",
    "Counter2",
    "Counter3",
    "Counter4",
    "Counter5",
    "Counter6",
    "DetailsLink1",
    "DetailsLink2",
    "DetailsLink3",
    "DetailsLink4",
    "DetailsLink5",
    "DetailsLink6",
    "ProgressLabel",
    "ProgressGauge",
    "CleanButton",
    "CloseButton",
    "AdHeadline",
    "AdLink",
    "AdTagline",
    "DetailsHeading",
    "DetailsList",
    "DetailsFooter",
    "DetailsBackButton",
    "UndoHeading",
    "UndoFileList",
    "UndoFileText",
    "SelectAllLink",
    "DeselectAllLink",
    "OpenFolderLink",
    "UndoButton",
    "DeleteButton",
    "UndoBackButton",
    "FindingsList",
    "TickAllLink",
    "UntickAllLink",
    "IgnoreButton",
    "FindingDetails",
    "IgnoredLink",
    "IgnoredHeading",
    "IgnoredList",
    "RemoveIgnoredButton",
    "IgnoredBackButton",
    "ScanFirstLink",
    "UndoPageLink",
    "IgnoredHint",
    "KeptOutLabel",
}};
// The Details page's review of a scan, shown in place of DetailsList.
inline constexpr std::array<Ctl, 5> kReviewControls{{Ctl::FindingsList, Ctl::TickAllLink,
                                                     Ctl::UntickAllLink, Ctl::IgnoreButton,
                                                     Ctl::FindingDetails}};
inline constexpr bool ShownInsteadOfEachOther(Ctl a, Ctl b) {
  const auto isReview = [](Ctl c) {
    for (Ctl r : kReviewControls) {
      if (r == c) return true;
    }
    return false;
  };
  const auto pair = [](Ctl x, Ctl y, Ctl one, Ctl other) {
    return (x == one && y == other) || (x == other && y == one);
  };
  return (a == Ctl::DetailsList && isReview(b)) || (b == Ctl::DetailsList && isReview(a)) ||
         pair(a, b, Ctl::IgnoredList, Ctl::IgnoredHint) ||
         pair(a, b, Ctl::ProgressGauge, Ctl::KeptOutLabel);
}
inline constexpr std::string_view ControlName(Ctl c) {
  return kControlNames[static_cast<size_t>(c)];
}

// The pages' own window IDs.
inline constexpr int kFirstPageId = 901;

inline constexpr int ControlId(Ctl c) { return kFirstControlId + static_cast<int>(c); }

// Category k's name label, counter label and Details link (k = 1 to kCategoryCount).
inline constexpr Ctl NameLabel(int k) {
  return static_cast<Ctl>(static_cast<int>(Ctl::CategoryName1) + k - 1);
}
inline constexpr Ctl CounterLabel(int k) {
  return static_cast<Ctl>(static_cast<int>(Ctl::Counter1) + k - 1);
}
inline constexpr Ctl DetailsLink(int k) {
  return static_cast<Ctl>(static_cast<int>(Ctl::DetailsLink1) + k - 1);
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
