#include "core/base/locale.h"
#include "core/data/datatable.h"
#include "core/data/selection.h"
#include "core/data/valuelist.h"
#include "core/io/textreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kw::Condition;
using kw::DataTable;
using kw::Operator;

// A table of the given columns, each a list of cell texts (all of the same length).
DataTable maketable(const std::vector<std::vector<std::string>>& columns) {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        names.push_back(std::string("v").append(std::to_string(k + 1)));
    }
    DataTable t = DataTable::blank(names, static_cast<int>(columns.front().size()));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        for (std::size_t r = 0; r < columns[k].size(); ++r) {
            t.setValue(static_cast<int>(k + 1), static_cast<int>(r + 1), columns[k][r]);
        }
    }
    return t;
}

// Whether case `row` meets every condition, as the definition says it, one case at a time.
bool meetsAll(const DataTable& t, const std::vector<Condition>& conditions, int row) {
    bool included = true;
    for (const auto& c : conditions) {
        const bool same = t.value(c.column, row) == c.value;
        if ((c.op == Operator::equal) != same) {
            included = false;
        }
    }
    return included;
}

std::vector<int> includedrows(const DataTable& t, const std::vector<Condition>& conditions) {
    std::vector<int> rows;
    const std::vector<char> all = kw::includedCases(t, conditions);
    EXPECT_EQ(all.size(), static_cast<std::size_t>(t.caseCount()));
    for (int r = 1; r <= t.caseCount(); ++r) {
        EXPECT_EQ(meetsAll(t, conditions, r), all[static_cast<std::size_t>(r - 1)] != 0)
            << "row " << r;
        if (meetsAll(t, conditions, r)) {
            rows.push_back(r);
        }
    }
    return rows;
}

TEST(Selection, ComparesWholeTextsByteForByte) {
    const DataTable t =
        maketable({{"a", "A", "b", "a ", "", "a"}, {"2", "2.0", "2", "02", "-99", ""}});
    EXPECT_EQ(includedrows(t, {}), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(includedrows(t, {{1, Operator::equal, "a"}}), (std::vector<int>{1, 6}));
    EXPECT_EQ(includedrows(t, {{1, Operator::unequal, "a"}}), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(includedrows(t, {{2, Operator::equal, "2"}}), (std::vector<int>{1, 3}));
    // An empty value matches empty cells only.
    EXPECT_EQ(includedrows(t, {{2, Operator::unequal, ""}}), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(includedrows(t, {{1, Operator::equal, ""}}), (std::vector<int>{5}));
    // All conditions must hold.
    EXPECT_EQ(includedrows(t, {{1, Operator::equal, "a"}, {2, Operator::equal, "2"}}),
              (std::vector<int>{1}));
    EXPECT_TRUE(includedrows(t, {{1, Operator::equal, "a"}, {1, Operator::equal, "b"}}).empty());
}

TEST(Selection, RepeatedConditionChangesNothing) {
    const DataTable t = maketable({{"1", "2", "3", "4"}, {"5", "NA", "7", "NA"}});
    const Condition missing{2, Operator::unequal, "NA"};
    const std::vector<int> once = includedrows(t, {missing});
    EXPECT_EQ(once, (std::vector<int>{1, 3}));
    EXPECT_EQ(includedrows(t, {missing, missing, missing}), once);
}

TEST(ConditionList, AddRemoveClear) {
    kw::ConditionList list;
    list.add({1, Operator::equal, "2"}, "group =2");
    list.add({2, Operator::unequal, "-99"}, "score<>-99");
    list.add({3, Operator::equal, "x"}, "sex =x");
    ASSERT_EQ(list.size(), 3);
    list.remove(-1);
    list.remove(3);
    EXPECT_EQ(list.size(), 3);
    list.remove(1);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.lines(), (std::vector<std::string>{"group =2", "sex =x"}));
    EXPECT_EQ(list.conditions()[0].value, "2");
    EXPECT_EQ(list.conditions()[1].column, 3);
    EXPECT_EQ(list.conditions()[1].op, Operator::equal);
    EXPECT_EQ(list.conditions()[1].value, "x");
    for (int i = 0; i < 20; ++i) { // no limit of 15
        list.add({2, Operator::unequal, ""}, "score<>");
    }
    EXPECT_EQ(list.lines().size(), 22u);
    list.clear();
    EXPECT_TRUE(list.conditions().empty() && list.lines().empty());
}

TEST(CaselessCollation, ByteOrderWithAsciiLettersLowered) {
    const kw::CaselessCollation c;
    EXPECT_EQ(c.compare("ABC", "abc"), 0);
    EXPECT_LT(c.compare("abc", "ABD"), 0);
    EXPECT_GT(c.compare("ABD", "abc"), 0);
    EXPECT_LT(c.compare("", "a"), 0);
    EXPECT_LT(c.compare("ab", "Abc"), 0);
    // '_' lies between 'Z' and 'a' in byte order; lowered letters sort after it.
    EXPECT_LT(c.compare("_", "a"), 0);
    EXPECT_GT(c.compare("Z", "_"), 0);
    // Bytes above 127 compare unsigned and are not folded.
    EXPECT_GT(c.compare("\xc3\xa9", "z"), 0);
    EXPECT_NE(c.compare("\xc3\xa9", "\xc3\x89"), 0);
    EXPECT_EQ(kw::Locale().collate().compare("Q", "q"), 0);
}

TEST(ValueList, SortedCaselessWithTheFirstSpellingMet) {
    const kw::CaselessCollation c;
    const DataTable t = maketable(
        {{"b", "a", "A", "b", "B"}, {"2", "10", "1", "2", "10"}, {"A", "x", "", "a", "last"}});
    EXPECT_EQ(kw::valueList(t, 1, c), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(kw::valueList(t, 2, c), (std::vector<std::string>{"1", "10", "2"}));
    // The empty text sorts first; the last case contributes too.
    EXPECT_EQ(kw::valueList(t, 3, c), (std::vector<std::string>{"", "A", "last", "x"}));
    const DataTable read = kw::readTextData("v\r\nB\r\nb\r\n3.5\r\n");
    EXPECT_EQ(kw::valueList(read, 1, c), (std::vector<std::string>{"3.5", "B"}));
}

TEST(DistinctSorted, UsesTheGivenCollationAndKeepsFirstIndexes) {
    // Texts of the same length compare equal.
    struct ByLength : kw::Collation {
        int compare(std::string_view a, std::string_view b) const override {
            return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
        }
    } bylength;
    const std::vector<std::string> texts{"bb", "a", "cc", "d", "eee", "a", "zz"};
    EXPECT_EQ(kw::distinctSorted(texts, texts.size(), bylength),
              (std::vector<std::size_t>{1, 0, 4}));
    // Only the first n texts count.
    EXPECT_EQ(kw::distinctSorted(texts, 3, bylength), (std::vector<std::size_t>{1, 0}));
    EXPECT_TRUE(kw::distinctSorted(texts, 0, bylength).empty());

    const kw::CaselessCollation caseless;
    const std::vector<std::string> words{"Beta", "alpha", "ALPHA", "beta", "", "Alpha", "gamma"};
    EXPECT_EQ(kw::distinctSorted(words, words.size(), caseless),
              (std::vector<std::size_t>{4, 1, 0, 6}));
    // Many spellings of one word, more than a small sort would keep in order by chance.
    std::vector<std::string> spellings;
    for (int bits = 63; bits >= 0; --bits) {
        std::string w = "abcdef";
        for (int i = 0; i < 6; ++i) {
            if ((bits >> i) & 1) {
                w[static_cast<std::size_t>(i)] =
                    static_cast<char>(w[static_cast<std::size_t>(i)] - 32);
            }
        }
        spellings.push_back(w);
    }
    spellings.push_back("abc");
    EXPECT_EQ(kw::distinctSorted(spellings, spellings.size(), caseless),
              (std::vector<std::size_t>{64, 0}));
}

} // namespace
