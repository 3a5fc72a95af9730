// The effect sizes and their bootstrap intervals, against R
// (tests/reference/descriptives_effectsizes.R).

#include "core/stats/effectsizes.h"

#include "support/profiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using kw::test::exampleProfile;
using kw::test::GroupValues;

struct Example {
    const char* file;
    int group, test;
    const char* missing;
    double h, epsilon, eta;
    // boot(strata = group), boot.ci(type = "perc"), 2000 resamples
    double epsilonLow, epsilonHigh, etaLow, etaHigh;
};

const Example examples[] = {
    {"plantgrowth.txt", 1, 2, "", 7.9882287494437154, 0.27545616377392124, 0.22178624997939686,
     0.0731, 0.6452, 0.0045, 0.6189},
    {"insectsprays.txt", 1, 2, "", 54.691344622371446, 0.77030062848410485, 0.75289916094502196,
     0.7308, 0.8318, 0.7105, 0.8190},
    {"airquality.txt", 1, 3, "-99", 29.266576306116939, 0.25449196787927775, 0.22762681356862108,
     0.1440, 0.4209, 0.1132, 0.4000},
};

TEST(EffectSizes, PointValuesAgreeWithR) {
    for (const Example& e : examples) {
        const kw::RankProfile profile = exampleProfile(e.file, e.group, e.test, e.missing);
        const double h = kw::kruskalWallisH(profile);
        EXPECT_NEAR(h, e.h, 1e-13 * e.h) << e.file;
        const kw::EffectSizes sizes = kw::effectSizes(profile, h, 10, 1);
        EXPECT_NEAR(sizes.epsilonSquared, e.epsilon, 1e-13) << e.file;
        EXPECT_NEAR(sizes.etaSquared, e.eta, 1e-13) << e.file;
    }
    // Eta-squared of a statistic below k - 1 is 0, not negative.
    EXPECT_EQ(kw::etaSquaredH(0.5, 30, 4), 0);
    EXPECT_DOUBLE_EQ(kw::epsilonSquared(3, 31), 0.1);
}

TEST(EffectSizes, BootstrapIntervalsAgreeWithRsBoot) {
    // Other random numbers than R's: the intervals agree within what 2000 resamples allow.
    for (const Example& e : examples) {
        const kw::RankProfile profile = exampleProfile(e.file, e.group, e.test, e.missing);
        const kw::EffectSizes sizes =
            kw::effectSizes(profile, kw::kruskalWallisH(profile), 2000, 1);
        EXPECT_EQ(sizes.resamples, 2000u);
        EXPECT_EQ(sizes.seed, 1u);
        EXPECT_NEAR(sizes.epsilonSquaredInterval.first, e.epsilonLow, 0.03) << e.file;
        EXPECT_NEAR(sizes.epsilonSquaredInterval.second, e.epsilonHigh, 0.03) << e.file;
        EXPECT_NEAR(sizes.etaSquaredInterval.first, e.etaLow, 0.03) << e.file;
        EXPECT_NEAR(sizes.etaSquaredInterval.second, e.etaHigh, 0.03) << e.file;
        EXPECT_LE(sizes.epsilonSquaredInterval.first, sizes.epsilonSquaredInterval.second);
    }
}

TEST(EffectSizes, HeavilyTiedGroupsDrawnValueByValueAgreeWithRsBoot) {
    // Three groups of 400 answers on a five-point scale: each group is drawn as a multinomial
    // over its five values, not case by case.
    const int counts[3][5] = {
        {80, 100, 120, 60, 40}, {60, 80, 120, 100, 40}, {40, 60, 100, 120, 80}};
    GroupValues groups;
    for (int g = 0; g < 3; ++g) {
        std::vector<std::string> values;
        for (int v = 0; v < 5; ++v) {
            values.insert(values.end(), std::size_t(counts[g][v]), std::to_string(v + 1));
        }
        groups.emplace_back(std::string(1, char('a' + g)), values);
    }
    const kw::RankProfile profile = kw::test::profileOf(groups);
    const double h = kw::kruskalWallisH(profile);
    EXPECT_NEAR(h, 56.625769084694291, 1e-12 * h);
    const kw::EffectSizes sizes = kw::effectSizes(profile, h, 2000, 1);
    EXPECT_NEAR(sizes.epsilonSquared, 0.047227497151538192, 1e-15);
    EXPECT_NEAR(sizes.epsilonSquaredInterval.first, 0.0279, 0.01);
    EXPECT_NEAR(sizes.epsilonSquaredInterval.second, 0.0754, 0.01);
    EXPECT_NEAR(sizes.etaSquaredInterval.first, 0.0263, 0.01);
    EXPECT_NEAR(sizes.etaSquaredInterval.second, 0.0739, 0.01);
}

TEST(EffectSizes, ResamplesStayWithinTheirGroupsAndFollowTheSeed) {
    // Constant groups: every resample draws each group's one value again, so every resampled
    // H is the observed one.
    const kw::RankProfile constant = kw::test::profileOf(
        GroupValues{{"a", {"1", "1", "1"}}, {"b", {"2", "2", "2", "2"}}, {"c", {"3", "3"}}});
    const double h = kw::kruskalWallisH(constant);
    const kw::EffectSizes fixed = kw::effectSizes(constant, h, 500, 7);
    EXPECT_DOUBLE_EQ(fixed.epsilonSquaredInterval.first, fixed.epsilonSquared);
    EXPECT_DOUBLE_EQ(fixed.epsilonSquaredInterval.second, fixed.epsilonSquared);

    const kw::RankProfile profile = exampleProfile("plantgrowth.txt", 1, 2);
    const double hp = kw::kruskalWallisH(profile);
    const kw::EffectSizes first = kw::effectSizes(profile, hp, 300, 42);
    const kw::EffectSizes again = kw::effectSizes(profile, hp, 300, 42);
    const kw::EffectSizes other = kw::effectSizes(profile, hp, 300, 43);
    EXPECT_EQ(first.epsilonSquaredInterval, again.epsilonSquaredInterval);
    EXPECT_EQ(first.etaSquaredInterval, again.etaSquaredInterval);
    EXPECT_NE(first.epsilonSquaredInterval, other.epsilonSquaredInterval);
}

TEST(EffectSizes, CancelledThroughTheFeedback) {
    struct Stop : kw::Feedback {
        bool cancelled() const override { return true; }
    } stop;
    const kw::RankProfile profile = exampleProfile("plantgrowth.txt", 1, 2);
    EXPECT_THROW(kw::effectSizes(profile, kw::kruskalWallisH(profile), 1000, 1, &stop),
                 kw::Cancelled);
}

} // namespace
