#include "core/base/failure.h"
#include "core/stats/distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace kw;

TEST(LnGamma, KnownValues) {
    EXPECT_NEAR(lnGamma(5), std::log(24.0), 1e-8);
    EXPECT_NEAR(lnGamma(0.5), 0.57236494, 1e-8);
    EXPECT_NEAR(lnGamma(100.5), std::lgamma(100.5), 1e-8);
    // The series is an approximation: ln Gamma(1) is not exactly zero.
    EXPECT_NEAR(lnGamma(1), -3.4e-11, 0.1e-11);
}

TEST(IncompleteGamma, ClosedFormsAndTheSwitch) {
    for (double x : {0.1, 1.0, 5.0}) {
        EXPECT_NEAR(gammaSeries(1, x), 1 - std::exp(-x), 1e-7) << x;
        EXPECT_NEAR(gammaSeries(0.5, x), std::erf(std::sqrt(x)), 1e-7) << x;
    }
    for (double x : {2.0, 10.0, 30.0}) {
        EXPECT_NEAR(gammaContinuedFraction(1, x), std::exp(-x), 1e-7 * std::exp(-x)) << x;
        EXPECT_NEAR(gammaContinuedFraction(0.5, x), std::erfc(std::sqrt(x)),
                    1e-6 * std::erfc(std::sqrt(x)));
    }
    EXPECT_EQ(gammaSeries(2, 0), 0.0);
    EXPECT_EQ(gammaSeries(2, -1), 0.0);
    // Below a + 1 the series is used, from a + 1 on the fraction; both sides agree.
    for (double a : {0.5, 3.0, 20.0}) {
        EXPECT_NEAR(gammaUpper(a, std::nextafter(a + 1, 0.0)), gammaUpper(a, a + 1), 1e-6) << a;
        EXPECT_NEAR(1 - gammaSeries(a, a + 1), gammaContinuedFraction(a, a + 1), 1e-6) << a;
    }
}

TEST(ChiUpper, ReferenceValues) {
    EXPECT_NEAR(chiSquareUpper(1, 1.5), 0.220671, 5e-7);
    EXPECT_NEAR(chiSquareUpper(2, 5.991), 0.0500116, 5e-8);
    EXPECT_NEAR(chiSquareUpper(1, 3.841), 0.0500137, 5e-8);
    EXPECT_NEAR(chiSquareUpper(4, 0.5), 0.973501, 5e-7);
    EXPECT_NEAR(chiSquareUpper(10, 20), 0.0292527, 5e-8);
    EXPECT_NEAR(chiSquareUpper(3, 0), 1.0, 1e-12);
    for (double x : {0.1, 4.0, 40.0}) { // df 2: the exponential distribution
        EXPECT_NEAR(chiSquareUpper(2, x), std::exp(-x / 2), 1e-6 * std::exp(-x / 2)) << x;
    }
}

TEST(IncompleteBeta, ClosedFormsAndSymmetry) {
    EXPECT_EQ(betaIncomplete(2, 3, 0), 0.0);
    EXPECT_EQ(betaIncomplete(2, 3, 1), 1.0);
    // I_x(2, 3) = sum over j = 2..4 of C(4, j) x^j (1 - x)^(4 - j).
    EXPECT_NEAR(betaIncomplete(2, 3, 0.4), 0.5248, 1e-7);
    for (double x : {0.05, 0.3, 0.7, 0.95}) {
        EXPECT_NEAR(betaIncomplete(1, 4, x), 1 - std::pow(1 - x, 4), 1e-7) << x;
        EXPECT_NEAR(betaIncomplete(2.5, 1.5, x), 1 - betaIncomplete(1.5, 2.5, 1 - x), 1e-7) << x;
    }
    // With a = b = 1 the fraction alone is 1 / (1 - x).
    EXPECT_NEAR(betaContinuedFraction(1, 1, 0.2), 1.25, 1e-6);
    EXPECT_NEAR(betaContinuedFraction(1, 1, 0.5), 2.0, 1e-6);
}

TEST(TTail, ClosedFormsForOneAndTwoDf) {
    EXPECT_NEAR(tTail(5, 0), 1.0, 1e-12);
    for (double t : {0.5, 1.0, 6.0, 30.0}) {
        const double one = 1 - 2 * std::atan(t) / std::numbers::pi;
        const double two = 1 - t / std::sqrt(2 + t * t);
        EXPECT_NEAR(tTail(1, t), one, 1e-6 * one) << t;
        EXPECT_NEAR(tTail(2, t), two, 1e-6 * two) << t;
    }
}

TEST(TCritical, ReferenceValuesAreExact) {
    EXPECT_EQ(tCritical(10, 0.05), 2.2281494140625);
    EXPECT_EQ(tCritical(1, 0.05), 12.70654296875);
    EXPECT_EQ(tCritical(2, 0.05), 4.3026123046875);
    EXPECT_EQ(tCritical(3, 0.05), 3.182373046875);
    EXPECT_EQ(tCritical(30, 0.05), 2.042236328125);
    EXPECT_EQ(tCritical(1000, 0.05), 1.96234130859375);
    EXPECT_EQ(tCritical(10, 0.01), 3.1693115234375);
    EXPECT_EQ(tCritical(2, 0.4), 1.06072998046875);
    EXPECT_EQ(tCritical(3, 1), 0.0);
    EXPECT_EQ(tCritical(50, 1), 0.0);
}

TEST(TCritical, EndsWithinTheToleranceAndGrowsAsAlphaFalls) {
    for (std::uint32_t df : {3u, 7u, 60u, 5000u, 65535u}) {
        double previous = 0;
        for (double alpha : {0.5, 0.1, 0.05, 0.01, 0.001, 1e-4}) {
            const auto t = tCriticalSearch(df, alpha);
            ASSERT_TRUE(t.has_value()) << df << " " << alpha;
            EXPECT_TRUE(tCriticalSearchEnds(df, alpha));
            EXPECT_NEAR(tTail(df, *t), alpha, alpha / 10000) << df << " " << alpha;
            EXPECT_GT(*t, previous) << df << " " << alpha;
            previous = *t;
        }
    }
    EXPECT_NEAR(tCritical(65536, 0.05), 1.96, 0.002);
    EXPECT_NEAR(tCritical(100000, 0.05), 1.96, 0.002);
    EXPECT_TRUE(tCriticalSearch(1, 0.45).has_value());
    EXPECT_TRUE(tCriticalSearch(2, 0.42).has_value());
}

TEST(TCritical, RefusesWhereTheSearchCannotEnd) {
    EXPECT_FALSE(tCriticalSearch(0, 0.05).has_value());
    for (double alpha : {0.0, -0.05, 1.0000001, std::nan("")}) {
        EXPECT_FALSE(tCriticalSearch(10, alpha).has_value()) << alpha;
    }
    EXPECT_FALSE(tCriticalSearch(1, 0.6).has_value());
    EXPECT_FALSE(tCriticalSearch(1, 1).has_value());
    EXPECT_FALSE(tCriticalSearch(2, 0.43).has_value());
    EXPECT_FALSE(tCriticalSearch(3, 1e-30).has_value());
    EXPECT_FALSE(tCriticalSearchEnds(1, 0.6));
    EXPECT_THROW(tCritical(0, 0.05), kw::Failure);
    EXPECT_THROW(tCritical(1, 0.6), kw::Failure);
    EXPECT_THROW(tCritical(3, 1e-30), kw::Failure);
    EXPECT_THROW(tCritical(10, 2), kw::Failure);
}

} // namespace
