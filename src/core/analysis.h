#pragma once

#include "collation.h"
#include "datatable.h"
#include "feedback.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kw {

// The grouping texts of every row numbered (equal texts, equal numbers) and ranked as keys of
// the sort: texts compared byte by byte, or numbers, every distinct text parsed once (the
// first, in row order, that is not a number raises "'x' is not a valid floating point
// value" before anything is reordered). A table of fewer than 2 cases compares nothing.
struct GroupingKeys {
    std::vector<std::uint32_t> textid;  // per 0-based row
    std::vector<std::uint32_t> keyrank; // per 0-based row
    std::uint32_t nkeys = 0;
    bool onetextperkey = true; // no key written two ways (1 and 01)
};
GroupingKeys groupingkeys(const DataTable& table, int groupcol, bool astexts, char decimal,
                          Feedback* feedback);

// The order in which the exchange sort by these keys leaves the rows: order[p] is the 0-based
// row that ends at position p.
std::shared_ptr<const std::vector<std::uint32_t>> groupingorder(const GroupingKeys& keys);

// One calculation's view of the sorted data table: the included cases collected into groups
// (runs of equal grouping text), and once ranked, their rank sums, medians, the sums of the
// statistic and the counts. The result grids read it; it never changes once built.
struct Analysis {
    std::string groupname;
    std::string testname;
    char decimal = '.';

    // The test texts: in the table's order before the sort while `order` (sorted position ->
    // row) is held, in sorted order once the table has been reordered (order then empty).
    ColumnView testcolumn;
    std::shared_ptr<const std::vector<std::uint32_t>> order;
    std::vector<std::uint32_t> cases;      // sorted-table indexes of included cases, by group
    std::vector<std::uint32_t> groupstart; // group g (0-based) holds cases[start[g]..start[g+1])
    std::vector<std::string> groupvalues;  // grouping text of each group

    int ngroups() const { return static_cast<int>(groupvalues.size()); }
    std::uint32_t groupsize(int g) const {
        return groupstart[std::size_t(g) + 1] - groupstart[std::size_t(g)];
    }
    std::uint32_t largestgroup() const;
    std::uint32_t rowof(std::size_t i) const { return (*order)[cases[i]]; } // before the sort
    std::string_view testtext(std::size_t i) const {
        return testcolumn[order ? rowof(i) : cases[i]];
    }

    // Once the table is reordered: read its sorted test column, and let the order go.
    void sorted(ColumnView sortedtests) {
        testcolumn = std::move(sortedtests);
        order.reset();
    }

    // Filled by rank(); empty while only collected.
    bool ranked = false;
    std::vector<double> distinctvalues;   // the test values, ascending, each once
    std::vector<std::uint64_t> twicerank; // twice the mean rank of each distinct value
    std::vector<double> ranksum;          // per group
    std::vector<double> median;           // per group
    std::vector<std::string> ranksumtext; // general format, 15 digits
    std::vector<std::string> mediantext;
    double rankof(std::size_t i) const; // the mean rank of case i

    // Sums of the statistic, exact where the ranks allow.
    long double sumsquaresminusc = 0; // SR - C
    long double sumgroupsminusc = 0;  // SG - C
    long double withingroups = 0;     // SR - SG, the squares of ranks around their group means

    // The distinct test texts of the counts grid, in collation order (views into the texts
    // of the table), and for each, its non-zero counts per group.
    std::vector<std::string_view> counttext;
    std::vector<std::uint32_t> countorder; // row j of the counts shows spelling countorder[j]
    // The counts of every spelling met (in value order): spelling s has the entries
    // [countstart[s], countstart[s+1]) of countgroup and countnumber.
    std::vector<std::uint32_t> countstart;
    std::vector<std::uint32_t> countgroup;
    std::vector<std::uint32_t> countnumber;
    std::uint32_t count(std::size_t j, int g) const;
};

// A new analysis of the test variable by the grouping variable.
std::shared_ptr<Analysis> newanalysis(const DataTable& table, int groupcol, int testcol,
                                      char decimal);

// When every key has one spelling, the groups are the keys that hold included cases, in key
// order, and are known before the order of the cases: fills the groups and returns the group
// of every row (none for rows left out).
std::vector<std::uint32_t> groupsbykeys(Analysis& a, const GroupingKeys& keys,
                                        const std::vector<char>& included,
                                        const ColumnView& groupcolumn);

// Collects the included cases in `order`. Unless the groups are known already, a new group
// starts whenever the grouping text differs from that of the previous included case; the
// first included case always starts a group, also when its grouping text is empty.
void collectcases(Analysis& a, std::shared_ptr<const std::vector<std::uint32_t>> order,
                  const std::vector<char>& included, const GroupingKeys& keys,
                  const ColumnView& groupcolumn, bool groupsknown, Feedback* feedback);

// The group of every row (none for rows left out), from the collected cases.
std::vector<std::uint32_t> groupsofrows(const Analysis& a);
inline constexpr std::uint32_t nogroup = 0xFFFFFFFFu;

// Parses the test texts of the included rows, ranks them (mean ranks for ties) and fills the
// rank sums, medians, sums of the statistic and counts. Returns false when a text is not a
// number; firstnonnumber then names the first such, in group order, once the cases are known.
// The cases need not be collected yet: `needcases` is called before anything reads them (only
// when texts that differ compare equal for the counts).
bool rank(Analysis& a, std::vector<std::uint32_t> groupofrow, const Collation& collation,
          Feedback* feedback, const std::function<void()>& needcases = {});
std::string_view firstnonnumber(const Analysis& a);

// The first case, in group order, whose test text is one of `texts` (as many as given).
std::vector<std::uint32_t> firstcases(const Analysis& a,
                                      const std::vector<std::string_view>& texts);

} // namespace kw
