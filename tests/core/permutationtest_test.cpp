// The p-values of H: asymptotic, exact and by Monte Carlo, against R
// (tests/reference/permutationtest.R made the constants) and against enumeration of every
// assignment of the cases to the groups.

#include "core/stats/permutationtest.h"

#include "support/profiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using kw::ExactMode;
using kw::PermutationP;
using kw::RankProfile;
using kw::test::GroupValues;

// Groups a, b, c, ... of the values.
GroupValues groups(const std::vector<std::vector<double>>& values) {
    GroupValues out;
    char name = 'a';
    for (const auto& group : values) {
        std::vector<std::string> texts;
        for (const double v : group) {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", v);
            texts.emplace_back(text);
        }
        out.emplace_back(std::string(1, name++), texts);
    }
    return out;
}

RankProfile profileOf(const std::vector<std::vector<double>>& values) {
    return kw::test::profileOf(groups(values));
}

double hOf(const std::vector<std::vector<double>>& values) {
    return kw::test::analysedGroups(groups(values)).values.chiSquare;
}

// The profile of counts[value][group] cases, built directly (for designs too large to go
// through the analysis quickly), and its tie-corrected H.
RankProfile countedProfile(const std::vector<std::vector<std::uint32_t>>& counts) {
    RankProfile p;
    const std::size_t k = counts.front().size();
    p.groups.resize(k);
    p.sizes.assign(k, 0);
    std::uint64_t below = 0;
    for (std::size_t v = 0; v < counts.size(); ++v) {
        std::uint64_t t = 0;
        for (const std::uint32_t c : counts[v]) {
            t += c;
        }
        const auto index = static_cast<std::uint32_t>(p.values.size());
        p.values.push_back(static_cast<double>(v));
        p.midranks.push_back(static_cast<double>(below) + (static_cast<double>(t) + 1) / 2);
        p.totals.push_back(t);
        for (std::size_t g = 0; g < k; ++g) {
            if (counts[v][g] > 0) {
                p.groups[g].push_back({index, counts[v][g]});
                p.sizes[g] += counts[v][g];
            }
        }
        below += t;
    }
    p.caseCount = below;
    return p;
}

double hOf(const RankProfile& p) {
    const auto n = static_cast<double>(p.caseCount);
    double sum = 0;
    for (std::size_t g = 0; g < p.groups.size(); ++g) {
        double r = 0;
        for (const RankProfile::Entry& e : p.groups[g]) {
            r += e.count * p.midranks[e.value];
        }
        sum += r * r / static_cast<double>(p.sizes[g]);
    }
    const double h = 12 / (n * (n + 1)) * sum - 3 * (n + 1);
    return h / (1 - p.tieSum() / (n * n * n - n));
}

// The exact p by enumerating every assignment of the cases (with their doubled midranks) to
// groups of the observed sizes, the statistic compared as the sum of S_g^2 times the product of
// the other groups' sizes, in whole numbers.
double enumeratedP(const RankProfile& p) {
    std::vector<std::uint64_t> twice;
    for (std::size_t v = 0; v < p.values.size(); ++v) {
        twice.insert(twice.end(), p.totals[v], static_cast<std::uint64_t>(2 * p.midranks[v]));
    }
    const std::size_t k = p.groups.size();
    __extension__ using Wide = unsigned __int128;
    auto statistic = [&](const std::vector<std::uint64_t>& sums) {
        Wide t = 0;
        for (std::size_t g = 0; g < k; ++g) {
            Wide term = Wide(sums[g]) * sums[g];
            for (std::size_t h = 0; h < k; ++h) {
                term *= h == g ? 1 : p.sizes[h];
            }
            t += term;
        }
        return t;
    };
    std::vector<std::uint64_t> observed(k, 0);
    for (std::size_t g = 0; g < k; ++g) {
        for (const RankProfile::Entry& e : p.groups[g]) {
            observed[g] += e.count * static_cast<std::uint64_t>(2 * p.midranks[e.value]);
        }
    }
    const Wide threshold = statistic(observed);
    std::vector<std::uint64_t> left = p.sizes;
    std::vector<std::uint64_t> sums(k, 0);
    std::uint64_t above = 0;
    std::uint64_t all = 0;
    std::function<void(std::size_t)> assign = [&](std::size_t i) {
        if (i == twice.size()) {
            ++all;
            above += statistic(sums) >= threshold ? 1 : 0;
            return;
        }
        for (std::size_t g = 0; g < k; ++g) {
            if (left[g] > 0) {
                --left[g];
                sums[g] += twice[i];
                assign(i + 1);
                sums[g] -= twice[i];
                ++left[g];
            }
        }
    };
    assign(0);
    return static_cast<double>(above) / static_cast<double>(all);
}

bool within(double p, const PermutationP& mc) {
    return mc.interval && p >= mc.interval->first && p <= mc.interval->second;
}

const std::vector<std::vector<double>> hollanderWolfe = {
    {2.9, 3.0, 2.5, 2.6, 3.2}, {3.8, 2.7, 4.0, 2.4}, {2.8, 3.4, 3.7, 2.2, 2.0}};
const std::vector<std::vector<double>> threeTied = {{1, 2, 2, 3}, {2, 3, 3, 4}, {3, 4, 4, 5}};
const std::vector<std::vector<double>> fourGroups = {
    {1.5, 2, 2, 7}, {3, 3, 8}, {2, 5, 5}, {1, 6, 9}};
const std::vector<std::vector<double>> twoGroups = {{1, 1, 2, 3, 3, 3, 4}, {2, 3, 4, 4, 5, 5}};

TEST(PermutationTest, ExactModesHaveNames) {
    for (const ExactMode mode : {ExactMode::automatic, ExactMode::always, ExactMode::never}) {
        EXPECT_EQ(kw::exactModeNamed(kw::exactModeName(mode)), mode);
    }
    EXPECT_STREQ(kw::exactModeName(ExactMode::automatic), "auto");
    EXPECT_FALSE(kw::exactModeNamed("exact"));
    EXPECT_FALSE(kw::exactModeNamed(""));
}

// kruskal.test, and qn.test(test = "KW", method = "exact") over every split.
TEST(PermutationTest, ExactAndAsymptoticAgreeWithR) {
    struct Case {
        const std::vector<std::vector<double>>* values;
        double h, asymptotic, above, splits;
    };
    const Case cases[] = {
        {&hollanderWolfe, 0.77142857142857224, 0.67996477357889362, 179294, 252252},
        {&threeTied, 6.4132462686567182, 0.040493122490940371, 1062, 34650},
        {&fourGroups, 1.3798882681564215, 0.71025573037354073, 898818, 1201200},
        {&twoGroups, 3.6179497735693751, 0.057159272564978339, 105, 1716},
    };
    for (const Case& c : cases) {
        const double h = hOf(*c.values);
        EXPECT_NEAR(h, c.h, 1e-13 * c.h);
        const PermutationP p =
            kw::permutationP(profileOf(*c.values), h, ExactMode::automatic, 1000, 1);
        EXPECT_TRUE(p.exact);
        EXPECT_EQ(p.p, c.above / c.splits); // the double nearest the fraction
        EXPECT_FALSE(p.interval);
        EXPECT_NEAR(p.asymptotic, c.asymptotic, 1e-12 * c.asymptotic);
    }
}

TEST(PermutationTest, AsymptoticPOfTheExamplesAgreesWithR) {
    struct Example {
        const char* file;
        int group, test;
        const char* missing;
        double p;
    };
    const Example examples[] = {
        {"plantgrowth.txt", 1, 2, "", 0.01842375573147197},
        {"insectsprays.txt", 1, 2, "", 1.5108444394185103e-10},
        {"airquality.txt", 1, 3, "-99", 6.9007141185467839e-06},
    };
    for (const Example& e : examples) {
        kw::AnalysisRequest r;
        r.groupColumn = e.group;
        r.testColumn = e.test;
        r.groupMode = kw::GroupMode::texts;
        r.missingCode = e.missing;
        const kw::AnalysisOutcome outcome =
            kw::analyse(kw::readTextFile(std::string(KW_EXAMPLES_DIR) + "/" + e.file), r);
        const RankProfile profile = kw::rankProfile(*outcome.cases);
        const PermutationP p =
            kw::permutationP(profile, outcome.values.chiSquare, ExactMode::automatic, 2000, 7);
        EXPECT_NEAR(p.asymptotic, e.p, 1e-11 * e.p) << e.file;
        if (std::string(e.file) == "plantgrowth.txt") {
            // coin::kruskal_test(approximate(nresample = 1e6)): p = 0.014532, 99 percent
            // interval [0.014226, 0.014843].
            EXPECT_TRUE(p.exact);
            EXPECT_GE(p.p, 0.014226);
            EXPECT_LE(p.p, 0.014843);
        }
        if (std::string(e.file) == "insectsprays.txt") {
            // Six groups of twelve: Monte Carlo, and none of the relabellings reaches H.
            EXPECT_FALSE(p.exact);
            EXPECT_EQ(p.p, 0);
            EXPECT_EQ(p.interval->first, 0);
        }
    }
}

// Two groups without ties, where the exact p is the two-sided exact Wilcoxon p of R's
// wilcox.test; 10^40 and 10^58 splits, counted in three and four 64-bit words.
TEST(PermutationTest, ExactOfTwoLargeGroupsAgreesWithWilcoxon) {
    struct Case {
        std::uint32_t n;
        double h, asymptotic, exact;
    };
    const Case cases[] = {
        {140, 2.0078158923143405, 0.15649046983878478, 0.15755026313892592},
        {200, 2.6960238805970675, 0.10059884691722192, 0.10093197880690992},
    };
    for (const Case& c : cases) {
        // Case i of 1..n is in the first group when (37 i) mod 7 is at most 3, in the upper
        // half at most 2.
        std::vector<std::vector<std::uint32_t>> counts;
        for (std::uint32_t i = 1; i <= c.n; ++i) {
            const bool first = (37 * i) % 7 <= (2 * i > c.n ? 2u : 3u);
            counts.push_back({first ? 1u : 0u, first ? 0u : 1u});
        }
        const RankProfile profile = countedProfile(counts);
        const double h = hOf(profile);
        EXPECT_NEAR(h, c.h, 1e-12 * c.h);
        const PermutationP p = kw::permutationP(profile, h, ExactMode::automatic, 100, 1);
        EXPECT_TRUE(p.exact);
        EXPECT_NEAR(p.p, c.exact, 1e-13) << c.n << " cases";
        EXPECT_NEAR(p.asymptotic, c.asymptotic, 1e-12) << c.n << " cases";
    }
}

// Many small tables with ties (and some without), every assignment enumerated.
TEST(PermutationTest, ExactMatchesEnumeration) {
    std::mt19937 random(20261208);
    for (int trial = 0; trial < 150; ++trial) {
        const int k = 2 + static_cast<int>(random() % 3);
        const int spread = std::vector<int>{2, 3, 5, 40}[random() % 4];
        std::vector<std::vector<double>> values(static_cast<std::size_t>(k));
        std::size_t n = 0;
        for (auto& group : values) {
            const std::size_t size = 1 + random() % (k == 4 ? 3 : 4);
            for (std::size_t j = 0; j < size; ++j) {
                group.push_back(static_cast<double>(random() % spread) / 2);
            }
            n += size;
        }
        const RankProfile profile = profileOf(values);
        if (profile.values.size() < 2) {
            continue; // all tied: no statistic to compute
        }
        const double expected = enumeratedP(profile);
        EXPECT_EQ(kw::permutationP(profile, hOf(values), ExactMode::always, 0, 1).p, expected)
            << "trial " << trial << ", " << n << " cases in " << k << " groups";
    }
}

// The observed arrangement and the one with the groups swapped have the same statistic: both
// count, whatever rounding would do to H.
TEST(PermutationTest, StatisticEqualToTheObservedCountsAsAtLeast) {
    const std::vector<std::vector<double>> swapped = {{1, 2}, {3, 4}};
    const RankProfile profile = profileOf(swapped);
    EXPECT_EQ(kw::permutationP(profile, hOf(swapped), ExactMode::always, 0, 1).p, 1.0 / 3);
    const PermutationP mc = kw::permutationP(profile, hOf(swapped), ExactMode::never, 30000, 3);
    EXPECT_TRUE(within(1.0 / 3, mc));
    // All cases tied: every arrangement is as large as the observed one.
    const std::vector<std::vector<double>> tied = {{2, 2}, {2, 2, 2}};
    EXPECT_EQ(kw::permutationP(profileOf(tied), 0, ExactMode::always, 0, 1).p, 1);
    EXPECT_EQ(kw::permutationP(profileOf(tied), 0, ExactMode::never, 100, 1).p, 1);
    // Midranks that are halves, and sums that tie across groups of different sizes.
    const std::vector<std::vector<double>> halves = {{1, 1, 2}, {2, 3}, {3, 3, 1}};
    const RankProfile halved = profileOf(halves);
    EXPECT_EQ(kw::permutationP(halved, hOf(halves), ExactMode::always, 0, 1).p,
              enumeratedP(halved));
}

// Monte Carlo against the exact p: tables of ties of every kind (no ties; every value twice;
// ties of changing sizes; values held by hundreds of cases, whose composition is drawn whole).
TEST(PermutationTest, MonteCarloAgreesWithExact) {
    std::vector<RankProfile> profiles = {profileOf(hollanderWolfe), profileOf(threeTied),
                                         profileOf(fourGroups), profileOf(twoGroups)};
    profiles.push_back(profileOf({{1, 1, 4, 4, 6, 6}, {2, 2, 3, 3, 9, 9}, {5, 5, 7, 7, 8, 8}}));
    profiles.push_back(countedProfile({{60, 40}, {50, 50}, {40, 70}}));
    profiles.push_back(countedProfile({{150, 100}, {1, 2}, {90, 160}}));
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const double h = hOf(profiles[i]);
        const PermutationP exact = kw::permutationP(profiles[i], h, ExactMode::always, 0, 1);
        const PermutationP mc = kw::permutationP(profiles[i], h, ExactMode::never, 20000, 11);
        ASSERT_TRUE(exact.exact);
        EXPECT_FALSE(mc.exact);
        EXPECT_EQ(mc.resamples, 20000u);
        EXPECT_TRUE(within(exact.p, mc))
            << "table " << i << ": exact " << exact.p << ", Monte Carlo " << mc.p;
        EXPECT_EQ(mc.asymptotic, exact.asymptotic);
    }
}

TEST(PermutationTest, MonteCarloIsTheSameForTheSameSeed) {
    const RankProfile profile = profileOf(hollanderWolfe);
    const double h = hOf(hollanderWolfe);
    const PermutationP a = kw::permutationP(profile, h, ExactMode::never, 5000, 42);
    const PermutationP b = kw::permutationP(profile, h, ExactMode::never, 5000, 42);
    EXPECT_EQ(a.p, b.p);
    EXPECT_EQ(a.interval, b.interval);
    EXPECT_LT(a.interval->first, a.p);
    EXPECT_GT(a.interval->second, a.p);
}

// The Clopper-Pearson interval where it has a closed form: none of n relabellings at least as
// large gives [0, 1 - 0.005^(1/n)], all of them [0.005^(1/n), 1].
TEST(PermutationTest, MonteCarloIntervalAtTheEnds) {
    const std::vector<std::vector<double>> apart = {{1, 2, 3, 4, 5, 6, 7, 8},
                                                    {9, 10, 11, 12, 13, 14, 15, 16},
                                                    {17, 18, 19, 20, 21, 22, 23, 24}};
    const PermutationP none =
        kw::permutationP(profileOf(apart), hOf(apart), ExactMode::never, 2000, 1);
    EXPECT_EQ(none.p, 0);
    EXPECT_EQ(none.interval->first, 0);
    EXPECT_NEAR(none.interval->second, 1 - std::pow(0.005, 1.0 / 2000), 1e-15);
    // Every group with the same values: every relabelling has the same statistic.
    const std::vector<std::vector<double>> alike = {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}};
    const PermutationP all =
        kw::permutationP(profileOf(alike), hOf(alike), ExactMode::never, 2000, 1);
    EXPECT_EQ(all.p, 1);
    EXPECT_NEAR(all.interval->first, std::pow(0.005, 1.0 / 2000), 1e-15);
    EXPECT_EQ(all.interval->second, 1);
}

// Larger data, where the chi-square approximation is good: 750 cases on three values (coin,
// 1e5 resamples: p = 0.007840, 99 percent interval [0.007140, 0.008587]), and 90000 cases
// without ties in three groups, whose runs of labels are dealt out in several parts.
TEST(PermutationTest, MonteCarloOfLargerDataAgreesWithRAndChiSquare) {
    const RankProfile threeValues = countedProfile({{100, 90, 50}, {120, 80, 70}, {80, 80, 80}});
    const double h = hOf(threeValues);
    EXPECT_NEAR(h, 9.7265972222221979, 1e-11);
    const PermutationP p = kw::permutationP(threeValues, h, ExactMode::automatic, 100000, 5);
    EXPECT_FALSE(p.exact);
    EXPECT_LT(p.interval->first, 0.008587); // the two intervals overlap
    EXPECT_GT(p.interval->second, 0.007140);
    EXPECT_NEAR(p.asymptotic, 0.0077249601784014823, 1e-12);

    std::vector<std::vector<std::uint32_t>> counts(90000, std::vector<std::uint32_t>(3, 0));
    std::mt19937 random(9);
    for (std::size_t v = 0; v < counts.size(); ++v) {
        // A slight shift between groups, for a p that is neither 0 nor 1.
        const std::size_t g = (random() % 1000 < 3 && v > 60000) ? 0 : v % 3;
        counts[v][g] = 1;
    }
    const RankProfile large = countedProfile(counts);
    const PermutationP q = kw::permutationP(large, hOf(large), ExactMode::automatic, 2000, 5);
    EXPECT_FALSE(q.exact);
    EXPECT_GT(q.asymptotic, 0.01);
    EXPECT_LT(q.asymptotic, 0.99);
    EXPECT_NEAR(q.p, q.asymptotic, 0.04);
}

// Sixteen groups of prime sizes 2, 3, ..., 53: their least common multiple (3e19) leaves the
// whole-number comparison of statistics, which then goes by long double; with 381 cases the
// chi-square p is close to the permutation p.
TEST(PermutationTest, MonteCarloOfManyGroupsOfPrimeSizes) {
    const std::uint32_t primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53};
    std::vector<std::vector<double>> values;
    for (std::uint32_t g = 0; g < 16; ++g) {
        values.emplace_back();
        for (std::uint32_t i = 0; i < primes[g]; ++i) {
            values.back().push_back((i * 7 + 3 * g) % 40 + (g % 4 == 1 ? 6 : 0));
        }
    }
    const RankProfile profile = profileOf(values);
    const double h = hOf(values);
    const PermutationP p = kw::permutationP(profile, h, ExactMode::automatic, 4000, 2);
    EXPECT_FALSE(p.exact);
    EXPECT_GT(p.asymptotic, 0.02);
    EXPECT_LT(p.asymptotic, 0.98);
    EXPECT_NEAR(p.p, p.asymptotic, 0.03);
}

// The automatic choice: exact when the estimated work and memory are within the budget,
// Monte Carlo beyond either; `always` refuses only what the memory cannot hold.
TEST(PermutationTest, BudgetDecides) {
    auto noTies = [](std::vector<std::uint32_t> sizes) {
        std::size_t n = 0;
        for (const std::uint32_t s : sizes) {
            n += s;
        }
        std::vector<std::vector<std::uint32_t>> counts(n, std::vector<std::uint32_t>(sizes.size()));
        std::mt19937 random(1);
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i) {
            order[i] = i;
        }
        std::shuffle(order.begin(), order.end(), random);
        std::size_t at = 0;
        for (std::size_t g = 0; g < sizes.size(); ++g) {
            for (std::uint32_t j = 0; j < sizes[g]; ++j) {
                counts[order[at++]][g] = 1;
            }
        }
        return countedProfile(counts);
    };
    // Three groups of 15 (about 6e8 state updates, 160 MB): exact.
    const RankProfile fifteens = noTies({15, 15, 15});
    const PermutationP small =
        kw::permutationP(fifteens, hOf(fifteens), ExactMode::automatic, 100, 1);
    EXPECT_TRUE(small.exact);
    EXPECT_TRUE(
        within(small.p, kw::permutationP(fifteens, hOf(fifteens), ExactMode::never, 20000, 1)));
    // Three groups of 20: about 4.4e9 updates, over the work budget.
    const PermutationP work =
        kw::permutationP(noTies({20, 20, 20}), 1, ExactMode::automatic, 100, 1);
    EXPECT_FALSE(work.exact);
    EXPECT_EQ(work.resamples, 100u);
    ASSERT_TRUE(work.interval);
    // Four groups of 7: fast enough, but the states take more than 900 MB.
    EXPECT_FALSE(kw::permutationP(noTies({7, 7, 7, 7}), 1, ExactMode::automatic, 100, 1).exact);
    // Far beyond: decided at once.
    EXPECT_FALSE(kw::permutationP(noTies(std::vector<std::uint32_t>(10, 1000)), 1,
                                  ExactMode::automatic, 10, 1)
                     .exact);
    // `never` is Monte Carlo even where exact is cheap.
    EXPECT_FALSE(kw::permutationP(profileOf(threeTied), 1, ExactMode::never, 100, 1).exact);
    // `always` of ten groups of a hundred: no computer holds that.
    try {
        kw::permutationP(noTies(std::vector<std::uint32_t>(10, 100)), 1, ExactMode::always, 0, 1);
        ADD_FAILURE() << "no refusal";
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.reason(), kw::Failure::Reason::outOfMemory);
        EXPECT_NE(f.message().find("GB"), std::string::npos) << f.message();
    }
}

class Watcher : public kw::Feedback {
public:
    explicit Watcher(int stopAfter) : stopAfter_(stopAfter) {}
    void progress(std::string_view, double fraction) override { fractions.push_back(fraction); }
    bool cancelled() const override {
        return stopAfter_ >= 0 && static_cast<int>(fractions.size()) >= stopAfter_;
    }
    std::vector<double> fractions;

private:
    int stopAfter_;
};

TEST(PermutationTest, ShowsProgressAndCancels) {
    const RankProfile profile = profileOf({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                                           {11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
                                           {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}});
    Watcher watch(-1);
    kw::permutationP(profile, 1, ExactMode::always, 0, 1, &watch);
    ASSERT_GT(watch.fractions.size(), 2u);
    EXPECT_TRUE(std::is_sorted(watch.fractions.begin(), watch.fractions.end()));
    EXPECT_LE(watch.fractions.back(), 1.0);

    Watcher exact(2);
    EXPECT_THROW(kw::permutationP(profile, 1, ExactMode::always, 0, 1, &exact), kw::Cancelled);
    Watcher monteCarlo(2);
    EXPECT_THROW(kw::permutationP(profile, 1, ExactMode::never, 1000000, 1, &monteCarlo),
                 kw::Cancelled);
    EXPECT_LT(monteCarlo.fractions.back(), 0.5);
}

} // namespace
