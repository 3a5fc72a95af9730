// The radix sort of the ranking: the order of the comparison sort it replaced, value then
// place, on the values that break a sort by bit patterns and on skewed and tied data.

#include "core/base/radixsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace {

struct Item {
    double value;
    std::uint32_t row;
};

bool byValue(const Item& x, const Item& y) {
    return x.value < y.value || (!(y.value < x.value) && x.row < y.row);
}

std::vector<Item> sortedByRadix(std::vector<Item> items) {
    kw::radixSort(
        items.data(), items.size(), [](const Item& item) { return kw::orderedBits(item.value); },
        byValue);
    return items;
}

std::vector<Item> sortedByComparison(std::vector<Item> items) {
    std::sort(items.begin(), items.end(), byValue);
    return items;
}

bool same(const std::vector<Item>& a, const std::vector<Item>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Item& x, const Item& y) {
        return x.row == y.row && std::signbit(x.value) == std::signbit(y.value) &&
               (x.value == y.value);
    });
}

TEST(RadixSort, OrderedBitsOrderAsLessThan) {
    const double values[] = {-std::numeric_limits<double>::max(),
                             -1e300,
                             -2.5,
                             -1.0,
                             -std::numeric_limits<double>::denorm_min(),
                             -0.0,
                             0.0,
                             std::numeric_limits<double>::denorm_min(),
                             1e-300,
                             0.1,
                             1.0,
                             2.5,
                             1e300,
                             std::numeric_limits<double>::max()};
    for (double x : values) {
        for (double y : values) {
            EXPECT_EQ(x < y, kw::orderedBits(x) < kw::orderedBits(y)) << x << " " << y;
            EXPECT_EQ(x == y, kw::orderedBits(x) == kw::orderedBits(y)) << x << " " << y;
        }
    }
}

TEST(RadixSort, SameOrderAsTheComparisonSortWithRowsBreakingTies) {
    std::mt19937_64 rng(11);
    const double special[] = {0.0, -0.0, 1e-310, -1e-310, 1e308, -1e308, 5.0, -5.0};
    // Below and above the size from which both cores work, with few and with many ties,
    // values of one sign (some bits shared by every key) and of both.
    for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{1000},
                                std::size_t{5000}, std::size_t{70'000}, std::size_t{300'000}}) {
        for (int shape = 0; shape < 7; ++shape) {
            std::vector<Item> items(n);
            for (std::size_t i = 0; i < n; ++i) {
                double v = 0;
                switch (shape) {
                case 0:
                    v = std::normal_distribution<double>(5e4, 1e4)(rng);
                    break;
                case 1:
                    v = double(std::uniform_int_distribution<int>(-3, 3)(rng));
                    break;
                case 2:
                    v = special[std::uniform_int_distribution<int>(0, 7)(rng)];
                    break;
                case 3:
                    v = std::ldexp(1.0, std::uniform_int_distribution<int>(-1000, 1000)(rng));
                    break;
                case 4: // nearly all in one bucket
                    v = i % 100 == 0 ? std::normal_distribution<double>(0, 1e6)(rng)
                                     : 1.0 + std::uniform_int_distribution<int>(0, 50)(rng) * 1e-12;
                    break;
                case 5: // both signs, many powers of two, a few ties: buckets in buckets
                    v = std::round(std::normal_distribution<double>(0, 3e4)(rng) * 100) / 100;
                    break;
                default: // one key: the rows alone decide
                    v = 2.5;
                }
                items[i] = Item{v, static_cast<std::uint32_t>(i)};
            }
            // Rows in no order, so that ties are broken by them and not by where they came.
            std::vector<std::uint32_t> rows(n);
            std::iota(rows.begin(), rows.end(), 0u);
            std::shuffle(rows.begin(), rows.end(), rng);
            for (std::size_t i = 0; i < n; ++i) {
                items[i].row = rows[i];
            }
            EXPECT_TRUE(same(sortedByRadix(items), sortedByComparison(items)))
                << "n " << n << " shape " << shape;
        }
    }
}

} // namespace
