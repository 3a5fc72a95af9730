#include "core/stats/letters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace kw {

namespace {

// A letter: the set of groups that hold it, one bit a group.
using Column = std::vector<std::uint64_t>;

bool holds(const Column& c, int g) {
    return (c[std::size_t(g) / 64] >> (std::size_t(g) % 64) & 1u) != 0;
}

void drop(Column& c, int g) {
    c[std::size_t(g) / 64] &= ~(std::uint64_t{1} << (std::size_t(g) % 64));
}

// Whether a lies within b; a's words outside [from, to) are 0.
bool isSubset(const Column& a, const Column& b, std::size_t from, std::size_t to) {
    for (std::size_t w = from; w < to; ++w) {
        if ((a[w] & ~b[w]) != 0) {
            return false;
        }
    }
    return true;
}

// Letters in the order of the groups: a letter the first group holds before one it does not,
// then by the second group, and so on.
bool before(const Column& a, const Column& b) {
    for (std::size_t w = 0; w < a.size(); ++w) {
        const std::uint64_t differ = a[w] ^ b[w];
        if (differ != 0) {
            return (a[w] & (differ & (~differ + 1))) != 0; // the lowest differing group
        }
    }
    return false;
}

// a-z, then A-Z, then the same with a dot before each (".a" ... ".Z"), two dots, and so on:
// the names stay apart when a group's letters are written one after the other.
std::string letterName(std::size_t index) {
    constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string name(index / alphabet.size(), '.');
    name += alphabet[index % alphabet.size()];
    return name;
}

} // namespace

std::vector<std::string> compactLetters(int groupCount,
                                        const std::vector<std::pair<int, int>>& differing) {
    if (groupCount <= 0) {
        return {};
    }
    const std::size_t words = (std::size_t(groupCount) + 63) / 64;
    Column all(words, ~std::uint64_t{0});
    if (groupCount % 64 != 0) {
        all.back() = (std::uint64_t{1} << (groupCount % 64)) - 1;
    }
    // No letter is ever a subset of another: each is a largest set of groups of which no two
    // differ.
    std::vector<Column> columns{all};
    std::vector<std::size_t> changed;
    std::vector<std::uint8_t> absorbed;
    for (const auto& [i, j] : differing) {
        if (i < 0 || j < 0 || i >= groupCount || j >= groupCount || i == j) {
            throw std::invalid_argument("compactLetters: a pair of groups out of range");
        }
        // Insert: each letter that both hold splits into one without i and one without j.
        changed.clear();
        const std::size_t existing = columns.size();
        for (std::size_t c = 0; c < existing; ++c) {
            if (holds(columns[c], i) && holds(columns[c], j)) {
                Column withoutI = columns[c];
                drop(withoutI, i);
                drop(columns[c], j);
                changed.push_back(c);
                columns.push_back(std::move(withoutI));
                changed.push_back(columns.size() - 1);
            }
        }
        if (changed.empty()) {
            continue;
        }
        // Absorb: only the letters just made can lie within another (those left alone did not
        // lie within the larger letters they came from).
        absorbed.assign(columns.size(), 0);
        for (const std::size_t c : changed) {
            const Column& column = columns[c];
            std::size_t from = 0;
            std::size_t to = words;
            while (from < to && column[from] == 0) {
                ++from;
            }
            while (to > from && column[to - 1] == 0) {
                --to;
            }
            for (std::size_t other = 0; other < columns.size(); ++other) {
                if (other != c && absorbed[other] == 0 &&
                    isSubset(column, columns[other], from, to)) {
                    absorbed[c] = 1;
                    break;
                }
            }
        }
        std::size_t kept = 0;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (absorbed[c] == 0) {
                if (kept != c) {
                    columns[kept] = std::move(columns[c]);
                }
                ++kept;
            }
        }
        columns.resize(kept);
    }
    std::sort(columns.begin(), columns.end(), before);

    std::vector<std::string> letters(static_cast<std::size_t>(groupCount));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::string name = letterName(c);
        for (int g = 0; g < groupCount; ++g) {
            if (holds(columns[c], g)) {
                letters[std::size_t(g)] += name;
            }
        }
    }
    return letters;
}

} // namespace kw
