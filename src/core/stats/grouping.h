#pragma once

#include "core/base/feedback.h"
#include "core/data/datatable.h"
#include "core/stats/groupedcases.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kw {

// How the sort of the table and the collection of the groups see the grouping column.

// The grouping texts of every row numbered (equal texts, equal numbers) and ranked as keys of
// the sort: texts compared byte by byte, or numbers, every distinct text parsed once (the
// first, in row order, that is not a number raises "'x' is not a valid floating point
// value"). A table of fewer than 2 cases compares nothing.
struct GroupingKeys {
    std::vector<std::uint32_t> textId;  // per 0-based row
    std::vector<std::uint32_t> keyRank; // per 0-based row
    std::uint32_t keyCount = 0;
    bool oneTextPerKey = true; // no key written two ways (1 and 01)
};
GroupingKeys groupingKeys(const DataTable& table, int groupColumn, bool asTexts, char decimal,
                          Feedback* feedback);

// The order in which the exchange sort by these keys leaves the rows: order[p] is the 0-based
// row that ends at position p. Without `exchange`, the rows of each key in their own order.
std::shared_ptr<const std::vector<std::uint32_t>>
groupingOrder(const GroupingKeys& keys, Feedback* feedback, bool exchange = true);

inline constexpr std::uint32_t noGroup = 0xFFFFFFFFu;

// When every key has one spelling, the groups are the keys that hold included cases, in key
// order, and are known before the order of the cases: fills the groups and returns the group
// of every row (noGroup for rows left out), written over `reuse` (the keys' text numbers,
// no longer needed then), which spares the memory of a new array.
std::vector<std::uint32_t> groupsByKeys(GroupedCases& a, const GroupingKeys& keys,
                                        const std::vector<char>& included,
                                        const ColumnView& groupColumn,
                                        std::vector<std::uint32_t> reuse);

// Collects the included cases in `order`. With the rows' text ids, the groups are formed on
// the way: a new group starts whenever the grouping text differs from that of the previous
// included case, and the first included case always starts one, also when its grouping text
// is empty. Without them (nullptr) the groups are known already.
void collectCases(GroupedCases& a, std::shared_ptr<const std::vector<std::uint32_t>> order,
                  const std::vector<char>& included, const std::vector<std::uint32_t>* textIds,
                  const ColumnView& groupColumn, Feedback* feedback);

// The group of every row (noGroup for rows left out), from the collected cases.
std::vector<std::uint32_t> groupsOfRows(const GroupedCases& a);

} // namespace kw
