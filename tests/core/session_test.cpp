#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/io/textreader.h"
#include "core/session/session.h"
#include "support/sessionsteps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

using kw::Failure;
using kw::Session;

// A session holding the table given as lines of blank-separated texts (names first).
Session load(const std::string& text, kw::Locale locale = {}) {
    Session s(locale);
    s.beginReading();
    s.loadTable(kw::readTextData(text));
    return s;
}

// The same with the first variable picked as grouping and the second as test variable.
Session picked(const std::string& text, kw::Locale locale = {}) {
    Session s = load(text, locale);
    s.pickGroup(0);
    s.pickTest(1);
    return s;
}

int pos(const Session& s, const std::string& name) {
    const auto& v = s.variables();
    return static_cast<int>(std::find(v.begin(), v.end(), name) - v.begin());
}

std::vector<std::vector<std::string>> cells(const kw::Grid& g) {
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(g.rowCount()));
    for (int r = 0; r < g.rowCount(); ++r) {
        for (int c = 0; c < g.columnCount(); ++c) {
            rows[std::size_t(r)].push_back(g.cell(c, r));
        }
    }
    return rows;
}

std::vector<std::vector<std::string>> cells(const std::shared_ptr<const kw::Grid>& g) {
    return cells(*g);
}

std::vector<std::string> column(const kw::DataTable& t, int col) {
    std::vector<std::string> out;
    for (int r = 1; r <= t.caseCount(); ++r) {
        out.emplace_back(t.value(col, r));
    }
    return out;
}

// Runs fn and returns the message of the kw::Failure it throws ("" when none).
template <class Fn> std::string failure(Fn fn) {
    try {
        fn();
    } catch (const Failure& f) {
        return f.message();
    }
    return {};
}

const char* twogroups = "g x\n1 1\n1 2\n2 2\n2 3\n";

TEST(Calculation, SmallExampleFillsEveryGridAndLabel) {
    Session s = load(twogroups);
    s.pickGroup(pos(s, "g"));
    s.pickTest(pos(s, "x"));
    kw::test::calculate(s);
    EXPECT_TRUE(s.hasResults());
    EXPECT_EQ(s.values().groupCount, 2);
    EXPECT_EQ(s.values().caseCount, 4);
    EXPECT_EQ(s.values().errorDf, 2);
    EXPECT_DOUBLE_EQ(s.values().rankVariance, 1.5);
    EXPECT_DOUBLE_EQ(s.values().chiSquare, 1.5);
    EXPECT_NEAR(s.values().pValue, 0.2207, 1e-4);
    EXPECT_EQ(s.view().labels.chiSquare, "1.500");
    EXPECT_EQ(s.view().labels.degreesOfFreedom, "1");
    EXPECT_EQ(s.view().labels.pValue, "0.221");
    EXPECT_EQ(s.view().labels.groupName, "g");
    EXPECT_EQ(s.view().labels.testName, "x");
    EXPECT_EQ(s.view().labels.comparisonHeading, "no multiple comparison of groups:");
    EXPECT_FALSE(s.view().sortChoiceVisible);
    EXPECT_EQ(cells(s.grids().groups), (std::vector<std::vector<std::string>>{
                                           {"g", "1", "2"}, {"1", "1", "2"}, {"2", "2", "3"}}));
    EXPECT_EQ(cells(s.grids().summary),
              (std::vector<std::vector<std::string>>{{"g", "1", "2"},
                                                     {"number", "2", "2"},
                                                     {"ranksum", "3.5", "6.5"},
                                                     {"median", "1.5", "2.5"}}));
    EXPECT_EQ(cells(s.grids().ranks), (std::vector<std::vector<std::string>>{
                                          {"", "1", "2"}, {"1", "1", "2.5"}, {"2", "2.5", "4"}}));
    EXPECT_EQ(cells(s.grids().counts), (std::vector<std::vector<std::string>>{{"", "groups", ""},
                                                                              {"values", "1", "2"},
                                                                              {"1", "1", "0"},
                                                                              {"2", "1", "1"},
                                                                              {"3", "0", "1"}}));
    // The hidden comparison grid is the untouched one of the start.
    EXPECT_EQ(s.grids().comparison->columnCount(), 5);
    EXPECT_EQ(s.grids().comparison->rowCount(), 5);
    EXPECT_EQ(s.grids().comparison->cell(0, 0), "");
    EXPECT_EQ(s.view().page, kw::Page::output);
}

TEST(Calculation, ReportIsWrittenByteForByte) {
    Session s = picked("grp score\na 1\na 1\na 1\nb 2\nb 2\nb 2\nc 3\nc 3\nc 3\n");
    kw::test::calculate(s);
    // Constant groups: T = N - 1, so the critical difference is zero and every pair differs.
    EXPECT_DOUBLE_EQ(s.values().chiSquare, 8);
    EXPECT_EQ(s.report(), "KRUSKAL WALLIS NONPARAMETRIC ANOVA\r\n"
                          "OVERALL TEST RESULTS\r\n"
                          "\r\n"
                          "group: grp\r\n"
                          "test: score\r\n"
                          "Chi2:   8.000\r\n"
                          "df:     2\r\n"
                          "p: 0.018\r\n"
                          "MULTIPLE COMPARISON OF GROUPS \r\n"
                          "* = significant at p<0.050\r\n"
                          "grouped_by grp a b c \r\n"
                          "grp median 1 2 3 \r\n"
                          "a 1    -      *      *   \r\n"
                          "b 2    *      -      *   \r\n"
                          "c 3    *      *      -   \r\n");
}

TEST(Calculation, NoMultipleComparisonWhenPEqualsAlpha) {
    Session s = picked("g x\n1 1\n1 2\n1 3\n2 4\n2 5\n2 6\n");
    kw::test::calculate(s);
    const double p = s.values().pValue;
    s.setAlphaText(kw::formatGeneral(p, 17));
    kw::test::calculate(s);
    ASSERT_EQ(s.values().alpha, p);
    EXPECT_FALSE(s.view().sortChoiceVisible);
    EXPECT_NE(s.report().find("NO MULTIPLE COMPARISON OF GROUPS \r\n"), std::string::npos);
    // Just above p: the comparison is made.
    s.setAlphaText(kw::formatGeneral(p * 1.000001, 17));
    kw::test::calculate(s);
    EXPECT_TRUE(s.view().sortChoiceVisible);
}

// The literal exchange sort of the table rows by the grouping column.
std::vector<std::vector<std::string>> literalsort(std::vector<std::vector<std::string>> rows,
                                                  bool astexts) {
    auto greater = [&](const std::string& a, const std::string& b) {
        if (astexts) {
            return b < a;
        }
        return *kw::parseReal(a, '.') > *kw::parseReal(b, '.');
    };
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (greater(rows[i][0], rows[j][0])) {
                std::swap(rows[i], rows[j]);
            }
        }
    }
    return rows;
}

TEST(Calculation, TableOrderEqualsLiteralExchangeSortInBothModes) {
    std::mt19937 rng(2024);
    const std::vector<std::string> numbertexts{"1", "01", "2", "02", "10", "-1", "+1", "3"};
    const std::vector<std::string> texttexts{"a", "A", "b", "ab", "B", "a1", "10", "9"};
    for (int trial = 0; trial < 300; ++trial) {
        const bool astexts = trial % 2 == 0;
        const auto& pool = astexts ? texttexts : numbertexts;
        const int n = std::uniform_int_distribution<int>(2, 40)(rng);
        std::vector<std::vector<std::string>> rows;
        std::string text = "g x id\n";
        for (int i = 0; i < n; ++i) {
            std::string g = pool[std::uniform_int_distribution<std::size_t>(0, 4)(rng)];
            std::string x = std::to_string(std::uniform_int_distribution<int>(0, 5)(rng));
            rows.push_back({g, x, std::to_string(i)});
            text += g + " " + x + " " + std::to_string(i) + "\n";
        }
        Session s = load(text);
        s.pickGroup(0);
        s.setGroupMode(astexts ? kw::GroupMode::texts : kw::GroupMode::numbers);
        s.pickTest(1);
        try {
            kw::test::calculate(s);
        } catch (const Failure&) {
            // One group, or all values equal: the table is sorted all the same.
        }
        const auto expected = literalsort(rows, astexts);
        std::vector<std::string> ids;
        for (const auto& r : expected) {
            ids.push_back(r[2]);
        }
        ASSERT_EQ(column(s.table(), 3), ids) << "trial " << trial << "\n" << text;
    }
}

TEST(Calculation, GroupsAreRunsOfEqualTextAfterTheSort) {
    // Equal as numbers, written differently: 1 and 01 are one sort key but two texts, and
    // the exchange sort interleaves them into several runs.
    Session s = picked("g x\n01 5\n1 6\n01 7\n1 8\n2 9\n");
    kw::test::calculate(s);
    EXPECT_EQ(column(s.table(), 1), (std::vector<std::string>{"01", "1", "01", "1", "2"}));
    EXPECT_EQ(s.values().groupCount, 5);

    // Ties are by value: 1 and 1.0 share a rank but are separate rows of the counts.
    Session t = picked("g x\na 1\na 1.0\nb 2\nb 3\n");
    kw::test::calculate(t);
    EXPECT_EQ(t.grids().ranks->cell(1, 1), "1.5");
    EXPECT_EQ(t.grids().ranks->cell(1, 2), "1.5");
    EXPECT_EQ(t.grids().counts->cell(0, 2), "1");
    EXPECT_EQ(t.grids().counts->cell(0, 3), "1.0");
    // An odd group's median is the middle value re-formatted.
    Session u = picked("g x\na 2.50\na 1\na 7\nb 1\nb 2\n");
    kw::test::calculate(u);
    EXPECT_EQ(u.grids().summary->cell(1, 3), "2.5");
    EXPECT_EQ(u.grids().summary->cell(2, 3), "1.5");
}

TEST(Calculation, EmptyGroupingTextFormsAGroupOfItsOwn) {
    Session s;
    s.loadTable(kw::DataTable::blank({"g", "x"}, 4));
    s.editCell(1, 1, "b");
    s.editCell(1, 2, "");
    s.editCell(1, 3, "b");
    s.editCell(1, 4, "");
    for (int r = 1; r <= 4; ++r) {
        s.editCell(2, r, std::to_string(r));
    }
    s.pickGroup(0);
    s.setGroupMode(kw::GroupMode::texts);
    s.pickTest(1);
    kw::test::calculate(s);
    EXPECT_EQ(s.values().groupCount, 2);
    EXPECT_EQ(s.grids().summary->cell(1, 0), "");
    EXPECT_EQ(s.grids().summary->cell(1, 1), "2");
    EXPECT_EQ(s.grids().summary->cell(2, 0), "b");
}

TEST(Calculation, MissingValueConditionIsAppendedEveryTime) {
    Session s = picked("g weight\n1 5\n1 -99\n1 6\n2 7\n2 8\n-99 9\n-99 10\n");
    s.setMissingCode("-99");
    kw::test::calculate(s);
    ASSERT_EQ(s.conditions().lines(), std::vector<std::string>{"weight<>-99"});
    // The case with the code as test value is left out; the code as grouping value is a group.
    EXPECT_EQ(s.values().caseCount, 6);
    EXPECT_EQ(s.values().groupCount, 3);
    EXPECT_EQ(s.grids().summary->cell(1, 0), "-99");
    const std::string first = s.report();
    kw::test::calculate(s);
    EXPECT_EQ(s.conditions().lines(), (std::vector<std::string>{"weight<>-99", "weight<>-99"}));
    EXPECT_EQ(s.report(), first);

    // With an empty code, empty test cells are the ones left out.
    Session t;
    t.loadTable(kw::DataTable::blank({"g", "x"}, 5));
    const char* g[] = {"1", "1", "2", "2", "2"};
    const char* x[] = {"1", "", "3", "4", "5"};
    for (int r = 1; r <= 5; ++r) {
        t.editCell(1, r, g[r - 1]);
        t.editCell(2, r, x[r - 1]);
    }
    t.pickGroup(0);
    t.pickTest(1);
    kw::test::calculate(t);
    EXPECT_EQ(t.values().caseCount, 4);
    EXPECT_EQ(t.conditions().lines().back(), "x<>");
}

TEST(Calculation, RefusalsCarryTheirCaptionsAndHelpPages) {
    Session s = load(twogroups);
    try {
        kw::test::calculate(s);
        FAIL();
    } catch (const Failure& f) {
        EXPECT_EQ(f.caption(), "WARNING");
        EXPECT_EQ(f.message(), "first choose group and test variable");
        EXPECT_EQ(f.helpPage(), 5);
    }
    s.pickGroup(0);
    s.pickTest(1);
    s.addCondition(0, 0, "3");
    try {
        kw::test::calculate(s);
        FAIL();
    } catch (const Failure& f) {
        EXPECT_EQ(f.caption(), "ERROR");
        EXPECT_EQ(f.message(), "no cases selected");
        EXPECT_EQ(f.helpPage(), -1);
    }
    EXPECT_FALSE(s.hasResults());
    s.clearConditions();
    s.addCondition(0, 0, "2");
    EXPECT_EQ(failure([&] { kw::test::calculate(s); }), "all cases in one group");
    EXPECT_EQ(s.grids().groups->cell(1, 0), "2");
    EXPECT_EQ(s.grids().groups->cell(1, 2), "3");
}

TEST(Calculation, AllValuesEqualStopsAfterTheRanks) {
    Session s = picked("g x\n1 4\n1 4\n2 4\n2 4\n");
    EXPECT_EQ(failure([&] { kw::test::calculate(s); }), "Floating point division by zero");
    EXPECT_FALSE(s.hasResults());
    EXPECT_EQ(s.grids().ranks->cell(1, 1), "2.5");
    EXPECT_EQ(s.grids().summary->cell(2, 2), "5");
    EXPECT_EQ(s.view().labels.chiSquare, "----------");
    EXPECT_NE(failure([&] { (void)s.report(); }), "");
}

TEST(Calculation, TextThatIsNotANumberLeavesEverythingAsItWas) {
    Session s = load("g x\nb 1\na 2\nb x3\na 4\n");
    s.pickGroup(0);
    EXPECT_EQ(failure([&] { s.pickTest(1); }), "test variable must be numeric");
    EXPECT_EQ(s.testColumn(), 0);
    s.editCell(2, 3, "3");
    s.pickTest(1);
    s.editCell(2, 3, "1,5"); // edits run no check; the point is the decimal mark here
    EXPECT_EQ(failure([&] { kw::test::calculate(s); }),
              "'1,5' is not a valid floating point value");
    EXPECT_EQ(column(s.table(), 1), (std::vector<std::string>{"b", "a", "b", "a"}));
    EXPECT_TRUE(s.conditions().lines().empty());

    // Grouping texts parsed as numbers: the first one that is not fails before any sorting.
    Session t = load("g x\n2 1\nz 2\n1 3\ny 4\n");
    t.pickGroup(0);
    t.setGroupMode(kw::GroupMode::numbers);
    t.pickTest(1);
    EXPECT_EQ(failure([&] { kw::test::calculate(t); }), "'z' is not a valid floating point value");
    EXPECT_EQ(column(t.table(), 1), (std::vector<std::string>{"2", "z", "1", "y"}));

    // With a comma as decimal mark, 1,5 is a number and 1.5 is not.
    kw::Locale comma{',', nullptr};
    Session u = picked("g x\n1 1,5\n1 2\n2 3,25\n2 4\n", comma);
    EXPECT_EQ(u.alphaText(), "0,05");
    kw::test::calculate(u);
    EXPECT_EQ(u.grids().summary->cell(1, 3), "1,75");
    EXPECT_EQ(u.grids().counts->cell(0, 2), "1,5"); // count rows keep the texts as read
    EXPECT_EQ(u.grids().counts->cell(0, 4), "3,25");
    EXPECT_EQ(u.report().find(','), std::string::npos); // the report always uses the point
}

TEST(Calculation, AlphaMustBeANumberInZeroToOne) {
    Session s = picked("g x\n1 1\n1 2\n1 3\n2 2\n2 3\n2 4\n");
    for (const char* bad : {"0", "1.5", "-0", "-0.05"}) {
        s.setAlphaText(bad);
        EXPECT_EQ(failure([&] { kw::test::calculate(s); }),
                  "alpha must be a number greater than 0 and not greater than 1")
            << bad;
    }
    for (const char* bad : {"nan", "inf", "1e999", "0,05", ""}) {
        s.setAlphaText(bad);
        EXPECT_EQ(failure([&] { kw::test::calculate(s); }), kw::notANumber(bad).message());
    }
    EXPECT_TRUE(s.conditions().lines().empty()); // refused before anything was done
    s.setAlphaText("1");
    kw::test::calculate(s);
    EXPECT_TRUE(s.view().sortChoiceVisible);
}

TEST(Calculation, MoreThan250GroupsWarnsAndGoesOn) {
    struct Collect : kw::Feedback {
        std::vector<std::string> warnings;
        void warning(const Failure& f) override { warnings.push_back(f.message()); }
    };
    for (int k : {250, 251}) {
        std::string text = "g x\n";
        for (int g = 1; g <= k; ++g) {
            text += std::to_string(g) + " " + std::to_string(g % 7) + "\n" + std::to_string(g) +
                    " " + std::to_string(g % 5) + "\n";
        }
        Session s = picked(text);
        Collect c;
        kw::test::calculate(s, &c);
        EXPECT_EQ(s.values().groupCount, k);
        EXPECT_EQ(c.warnings.size(), k > 250 ? 1u : 0u);
        if (k > 250) {
            EXPECT_EQ(c.warnings[0].substr(0, 35), "You have more then 250 groups. You ");
        }
    }
}

TEST(MultipleComparison, OrdersByValueAsNumbersOrTextsAndByMedian) {
    // Groups 2, 10, 9 with medians 30, 10, 20.
    const char* text = "g x\n2 29\n2 30\n2 31\n10 9\n10 10\n10 11\n9 19\n9 20\n9 21\n";
    Session s = picked(text);
    s.setAlphaText("0.5");
    kw::test::calculate(s);
    ASSERT_TRUE(s.view().sortChoiceVisible);
    auto header = [](const Session& x) {
        std::vector<std::string> v;
        for (int c = 2; c < x.grids().comparison->columnCount(); ++c) {
            v.push_back(x.grids().comparison->cell(c, 0));
        }
        return v;
    };
    EXPECT_EQ(header(s), (std::vector<std::string>{"2", "9", "10"}));
    s.sortComparison(kw::SortBy::median);
    EXPECT_EQ(header(s), (std::vector<std::string>{"10", "9", "2"}));
    EXPECT_EQ(s.grids().summary->cell(1, 0), "10"); // the summary follows the chosen order
    EXPECT_EQ(s.grids().comparison->cell(1, 2), "10");
    s.sortComparison(kw::SortBy::groupValue);
    EXPECT_EQ(header(s), (std::vector<std::string>{"2", "9", "10"}));
    s.setGroupMode(kw::GroupMode::texts);
    s.sortComparison(kw::SortBy::groupValue);
    EXPECT_EQ(header(s), (std::vector<std::string>{"10", "2", "9"}));
    // The table is symmetric with the diagonal mark on the diagonal.
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(s.grids().comparison->cell(i, i), "   -  ");
        for (int j = 2; j < 5; ++j) {
            EXPECT_EQ(s.grids().comparison->cell(i, j), s.grids().comparison->cell(j, i));
        }
    }
}

TEST(MultipleComparison, DifferenceEqualToTheCriticalOneIsNotSignificant) {
    // df 1 and alpha 0.5 give t = 1; w = sqrt(0.5), so the two single cases 3 and 4 differ by
    // exactly t sqrt(1/1 + 1/1) w = 1, although T = 2.7 and S2 = 5/3 are not exact doubles.
    Session s = picked("g x\n1 1\n1 2\n2 3\n3 4\n");
    s.setAlphaText("0.5");
    kw::test::calculate(s);
    EXPECT_EQ(s.grids().comparison->cell(3, 4), "  NS  ");
    EXPECT_EQ(s.grids().comparison->cell(4, 3), "  NS  ");
    EXPECT_EQ(s.grids().comparison->cell(2, 4), "   *  ");
}

TEST(MultipleComparison, RefusesWhatTheCriticalValueCannotBeFoundFor) {
    // Every group holds one case: no degrees of freedom are left.
    Session s = picked("g x\n1 1\n2 2\n3 3\n4 4\n");
    s.setAlphaText("0.9");
    const std::string m = failure([&] { kw::test::calculate(s); });
    EXPECT_EQ(m.substr(0, 32), "Invalid floating point operation");
    EXPECT_FALSE(s.hasResults());
    EXPECT_FALSE(s.view().sortChoiceVisible);

    // One degree of freedom and an alpha at which the search would walk away.
    Session t = picked("g x\n1 1\n1 2\n2 3\n");
    t.setAlphaText("0.7");
    EXPECT_EQ(failure([&] { kw::test::calculate(t); }).substr(0, 34),
              "the multiple comparison cannot fin");

    // Groups treated as numbers by hand that are not whole numbers fail the order, before
    // anything is changed.
    Session u = load("g x\n1E2 1\n1E2 2\n1E2 3\n2E2 4\n2E2 5\n2E2 6\n");
    u.pickGroup(0);
    EXPECT_EQ(u.groupMode(), kw::GroupMode::texts);
    u.setGroupMode(kw::GroupMode::numbers);
    u.pickTest(1);
    u.setAlphaText("0.5");
    EXPECT_EQ(failure([&] { kw::test::calculate(u); }), "'1E2' is not a valid integer value");
    EXPECT_TRUE(u.conditions().lines().empty());
}

TEST(Variables, GroupingAndTestChecks) {
    Session s = load("a b c d e f\n1 1.5 a1 A.B 1.5E-3 -99\n2 2 2.5 x 2 1\n3 2 b y 3 NA\n");
    s.pickGroup(0);
    EXPECT_EQ(s.groupColumn(), 1);
    EXPECT_EQ(s.groupMode(), kw::GroupMode::numbers);
    bool notice = false;
    try {
        s.pickGroup(1);
        FAIL();
    } catch (const Failure& f) {
        notice = f.isNotice();
        EXPECT_EQ(f.reason(), Failure::Reason::refusal);
        EXPECT_EQ(f.message(), "group variable must be discrete");
        EXPECT_EQ(f.caption(), "WARNING");
        EXPECT_EQ(f.helpPage(), 5);
    }
    EXPECT_TRUE(notice);
    EXPECT_EQ(s.groupColumn(), 0);
    EXPECT_EQ(s.groupMode(), kw::GroupMode::numbers);
    s.pickGroup(2);
    EXPECT_EQ(s.groupMode(), kw::GroupMode::texts);
    s.pickGroup(3);
    EXPECT_EQ(s.groupMode(), kw::GroupMode::texts);

    s.pickTest(4);
    EXPECT_EQ(s.testColumn(), 5);
    EXPECT_EQ(failure([&] { s.pickTest(5); }),
              "test variable must be numeric"); // NA in the last row
    EXPECT_EQ(s.testColumn(), 0);
    s.pickTest(0); // the grouping column may be the test column too
    EXPECT_EQ(s.testColumn(), 1);
    s.pickTest(-1);
    EXPECT_EQ(s.testColumn(), 0);
    EXPECT_EQ(s.groupColumn(), 4); // a refused or cleared pick leaves the other choices
}

TEST(Selection, ConditionsThroughTheSession) {
    Session s = load("v w\n3 a\n3.5 A\n1 b\n10 a\n2 B\n");
    s.pickSelection(0);
    EXPECT_EQ(s.valueList(), (std::vector<std::string>{"1", "10", "2", "3", "3.5"}));
    s.pickSelection(1);
    EXPECT_EQ(s.valueList(), (std::vector<std::string>{"a", "b"}));
    Session r = load("v\n3.5\n3\n");
    EXPECT_EQ(failure([&] { r.pickSelection(0); }), "group variable must be discrete");
    EXPECT_EQ(r.selectionColumn(), 0);

    EXPECT_EQ(failure([&] { s.addCondition(-1, 0, "a"); }), "no variable selected");
    EXPECT_EQ(failure([&] { s.addCondition(1, 0, std::nullopt); }), "no value selected");
    EXPECT_EQ(failure([&] { s.addCondition(1, -1, "a"); }), "no operator selected");
    EXPECT_EQ(s.conditions().size(), 0);
    s.addCondition(1, 0, "a");
    s.addCondition(0, 1, "10");
    s.addCondition(1, 1, "b");
    EXPECT_EQ(s.conditions().lines(), (std::vector<std::string>{"w =a", "v<>10", "w<>b"}));
    s.removeCondition(7); // nothing highlighted
    s.removeCondition(1);
    EXPECT_EQ(s.conditions().lines(), (std::vector<std::string>{"w =a", "w<>b"}));
    EXPECT_EQ(s.conditions().conditions()[1].column, 2);
    const std::vector<char> included = kw::includedCases(s.table(), s.conditions().conditions());
    EXPECT_TRUE(included[0]);
    EXPECT_FALSE(included[1]); // A is not a
    // The list grows past fifteen conditions.
    for (int i = 0; i < 20; ++i) {
        s.addCondition(1, 1, "zz");
    }
    EXPECT_EQ(s.conditions().size(), 22);
    s.clearConditions();
    EXPECT_EQ(s.conditions().size(), 0);
    EXPECT_TRUE(s.valueList().empty());
    EXPECT_EQ(s.selectionColumn(), 2);
}

TEST(DataSet, ManualInputAndItsSavedFile) {
    Session s = load(twogroups);
    s.pickGroup(0);
    s.addCondition(0, 0, "1");
    s.setMissingCode("-9");
    s.manualInput("3", "2");
    EXPECT_EQ(s.table().cell(0, 0), "input");
    EXPECT_EQ(s.variables(), (std::vector<std::string>{"var1", "var2", "var3"}));
    EXPECT_EQ(s.table().cell(0, 2), "2");
    EXPECT_EQ(s.table().cell(3, 2), "");
    EXPECT_EQ(s.groupColumn(), 0);
    EXPECT_TRUE(s.view().saveInputVisible);
    EXPECT_EQ(s.missingCode(), "-9");    // kept
    EXPECT_EQ(s.conditions().size(), 1); // kept
    EXPECT_EQ(failure([&] { s.manualInput("x", "2"); }), "'x' is not a valid integer value");
    EXPECT_EQ(failure([&] { s.manualInput("2", "2.5"); }), "'2.5' is not a valid integer value");
    EXPECT_NE(failure([&] { s.manualInput("1", "5"); }), "");
    EXPECT_NE(failure([&] { s.manualInput("2", "0"); }), "");
    EXPECT_EQ(failure([&] { s.manualInput("20000", "2147483647"); }),
              "a table of 20000 variables and 2147483647 cases is more than can be typed in");
    EXPECT_EQ(s.variables().size(), 3u); // refusals change nothing

    s.manualInput("2", "2");
    s.editCell(1, 1, "1");
    s.editCell(2, 1, "5");
    s.editCell(1, 2, "2");
    s.editCell(2, 2, "7");
    const auto path = std::filesystem::temp_directory_path() / "kw_manual_test.txt";
    s.saveInput(path.string());
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, " var1 var2\r\n 1 5\r\n 2 7\r\n");
    Session back;
    back.beginReading();
    kw::test::openTextFile(back, path.string());
    EXPECT_EQ(back.table().cell(2, 2), "7");
    EXPECT_EQ(back.variables(), (std::vector<std::string>{"var1", "var2"}));
    in.close();
    std::filesystem::remove(path);
}

TEST(DataSet, ReadingAFileResetsAndAFailedReadKeepsTheData) {
    Session s = picked(twogroups);
    s.addCondition(1, 1, "9");
    s.setMissingCode("-99");
    kw::test::calculate(s);
    ASSERT_TRUE(s.hasResults());

    s.beginReading();
    EXPECT_EQ(s.conditions().size(), 0);
    EXPECT_EQ(s.missingCode(), "");
    EXPECT_THROW(kw::test::openTextFile(s, "/nonexistent/file.txt"), Failure);
    EXPECT_EQ(s.table().caseCount(), 4); // the data survive a failed read
    EXPECT_EQ(s.groupColumn(), 1);
    EXPECT_FALSE(s.hasResults()); // the result grids were cleared
    EXPECT_EQ(s.view().labels.chiSquare, "-----");
    EXPECT_EQ(s.grids().groups->cell(0, 0), "");
    EXPECT_EQ(s.view().caption, "Kruskal Wallis Nonparametric ANOVA: /nonexistent/file.txt");
    s.cancelReading();
    EXPECT_EQ(s.groupColumn(), 0);

    kw::test::openTextFile(s, std::string(KW_EXAMPLES_DIR) + "/plantgrowth.txt");
    EXPECT_EQ(s.table().caseCount(), 30);
    EXPECT_EQ(s.variables(), (std::vector<std::string>{"group", "weight"}));
    EXPECT_NE(failure([&] { (void)s.report(); }), "");
}

TEST(Counts, CaselessRowsCountOnlyExactTexts) {
    Session s;
    s.loadTable(kw::DataTable::blank({"g", "x"}, 6));
    const char* g[] = {"1", "1", "1", "2", "2", "2"};
    const char* x[] = {"10", "9", "1E1", "10", "1e1", "9"};
    s.pickGroup(0);
    s.pickTest(1);
    for (int r = 1; r <= 6; ++r) {
        s.editCell(1, r, g[r - 1]);
        s.editCell(2, r, x[r - 1]); // the lower-case e is typed in after the check
    }
    kw::test::calculate(s);
    // Rows in caseless text order: 10 before 1E1 (= 1e1) before 9; 1e1 is counted nowhere.
    EXPECT_EQ(cells(s.grids().counts), (std::vector<std::vector<std::string>>{{"", "groups", ""},
                                                                              {"values", "1", "2"},
                                                                              {"10", "1", "1"},
                                                                              {"1E1", "1", "0"},
                                                                              {"9", "1", "1"}}));
}

} // namespace
