#pragma once

#include "core/data/columnview.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// The included cases of one calculation collected into groups (runs of equal grouping text
// in the sorted table), and, once ranked, their rank sums and medians, the sums of the
// statistic and the counts of each test text by group. The analysis builds it; afterwards it
// never changes, and the result grids read it.
struct GroupedCases {
    std::string groupName; // the names of the grouping and the test variable
    std::string testName;
    char decimal = '.';

    // The test texts: in the table's order before the sort while `order` (sorted position ->
    // row) is held, in sorted order once the sorted table's column took its place.
    ColumnView testColumn;
    std::shared_ptr<const std::vector<std::uint32_t>> order;
    std::vector<std::uint32_t> cases;      // sorted-table indexes of included cases, by group
    std::vector<std::uint32_t> groupStart; // group g (0-based) holds cases[start[g]..start[g+1])
    std::vector<std::string> groupValues;  // grouping text of each group

    int groupCount() const { return static_cast<int>(groupValues.size()); }
    std::uint32_t groupSize(int g) const {
        return groupStart[std::size_t(g) + 1] - groupStart[std::size_t(g)];
    }
    std::uint32_t largestGroup() const;
    std::uint32_t rowOf(std::size_t i) const { return (*order)[cases[i]]; } // before the sort
    std::string_view testText(std::size_t i) const {
        return testColumn[order ? rowOf(i) : cases[i]];
    }

    // Reads the test texts from the sorted table's column from now on, and lets the order go.
    void useSortedColumn(ColumnView sortedTests) {
        testColumn = std::move(sortedTests);
        order.reset();
    }

    // Filled by the ranking; empty while the cases are only collected.
    bool ranked = false;
    std::vector<double> distinctValues;   // the test values, ascending, each once
    std::vector<std::uint64_t> twiceRank; // twice the mean rank of each distinct value
    std::vector<double> rankSum;          // per group
    std::vector<double> median;           // per group
    std::vector<std::string> rankSumText; // general format, 15 digits
    std::vector<std::string> medianText;
    double rankOf(std::size_t i) const; // the mean rank of case i

    // Sums of the statistic, exact where the ranks allow.
    long double sumSquaresMinusC = 0; // SR - C
    long double sumGroupsMinusC = 0;  // SG - C
    long double withinGroups = 0;     // SR - SG, the squares of ranks around their group means

    // The distinct test texts of the counts grid, in collation order (views into the texts
    // of the table), and for each, its non-zero counts per group.
    std::vector<std::string_view> countText;
    std::vector<std::uint32_t> countOrder; // row j of the counts shows spelling countOrder[j]
    // The counts of every spelling met (in value order): spelling s has the entries
    // [countStart[s], countStart[s+1]) of countGroup and countNumber.
    std::vector<std::uint32_t> countStart;
    std::vector<std::uint32_t> countGroup;
    std::vector<std::uint32_t> countNumber;
    std::vector<std::uint32_t> spellingValue; // the distinct value each spelling stands for
    std::uint32_t count(std::size_t j, int g) const;
};

} // namespace kw
