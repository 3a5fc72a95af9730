// The compact letter display against multcompView::multcompLetters (tests/reference/pairwise.R
// made the reference letters), equal up to renaming; its defining property and the largest
// sets it must give on random differences; the names past z.

#include "core/stats/letters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<int, int>>;
using Letters = std::vector<std::string>;

// Each letter as the set of groups that hold it: what two displays must share to be the same
// up to renaming. A letter is a run of dots and one character (".a").
std::set<std::vector<int>> letterSets(const Letters& letters) {
    std::map<std::string, std::vector<int>> groups;
    for (int g = 0; g < static_cast<int>(letters.size()); ++g) {
        std::string name;
        for (const char c : letters[std::size_t(g)]) {
            name += c;
            if (c != '.') {
                groups[name].push_back(g);
                name.clear();
            }
        }
        EXPECT_TRUE(name.empty()) << letters[std::size_t(g)];
    }
    std::set<std::vector<int>> sets;
    for (const auto& [name, members] : groups) {
        sets.insert(members);
    }
    return sets;
}

Pairs allPairs(int k) {
    Pairs pairs;
    for (int i = 0; i < k; ++i) {
        for (int j = i + 1; j < k; ++j) {
            pairs.emplace_back(i, j);
        }
    }
    return pairs;
}

// Pairs of 1-based groups, as the script writes them.
Pairs fromOne(const Pairs& pairs) {
    Pairs out;
    for (const auto& [i, j] : pairs) {
        out.emplace_back(i - 1, j - 1);
    }
    return out;
}

// The twelve groups of the script: apart by more than 3, or i j = 1 (mod 7), 1-based.
Pairs twelveGroups() {
    Pairs pairs;
    for (const auto& [i, j] : allPairs(12)) {
        const int a = i + 1;
        const int b = j + 1;
        if (b - a > 3 || a * b % 7 == 1) {
            pairs.emplace_back(i, j);
        }
    }
    return pairs;
}

// The largest sets of groups of which no two differ, by trying every set.
std::set<std::vector<int>> largestSetsByTrial(int k, const Pairs& differing) {
    std::vector<std::vector<bool>> differ(static_cast<std::size_t>(k),
                                          std::vector<bool>(static_cast<std::size_t>(k)));
    for (const auto& [i, j] : differing) {
        differ[std::size_t(i)][std::size_t(j)] = differ[std::size_t(j)][std::size_t(i)] = true;
    }
    auto fits = [&](unsigned set, int g) {
        for (int h = 0; h < k; ++h) {
            if ((set >> h & 1u) != 0 && differ[std::size_t(g)][std::size_t(h)]) {
                return false;
            }
        }
        return true;
    };
    std::set<std::vector<int>> sets;
    for (unsigned set = 1; set < (1u << k); ++set) {
        bool clique = true;
        bool largest = true;
        for (int g = 0; g < k; ++g) {
            if ((set >> g & 1u) != 0) {
                clique = clique && fits(set, g);
            } else if (fits(set, g)) {
                largest = false;
            }
        }
        if (clique && largest) {
            std::vector<int> members;
            for (int g = 0; g < k; ++g) {
                if ((set >> g & 1u) != 0) {
                    members.push_back(g);
                }
            }
            sets.insert(members);
        }
    }
    return sets;
}

TEST(Letters, AgreeWithMultcompLettersUpToRenaming) {
    struct Case {
        const char* name;
        int k;
        Pairs differing;
        Letters expected; // printed by tests/reference/pairwise.R
    };
    const Case cases[] = {
        {"none differ", 4, {}, {"a", "a", "a", "a"}},
        {"all differ", 5, allPairs(5), {"a", "b", "c", "d", "e"}},
        {"a chain",
         5,
         fromOne({{1, 3}, {1, 4}, {1, 5}, {2, 4}, {2, 5}, {3, 5}}),
         {"a", "ab", "bc", "cd", "d"}},
        {"a gap", 4, fromOne({{1, 4}, {2, 4}}), {"a", "a", "ab", "b"}},
        {"twelve groups",
         12,
         twelveGroups(),
         {"ab", "ac", "abd", "bde", "cef", "defg", "efgh", "fghi", "ghj", "hi", "ik", "jk"}},
        // Dunn's comparison of the insect sprays, Holm, 0.05 (the pairs whose adjusted p the
        // script found below 0.05).
        {"insectsprays",
         6,
         fromOne({{1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}, {3, 6}, {4, 6}, {5, 6}}),
         {"a", "a", "b", "b", "b", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Letters letters = kw::compactLetters(c.k, c.differing);
        EXPECT_EQ(letterSets(letters), letterSets(c.expected));
        EXPECT_EQ(letters, c.expected); // the same order of letters, here
    }
}

TEST(Letters, PastZ) {
    // multcompLetters of sixty groups that all differ: a-z, A-Z, then .a to .h.
    const Letters letters = kw::compactLetters(60, allPairs(60));
    ASSERT_EQ(letters.size(), 60u);
    EXPECT_EQ(letters[0], "a");
    EXPECT_EQ(letters[25], "z");
    EXPECT_EQ(letters[26], "A");
    EXPECT_EQ(letters[51], "Z");
    EXPECT_EQ(letters[52], ".a");
    EXPECT_EQ(letters[59], ".h");
    // 52 * 2 + 1 letters: the 105th is "..a".
    EXPECT_EQ(kw::compactLetters(105, allPairs(105))[104], "..a");
}

TEST(Letters, SharedExactlyByGroupsThatDoNotDiffer) {
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        const int k = 2 + round % 11;
        const double share = (round % 5 + 1) / 6.0;
        Pairs differing;
        for (const auto& pair : allPairs(k)) {
            if (std::uniform_real_distribution<double>(0, 1)(random) < share) {
                differing.push_back(pair);
            }
        }
        const Letters letters = kw::compactLetters(k, differing);
        SCOPED_TRACE(::testing::PrintToString(letters));
        const std::set<std::vector<int>> sets = letterSets(letters);
        // The letters are the largest sets of groups of which no two differ, all of them.
        EXPECT_EQ(sets, largestSetsByTrial(k, differing));
        // The first group's letters come first: group 0 holds "a".
        EXPECT_EQ(letters[0].front(), 'a');
        // The order of the pairs does not matter.
        std::shuffle(differing.begin(), differing.end(), random);
        EXPECT_EQ(kw::compactLetters(k, differing), letters);
    }
}

TEST(Letters, EdgeCases) {
    EXPECT_TRUE(kw::compactLetters(0, {}).empty());
    EXPECT_EQ(kw::compactLetters(1, {}), Letters{"a"});
    // A pair named twice, in either order, is one difference.
    EXPECT_EQ(kw::compactLetters(3, {{0, 2}, {2, 0}, {0, 2}}), (Letters{"a", "ab", "b"}));
    // Groups past the 64th (more than one word of groups).
    Pairs differing;
    for (int g = 0; g < 100; ++g) {
        if (g != 70) {
            differing.emplace_back(g, 70);
        }
    }
    const Letters letters = kw::compactLetters(130, differing);
    EXPECT_EQ(letters[0], "a");
    EXPECT_EQ(letters[70], "b");
    EXPECT_EQ(letters[129], "ab");
    EXPECT_THROW(kw::compactLetters(3, {{0, 3}}), std::invalid_argument);
    EXPECT_THROW(kw::compactLetters(3, {{1, 1}}), std::invalid_argument);
    EXPECT_THROW(kw::compactLetters(3, {{-1, 1}}), std::invalid_argument);
}

} // namespace
