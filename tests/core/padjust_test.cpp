// The adjustment of p-values against R's p.adjust to the last bit (tests/reference/pairwise.R
// made the reference values; Sidak and Holm-Sidak there from their formulas), the monotone
// steps, and Hommel's method on long families.

#include "core/stats/padjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using kw::Adjustment;
using kw::adjustPValues;

struct Family {
    const char* name;
    std::vector<double> p;
    std::vector<std::pair<std::string, std::vector<double>>> adjusted; // by the method's name
};

struct LongFamily {
    std::size_t n;
    double sum;         // of the adjusted values
    double weightedSum; // of i a_i, i from 1
    std::vector<std::pair<std::size_t, double>> entries;
};

// The output of tests/reference/pairwise.R: p-values, and for each adjustment what R makes of them.
const Family families[] = {
    {"ties, zeros, ones, a tiny p",
     {0.01, 0, 0.040000000000000001, 0.01, 1, 0.002, 0.040000000000000001, 0.29999999999999999, 1,
      0.00040000000000000002, 0.5, 0.040000000000000001, 1e-300, 0.99999990000000005, 0.02},
     {
         {"none",
          {0.01, 0, 0.040000000000000001, 0.01, 1, 0.002, 0.040000000000000001, 0.29999999999999999,
           1, 0.00040000000000000002, 0.5, 0.040000000000000001, 1e-300, 0.99999990000000005,
           0.02}},
         {"bonferroni",
          {0.14999999999999999, 0, 0.59999999999999998, 0.14999999999999999, 1,
           0.029999999999999999, 0.59999999999999998, 1, 1, 0.0060000000000000001, 1,
           0.59999999999999998, 1.4999999999999999e-299, 1, 0.29999999999999999}},
         {"sidak",
          {0.13994164535871151, 0, 0.45791362013909093, 0.13994164535871151, 1,
           0.029583618255776503, 0.45791362013909093, 0.99525243849005696, 1, 0.0059832290850867307,
           0.999969482421875, 0.45791362013909093, 1.4999999999999999e-299, 1,
           0.26143089735459607}},
         {"holm",
          {0.11, 0, 0.32000000000000001, 0.11, 1, 0.024, 0.32000000000000001, 1, 1,
           0.0052000000000000006, 1, 0.32000000000000001, 1.4000000000000001e-299, 1,
           0.17999999999999999}},
         {"holm-sidak",
          {0.10466174574128356, 0, 0.2786104210161664, 0.10466174574128356, 1, 0.023737752105284969,
           0.2786104210161664, 0.83192999999999995, 1, 0.0051875382857091718, 0.9375,
           0.2786104210161664, 1.4000000000000001e-299, 1, 0.16625223786985011}},
         {"hochberg",
          {0.10000000000000001, 0, 0.23999999999999999, 0.10000000000000001, 1, 0.024,
           0.23999999999999999, 1, 1, 0.0052000000000000006, 1, 0.23999999999999999,
           1.4000000000000001e-299, 1, 0.17999999999999999}},
         {"hommel",
          {0.089999999999999997, 0, 0.23999999999999999, 0.089999999999999997, 1, 0.024,
           0.23999999999999999, 1, 1, 0.0052000000000000006, 1, 0.23999999999999999,
           1.4000000000000001e-299, 1, 0.14000000000000001}},
         {"bh",
          {0.025000000000000001, 0, 0.059999999999999998, 0.025000000000000001, 1,
           0.0074999999999999997, 0.059999999999999998, 0.40909090909090906, 1, 0.002, 0.625,
           0.059999999999999998, 7.4999999999999996e-300, 1, 0.042857142857142858}},
         {"by",
          {0.082955724830724831, 0, 0.19909373959373958, 0.082955724830724831, 1,
           0.024886717449217451, 0.19909373959373958, 1, 1, 0.0066364579864579866, 1,
           0.19909373959373958, 2.4886717449217451e-299, 1, 0.14220981399552829}},
     }},
    {"a family of one",
     {0.029999999999999999},
     {
         {"none", {0.029999999999999999}},
         {"bonferroni", {0.029999999999999999}},
         {"sidak", {0.029999999999999999}},
         {"holm", {0.029999999999999999}},
         {"holm-sidak", {0.029999999999999999}},
         {"hochberg", {0.029999999999999999}},
         {"hommel", {0.029999999999999999}},
         {"bh", {0.029999999999999999}},
         {"by", {0.029999999999999999}},
     }},
    {"a family of two",
     {0.029999999999999999, 0.02},
     {
         {"none", {0.029999999999999999, 0.02}},
         {"bonferroni", {0.059999999999999998, 0.040000000000000001}},
         {"sidak", {0.0591, 0.039600000000000003}},
         {"holm", {0.040000000000000001, 0.040000000000000001}},
         {"holm-sidak", {0.039600000000000003, 0.039600000000000003}},
         {"hochberg", {0.029999999999999999, 0.029999999999999999}},
         {"hommel", {0.029999999999999999, 0.029999999999999999}},
         {"bh", {0.029999999999999999, 0.029999999999999999}},
         {"by", {0.044999999999999998, 0.044999999999999998}},
     }},
    {"a family of three",
     {0.040000000000000001, 0.01, 0.029999999999999999},
     {
         {"none", {0.040000000000000001, 0.01, 0.029999999999999999}},
         {"bonferroni", {0.12, 0.029999999999999999, 0.089999999999999997}},
         {"sidak", {0.11526400000000001, 0.029701000000000002, 0.087327000000000002}},
         {"holm", {0.059999999999999998, 0.029999999999999999, 0.059999999999999998}},
         {"holm-sidak", {0.0591, 0.029701000000000002, 0.0591}},
         {"hochberg", {0.040000000000000001, 0.029999999999999999, 0.040000000000000001}},
         {"hommel", {0.040000000000000001, 0.029999999999999999, 0.040000000000000001}},
         {"bh", {0.040000000000000001, 0.029999999999999999, 0.040000000000000001}},
         {"by", {0.073333333333333334, 0.055, 0.073333333333333334}},
     }},
};

// Also from tests/reference/pairwise.R: Hommel on long families, R's sums (in long double) and
// every 97th entry.
const LongFamily longFamilies[] = {
    {500,
     19.85968928758216,
     4988.2672708649234,
     {{0, 0.015629648641261856},
      {97, 0.0011430609924726943},
      {194, 2.6913096428564947e-06},
      {291, 0.0625},
      {388, 0.0625},
      {485, 0.0625}}},
    {6000,
     285.70074731266908,
     857292.01315621682,
     {{0, 0.062377762813201711},
      {97, 0.010393506833241885},
      {194, 3.0650373574540341e-05},
      {291, 0.0625},
      {388, 0.0625},
      {485, 0.0625},
      {582, 0.0625},
      {679, 0.0625},
      {776, 0.062364140589420788},
      {873, 0.0096103365010592606},
      {970, 2.3516452991259507e-05},
      {1067, 0.0625},
      {1164, 0.0625},
      {1261, 0.0625},
      {1358, 0.0625},
      {1455, 0.0625},
      {1552, 0.062221178167107746},
      {1649, 0.008992031457273706},
      {1746, 1.8674351322436289e-05},
      {1843, 0.0625},
      {1940, 0.0625},
      {2037, 0.0625},
      {2134, 0.0625},
      {2231, 0.0625},
      {2328, 0.061859631905291257},
      {2425, 0.0082875732260303536},
      {2522, 1.3975237784229207e-05},
      {2619, 0.0625},
      {2716, 0.0625},
      {2813, 0.0625},
      {2910, 0.0625},
      {3007, 0.0625},
      {3104, 0.061295123481131503},
      {3201, 0.0076244607336609866},
      {3298, 1.0294862608923588e-05},
      {3395, 0.0625},
      {3492, 0.0625},
      {3589, 0.0625},
      {3686, 0.0625},
      {3783, 0.0625},
      {3880, 0.060694145213974739},
      {3977, 0.0071035183409115417},
      {4074, 7.8768869808724174e-06},
      {4171, 0.0625},
      {4268, 0.0625},
      {4365, 0.0625},
      {4462, 0.0625},
      {4559, 0.0625},
      {4656, 0.059825656974276782},
      {4753, 0.0065118892658811989},
      {4850, 5.6117906118499393e-06},
      {4947, 0.0625},
      {5044, 0.0625},
      {5141, 0.0625},
      {5238, 0.0625},
      {5335, 0.0625},
      {5432, 0.058811783281914616},
      {5529, 0.0059575968524960476},
      {5626, 3.9139371017903026e-06},
      {5723, 0.0625},
      {5820, 0.0625},
      {5917, 0.0625}}},
};

const Adjustment everyAdjustment[] = {
    Adjustment::none,   Adjustment::bonferroni,        Adjustment::sidak,
    Adjustment::holm,   Adjustment::holmSidak,         Adjustment::hochberg,
    Adjustment::hommel, Adjustment::benjaminiHochberg, Adjustment::benjaminiYekutieli,
};

// The long families of the script: p_i = x^6 / 16, x = floor(v_i / 3) / 2002,
// v_i = 7919 i mod 6007.
std::vector<double> longFamily(std::size_t n) {
    std::vector<double> p(n);
    for (std::size_t i = 1; i <= n; ++i) {
        const std::size_t v = i * 7919 % 6007;
        const double x = static_cast<double>(v / 3) / 2002;
        p[i - 1] = x * x * x * x * x * x / 16;
    }
    return p;
}

// R's Hommel loop as p.adjust writes it, n^2 steps: what the long way must match.
std::vector<double> hommelAsR(const std::vector<double>& p) {
    const std::size_t n = p.size();
    std::vector<std::size_t> o(n);
    for (std::size_t i = 0; i < n; ++i) {
        o[i] = i;
    }
    std::stable_sort(o.begin(), o.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
    std::vector<double> s(n);
    for (std::size_t i = 0; i < n; ++i) {
        s[i] = p[o[i]];
    }
    double c = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        c = std::min(c, double(n) * s[i] / double(i + 1));
    }
    std::vector<double> q(n, c);
    std::vector<double> pa(n, c);
    for (std::size_t m = n - 1; m >= 2; --m) {
        double q1 = std::numeric_limits<double>::infinity();
        for (std::size_t j = 2; j <= m; ++j) {
            q1 = std::min(q1, double(m) * s[n - m + j - 1] / double(j));
        }
        for (std::size_t i = 0; i <= n - m; ++i) {
            q[i] = std::min(double(m) * s[i], q1);
        }
        for (std::size_t i = n - m + 1; i < n; ++i) {
            q[i] = q[n - m];
        }
        for (std::size_t i = 0; i < n; ++i) {
            pa[i] = std::max(pa[i], q[i]);
        }
    }
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[o[i]] = std::max(pa[i], s[i]);
    }
    return out;
}

// Random p-values with ties (three decimals), zeros and ones, and a share of small ones.
std::vector<double> randomFamily(std::mt19937_64& random, std::size_t n) {
    std::uniform_real_distribution<double> uniform(0, 1);
    std::vector<double> p(n);
    for (double& x : p) {
        const double u = uniform(random);
        x = u < 0.3 ? std::round(u * u * u * 1000) / 1000 * 0.05 : std::round(u * 1000) / 1000;
    }
    return p;
}

TEST(PAdjust, AgreesWithRToTheLastBit) {
    for (const Family& family : families) {
        for (const auto& [name, expected] : family.adjusted) {
            SCOPED_TRACE(std::string(family.name) + ", " + name);
            const auto adjustment = kw::adjustmentNamed(name);
            ASSERT_TRUE(adjustment);
            const std::vector<double> adjusted = adjustPValues(family.p, *adjustment);
            ASSERT_EQ(adjusted.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(adjusted[i], expected[i]) << "at " << i;
            }
        }
    }
}

TEST(PAdjust, SidakKeepsTinyPValues) {
    // 1 - (1 - p)^m would give 0: the complement rounds to 1.
    const std::vector<double> p = {1e-300, 1e-17, 0.5};
    const std::vector<double> sidak = adjustPValues(p, Adjustment::sidak);
    EXPECT_DOUBLE_EQ(sidak[0], 3e-300);
    EXPECT_DOUBLE_EQ(sidak[1], 3e-17);
    EXPECT_DOUBLE_EQ(sidak[2], 0.875);
    const std::vector<double> holmSidak = adjustPValues(p, Adjustment::holmSidak);
    EXPECT_DOUBLE_EQ(holmSidak[0], 3e-300);
    EXPECT_DOUBLE_EQ(holmSidak[1], 2e-17);
    EXPECT_DOUBLE_EQ(holmSidak[2], 0.5);
}

TEST(PAdjust, StepsAreMonotone) {
    // Without the cumulative maximum Holm would give 0.02 and 0.011, without the cumulative
    // minimum Benjamini-Hochberg 0.08 and 0.041: an adjusted p smaller for a larger p.
    EXPECT_EQ(adjustPValues({0.01, 0.011}, Adjustment::holm), (std::vector<double>{0.02, 0.02}));
    EXPECT_EQ(adjustPValues({0.04, 0.041}, Adjustment::benjaminiHochberg),
              (std::vector<double>{0.041, 0.041}));
    EXPECT_EQ(adjustPValues({0.04, 0.041}, Adjustment::hochberg),
              (std::vector<double>{0.041, 0.041}));

    // Every method: at least p, at most 1, in the order of the p-values.
    std::mt19937_64 random(7);
    for (int round = 0; round < 20; ++round) {
        const std::vector<double> p = randomFamily(random, 1 + round * 17);
        for (const Adjustment a : everyAdjustment) {
            SCOPED_TRACE(kw::adjustmentName(a));
            const std::vector<double> adjusted = adjustPValues(p, a);
            for (std::size_t i = 0; i < p.size(); ++i) {
                EXPECT_GE(adjusted[i], p[i]);
                EXPECT_LE(adjusted[i], 1.0);
                for (std::size_t j = 0; j < p.size(); ++j) {
                    if (p[i] <= p[j]) {
                        EXPECT_LE(adjusted[i], adjusted[j]);
                    }
                }
            }
        }
    }
}

TEST(PAdjust, ValuesThatAreNoNumbersStayOutOfTheFamily) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> adjusted = adjustPValues({0.01, nan, 0.02}, Adjustment::bonferroni);
    EXPECT_EQ(adjusted[0], 0.02);
    EXPECT_TRUE(std::isnan(adjusted[1]));
    EXPECT_EQ(adjusted[2], 0.04);
    EXPECT_TRUE(adjustPValues({}, Adjustment::holm).empty());
}

TEST(PAdjust, HommelOnLongFamilies) {
    // 500 take R's loop, 6000 the n log n way.
    for (const LongFamily& family : longFamilies) {
        SCOPED_TRACE(family.n);
        const std::vector<double> adjusted =
            adjustPValues(longFamily(family.n), Adjustment::hommel);
        for (const auto& [i, value] : family.entries) {
            EXPECT_EQ(adjusted[i], value) << "at " << i;
        }
        long double sum = 0;
        long double weighted = 0;
        for (std::size_t i = 0; i < adjusted.size(); ++i) {
            sum += adjusted[i];
            weighted += adjusted[i] * static_cast<double>(i + 1);
        }
        EXPECT_EQ(static_cast<double>(sum), family.sum);
        EXPECT_EQ(static_cast<double>(weighted), family.weightedSum);
    }
    // Random families with ties, zeros and ones, long enough for the n log n way.
    std::mt19937_64 random(11);
    for (const std::size_t n : {2049u, 2500u, 3001u}) {
        const std::vector<double> p = randomFamily(random, n);
        EXPECT_EQ(adjustPValues(p, Adjustment::hommel), hommelAsR(p)) << n;
    }
}

TEST(PAdjust, Names) {
    for (const Adjustment a : everyAdjustment) {
        EXPECT_EQ(kw::adjustmentNamed(kw::adjustmentName(a)), a);
    }
    EXPECT_STREQ(kw::adjustmentName(Adjustment::holmSidak), "holm-sidak");
    EXPECT_STREQ(kw::adjustmentName(Adjustment::benjaminiHochberg), "bh");
    EXPECT_STREQ(kw::adjustmentName(Adjustment::benjaminiYekutieli), "by");
    EXPECT_EQ(kw::adjustmentNamed("BH"), Adjustment::benjaminiHochberg); // as R spells it
    EXPECT_EQ(kw::adjustmentNamed("Holm"), Adjustment::holm);
    EXPECT_FALSE(kw::adjustmentNamed("fdr"));
    EXPECT_FALSE(kw::adjustmentNamed("holm "));
    EXPECT_FALSE(kw::adjustmentNamed(""));
}

} // namespace
