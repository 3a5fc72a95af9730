#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kw {

// The compact letter display of a set of pairwise comparisons (insert and absorb): a string
// of letters for each of `groupCount` groups such that two groups share a letter exactly when
// they were not found to differ. `differing` lists the pairs found to differ (indexes of two
// different groups, else std::invalid_argument), in any order. Each letter is a largest set
// of groups of which no two differ; the letters go in the order of the groups (the first
// group's first, "a"), a-z, then A-Z, then with a dot before them (".a" ... ".Z"), two dots,
// and so on, as R's multcompView names them: a group's letters written one after the other
// stay apart.
std::vector<std::string> compactLetters(int groupCount,
                                        const std::vector<std::pair<int, int>>& differing);

} // namespace kw
