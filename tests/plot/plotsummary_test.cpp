// The plots' summaries against R (tests/reference/plots.R): boxes, whiskers and outliers as
// ggplot2's stat_boxplot finds them over type-7 quartiles, the intervals of the mean ranks,
// the points of few cases, the merged outliers of many, and the pairs and letters.

#include "core/plots/comparisondetails.h"
#include "core/plots/plotsummary.h"

#include "core/base/failure.h"
#include "support/profiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using kw::test::GroupValues;

std::shared_ptr<const kw::GroupedCases> exampleCases(const std::string& file, int group, int test,
                                                     const std::string& missing = {}) {
    kw::AnalysisRequest request;
    request.groupColumn = group;
    request.testColumn = test;
    request.groupMode = kw::GroupMode::texts;
    request.missingCode = missing;
    return kw::analyse(kw::readTextFile(std::string(KW_EXAMPLES_DIR) + "/" + file), request).cases;
}

// A group as R printed it: n, q1, median, q3, the whiskers, the outliers as value x count,
// and the mean rank's interval.
struct Expected {
    std::uint64_t n;
    double q1, median, q3, lowerWhisker, upperWhisker;
    std::vector<kw::ValueCount> outliers;
    double meanRank, se, low, high;
};

void expectGroup(const kw::PlotSummary& s, std::size_t g, const Expected& e) {
    const std::string what = s.groups[g];
    const kw::BoxSummary& b = s.boxes[g];
    EXPECT_EQ(b.n, e.n) << what;
    EXPECT_DOUBLE_EQ(b.q1, e.q1) << what;
    EXPECT_DOUBLE_EQ(b.median, e.median) << what;
    EXPECT_DOUBLE_EQ(b.q3, e.q3) << what;
    EXPECT_DOUBLE_EQ(b.lowerWhisker, e.lowerWhisker) << what;
    EXPECT_DOUBLE_EQ(b.upperWhisker, e.upperWhisker) << what;
    ASSERT_EQ(b.outliers.size(), e.outliers.size()) << what;
    std::uint64_t cases = 0;
    for (std::size_t i = 0; i < e.outliers.size(); ++i) {
        EXPECT_DOUBLE_EQ(b.outliers[i].value, e.outliers[i].value) << what;
        EXPECT_EQ(b.outliers[i].count, e.outliers[i].count) << what;
        cases += e.outliers[i].count;
    }
    EXPECT_EQ(b.outlierCases, cases) << what;
    EXPECT_FALSE(b.outliersMerged);
    const kw::RankInterval& r = s.ranks.groups[g];
    EXPECT_DOUBLE_EQ(r.meanRank, e.meanRank) << what;
    EXPECT_NEAR(r.standardError, e.se, 1e-13 * e.se) << what;
    EXPECT_NEAR(r.low, e.low, 1e-12 * e.high) << what;
    EXPECT_NEAR(r.high, e.high, 1e-12 * e.high) << what;
}

TEST(PlotSummary, ExamplesAgreeWithR) {
    const auto plants = kw::summarizeForPlots(*exampleCases("plantgrowth.txt", 1, 2));
    ASSERT_EQ(plants.groups, (std::vector<std::string>{"ctrl", "trt1", "trt2"}));
    EXPECT_EQ(plants.groupName, "group");
    EXPECT_EQ(plants.testName, "weight");
    EXPECT_DOUBLE_EQ(plants.ranks.rankVariance, 77.482758620689651);
    EXPECT_DOUBLE_EQ(plants.ranks.z, 1.9599639845400536);
    EXPECT_DOUBLE_EQ(plants.ranks.expected, 15.5);
    expectGroup(plants, 0,
                {10,
                 4.5499999999999998,
                 5.1549999999999994,
                 5.2925000000000004,
                 4.17,
                 6.11,
                 {},
                 14.75,
                 2.2727774289136433,
                 10.295438094453718,
                 19.204561905546282});
    expectGroup(plants, 1,
                {10,
                 4.2074999999999996,
                 4.5500000000000007,
                 4.8699999999999992,
                 3.59,
                 4.89,
                 {{5.87, 1}, {6.03, 1}},
                 10.35,
                 2.2727774289136433,
                 5.8954380944537172,
                 14.804561905546283});
    expectGroup(plants, 2,
                {10,
                 5.2675000000000001,
                 5.4350000000000005,
                 5.7349999999999994,
                 4.92,
                 6.31,
                 {},
                 21.4,
                 2.2727774289136433,
                 16.945438094453717,
                 25.85456190554628});
    // kruskal.test(weight ~ group): 7.9882, df 2, p 0.01842
    EXPECT_NEAR(plants.h, 7.9882, 1e-4);
    EXPECT_EQ(plants.df, 2);
    EXPECT_NEAR(plants.p, 0.01842, 1e-5);

    const auto sprays = kw::summarizeForPlots(*exampleCases("insectsprays.txt", 1, 2));
    EXPECT_DOUBLE_EQ(sprays.ranks.rankVariance, 436.25352112676057);
    const double se = 5.5041242184002899;
    expectGroup(sprays, 2,
                {12,
                 1,
                 1.5,
                 3,
                 0,
                 4,
                 {{7, 1}},
                 11.458333333333334,
                 se,
                 0.67044809883409329,
                 22.246218567832575});
    expectGroup(sprays, 3,
                {12,
                 3.75,
                 5,
                 5,
                 2,
                 6,
                 {{12, 1}},
                 25.583333333333332,
                 se,
                 14.795448098834092,
                 36.371218567832571});
    expectGroup(
        sprays, 5,
        {12, 12.5, 15, 22.5, 9, 26, {}, 55.625, se, 44.837114765500758, 66.412885234499242});

    // Unequal groups, missing values left out.
    const auto ozone = kw::summarizeForPlots(*exampleCases("airquality.txt", 1, 3, "-99"));
    EXPECT_EQ(ozone.caseCount, 116u);
    expectGroup(ozone, 1,
                {9,
                 20,
                 23,
                 37,
                 12,
                 39,
                 {{71, 1}},
                 48.722222222222221,
                 10.76370756135791,
                 27.62574306183927,
                 69.81870138260517});
    expectGroup(ozone, 4,
                {29,
                 16,
                 23,
                 36,
                 7,
                 47,
                 {{73, 1}, {78, 1}, {91, 1}, {96, 1}},
                 48.689655172413794,
                 5.4069441441086896,
                 38.092239383541013,
                 59.287070961286574});
}

TEST(PlotSummary, OutliersTiesAndTinyGroups) {
    // Outliers on both sides, one of them twice (a); a box of no width, so that every value
    // apart from the tied ones is an outlier (b); one case (c); two cases (d).
    const auto cases = kw::test::analysedGroups(
        GroupValues{{"a", {"-30", "1", "2", "3", "4", "5", "6", "7", "8", "9", "50", "50", "61"}},
                    {"b", {"1", "3", "3", "3", "3", "3", "3", "3", "20", "20"}},
                    {"c", {"7"}},
                    {"d", {"4", "40"}}});
    const auto s = kw::summarizeForPlots(*cases.cases);
    EXPECT_DOUBLE_EQ(s.ranks.rankVariance, 56.719999999999999);
    expectGroup(s, 0,
                {13,
                 3,
                 6,
                 9,
                 1,
                 9,
                 {{-30, 1}, {50, 2}, {61, 1}},
                 14.76923076923077,
                 1.4770032029547064,
                 11.874357686389242,
                 17.664103852072298});
    expectGroup(s, 1,
                {10,
                 3,
                 3,
                 3,
                 3,
                 3,
                 {{1, 1}, {20, 2}},
                 10.5,
                 1.8682776930803244,
                 6.8382430084429879,
                 14.161756991557013});
    expectGroup(
        s, 2,
        {1, 7, 7, 7, 7, 7, {}, 17.5, 7.385016014773532, 3.0256345857923606, 31.974365414207639});
    expectGroup(s, 3,
                {2,
                 13,
                 22,
                 31,
                 4,
                 40,
                 {},
                 18.25,
                 5.1164891809190349,
                 8.2218654781098532,
                 28.278134521890145});

    // Few cases: each group's values with their counts, to draw one point per case.
    ASSERT_EQ(s.points.size(), 4u);
    EXPECT_EQ(s.points[1].size(), 3u);
    EXPECT_DOUBLE_EQ(s.points[1][1].value, 3);
    EXPECT_EQ(s.points[1][1].count, 7u);
    EXPECT_EQ(s.points[2].size(), 1u);
}

TEST(PlotSummary, ManyCasesStayBounded) {
    // Points for up to 2000 cases, none beyond.
    GroupValues few{{"a", {}}, {"b", {"1", "2"}}};
    for (int i = 0; i < 1998; ++i) {
        few[0].second.push_back(std::to_string(i % 50));
    }
    const auto s = kw::summarizeForPlots(*kw::test::analysedGroups(few).cases);
    EXPECT_EQ(s.caseCount, 2000u);
    ASSERT_EQ(s.points.size(), 2u);
    EXPECT_EQ(s.points[0].size(), 50u); // one entry per value, not per case
    few[1].second.push_back("3");
    EXPECT_TRUE(kw::summarizeForPlots(*kw::test::analysedGroups(few).cases).points.empty());

    // 6000 distinct outliers in one group (below -1000 and above 1000, around a block of
    // zeros): merged into at most one mark per 1/1000 of the range, each the value furthest
    // from the box, the counts kept, the extremes exact.
    GroupValues wide{{"a", {}}, {"b", {"1", "2"}}};
    for (int i = 0; i < 3000; ++i) {
        wide[0].second.insert(wide[0].second.end(), 3, "0");
        wide[0].second.push_back(std::to_string(-1000 - i));
        wide[0].second.push_back(std::to_string(1000 + i * 7) + ".25");
    }
    const auto w = kw::summarizeForPlots(*kw::test::analysedGroups(wide).cases);
    const kw::BoxSummary& box = w.boxes[0];
    EXPECT_DOUBLE_EQ(box.q1, 0); // the middle 60 percent are zeros
    EXPECT_DOUBLE_EQ(box.q3, 0);
    EXPECT_TRUE(box.outliersMerged);
    EXPECT_LE(box.outliers.size(), kw::maxOutlierMarks + 2);
    EXPECT_GT(box.outliers.size(), 500u);
    EXPECT_DOUBLE_EQ(box.outliers.front().value, -3999);
    EXPECT_DOUBLE_EQ(box.outliers.back().value, 1000 + 2999 * 7 + 0.25);
    std::uint64_t cases = 0;
    for (std::size_t i = 0; i < box.outliers.size(); ++i) {
        cases += box.outliers[i].count;
        if (i > 0) {
            EXPECT_LT(box.outliers[i - 1].value, box.outliers[i].value);
        }
    }
    EXPECT_EQ(box.outlierCases, 6000u);
    EXPECT_EQ(cases, box.outlierCases);
    EXPECT_DOUBLE_EQ(box.lowerWhisker, 0);
    EXPECT_DOUBLE_EQ(box.upperWhisker, 0);
}

TEST(PlotSummary, PairsAndLettersFromTheComparisons) {
    const auto cases = exampleCases("insectsprays.txt", 1, 2);
    kw::DetailsRequest request;
    request.resamples = 20; // the resampled statistics do not matter here
    const kw::Details details = kw::computeDetails(*cases, request);
    const auto s = kw::summarizeForPlots(*cases, &details);
    ASSERT_TRUE(s.pairs);
    EXPECT_EQ(s.letters, details.letters);
    EXPECT_EQ(s.pairs->method, "dunn");
    EXPECT_EQ(s.pairs->adjustment, "holm");
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(s.pairs->compared(i, i));
    }
    for (const kw::PairComparison& pair : details.pairwise.pairs) {
        EXPECT_EQ(s.pairs->at(pair.first, pair.second), pair.pAdjusted);
        EXPECT_EQ(s.pairs->at(pair.second, pair.first), pair.pAdjusted);
    }

    // What the plots compute alone is what computeDetails gives.
    const kw::Details light = kw::comparisonDetails(*cases, request);
    EXPECT_EQ(light.letters, details.letters);
    ASSERT_EQ(light.pairwise.pairs.size(), details.pairwise.pairs.size());
    for (std::size_t i = 0; i < light.pairwise.pairs.size(); ++i) {
        EXPECT_EQ(light.pairwise.pairs[i].pAdjusted, details.pairwise.pairs[i].pAdjusted);
    }
    EXPECT_EQ(light.h, details.h);
    EXPECT_EQ(light.pValue.asymptotic, details.pValue.asymptotic);

    // Against a control: its row and column only, and no letters.
    request.control = "C";
    const kw::Details controlled = kw::comparisonDetails(*cases, request);
    const auto c = kw::summarizeForPlots(*cases, &controlled);
    EXPECT_TRUE(c.letters.empty());
    ASSERT_TRUE(c.pairs);
    EXPECT_EQ(c.pairs->control, 2);
    EXPECT_TRUE(c.pairs->compared(0, 2));
    EXPECT_FALSE(c.pairs->compared(0, 1));
    request.control = "Z";
    EXPECT_THROW(kw::comparisonDetails(*cases, request), kw::Failure);

    // Conover-Iman has no statistic when no group varies: the plots go without pairs.
    kw::DetailsRequest conover;
    conover.method = kw::PairwiseMethod::conover;
    const auto flat = kw::test::analysedGroups(GroupValues{{"a", {"1", "1"}}, {"b", {"2", "2"}}});
    const kw::Details none = kw::comparisonDetails(*flat.cases, conover);
    EXPECT_TRUE(none.pairwise.pairs.empty());
    EXPECT_FALSE(kw::summarizeForPlots(*flat.cases, &none).pairs);
}

} // namespace
