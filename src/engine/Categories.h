// The one table of the categories: their language key under "Items", the default texts of the
// start page's name label, the detail list's heading and the progress label, the name the report
// gives them, and the names of the controls that show their count and open their details.
// Indexed by Category - 1.
#pragma once

#include <array>
#include <string_view>

#include "engine/CleanEngine.h"

struct CategoryInfo {
  std::string_view key;              // under section "Items"
  std::string_view nameDefault;      // the start page's name label, before its ":"
  std::string_view headingDefault;   // first line of the category's detail list
  std::string_view progressDefault;  // progress label while the category runs
  std::string_view counterLabel;     // shows the category's count after the run
  std::string_view detailsLink;      // opens the category's detail list
  std::string_view reportName;       // the category's name in the report
};

inline constexpr std::array<CategoryInfo, kCategoryCount> kCategories = {{
    {"Item1", "File associations", "Extension assotiations", "File assotiations", "Counter1",
     "DetailsLink1", "File associations"},
    {"Item2", "Com/ActiveX entries", "COM/ActiveX entries", "COM/ActiveX entries", "Counter2",
     "DetailsLink2", "COM/ActiveX entries"},
    {"Item3", "Startup program list", "Startup program list", "Startup program list", "Counter3",
     "DetailsLink3", "Startup program list"},
    {"Item4", "Uninstall entries", "Uninstall entries", "Uninstall entries", "Counter4",
     "DetailsLink4", "Uninstall entries"},
    {"Item5", "Temporary registry values", "Temporary registry values", "Temporary registry values",
     "Counter5", "DetailsLink5", "Temporary registry values"},
    {"Item6", "Application paths, fonts and help files", "Application paths, fonts and help files",
     "Application paths, fonts and help files", "Counter6", "DetailsLink6",
     "Application paths, fonts and help files"},
}};

inline const CategoryInfo& CategoryOf(int category) { return kCategories[category - 1]; }
