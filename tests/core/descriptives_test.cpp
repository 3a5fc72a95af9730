// The descriptives of the groups against R (tests/reference/descriptives_effectsizes.R).

#include "core/stats/descriptives.h"

#include "support/profiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kw::test::exampleProfile;
using kw::test::GroupValues;

// A group's description as R printed it: n, median, q1, q3, min, max, mean rank, rank sum.
struct Expected {
    std::uint64_t n;
    double median, q1, q3, min, max, meanRank, rankSum;
};

void expectDescription(const kw::GroupDescription& d, const Expected& e, const std::string& what) {
    EXPECT_EQ(d.n, e.n) << what;
    EXPECT_DOUBLE_EQ(d.median, e.median) << what;
    EXPECT_DOUBLE_EQ(d.q1, e.q1) << what;
    EXPECT_DOUBLE_EQ(d.q3, e.q3) << what;
    EXPECT_DOUBLE_EQ(d.min, e.min) << what;
    EXPECT_DOUBLE_EQ(d.max, e.max) << what;
    EXPECT_DOUBLE_EQ(d.meanRank, e.meanRank) << what;
    EXPECT_DOUBLE_EQ(d.rankSum, e.rankSum) << what;
}

// The groups of an example file through the program's own reading and analysis.

TEST(Descriptives, ExamplesAgreeWithR) {
    const auto plants = kw::describeGroups(exampleProfile("plantgrowth.txt", 1, 2));
    ASSERT_EQ(plants.size(), 3u);
    expectDescription(plants[0],
                      {10, 5.1549999999999994, 4.5499999999999998, 5.2925000000000004,
                       4.1699999999999999, 6.1100000000000003, 14.75, 147.5},
                      "ctrl");
    expectDescription(plants[1],
                      {10, 4.5500000000000007, 4.2074999999999996, 4.8699999999999992,
                       3.5899999999999999, 6.0300000000000002, 10.35, 103.5},
                      "trt1");
    expectDescription(plants[2],
                      {10, 5.4350000000000005, 5.2675000000000001, 5.7349999999999994,
                       4.9199999999999999, 6.3099999999999996, 21.399999999999999, 214},
                      "trt2");

    const auto sprays = kw::describeGroups(exampleProfile("insectsprays.txt", 1, 2));
    const Expected insects[] = {
        {12, 14, 11.5, 17.75, 7, 23, 52.166666666666664, 626},
        {12, 16.5, 12.5, 17.5, 7, 21, 54.833333333333336, 658},
        {12, 1.5, 1, 3, 0, 7, 11.458333333333334, 137.5},
        {12, 5, 3.75, 5, 2, 12, 25.583333333333332, 307},
        {12, 3, 2.75, 5, 1, 6, 19.333333333333332, 232},
        {12, 15, 12.5, 22.5, 9, 26, 55.625, 667.5},
    };
    for (std::size_t g = 0; g < 6; ++g) {
        expectDescription(sprays[g], insects[g], "spray " + std::to_string(g));
    }

    // Unequal groups, with missing values left out.
    const auto ozone = kw::describeGroups(exampleProfile("airquality.txt", 1, 3, "-99"));
    const Expected months[] = {
        {26, 18, 11, 31.5, 1, 115, 36.692307692307693, 954},
        {9, 23, 20, 37, 12, 71, 48.722222222222221, 438.5},
        {26, 60, 36.25, 79.75, 7, 135, 77.90384615384616, 2025.5},
        {26, 52, 28.75, 82.5, 9, 168, 75.230769230769226, 1956},
        {29, 23, 16, 36, 7, 96, 48.689655172413794, 1412},
    };
    for (std::size_t g = 0; g < 5; ++g) {
        expectDescription(ozone[g], months[g], "month " + std::to_string(g));
    }
}

TEST(Descriptives, SmallGroupsTiesAndSpellings) {
    // One case; two cases; values written two ways (1 and 1.0 are one value).
    const auto d = kw::describeGroups(kw::test::profileOf(
        GroupValues{{"a", {"7"}}, {"b", {"1", "4"}}, {"c", {"1.0", "1", "2", "2", "9"}}}));
    ASSERT_EQ(d.size(), 3u);
    expectDescription(d[0], {1, 7, 7, 7, 7, 7, 7, 7}, "one case");
    // quantile(c(1, 4), c(.25, .75)) = 1.75, 3.25
    EXPECT_DOUBLE_EQ(d[1].median, 2.5);
    EXPECT_DOUBLE_EQ(d[1].q1, 1.75);
    EXPECT_DOUBLE_EQ(d[1].q3, 3.25);
    // quantile(c(1, 1, 2, 2, 9), c(.25, .75)) = 1, 2; of all 8 cases 1, 1, 1 share ranks 1
    // to 3 and 2, 2 ranks 4 and 5: ranks 2, 2, 4.5, 4.5, 8
    EXPECT_DOUBLE_EQ(d[2].median, 2);
    EXPECT_DOUBLE_EQ(d[2].q1, 1);
    EXPECT_DOUBLE_EQ(d[2].q3, 2);
    EXPECT_DOUBLE_EQ(d[2].rankSum, 21);
    EXPECT_DOUBLE_EQ(d[2].meanRank, 4.2);
    EXPECT_DOUBLE_EQ(kw::groupQuantile(kw::test::profileOf(GroupValues{{"a", {"1", "2", "3", "4"}},
                                                                       {"b", {"5", "6"}}}),
                                       0, 0.1),
                     1.3); // quantile(1:4, .1)
}

} // namespace
