// The radix sort of the ranking: the order of the comparison sort it replaced, value then
// place, on the values that break a sort by bit patterns.

#include "core/base/radixsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

struct Item {
    double value;
    std::uint32_t row;
};

std::vector<Item> sortedByRadix(std::vector<Item> items) {
    std::vector<Item> scratch(items.size());
    kw::radixSort(items.data(), scratch.data(), items.size(),
                  [](const Item& item) { return kw::orderedBits(item.value); });
    return items;
}

std::vector<Item> sortedByComparison(std::vector<Item> items) {
    std::sort(items.begin(), items.end(), [](const Item& x, const Item& y) {
        return x.value < y.value || (!(y.value < x.value) && x.row < y.row);
    });
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
                                std::size_t{70'000}, std::size_t{300'000}}) {
        for (int shape = 0; shape < 4; ++shape) {
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
                default:
                    v = std::ldexp(1.0, std::uniform_int_distribution<int>(-1000, 1000)(rng));
                }
                items[i] = Item{v, static_cast<std::uint32_t>(i)};
            }
            EXPECT_TRUE(same(sortedByRadix(items), sortedByComparison(items)))
                << "n " << n << " shape " << shape;
        }
    }
}

TEST(RadixSort, EqualKeysStayAsTheyCame) {
    // Two values, zero written both ways and one, in rows numbered downwards: each value's
    // items keep the order they came in, on both cores.
    std::vector<Item> items(100'000);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const double v = i % 3 == 0 ? 1.0 : (i % 2 == 0 ? 0.0 : -0.0);
        items[i] = Item{v, static_cast<std::uint32_t>(items.size() - i)};
    }
    const std::vector<Item> sorted = sortedByRadix(items);
    std::vector<Item> expected;
    for (const double v : {0.0, 1.0}) {
        for (const Item& item : items) {
            if (item.value == v) {
                expected.push_back(item);
            }
        }
    }
    ASSERT_EQ(sorted.size(), expected.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        ASSERT_EQ(sorted[i].row, expected[i].row) << i;
    }
}

} // namespace
