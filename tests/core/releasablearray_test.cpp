#include "core/base/releasablearray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

namespace {

// The resident memory of this process in kB, where the system tells it.
long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

struct Item {
    double value;
    std::uint32_t row;
    std::uint32_t group;
};

TEST(ReleasableArray, KeepsTheItemsBehindWhatWasReleased) {
    // Released in uneven steps from the front, as a pass over sorted items does: every item
    // not yet released keeps its value, up to the last.
    const std::size_t n = 3'000'001;
    kw::ReleasableArray<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        items[i] = Item{static_cast<double>(i) / 4, static_cast<std::uint32_t>(i),
                        static_cast<std::uint32_t>(i % 7)};
    }
    const long before = residentKb();
    for (std::size_t i = 0; i < n; i += 1 + i % 5) {
        items.releaseBefore(i);
        ASSERT_EQ(items[i].row, i);
        ASSERT_EQ(items[i].value, static_cast<double>(i) / 4);
        ASSERT_EQ(items[i].group, i % 7);
    }
    EXPECT_EQ(items[n - 1].row, n - 1);
    items.releaseBefore(n);
#if defined(__linux__)
    // 48 MB of items, nearly all handed back by now.
    EXPECT_LT(residentKb(), before - 40'000);
#else
    (void)before;
#endif
}

TEST(ReleasableArray, EmptyAndSmallArrays) {
    kw::ReleasableArray<Item> none(0);
    none.releaseBefore(0);
    kw::ReleasableArray<Item> one(1);
    one[0].row = 9;
    one.releaseBefore(0);
    EXPECT_EQ(one[0].row, 9u);
    one.releaseBefore(1); // less than a page: nothing to hand back
}

} // namespace
