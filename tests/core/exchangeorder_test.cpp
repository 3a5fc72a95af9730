#include "exchangeorder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The literal exchange sort, the reference for the fast order.
template <class T, class Greater>
std::vector<std::uint32_t> literalorder(std::vector<T> keys, Greater greater) {
    std::vector<std::uint32_t> idx(keys.size());
    for (std::uint32_t i = 0; i < idx.size(); ++i) {
        idx[i] = i;
    }
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            if (greater(keys[i], keys[j])) {
                std::swap(keys[i], keys[j]);
                std::swap(idx[i], idx[j]);
            }
        }
    }
    return idx;
}

TEST(ExchangeOrder, SmallCasesByHand) {
    // [2a, 1, 2b] -> 1, 2a, 2b ; [2a, 2b, 1] -> 1, 2b, 2a
    std::vector<int> a{2, 1, 2};
    auto o = kw::exchangesortorder(a.size(), [&](auto i, auto j) { return a[i] < a[j]; });
    EXPECT_EQ(o, (std::vector<std::uint32_t>{1, 0, 2}));
    std::vector<int> b{2, 2, 1};
    o = kw::exchangesortorder(b.size(), [&](auto i, auto j) { return b[i] < b[j]; });
    EXPECT_EQ(o, (std::vector<std::uint32_t>{2, 1, 0}));
    EXPECT_TRUE(kw::exchangesortorder(0, [](auto, auto) { return false; }).empty());
}

TEST(ExchangeOrder, EqualsLiteralSortOnRandomIntegerKeysWithTies) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = std::uniform_int_distribution<int>(1, 60)(rng);
        const int range = std::uniform_int_distribution<int>(1, 8)(rng);
        std::vector<int> keys(n);
        for (auto& k : keys) {
            k = std::uniform_int_distribution<int>(0, range)(rng);
        }
        auto expected = literalorder(keys, [](int x, int y) { return x > y; });
        auto got =
            kw::exchangesortorder(keys.size(), [&](auto i, auto j) { return keys[i] < keys[j]; });
        ASSERT_EQ(got, expected) << "trial " << trial;
    }
}

TEST(ExchangeOrder, EqualsLiteralSortOnLargerTables) {
    std::mt19937 rng(777);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 2000;
        const int range = trial % 2 == 0 ? 5 : 300;
        std::vector<int> keys(n);
        for (auto& k : keys) {
            k = std::uniform_int_distribution<int>(0, range)(rng);
        }
        auto expected = literalorder(keys, [](int x, int y) { return x > y; });
        auto got =
            kw::exchangesortorder(keys.size(), [&](auto i, auto j) { return keys[i] < keys[j]; });
        ASSERT_EQ(got, expected) << "trial " << trial;
    }
}

} // namespace
