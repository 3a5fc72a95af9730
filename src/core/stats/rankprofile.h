#pragma once

#include "core/stats/groupedcases.h"

#include <cstdint>
#include <vector>

namespace kw {

// The included cases as the statistics beyond the test read them: the distinct test values
// in ascending order with their midranks and how many cases hold each, and for each group the
// values its cases hold, ascending, with how many of its cases hold each. Values that are
// equal as numbers are one value here whatever their spelling (1 and 1.0), as in the ranking.
struct RankProfile {
    struct Entry {
        std::uint32_t value; // index into values
        std::uint32_t count; // cases of the group that hold it
    };

    std::vector<double> values;             // ascending
    std::vector<double> midranks;           // the mean rank of each value's cases
    std::vector<std::uint64_t> totals;      // how many cases hold each value
    std::vector<std::vector<Entry>> groups; // per group (the groups' order), ascending by value
    std::vector<std::uint64_t> sizes;       // cases per group
    std::uint64_t caseCount = 0;

    int groupCount() const { return static_cast<int>(groups.size()); }
    // The sum of t^3 - t over the sets of tied cases.
    double tieSum() const;
};

// The profile of ranked cases.
RankProfile rankProfile(const GroupedCases& cases);

} // namespace kw
