// The one table of the five categories: their language key under "Items", the default texts of
// the detail list's heading and of the progress label, and the names of the controls that show
// their count and open their details. Indexed by Category - 1.
#pragma once

#include <array>
#include <string_view>

#include "engine/CleanEngine.h"

struct CategoryInfo {
  std::string_view key;              // under section "Items"
  std::string_view headingDefault;   // first line of the category's detail list
  std::string_view progressDefault;  // progress label while the category runs
  std::string_view counterLabel;     // shows the category's count after the run
  std::string_view detailsLink;      // opens the category's detail list
};

inline constexpr std::array<CategoryInfo, kCategoryCount> kCategories = {{
    {"Item1", "Extension assotiations", "File assotiations", "Counter1", "DetailsLink1"},
    {"Item2", "COM/ActiveX entries", "COM/ActiveX entries", "Counter2", "DetailsLink2"},
    {"Item3", "Startup program list", "Startup program list", "Counter3", "DetailsLink3"},
    {"Item4", "Uninstall entries", "Uninstall entries", "Counter4", "DetailsLink4"},
    {"Item5", "Temporary registry values", "Temporary registry values", "Counter5", "DetailsLink5"},
}};

inline const CategoryInfo& CategoryOf(int category) { return kCategories[category - 1]; }
