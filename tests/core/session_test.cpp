#include "failure.h"
#include "numbers.h"
#include "session.h"
#include "textreader.h"

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
    s.beginopen();
    s.loadtable(kw::readtextdata(text));
    return s;
}

// The same with the first variable picked as grouping and the second as test variable.
Session picked(const std::string& text, kw::Locale locale = {}) {
    Session s = load(text, locale);
    s.pickgroup(0);
    s.picktest(1);
    return s;
}

int pos(const Session& s, const std::string& name) {
    const auto& v = s.variables();
    return static_cast<int>(std::find(v.begin(), v.end(), name) - v.begin());
}

std::vector<std::vector<std::string>> cells(const kw::Grid& g) {
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(g.rows()));
    for (int r = 0; r < g.rows(); ++r) {
        for (int c = 0; c < g.cols(); ++c) {
            rows[std::size_t(r)].push_back(g.cell(c, r));
        }
    }
    return rows;
}

std::vector<std::string> column(const kw::DataTable& t, int col) {
    std::vector<std::string> out;
    for (int r = 1; r <= t.ncases(); ++r) {
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
    s.pickgroup(pos(s, "g"));
    s.picktest(pos(s, "x"));
    s.calculate();
    EXPECT_TRUE(s.hasresults());
    EXPECT_EQ(s.values().ngroups, 2);
    EXPECT_EQ(s.values().ntotal, 4);
    EXPECT_EQ(s.values().dferror, 2);
    EXPECT_DOUBLE_EQ(s.values().rankvar, 1.5);
    EXPECT_DOUBLE_EQ(s.values().chi2, 1.5);
    EXPECT_NEAR(s.values().pvalue, 0.2207, 1e-4);
    EXPECT_EQ(s.labels().chival, "1.500");
    EXPECT_EQ(s.labels().dfnr, "1");
    EXPECT_EQ(s.labels().pval, "0.221");
    EXPECT_EQ(s.labels().groupvar, "g");
    EXPECT_EQ(s.labels().testvar, "x");
    EXPECT_EQ(s.labels().mulcomplabel, "no multiple comparison of groups:");
    EXPECT_FALSE(s.multisortvisible());
    EXPECT_EQ(cells(s.groupgrid()), (std::vector<std::vector<std::string>>{
                                        {"g", "1", "2"}, {"1", "1", "2"}, {"2", "2", "3"}}));
    EXPECT_EQ(cells(s.npgrgrid()),
              (std::vector<std::vector<std::string>>{{"g", "1", "2"},
                                                     {"number", "2", "2"},
                                                     {"ranksum", "3.5", "6.5"},
                                                     {"median", "1.5", "2.5"}}));
    EXPECT_EQ(cells(s.rankgrid()), (std::vector<std::vector<std::string>>{
                                       {"", "1", "2"}, {"1", "1", "2.5"}, {"2", "2.5", "4"}}));
    EXPECT_EQ(cells(s.countgrid()), (std::vector<std::vector<std::string>>{{"", "groups", ""},
                                                                           {"values", "1", "2"},
                                                                           {"1", "1", "0"},
                                                                           {"2", "1", "1"},
                                                                           {"3", "0", "1"}}));
    // The hidden comparison grid is the untouched one of the start.
    EXPECT_EQ(s.mulcompgrid().cols(), 5);
    EXPECT_EQ(s.mulcompgrid().rows(), 5);
    EXPECT_EQ(s.mulcompgrid().cell(0, 0), "");
    EXPECT_EQ(s.page(), kw::Page::output);
}

TEST(Calculation, ReportIsWrittenByteForByte) {
    Session s = picked("grp score\na 1\na 1\na 1\nb 2\nb 2\nb 2\nc 3\nc 3\nc 3\n");
    s.calculate();
    // Constant groups: T = N - 1, so the critical difference is zero and every pair differs.
    EXPECT_DOUBLE_EQ(s.values().chi2, 8);
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
    s.calculate();
    const double p = s.values().pvalue;
    s.setalphatext(kw::formatgeneral(p, 17));
    s.calculate();
    ASSERT_EQ(s.values().alpha, p);
    EXPECT_FALSE(s.multisortvisible());
    EXPECT_NE(s.report().find("NO MULTIPLE COMPARISON OF GROUPS \r\n"), std::string::npos);
    // Just above p: the comparison is made.
    s.setalphatext(kw::formatgeneral(p * 1.000001, 17));
    s.calculate();
    EXPECT_TRUE(s.multisortvisible());
}

// The literal exchange sort of the table rows by the grouping column.
std::vector<std::vector<std::string>> literalsort(std::vector<std::vector<std::string>> rows,
                                                  bool astexts) {
    auto greater = [&](const std::string& a, const std::string& b) {
        if (astexts) {
            return b < a;
        }
        return *kw::parsereal(a, '.') > *kw::parsereal(b, '.');
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
        s.pickgroup(0);
        s.setgroupmode(astexts ? kw::GroupMode::texts : kw::GroupMode::numbers);
        s.picktest(1);
        try {
            s.calculate();
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

// Everything a calculation shows, for comparing two ways of getting there.
std::string everything(const Session& s) {
    std::ostringstream out;
    for (const kw::Grid* g :
         {&s.groupgrid(), &s.npgrgrid(), &s.rankgrid(), &s.countgrid(), &s.mulcompgrid()}) {
        for (const auto& row : cells(*g)) {
            for (const auto& c : row) {
                out << c << '|';
            }
            out << '\n';
        }
    }
    const auto& v = s.values();
    out << v.ngroups << ' ' << v.ntotal << ' ' << v.chi2 << ' ' << v.pvalue << ' ' << v.rankvar;
    return out.str();
}

TEST(Calculation, RankingByTextsAndBySortingAgree) {
    // Data with many ties are ranked through their distinct texts, others by sorting the
    // cases; both must give the same grids to the last character.
    std::mt19937 rng(99);
    const std::vector<std::string> spellings{"1",  "1.0", "01", "+1", "1E0", "2", "2.50", "2.5",
                                             ".5", "0.5", "-0", "0",  "10",  "9", "-3",   "1e1"};
    for (int trial = 0; trial < 60; ++trial) {
        Session s;
        const int n = std::uniform_int_distribution<int>(3, 80)(rng);
        s.loadtable(kw::DataTable::blank({"g", "x"}, n));
        s.pickgroup(0);
        s.picktest(1);
        for (int r = 1; r <= n; ++r) {
            s.editcell(1, r, std::to_string(std::uniform_int_distribution<int>(1, 4)(rng)));
            s.editcell(2, r,
                       spellings[std::uniform_int_distribution<std::size_t>(
                           0, trial % 2 ? 4 : spellings.size() - 1)(rng)]);
        }
        Session t = s;
        setenv("KW_RANK", "texts", 1);
        const std::string bytexts = failure([&] { s.calculate(); }) + everything(s);
        setenv("KW_RANK", "sort", 1);
        const std::string bysorting = failure([&] { t.calculate(); }) + everything(t);
        unsetenv("KW_RANK");
        ASSERT_EQ(bytexts, bysorting) << "trial " << trial;
    }
}

TEST(Calculation, GroupsAreRunsOfEqualTextAfterTheSort) {
    // Equal as numbers, written differently: 1 and 01 are one sort key but two texts, and
    // the exchange sort interleaves them into several runs.
    Session s = picked("g x\n01 5\n1 6\n01 7\n1 8\n2 9\n");
    s.calculate();
    EXPECT_EQ(column(s.table(), 1), (std::vector<std::string>{"01", "1", "01", "1", "2"}));
    EXPECT_EQ(s.values().ngroups, 5);

    // Ties are by value: 1 and 1.0 share a rank but are separate rows of the counts.
    Session t = picked("g x\na 1\na 1.0\nb 2\nb 3\n");
    t.calculate();
    EXPECT_EQ(t.rankgrid().cell(1, 1), "1.5");
    EXPECT_EQ(t.rankgrid().cell(1, 2), "1.5");
    EXPECT_EQ(t.countgrid().cell(0, 2), "1");
    EXPECT_EQ(t.countgrid().cell(0, 3), "1.0");
    // An odd group's median is the middle value re-formatted.
    Session u = picked("g x\na 2.50\na 1\na 7\nb 1\nb 2\n");
    u.calculate();
    EXPECT_EQ(u.npgrgrid().cell(1, 3), "2.5");
    EXPECT_EQ(u.npgrgrid().cell(2, 3), "1.5");
}

TEST(Calculation, EmptyGroupingTextFormsAGroupOfItsOwn) {
    Session s;
    s.loadtable(kw::DataTable::blank({"g", "x"}, 4));
    s.editcell(1, 1, "b");
    s.editcell(1, 2, "");
    s.editcell(1, 3, "b");
    s.editcell(1, 4, "");
    for (int r = 1; r <= 4; ++r) {
        s.editcell(2, r, std::to_string(r));
    }
    s.pickgroup(0);
    s.setgroupmode(kw::GroupMode::texts);
    s.picktest(1);
    s.calculate();
    EXPECT_EQ(s.values().ngroups, 2);
    EXPECT_EQ(s.npgrgrid().cell(1, 0), "");
    EXPECT_EQ(s.npgrgrid().cell(1, 1), "2");
    EXPECT_EQ(s.npgrgrid().cell(2, 0), "b");
}

TEST(Calculation, MissingValueConditionIsAppendedEveryTime) {
    Session s = picked("g weight\n1 5\n1 -99\n1 6\n2 7\n2 8\n-99 9\n-99 10\n");
    s.setmissing("-99");
    s.calculate();
    ASSERT_EQ(s.conditions().lines(), std::vector<std::string>{"weight<>-99"});
    // The case with the code as test value is left out; the code as grouping value is a group.
    EXPECT_EQ(s.values().ntotal, 6);
    EXPECT_EQ(s.values().ngroups, 3);
    EXPECT_EQ(s.npgrgrid().cell(1, 0), "-99");
    const std::string first = s.report();
    s.calculate();
    EXPECT_EQ(s.conditions().lines(), (std::vector<std::string>{"weight<>-99", "weight<>-99"}));
    EXPECT_EQ(s.report(), first);

    // With an empty code, empty test cells are the ones left out.
    Session t;
    t.loadtable(kw::DataTable::blank({"g", "x"}, 5));
    const char* g[] = {"1", "1", "2", "2", "2"};
    const char* x[] = {"1", "", "3", "4", "5"};
    for (int r = 1; r <= 5; ++r) {
        t.editcell(1, r, g[r - 1]);
        t.editcell(2, r, x[r - 1]);
    }
    t.pickgroup(0);
    t.picktest(1);
    t.calculate();
    EXPECT_EQ(t.values().ntotal, 4);
    EXPECT_EQ(t.conditions().lines().back(), "x<>");
}

TEST(Calculation, RefusalsCarryTheirCaptionsAndHelpPages) {
    Session s = load(twogroups);
    try {
        s.calculate();
        FAIL();
    } catch (const Failure& f) {
        EXPECT_EQ(f.caption(), "WARNING");
        EXPECT_EQ(f.message(), "first choose group and test variable");
        EXPECT_EQ(f.helppage(), 5);
    }
    s.pickgroup(0);
    s.picktest(1);
    s.addcondition(0, 0, "3");
    try {
        s.calculate();
        FAIL();
    } catch (const Failure& f) {
        EXPECT_EQ(f.caption(), "ERROR");
        EXPECT_EQ(f.message(), "no cases selected");
        EXPECT_EQ(f.helppage(), -1);
    }
    EXPECT_FALSE(s.hasresults());
    s.clearconditions();
    s.addcondition(0, 0, "2");
    EXPECT_EQ(failure([&] { s.calculate(); }), "all cases in one group");
    EXPECT_EQ(s.groupgrid().cell(1, 0), "2");
    EXPECT_EQ(s.groupgrid().cell(1, 2), "3");
}

TEST(Calculation, AllValuesEqualStopsAfterTheRanks) {
    Session s = picked("g x\n1 4\n1 4\n2 4\n2 4\n");
    EXPECT_EQ(failure([&] { s.calculate(); }), "Floating point division by zero");
    EXPECT_FALSE(s.hasresults());
    EXPECT_EQ(s.rankgrid().cell(1, 1), "2.5");
    EXPECT_EQ(s.npgrgrid().cell(2, 2), "5");
    EXPECT_EQ(s.labels().chival, "----------");
    EXPECT_NE(failure([&] { (void)s.report(); }), "");
}

TEST(Calculation, TextThatIsNotANumberLeavesEverythingAsItWas) {
    Session s = load("g x\nb 1\na 2\nb x3\na 4\n");
    s.pickgroup(0);
    EXPECT_EQ(failure([&] { s.picktest(1); }), "test variable must be numeric");
    EXPECT_EQ(s.testcol(), 0);
    s.editcell(2, 3, "3");
    s.picktest(1);
    s.editcell(2, 3, "1,5"); // edits run no check; the point is the decimal mark here
    EXPECT_EQ(failure([&] { s.calculate(); }), "'1,5' is not a valid floating point value");
    EXPECT_EQ(column(s.table(), 1), (std::vector<std::string>{"b", "a", "b", "a"}));
    EXPECT_TRUE(s.conditions().lines().empty());

    // Grouping texts parsed as numbers: the first one that is not fails before any sorting.
    Session t = load("g x\n2 1\nz 2\n1 3\ny 4\n");
    t.pickgroup(0);
    t.setgroupmode(kw::GroupMode::numbers);
    t.picktest(1);
    EXPECT_EQ(failure([&] { t.calculate(); }), "'z' is not a valid floating point value");
    EXPECT_EQ(column(t.table(), 1), (std::vector<std::string>{"2", "z", "1", "y"}));

    // With a comma as decimal mark, 1,5 is a number and 1.5 is not.
    kw::Locale comma{',', nullptr};
    Session u = picked("g x\n1 1,5\n1 2\n2 3,25\n2 4\n", comma);
    EXPECT_EQ(u.alphatext(), "0,05");
    u.calculate();
    EXPECT_EQ(u.npgrgrid().cell(1, 3), "1,75");
    EXPECT_EQ(u.countgrid().cell(0, 2), "1,5"); // count rows keep the texts as read
    EXPECT_EQ(u.countgrid().cell(0, 4), "3,25");
    EXPECT_EQ(u.report().find(','), std::string::npos); // the report always uses the point
}

TEST(Calculation, AlphaMustBeANumberInZeroToOne) {
    Session s = picked("g x\n1 1\n1 2\n1 3\n2 2\n2 3\n2 4\n");
    for (const char* bad : {"0", "1.5", "-0", "-0.05"}) {
        s.setalphatext(bad);
        EXPECT_EQ(failure([&] { s.calculate(); }),
                  "alpha must be a number greater than 0 and not greater than 1")
            << bad;
    }
    for (const char* bad : {"nan", "inf", "1e999", "0,05", ""}) {
        s.setalphatext(bad);
        EXPECT_EQ(failure([&] { s.calculate(); }), kw::notrealfailure(bad).message());
    }
    EXPECT_TRUE(s.conditions().lines().empty()); // refused before anything was done
    s.setalphatext("1");
    s.calculate();
    EXPECT_TRUE(s.multisortvisible());
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
        s.calculate(&c);
        EXPECT_EQ(s.values().ngroups, k);
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
    s.setalphatext("0.5");
    s.calculate();
    ASSERT_TRUE(s.multisortvisible());
    auto header = [](const Session& x) {
        std::vector<std::string> v;
        for (int c = 2; c < x.mulcompgrid().cols(); ++c) {
            v.push_back(x.mulcompgrid().cell(c, 0));
        }
        return v;
    };
    EXPECT_EQ(header(s), (std::vector<std::string>{"2", "9", "10"}));
    s.multisort(kw::SortBy::median);
    EXPECT_EQ(header(s), (std::vector<std::string>{"10", "9", "2"}));
    EXPECT_EQ(s.npgrgrid().cell(1, 0), "10"); // the summary follows the chosen order
    EXPECT_EQ(s.mulcompgrid().cell(1, 2), "10");
    s.multisort(kw::SortBy::groupvalue);
    EXPECT_EQ(header(s), (std::vector<std::string>{"2", "9", "10"}));
    s.setgroupmode(kw::GroupMode::texts);
    s.multisort(kw::SortBy::groupvalue);
    EXPECT_EQ(header(s), (std::vector<std::string>{"10", "2", "9"}));
    // The table is symmetric with the diagonal mark on the diagonal.
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(s.mulcompgrid().cell(i, i), "   -  ");
        for (int j = 2; j < 5; ++j) {
            EXPECT_EQ(s.mulcompgrid().cell(i, j), s.mulcompgrid().cell(j, i));
        }
    }
}

TEST(MultipleComparison, DifferenceEqualToTheCriticalOneIsNotSignificant) {
    // df 1 and alpha 0.5 give t = 1; w = sqrt(0.5), so the two single cases 3 and 4 differ by
    // exactly t sqrt(1/1 + 1/1) w = 1, although T = 2.7 and S2 = 5/3 are not exact doubles.
    Session s = picked("g x\n1 1\n1 2\n2 3\n3 4\n");
    s.setalphatext("0.5");
    s.calculate();
    EXPECT_EQ(s.mulcompgrid().cell(3, 4), "  NS  ");
    EXPECT_EQ(s.mulcompgrid().cell(4, 3), "  NS  ");
    EXPECT_EQ(s.mulcompgrid().cell(2, 4), "   *  ");
}

TEST(MultipleComparison, RefusesWhatTheCriticalValueCannotBeFoundFor) {
    // Every group holds one case: no degrees of freedom are left.
    Session s = picked("g x\n1 1\n2 2\n3 3\n4 4\n");
    s.setalphatext("0.9");
    const std::string m = failure([&] { s.calculate(); });
    EXPECT_EQ(m.substr(0, 32), "Invalid floating point operation");
    EXPECT_FALSE(s.hasresults());
    EXPECT_FALSE(s.multisortvisible());

    // One degree of freedom and an alpha at which the search would walk away.
    Session t = picked("g x\n1 1\n1 2\n2 3\n");
    t.setalphatext("0.7");
    EXPECT_EQ(failure([&] { t.calculate(); }).substr(0, 34), "the multiple comparison cannot fin");

    // Groups treated as numbers by hand that are not whole numbers fail the order, before
    // anything is changed.
    Session u = load("g x\n1E2 1\n1E2 2\n1E2 3\n2E2 4\n2E2 5\n2E2 6\n");
    u.pickgroup(0);
    EXPECT_EQ(u.groupmode(), kw::GroupMode::texts);
    u.setgroupmode(kw::GroupMode::numbers);
    u.picktest(1);
    u.setalphatext("0.5");
    EXPECT_EQ(failure([&] { u.calculate(); }), "'1E2' is not a valid integer value");
    EXPECT_TRUE(u.conditions().lines().empty());
}

TEST(Variables, GroupingAndTestChecks) {
    Session s = load("a b c d e f\n1 1.5 a1 A.B 1.5E-3 -99\n2 2 2.5 x 2 1\n3 2 b y 3 NA\n");
    s.pickgroup(0);
    EXPECT_EQ(s.groupcol(), 1);
    EXPECT_EQ(s.groupmode(), kw::GroupMode::numbers);
    Failure::Kind kind{};
    try {
        s.pickgroup(1);
        FAIL();
    } catch (const Failure& f) {
        kind = f.kind();
        EXPECT_EQ(f.message(), "group variable must be discrete");
        EXPECT_EQ(f.caption(), "WARNING");
        EXPECT_EQ(f.helppage(), 5);
    }
    EXPECT_EQ(kind, Failure::Kind::Notice);
    EXPECT_EQ(s.groupcol(), 0);
    EXPECT_EQ(s.groupmode(), kw::GroupMode::numbers);
    s.pickgroup(2);
    EXPECT_EQ(s.groupmode(), kw::GroupMode::texts);
    s.pickgroup(3);
    EXPECT_EQ(s.groupmode(), kw::GroupMode::texts);

    s.picktest(4);
    EXPECT_EQ(s.testcol(), 5);
    EXPECT_EQ(failure([&] { s.picktest(5); }),
              "test variable must be numeric"); // NA in the last row
    EXPECT_EQ(s.testcol(), 0);
    s.picktest(0); // the grouping column may be the test column too
    EXPECT_EQ(s.testcol(), 1);
    s.picktest(-1);
    EXPECT_EQ(s.testcol(), 0);
    EXPECT_EQ(s.groupcol(), 4); // a refused or cleared pick leaves the other choices
}

TEST(Selection, ConditionsThroughTheSession) {
    Session s = load("v w\n3 a\n3.5 A\n1 b\n10 a\n2 B\n");
    s.pickselection(0);
    EXPECT_EQ(s.valuelist(), (std::vector<std::string>{"1", "10", "2", "3", "3.5"}));
    s.pickselection(1);
    EXPECT_EQ(s.valuelist(), (std::vector<std::string>{"a", "b"}));
    Session r = load("v\n3.5\n3\n");
    EXPECT_EQ(failure([&] { r.pickselection(0); }), "group variable must be discrete");
    EXPECT_EQ(r.selcol(), 0);

    EXPECT_EQ(failure([&] { s.addcondition(-1, 0, "a"); }), "no variable selected");
    EXPECT_EQ(failure([&] { s.addcondition(1, 0, std::nullopt); }), "no value selected");
    EXPECT_EQ(failure([&] { s.addcondition(1, -1, "a"); }), "no operator selected");
    EXPECT_EQ(s.conditions().size(), 0);
    s.addcondition(1, 0, "a");
    s.addcondition(0, 1, "10");
    s.addcondition(1, 1, "b");
    EXPECT_EQ(s.conditions().lines(), (std::vector<std::string>{"w =a", "v<>10", "w<>b"}));
    s.removecondition(7); // nothing highlighted
    s.removecondition(1);
    EXPECT_EQ(s.conditions().lines(), (std::vector<std::string>{"w =a", "w<>b"}));
    EXPECT_EQ(s.conditions().conditions()[1].column, 2);
    EXPECT_TRUE(kw::isincluded(s.table(), s.conditions().conditions(), 1));
    EXPECT_FALSE(kw::isincluded(s.table(), s.conditions().conditions(), 2)); // A is not a
    // The list grows past fifteen conditions.
    for (int i = 0; i < 20; ++i) {
        s.addcondition(1, 1, "zz");
    }
    EXPECT_EQ(s.conditions().size(), 22);
    s.clearconditions();
    EXPECT_EQ(s.conditions().size(), 0);
    EXPECT_TRUE(s.valuelist().empty());
    EXPECT_EQ(s.selcol(), 2);
}

TEST(DataSet, ManualInputAndItsSavedFile) {
    Session s = load(twogroups);
    s.pickgroup(0);
    s.addcondition(0, 0, "1");
    s.setmissing("-9");
    s.manualinput("3", "2");
    EXPECT_EQ(s.table().cell(0, 0), "input");
    EXPECT_EQ(s.variables(), (std::vector<std::string>{"var1", "var2", "var3"}));
    EXPECT_EQ(s.table().cell(0, 2), "2");
    EXPECT_EQ(s.table().cell(3, 2), "");
    EXPECT_EQ(s.groupcol(), 0);
    EXPECT_TRUE(s.saveinputvisible());
    EXPECT_EQ(s.missing(), "-9");        // kept
    EXPECT_EQ(s.conditions().size(), 1); // kept
    EXPECT_EQ(failure([&] { s.manualinput("x", "2"); }), "'x' is not a valid integer value");
    EXPECT_EQ(failure([&] { s.manualinput("2", "2.5"); }), "'2.5' is not a valid integer value");
    EXPECT_NE(failure([&] { s.manualinput("1", "5"); }), "");
    EXPECT_NE(failure([&] { s.manualinput("2", "0"); }), "");
    EXPECT_EQ(failure([&] { s.manualinput("20000", "2147483647"); }),
              "a table of 20000 variables and 2147483647 cases is more than can be typed in");
    EXPECT_EQ(s.variables().size(), 3u); // refusals change nothing

    s.manualinput("2", "2");
    s.editcell(1, 1, "1");
    s.editcell(2, 1, "5");
    s.editcell(1, 2, "2");
    s.editcell(2, 2, "7");
    const auto path = std::filesystem::temp_directory_path() / "kw_manual_test.txt";
    s.saveinput(path.string());
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, " var1 var2\r\n 1 5\r\n 2 7\r\n");
    Session back;
    back.beginopen();
    back.openfile(path.string());
    EXPECT_EQ(back.table().cell(2, 2), "7");
    EXPECT_EQ(back.variables(), (std::vector<std::string>{"var1", "var2"}));
    std::filesystem::remove(path);
}

TEST(DataSet, ReadingAFileResetsAndAFailedReadKeepsTheData) {
    Session s = picked(twogroups);
    s.addcondition(1, 1, "9");
    s.setmissing("-99");
    s.calculate();
    ASSERT_TRUE(s.hasresults());

    s.beginopen();
    EXPECT_EQ(s.conditions().size(), 0);
    EXPECT_EQ(s.missing(), "");
    EXPECT_THROW(s.openfile("/nonexistent/file.txt"), Failure);
    EXPECT_EQ(s.table().ncases(), 4); // the data survive a failed read
    EXPECT_EQ(s.groupcol(), 1);
    EXPECT_FALSE(s.hasresults()); // the result grids were cleared
    EXPECT_EQ(s.labels().chival, "-----");
    EXPECT_EQ(s.groupgrid().cell(0, 0), "");
    EXPECT_EQ(s.caption(), "Kruskal Wallis Nonparametric ANOVA: /nonexistent/file.txt");
    s.cancelopen();
    EXPECT_EQ(s.groupcol(), 0);

    s.openfile(std::string(KW_EXAMPLES_DIR) + "/plantgrowth.txt");
    EXPECT_EQ(s.table().ncases(), 30);
    EXPECT_EQ(s.variables(), (std::vector<std::string>{"group", "weight"}));
    EXPECT_NE(failure([&] { (void)s.report(); }), "");
}

TEST(Counts, CaselessRowsCountOnlyExactTexts) {
    Session s;
    s.loadtable(kw::DataTable::blank({"g", "x"}, 6));
    const char* g[] = {"1", "1", "1", "2", "2", "2"};
    const char* x[] = {"10", "9", "1E1", "10", "1e1", "9"};
    s.pickgroup(0);
    s.picktest(1);
    for (int r = 1; r <= 6; ++r) {
        s.editcell(1, r, g[r - 1]);
        s.editcell(2, r, x[r - 1]); // the lower-case e is typed in after the check
    }
    s.calculate();
    // Rows in caseless text order: 10 before 1E1 (= 1e1) before 9; 1e1 is counted nowhere.
    EXPECT_EQ(cells(s.countgrid()), (std::vector<std::vector<std::string>>{{"", "groups", ""},
                                                                           {"values", "1", "2"},
                                                                           {"10", "1", "1"},
                                                                           {"1E1", "1", "0"},
                                                                           {"9", "1", "1"}}));
}

} // namespace
