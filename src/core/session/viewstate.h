#pragma once

#include "core/stats/comparison.h"

#include <optional>
#include <string>

namespace kw {

// The notebook pages of the window.
enum class Page { input = 0, groups = 1, ranked = 2, output = 3, counts = 4 };

inline constexpr const char* windowTitle = "Kruskal Wallis Nonparametric ANOVA:";

// The value labels of the 'output' page: dashes before the first calculation, "-----" once
// cleared by a load.
struct OutputLabels {
    std::string groupName;
    std::string testName;
    std::string chiSquare;
    std::string degreesOfFreedom;
    std::string pValue;
    std::string comparisonHeading = "multiple comparison of groups:";
};

// What the window shows besides the data and the results, as the user's actions leave it:
// the caption, the page in front, the labels of the output page, and what is visible.
struct ViewState {
    std::string caption = windowTitle;
    Page page = Page::input;
    OutputLabels labels;
    bool saveInputVisible = false;  // "Save manual Input to text", after a manual input
    bool comparisonVisible = true;  // the comparison grid
    bool sortChoiceVisible = false; // "multiple comparison sorted by:"
    std::optional<SortBy> sortChoice;
};

} // namespace kw
