// The distribution functions against R's values at the points where the statistics beyond the
// test use them (tests/reference/probabilities.R wrote probabilities_reference.txt). On Windows
// they come from Boost.Math, and this is what holds them to R's, with which the Linux build
// computes.

#include "core/stats/probabilities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace probability = kw::probability;

struct Point {
    std::vector<double> arguments;
    double value = 0;
};

double parsed(const std::string& text) {
    if (text == "Inf") {
        return std::numeric_limits<double>::infinity();
    }
    double x = std::numeric_limits<double>::quiet_NaN();
    std::from_chars(text.data(), text.data() + text.size(), x);
    return x;
}

// R's values by function name.
const std::map<std::string, std::vector<Point>>& reference() {
    static const std::map<std::string, std::vector<Point>> points = [] {
        std::map<std::string, std::vector<Point>> read;
        std::ifstream in(KW_PROBABILITIES_REFERENCE);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string name;
            std::string word;
            fields >> name;
            Point p;
            while (fields >> word) {
                p.arguments.push_back(parsed(word));
            }
            p.value = p.arguments.back();
            p.arguments.pop_back();
            read[name].push_back(p);
        }
        return read;
    }();
    return points;
}

// Every point of a function within `relative` of R's value (or `absolute` of it, for values
// near zero and the subnormal numbers; within `farTail` below 1e-100, where R's own values are
// less exact), with the failing points named.
template <typename Function>
int expectCloseToR(const std::string& name, Function f, double relative, double absolute,
                   double farTail = 0) {
    const auto found = reference().find(name);
    if (found == reference().end() || found->second.size() < 40) {
        ADD_FAILURE() << "too few reference values for " << name;
        return 0;
    }
    double worst = 0;
    int same = 0;
    for (const Point& p : found->second) {
        const double got = f(p.arguments);
        const double error = std::fabs(got - p.value);
        const double scale = std::fabs(p.value) < 1e-100 ? std::max(relative, farTail) : relative;
        const double allowed = std::max(scale * std::fabs(p.value), absolute);
        if (!(error <= allowed) || std::isnan(got)) {
            std::ostringstream at;
            at.precision(17);
            for (double a : p.arguments) {
                at << a << ' ';
            }
            ADD_FAILURE() << name << "(" << at.str() << ") = " << got << ", R: " << p.value;
        }
        if (p.value != 0 && error / std::fabs(p.value) > worst) {
            worst = error / std::fabs(p.value);
        }
        same += got == p.value;
    }
    std::cout << name << ": " << found->second.size() << " points, " << same
              << " equal to R's to the last bit, worst relative difference " << worst << '\n';
    return same;
}

// A function computed as R computes it: the same bits but where the C library's exp, log or
// pow differ from Linux's in the last place.
template <typename Function>
void expectAsR(const std::string& name, Function f, double relative, double absolute) {
    const int same = expectCloseToR(name, f, relative, absolute);
    EXPECT_GE(same, 0.98 * double(reference().at(name).size())) << name;
}

TEST(Probabilities, NormalTailAndQuantileAsR) {
    expectAsR(
        "normalUpper", [](const auto& a) { return probability::normalUpper(a[0]); }, 1e-15, 1e-310);
    expectAsR(
        "normalQuantile", [](const auto& a) { return probability::normalQuantile(a[0]); }, 1e-15,
        0);
}

TEST(Probabilities, ChiSquareAndStudentTailsAsR) {
    expectCloseToR(
        "chiSquareUpper", [](const auto& a) { return probability::chiSquareUpper(a[0], a[1]); },
        1e-13, 1e-310, 1e-11);
    expectCloseToR(
        "tTwoSided", [](const auto& a) { return probability::tTwoSided(a[0], a[1]); }, 1e-13,
        1e-310, 1e-10);
}

// R's studentized range is good to about 1e-11 only: computed its way, the value here is R's,
// down to the smallest p R gives (about 1e-14), so that six digits agree.
TEST(Probabilities, StudentizedRangeAsR) {
    expectAsR(
        "studentizedRangeUpper",
        [](const auto& a) { return probability::studentizedRangeUpper(a[0], a[1], a[2]); }, 1e-13,
        1e-15);
}

// With finitely many degrees of freedom (which the program does not ask for), against R's
// integral of its infinite case over the estimated standard deviation.
TEST(Probabilities, StudentizedRangeWithFiniteDegreesOfFreedomAsR) {
    expectCloseToR(
        "studentizedRangeUpperFiniteDf",
        [](const auto& a) { return probability::studentizedRangeUpper(a[0], a[1], a[2]); }, 1e-9,
        1e-13);
}

TEST(Probabilities, BetaQuantileAsR) {
    expectCloseToR(
        "betaQuantile", [](const auto& a) { return probability::betaQuantile(a[0], a[1], a[2]); },
        1e-13, 0);
}

// Where R gives exact values or refuses, so do these.
TEST(Probabilities, EdgesAsR) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(probability::normalUpper(inf), 0);
    EXPECT_EQ(probability::normalUpper(-inf), 1);
    EXPECT_EQ(probability::normalUpper(0), 0.5);
    EXPECT_EQ(probability::normalQuantile(0), -inf);
    EXPECT_EQ(probability::normalQuantile(1), inf);
    EXPECT_EQ(probability::normalQuantile(0.5), 0);
    EXPECT_TRUE(std::isnan(probability::normalQuantile(1.5)));
    EXPECT_EQ(probability::chiSquareUpper(0, 3), 1);
    EXPECT_EQ(probability::chiSquareUpper(inf, 3), 0);
    EXPECT_TRUE(std::isnan(probability::chiSquareUpper(nan, 3)));
    EXPECT_EQ(probability::tTwoSided(0, 7), 1);
    EXPECT_EQ(probability::tTwoSided(inf, 7), 0);
    EXPECT_EQ(probability::tTwoSided(2, inf), 2 * probability::normalUpper(2));
    EXPECT_EQ(probability::tUpper(0, 7), 0.5);
    EXPECT_NEAR(probability::tUpper(-2, 7), 1 - probability::tTwoSided(2, 7) / 2, 1e-16);
    EXPECT_EQ(probability::studentizedRangeUpper(0, 3, inf), 1);
    EXPECT_EQ(probability::studentizedRangeUpper(16, 3, inf), 0);
    EXPECT_EQ(probability::studentizedRangeUpper(1e-7, 3, inf), 1);
    EXPECT_TRUE(std::isnan(probability::studentizedRangeUpper(2, 1, inf)));
    EXPECT_EQ(probability::betaQuantile(0, 2, 3), 0);
    EXPECT_EQ(probability::betaQuantile(1, 2, 3), 1);
    EXPECT_TRUE(std::isnan(probability::betaQuantile(0.5, 0, 3)));
}

} // namespace
