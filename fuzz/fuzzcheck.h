#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

// A property the core promises that does not hold: print it and abort, so that libFuzzer
// keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Reads a whole number from a fuzzed text, saturated to the range of int; anything else is 0.
inline int fuzznumber(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    long long value = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size() && text[i] >= '0' && text[i] <= '9';
         ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 32);
    }
    return static_cast<int>(std::clamp<long long>(negative ? -value : value,
                                                  std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}
