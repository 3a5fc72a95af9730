#pragma once

#include "plot/placedtext.h"

#include <QString>

#include <vector>

namespace kw::plot {

// The names of the groups under an axis, one per slot of width `slot` centred on `centers`,
// laid out by one rule so that no two overlap and none leaves the page:
//
//   - horizontal, centred under their slots, when every name (and its size line) fits its slot;
//   - else slanted at 45 degrees, each ending at its slot's centre, when the slots are far
//     enough apart for parallel lines of text (slot * sin 45 >= a line's height) and `slant`;
//   - else upright (turned 90 degrees), when a line's height fits a slot;
//   - else upright, naming every m-th group only (m as small as fits).
//
// Turned names are cut at their end to fit `maxHeight` (and, slanted, the page's left edge
// `leftLimit`), an ellipsis marking the cut; should two cut names then read alike, every name
// is cut in its middle instead, keeping both ends. With sizes given, a horizontal layout
// writes "n = 12" on a second line; a turned one writes the sizes in a row of their own, "n"
// before them at the left, where each fits its slot, else appends " (n = 12)" to the name.
struct GroupLabels {
    enum class Mode { horizontal, slanted, upright };
    Mode mode = Mode::horizontal;
    int every = 1;                 // one group in `every` is named
    std::vector<PlacedText> names; // the named groups' texts
    std::vector<PlacedText> sizes; // in a row of their own (turned: "n" last)
    double height = 0;             // below `top`
    double overhang = 0; // how much further left slanted names would reach, uncut by the limit
};

// The names cut to `width` by the same rule: at their end, or in their middle should two cut
// names then read alike.
std::vector<QString> elidedApart(const std::vector<QString>& names, const QFont& font,
                                 double width);

GroupLabels layoutGroupLabels(const std::vector<QString>& names, const std::vector<QString>& sizes,
                              const std::vector<double>& centers, double slot, double top,
                              double maxHeight, double leftLimit, bool slant = true);

} // namespace kw::plot
