#include "core/stats/exchangeorder.h"
#include "core/stats/fenwick.h"
#include "core/stats/freeslots.h"

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
    auto o = kw::exchangeSortOrder(a.size(), [&](auto i, auto j) { return a[i] < a[j]; });
    EXPECT_EQ(o, (std::vector<std::uint32_t>{1, 0, 2}));
    std::vector<int> b{2, 2, 1};
    o = kw::exchangeSortOrder(b.size(), [&](auto i, auto j) { return b[i] < b[j]; });
    EXPECT_EQ(o, (std::vector<std::uint32_t>{2, 1, 0}));
    EXPECT_TRUE(kw::exchangeSortOrder(0, [](auto, auto) { return false; }).empty());
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
            kw::exchangeSortOrder(keys.size(), [&](auto i, auto j) { return keys[i] < keys[j]; });
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
            kw::exchangeSortOrder(keys.size(), [&](auto i, auto j) { return keys[i] < keys[j]; });
        ASSERT_EQ(got, expected) << "trial " << trial;
    }
}

} // namespace

namespace {

TEST(ExchangeOrder, EqualsLiteralSortWhenQueuesRotateFar) {
    // One key with many items and many smaller items between them: its queue is resolved
    // through the free slots rather than by running it, by a tree alone for a few hundred
    // items and by a bitmap beyond.
    std::mt19937 rng(4242);
    for (const int items : {300, 700}) {
        std::vector<int> keys;
        for (int i = 0; i < items; ++i) {
            keys.push_back(9);
            const int between = std::uniform_int_distribution<int>(20, items / 7)(rng);
            for (int j = 0; j < between; ++j) {
                keys.push_back(std::uniform_int_distribution<int>(0, 8)(rng));
            }
        }
        auto expected = literalorder(keys, [](int x, int y) { return x > y; });
        auto got =
            kw::exchangeSortOrder(keys.size(), [&](auto i, auto j) { return keys[i] < keys[j]; });
        EXPECT_EQ(got, expected) << items;
    }
}

TEST(FreeSlots, FindTheKthSetBitOfAWord) {
    EXPECT_EQ(kw::FreeSlots::selectBit(~std::uint64_t{0}, 64), 63);
    EXPECT_EQ(kw::FreeSlots::selectBit(~std::uint64_t{0}, 33), 32);
    EXPECT_EQ(kw::FreeSlots::selectBit(std::uint64_t{1} << 63, 1), 63);
    EXPECT_EQ(kw::FreeSlots::selectBit(0x8000000100000001u, 2), 32);
    EXPECT_EQ(kw::FreeSlots::selectBit(0x8000000100000001u, 3), 63);
    EXPECT_EQ(kw::FreeSlots::bitsSet(~std::uint64_t{0}), 64);
    EXPECT_EQ(kw::FreeSlots::bitsSet(0x8000000100000001u), 3);
}

// Taking the k-th free slot, against a list that erases what it hands out.
template <class Take> void takesliketheslowway(std::size_t m, Take take) {
    std::mt19937 rng(static_cast<unsigned>(m));
    std::vector<std::size_t> free(m);
    for (std::size_t i = 0; i < m; ++i) {
        free[i] = i;
    }
    while (!free.empty()) {
        const std::size_t k = std::uniform_int_distribution<std::size_t>(1, free.size())(rng);
        ASSERT_EQ(take(static_cast<std::int32_t>(k)), free[k - 1]);
        free.erase(free.begin() + static_cast<std::ptrdiff_t>(k - 1));
    }
}

TEST(FreeSlots, HandOutTheKthFreeSlot) {
    for (std::size_t m : {1u, 2u, 63u, 64u, 65u, 511u, 512u, 513u, 5000u, 70000u}) {
        kw::FreeSlots slots(m);
        takesliketheslowway(m, [&](std::int32_t k) { return slots.take(k); });
        kw::Fenwick tree = kw::Fenwick::ones(m);
        takesliketheslowway(m, [&](std::int32_t k) { return tree.takeKth(k); });
    }
    kw::Fenwick counts(10);
    counts.add(3, 2);
    counts.add(7, 1);
    EXPECT_EQ(counts.prefix(4), 2);
    EXPECT_EQ(counts.range(4, 10), 1);
    EXPECT_EQ(counts.kth(1), 3u);
    EXPECT_EQ(counts.kth(3), 7u);
}

} // namespace
