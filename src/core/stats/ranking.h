#pragma once

#include "core/base/feedback.h"
#include "core/base/locale.h"
#include "core/stats/groupedcases.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace kw {

// How the test values are ranked. Both ways give the same results to the last character;
// they differ in speed: counting through the distinct texts pays when values repeat, sorting
// the cases when they do not. `automatic` tries the texts and turns to sorting as soon as it
// sees too many distinct ones.
enum class RankingMethod { automatic, byDistinctTexts, bySorting };

// A row of the counts whose text compares equal to others (1E1 and 1e1 under a caseless
// collation): the one met first in group order stands for all of them, which is known only
// once the cases are collected.
struct TiedCountRow {
    std::size_t row;                      // in countText and countOrder
    std::vector<std::uint32_t> spellings; // the spellings that compare equal
    std::vector<std::string_view> texts;  // and their texts
};

struct Ranking {
    bool allNumbers = true; // false: a test text is not a number, and nothing was filled
    std::vector<TiedCountRow> tiedCountRows;
};

// Parses the test texts of the included rows, ranks them (mean ranks for ties) and fills the
// rank sums, medians, sums of the statistic and the rows of the counts. Needs the groups and
// the group of every row (`groupOfRow`, noGroup for rows left out), not yet the order of the
// cases within the groups. Without `countRows` the rows of the counts (countText, countOrder)
// stay empty; each value's tallies by group are filled all the same.
Ranking rankCases(GroupedCases& a, std::vector<std::uint32_t> groupOfRow,
                  const Collation& collation, RankingMethod method, bool countRows,
                  Feedback* feedback);

// Once the cases are collected: each tied row of the counts shows the text met first.
void chooseCountLeads(GroupedCases& a, const std::vector<TiedCountRow>& tiedRows);

// The first test text, in group order, that is not a number, once the cases are collected.
std::string_view firstNonNumber(const GroupedCases& a);

} // namespace kw
