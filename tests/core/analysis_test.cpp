// The pure analysis: what it leaves alone, the stages it reaches, the ways of ranking, and the
// statistics against R (tests/reference/kruskal_examples.R made the reference values).

#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/io/textreader.h"
#include "core/results/comparisongrid.h"
#include "core/session/session.h"
#include "core/stats/analysis.h"
#include "core/stats/distributions.h"
#include "support/sessionsteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <random>
#include <sstream>

namespace {

using kw::AnalysisOutcome;
using kw::AnalysisRequest;
using kw::Failure;
using Stage = kw::AnalysisOutcome::Stage;

AnalysisRequest request(int group, int test, double alpha = 0.05) {
    AnalysisRequest r;
    r.groupColumn = group;
    r.testColumn = test;
    r.alpha = alpha;
    return r;
}

std::vector<std::string> column(const kw::DataTable& t, int col) {
    std::vector<std::string> out;
    for (int r = 1; r <= t.caseCount(); ++r) {
        out.emplace_back(t.value(col, r));
    }
    return out;
}

// The failure that `fn` throws.
template <class Fn> Failure thrown(Fn fn) {
    try {
        fn();
    } catch (const Failure& f) {
        return f;
    }
    ADD_FAILURE() << "no failure";
    return Failure(Failure::Reason::unexpected, "none");
}

TEST(Analysis, LeavesTheCallersTableAndReturnsItSorted) {
    const kw::DataTable table = kw::readTextData("g x\nb 1\na 2\nb 3\na 4\nc 5\n");
    AnalysisRequest r = request(1, 2, 0.4);
    r.groupMode = kw::GroupMode::texts;
    const AnalysisOutcome outcome = kw::analyse(table, r);
    EXPECT_EQ(column(table, 1), (std::vector<std::string>{"b", "a", "b", "a", "c"}));
    // Sorted as the exchange sort leaves them: the two b cases change places on the way.
    EXPECT_EQ(column(outcome.sortedTable, 1), (std::vector<std::string>{"a", "a", "b", "b", "c"}));
    EXPECT_EQ(column(outcome.sortedTable, 2), (std::vector<std::string>{"2", "4", "3", "1", "5"}));
    EXPECT_EQ(outcome.stage, Stage::compared);
    EXPECT_FALSE(outcome.stop);
    EXPECT_EQ(outcome.cases->groupValues, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(outcome.values.groupCount, 3);
    EXPECT_EQ(outcome.values.caseCount, 5);
    EXPECT_EQ(outcome.request.alpha, 0.4);
    ASSERT_TRUE(outcome.comparison);
}

TEST(Analysis, StagesAndWhatStopsThem) {
    const kw::DataTable table =
        kw::readTextData("g x y z\n1 1 4 1\n1 2 4 5\n2 3 4 2\n2 4 4 6\n3 5 4 3\n3 6 4 x\n");
    auto stage = [&](AnalysisRequest r) { return kw::analyse(table, r); };

    AnalysisRequest none = request(1, 2);
    none.conditions.push_back({1, kw::Operator::equal, "9"});
    AnalysisOutcome o = stage(none);
    EXPECT_EQ(o.stage, Stage::noCases);
    EXPECT_EQ(o.stop->message(), "no cases selected");
    EXPECT_TRUE(o.stop->isNotice());

    AnalysisRequest one = request(1, 2);
    one.conditions.push_back({1, kw::Operator::equal, "2"});
    o = stage(one);
    EXPECT_EQ(o.stage, Stage::oneGroup);
    EXPECT_EQ(o.stop->message(), "all cases in one group");
    EXPECT_EQ(o.cases->groupCount(), 1);

    o = stage(request(1, 3)); // all values tied
    EXPECT_EQ(o.stage, Stage::noVariance);
    EXPECT_EQ(o.stop->message(), "Floating point division by zero");
    EXPECT_EQ(o.stop->reason(), Failure::Reason::noStatistic);
    EXPECT_TRUE(o.cases->ranked);

    o = stage(request(1, 2, 0.01));
    EXPECT_EQ(o.stage, Stage::notSignificant);
    EXPECT_FALSE(o.comparison);
    EXPECT_GE(o.values.pValue, 0.01);

    o = stage(request(1, 2, 0.5));
    EXPECT_EQ(o.stage, Stage::compared);

    // A comparison for which no critical value of t can be found: one df at alpha 0.7.
    const kw::DataTable small = kw::readTextData("g x\n1 1\n1 2\n2 3\n");
    o = kw::analyse(small, request(1, 2, 0.7));
    EXPECT_EQ(o.stage, Stage::noComparison);
    EXPECT_EQ(o.stop->message().substr(0, 34), "the multiple comparison cannot fin");
    EXPECT_EQ(o.values.groupCount, 2); // tested all the same

    // Refusals are thrown and leave nothing behind.
    Failure f = thrown([&] { (void)kw::analyse(table, request(0, 2)); });
    EXPECT_EQ(f.message(), "first choose group and test variable");
    EXPECT_EQ(f.helpPage(), kw::helpVariables);
    f = thrown([&] { (void)kw::analyse(table, request(1, 9)); });
    EXPECT_EQ(f.reason(), Failure::Reason::refusal);
    f = thrown([&] { (void)kw::analyse(table, request(1, 4)); });
    EXPECT_EQ(f.reason(), Failure::Reason::notANumber);
    EXPECT_EQ(f.message(), "'x' is not a valid floating point value");
    f = thrown([&] { (void)kw::analyse(table, request(4, 2)); }); // groups as numbers
    EXPECT_EQ(f.reason(), Failure::Reason::notANumber);
    const kw::DataTable exponents = kw::readTextData("g x\n1E2 1\n1E2 2\n1E2 3\n2E2 4\n2E2 5\n");
    f = thrown([&] { (void)kw::analyse(exponents, request(1, 2, 0.5)); });
    EXPECT_EQ(f.reason(), Failure::Reason::notAWholeNumber);
    EXPECT_EQ(f.message(), "'1E2' is not a valid integer value");
}

TEST(Analysis, AskedOrderOfTheComparisonStartsFromTheGroupValues) {
    // Groups 2, 10, 9 with medians 30, 10, 20.
    const kw::DataTable table =
        kw::readTextData("g x\n2 29\n2 30\n2 31\n10 9\n10 10\n10 11\n9 19\n9 20\n9 21\n");
    auto shown = [&](const AnalysisOutcome& o) {
        std::vector<std::string> values;
        for (int g : o.groupOrder) {
            values.push_back(o.cases->groupValues[std::size_t(g)]);
        }
        return values;
    };
    AnalysisRequest r = request(1, 2, 0.5);
    EXPECT_EQ(shown(kw::analyse(table, r)), (std::vector<std::string>{"2", "9", "10"}));
    r.groupMode = kw::GroupMode::texts;
    EXPECT_EQ(shown(kw::analyse(table, r)), (std::vector<std::string>{"10", "2", "9"}));
    r.comparisonOrder = kw::SortBy::median;
    EXPECT_EQ(shown(kw::analyse(table, r)), (std::vector<std::string>{"10", "9", "2"}));
}

// Everything a calculation shows, for comparing two ways of getting there.
std::string everything(const kw::Session& s) {
    std::ostringstream out;
    const kw::ResultGrids& grids = s.grids();
    for (const auto& g :
         {grids.groups, grids.summary, grids.ranks, grids.counts, grids.comparison}) {
        for (int r = 0; r < g->rowCount(); ++r) {
            for (int c = 0; c < g->columnCount(); ++c) {
                out << g->cell(c, r) << '|';
            }
            out << '\n';
        }
    }
    const auto& v = s.values();
    out << v.groupCount << ' ' << v.caseCount << ' ' << v.chiSquare << ' ' << v.pValue << ' '
        << v.rankVariance;
    return out.str();
}

// What a session shows after calculating with the given way of ranking, stop included.
std::string calculatedBy(const kw::Session& loaded, kw::RankingMethod method) {
    kw::Session s = loaded;
    AnalysisRequest r = s.analysisRequest();
    r.ranking = method;
    std::string stop;
    try {
        s.applyAnalysis(kw::analyse(s.table(), r));
    } catch (const Failure& f) {
        stop = f.message();
    }
    return stop + everything(s);
}

TEST(Analysis, RankingByTextsAndBySortingAgree) {
    // Data with many ties are ranked through their distinct texts, others by sorting the
    // cases; both must give the same grids to the last character.
    std::mt19937 rng(99);
    const std::vector<std::string> spellings{
        "1", "1.0", "01", "+1", "1E0", "2",    "2.50", "2.5", ".5",    "0.5",  "-0",
        "0", "10",  "9",  "-3", "1e1", "1.00", "-0.0", "0.0", "2.500", "-3.0", "10.0"};
    for (int trial = 0; trial < 60; ++trial) {
        kw::Session s;
        const int n = std::uniform_int_distribution<int>(3, 80)(rng);
        s.loadTable(kw::DataTable::blank({"g", "x"}, n));
        s.pickGroup(0);
        s.pickTest(1);
        for (int r = 1; r <= n; ++r) {
            s.editCell(1, r, std::to_string(std::uniform_int_distribution<int>(1, 4)(rng)));
            s.editCell(2, r,
                       spellings[std::uniform_int_distribution<std::size_t>(
                           0, trial % 2 ? 4 : spellings.size() - 1)(rng)]);
        }
        const std::string byTexts = calculatedBy(s, kw::RankingMethod::byDistinctTexts);
        ASSERT_EQ(byTexts, calculatedBy(s, kw::RankingMethod::bySorting)) << "trial " << trial;
        ASSERT_EQ(byTexts, calculatedBy(s, kw::RankingMethod::automatic)) << "trial " << trial;
    }
}

TEST(Analysis, LeavingOutTheCaseOrderChangesNoResult) {
    // A run that shows no case keeps the cases in their rows' order within the groups and
    // the table as given: every group holds the same cases and every statistic stays. A
    // number written two ways (1 and 01) makes the groups depend on the order: the table is
    // sorted all the same. As texts, 1 and 01 are two groups.
    std::mt19937 rng(17);
    for (int trial = 0; trial < 24; ++trial) {
        const int n = 100 + trial * 40;
        const bool twoWays = trial % 4 == 3;
        kw::DataTable table = kw::DataTable::blank({"g", "x"}, n);
        for (int r = 1; r <= n; ++r) {
            const int g = std::uniform_int_distribution<int>(1, 2 + trial % 5)(rng);
            table.setValue(1, r, (twoWays && r % 7 == 0 ? "0" : "") + std::to_string(g));
            const int x = std::uniform_int_distribution<int>(0, trial % 2 ? 30 : 5000)(rng);
            table.setValue(2, r, r % 11 == 0 ? "-99" : std::to_string(x) + (x % 3 ? "" : ".5"));
        }
        AnalysisRequest ordered = request(1, 2, 0.5);
        ordered.countRows = false;
        ordered.groupMode = trial % 3 == 0 ? kw::GroupMode::texts : kw::GroupMode::numbers;
        ordered.missingCode = "-99";
        AnalysisRequest unordered = ordered;
        unordered.caseOrder = false;
        const AnalysisOutcome a = kw::analyse(table, ordered);
        const AnalysisOutcome b = kw::analyse(table, unordered);
        ASSERT_EQ(a.stage, b.stage) << trial;
        EXPECT_EQ(a.values.chiSquare, b.values.chiSquare) << trial;
        EXPECT_EQ(a.values.pValue, b.values.pValue) << trial;
        EXPECT_EQ(a.groupOrder, b.groupOrder) << trial;
        ASSERT_EQ(a.cases->groupValues, b.cases->groupValues) << trial;
        EXPECT_EQ(a.cases->groupStart, b.cases->groupStart) << trial;
        EXPECT_EQ(a.cases->rankSum, b.cases->rankSum) << trial;
        EXPECT_EQ(a.cases->median, b.cases->median) << trial;
        EXPECT_EQ(a.cases->countStart, b.cases->countStart) << trial;
        EXPECT_EQ(a.cases->countGroup, b.cases->countGroup) << trial;
        EXPECT_EQ(a.cases->countNumber, b.cases->countNumber) << trial;
        for (int g = 0; g < a.cases->groupCount(); ++g) {
            std::vector<std::string> inA;
            std::vector<std::string> inB;
            for (auto i = a.cases->groupStart[std::size_t(g)];
                 i < a.cases->groupStart[std::size_t(g) + 1]; ++i) {
                inA.emplace_back(a.cases->testText(i));
                inB.emplace_back(b.cases->testText(i));
            }
            std::sort(inA.begin(), inA.end());
            std::sort(inB.begin(), inB.end());
            EXPECT_EQ(inA, inB) << trial << " group " << g;
        }
        if (twoWays && ordered.groupMode == kw::GroupMode::numbers) {
            EXPECT_EQ(column(a.sortedTable, 2), column(b.sortedTable, 2)) << trial;
        } else {
            EXPECT_EQ(column(b.sortedTable, 2), column(table, 2)) << trial;
        }
    }
}

TEST(Analysis, LeavingOutTheCaseOrderNamesTheSameTextThatIsNoNumber) {
    // Texts of digits and marks that are no number pass the variable check; the one named is
    // the first in the order the sort of the table leaves, with or without the case order.
    // The sort keeps the cases of the lowest group in their rows' order, so the bad texts are
    // put in the other groups, where its order is not the rows'.
    std::mt19937 rng(23);
    const std::vector<std::string> bad{"1..2", "3--", "4.5.", "7-"};
    int notFirstInRows = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const int n = 30 + trial * 5;
        kw::DataTable table = kw::DataTable::blank({"g", "x"}, n);
        std::string firstBadOfGroup2;
        for (int r = 1; r <= n; ++r) {
            const int g = std::uniform_int_distribution<int>(1, 3)(rng);
            table.setValue(1, r, std::to_string(g));
            const bool isBad = g > 1 && std::uniform_int_distribution<int>(0, 5)(rng) == 0;
            const std::string x =
                isBad ? bad[std::uniform_int_distribution<std::size_t>(0, 3)(rng)]
                      : std::to_string(std::uniform_int_distribution<int>(0, 99)(rng));
            table.setValue(2, r, x);
            if (isBad && g == 2 && firstBadOfGroup2.empty()) {
                firstBadOfGroup2 = x;
            }
        }
        AnalysisRequest ordered = request(1, 2);
        ordered.countRows = false;
        ordered.ranking = trial % 2 ? kw::RankingMethod::bySorting : kw::RankingMethod::automatic;
        AnalysisRequest unordered = ordered;
        unordered.caseOrder = false;
        const Failure a = thrown([&] { kw::analyse(table, ordered); });
        const Failure b = thrown([&] { kw::analyse(table, unordered); });
        EXPECT_EQ(a.message(), b.message()) << trial;
        EXPECT_EQ(b.reason(), Failure::Reason::notANumber);
        notFirstInRows += a.message().find("'" + firstBadOfGroup2 + "'") == std::string::npos;
    }
    EXPECT_GT(notFirstInRows, 0); // the case this test is for came up
}

TEST(Analysis, LeavingOutTheCountRowsChangesNothingElse) {
    // A run that writes no counts grid skips ordering its rows: the statistic, the ranks, the
    // sorted table and each value's tallies by group (which the details use) stay as they are,
    // whichever way the values are ranked.
    std::mt19937 rng(5);
    const std::vector<std::string> spellings{"1", "1.0", "2.50", "2.5", "-3", "1e1", "7"};
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 200 + trial * 50;
        kw::DataTable table = kw::DataTable::blank({"g", "x"}, n);
        for (int r = 1; r <= n; ++r) {
            table.setValue(1, r, std::to_string(std::uniform_int_distribution<int>(1, 5)(rng)));
            table.setValue(2, r,
                           trial % 2 == 0
                               ? spellings[std::uniform_int_distribution<std::size_t>(
                                     0, spellings.size() - 1)(rng)]
                               : std::to_string(std::uniform_int_distribution<int>(0, 9999)(rng)) +
                                     ".50");
        }
        for (const kw::RankingMethod method :
             {kw::RankingMethod::byDistinctTexts, kw::RankingMethod::bySorting}) {
            AnalysisRequest with = request(1, 2, 1.0);
            with.ranking = method;
            AnalysisRequest without = with;
            without.countRows = false;
            const AnalysisOutcome a = kw::analyse(table, with);
            const AnalysisOutcome b = kw::analyse(table, without);
            ASSERT_EQ(a.stage, Stage::compared);
            EXPECT_EQ(b.stage, Stage::compared);
            EXPECT_EQ(a.values.chiSquare, b.values.chiSquare);
            EXPECT_EQ(a.cases->rankSum, b.cases->rankSum);
            EXPECT_EQ(a.cases->median, b.cases->median);
            EXPECT_EQ(a.cases->countStart, b.cases->countStart);
            EXPECT_EQ(a.cases->countGroup, b.cases->countGroup);
            EXPECT_EQ(a.cases->countNumber, b.cases->countNumber);
            EXPECT_EQ(column(a.sortedTable, 2), column(b.sortedTable, 2));
            EXPECT_FALSE(a.cases->countText.empty());
            EXPECT_TRUE(b.cases->countText.empty());
        }
    }
}

TEST(Analysis, CountRowsOfLongSpellingsFollowTheCollation) {
    // Spellings that share their first 8 or 16 bytes, differ in case only beyond them, or run
    // past 16 bytes: the rows of the counts are the spellings in caseless byte order, those
    // equal but for case in one row, both ways of ranking alike.
    const std::vector<std::string> spellings{"123456789.123",
                                             "123456789.1230",
                                             "123456789.12",
                                             "1234567890.12",
                                             "12345678.9E1",
                                             "12345678.9e1",
                                             "12345678.90E1",
                                             "0.000000001234",
                                             "0.0000000012340",
                                             "-123456789.5",
                                             "+123456789.5",
                                             "12345678901234567.5",
                                             "12345678901234567.25",
                                             "12345678901234567.2",
                                             "1234567890123456E2",
                                             "1234567890123456e2",
                                             "7",
                                             "7.0000000000000000001"};
    std::mt19937 rng(7);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 60;
        kw::Session s;
        s.loadTable(kw::DataTable::blank({"g", "x"}, n));
        s.pickGroup(0);
        s.pickTest(1);
        std::vector<std::string> folded;
        for (int r = 1; r <= n; ++r) {
            const std::string& x =
                spellings[std::uniform_int_distribution<std::size_t>(0, spellings.size() - 1)(rng)];
            s.editCell(1, r, std::to_string(1 + r % 3));
            s.editCell(2, r, x);
            std::string f = x;
            for (char& c : f) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            folded.push_back(f);
        }
        std::sort(folded.begin(), folded.end());
        folded.erase(std::unique(folded.begin(), folded.end()), folded.end());
        const std::string bySorting = calculatedBy(s, kw::RankingMethod::bySorting);
        ASSERT_EQ(bySorting, calculatedBy(s, kw::RankingMethod::byDistinctTexts));
        kw::test::calculate(s);
        const kw::Grid& counts = *s.grids().counts;
        std::vector<std::string> rows;
        for (int r = 2; r < counts.rowCount(); ++r) {
            std::string f = counts.cell(0, r);
            for (char& c : f) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            rows.push_back(f);
        }
        ASSERT_EQ(rows, folded) << "trial " << trial;
    }
}

// A locale's collation as the window's is: no prefixes of its own, letter case ignored, and
// here signs and marks before digits; `ignorePoint` leaves the point out as some locales'
// settings leave punctuation out.
class LocaleLikeCollation final : public kw::Collation {
public:
    explicit LocaleLikeCollation(bool ignorePoint) : ignorePoint_(ignorePoint) {}
    int compare(std::string_view a, std::string_view b) const override {
        const std::string x = folded(a);
        const std::string y = folded(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    mutable long calls = 0;

private:
    std::string folded(std::string_view t) const {
        ++calls;
        std::string out;
        for (char c : t) {
            if (ignorePoint_ && c == '.') {
                continue;
            }
            const bool mark = c == '+' || c == '-' || c == '.' || c == ',';
            out.push_back(mark ? char(1 + c % 7)
                               : char(std::tolower(static_cast<unsigned char>(c))));
        }
        return out;
    }
    bool ignorePoint_;
};

TEST(Analysis, CountRowsInALocaleOrderOfItsOwn) {
    // Many numbers sharing their first 16 bytes, counted under a collation of the window's
    // kind: the rows in its order, whether prefixes can be made from its byte order or, where
    // it skips the point, not.
    std::mt19937 rng(3);
    std::vector<std::string> values;
    for (int i = 0; i < 400; ++i) {
        const int pick = std::uniform_int_distribution<int>(0, 6)(rng);
        const std::string digits = std::to_string(std::uniform_int_distribution<int>(0, 999)(rng));
        values.push_back(pick == 0   ? "12345678901234." + digits
                         : pick == 1 ? "-1234567.8" + digits
                         : pick == 2 ? "1234567890123456" + digits + "E1"
                         : pick == 3 ? "1234567890123456" + digits + "e1"
                         : pick == 4 ? "+" + digits
                         : pick == 5 ? "12345678" + digits + ".5"
                                     : digits + ".5");
    }
    for (const bool ignorePoint : {false, true}) {
        const LocaleLikeCollation collation(ignorePoint);
        kw::Session s(kw::Locale{'.', &collation, nullptr});
        s.loadTable(kw::DataTable::blank({"g", "x"}, int(values.size())));
        s.pickGroup(0);
        s.pickTest(1);
        for (std::size_t r = 0; r < values.size(); ++r) {
            s.editCell(1, int(r + 1), std::to_string(1 + r % 3));
            s.editCell(2, int(r + 1), values[r]);
        }
        kw::test::calculate(s);
        const kw::Grid& counts = *s.grids().counts;
        std::vector<std::string> rows;
        for (int r = 2; r < counts.rowCount(); ++r) {
            rows.push_back(counts.cell(0, r));
        }
        for (std::size_t r = 1; r < rows.size(); ++r) {
            ASSERT_LT(collation.compare(rows[r - 1], rows[r]), 0)
                << rows[r - 1] << " before " << rows[r] << (ignorePoint ? " (point ignored)" : "");
        }
        // Every distinct value has its row: those equal under the collation share one.
        std::vector<std::string> distinct = values;
        std::sort(distinct.begin(), distinct.end(),
                  [&](const std::string& x, const std::string& y) {
                      return collation.compare(x, y) < 0;
                  });
        distinct.erase(std::unique(distinct.begin(), distinct.end(),
                                   [&](const std::string& x, const std::string& y) {
                                       return collation.compare(x, y) == 0;
                                   }),
                       distinct.end());
        EXPECT_EQ(rows.size(), distinct.size());
    }
}

TEST(Locale, ByteRanksOnlyWhereTheCollationOrdersByBytes) {
    const LocaleLikeCollation byBytes(false);
    const auto ranks = kw::byteRanks(byBytes, "0123456789.-+Ee");
    ASSERT_TRUE(ranks.has_value());
    EXPECT_LT((*ranks)['.'], (*ranks)['0']); // marks before digits, as this collation has it
    EXPECT_EQ((*ranks)['E'], (*ranks)['e']); // letter case ignored
    EXPECT_LT(kw::rankedPrefix(*ranks, "1.5", 0), kw::rankedPrefix(*ranks, "15", 0));
    EXPECT_FALSE(kw::byteRanks(LocaleLikeCollation(true), "0123456789.").has_value());
    EXPECT_FALSE(kw::byteRanks(byBytes, "1\xC3\xA4").has_value()); // beyond ASCII
}

kw::Session calculatedExample(const std::string& file, int group, int test,
                              const std::string& missing = {}) {
    kw::Session s;
    kw::test::openTextFile(s, std::string(KW_EXAMPLES_DIR) + "/" + file);
    s.pickGroup(group);
    s.pickTest(test);
    s.setMissingCode(missing);
    kw::test::calculate(s);
    return s;
}

TEST(Analysis, StatisticAndPValueAgreeWithR) {
    struct Case {
        const char* file;
        int group, test;
        const char* missing;
        int groups;
        double h, p;
    };
    // kruskal.test on the same data (tests/reference/kruskal_examples.R).
    const Case cases[] = {
        {"plantgrowth.txt", 0, 1, "", 3, 7.988228749444, 1.842375573147e-02},
        {"insectsprays.txt", 0, 1, "", 6, 54.691344622371, 1.510844439419e-10},
        {"airquality.txt", 0, 2, "-99", 5, 29.266576306117, 6.900714118547e-06},
    };
    for (const Case& c : cases) {
        const kw::Session s = calculatedExample(c.file, c.group, c.test, c.missing);
        EXPECT_EQ(s.values().groupCount, c.groups) << c.file;
        EXPECT_NEAR(s.values().chiSquare, c.h, 1e-9 * c.h) << c.file;
        // The p-value's series stop at a relative tolerance of 3e-7.
        EXPECT_NEAR(s.values().pValue, c.p, 1e-6 * c.p) << c.file;
    }
}

TEST(Comparison, MarksOnUnequalGroupsAgreeWithR) {
    // Ozone by Month: groups of 26, 9, 26, 26 and 29 cases. The marks R gives for the
    // critical difference of mean ranks (tests/reference/kruskal_examples.R), row by row.
    const kw::Session s = calculatedExample("airquality.txt", 0, 2, "-99");
    ASSERT_TRUE(s.view().sortChoiceVisible);
    const std::vector<std::string> rows{
        "grouped_by Month 5 6 7 8 9 ",
        "Month median 18 23 60 52 23 ",
        "5 18    -     NS      *      *     NS   ",
        "6 23   NS      -      *      *     NS   ",
        "7 60    *      *      -     NS      *   ",
        "8 52    *      *     NS      -      *   ",
        "9 23   NS     NS      *      *      -   ",
    };
    const kw::Grid& grid = *s.grids().comparison;
    ASSERT_EQ(grid.rowCount(), static_cast<int>(rows.size()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        // The report writes whole rows; the window and the sheet read cells one by one.
        std::string whole;
        grid.appendRow(r, ' ', whole);
        std::string cells;
        for (int c = 0; c < grid.columnCount(); ++c) {
            cells += grid.cell(c, r) + ' ';
        }
        EXPECT_EQ(whole, rows[std::size_t(r)]) << "row " << r;
        EXPECT_EQ(cells, rows[std::size_t(r)]) << "row " << r;
    }
    // The same table sorted by median, and its report.
    kw::Session sorted = s;
    sorted.sortComparison(kw::SortBy::median);
    EXPECT_NE(sorted.report().find("grouped_by Month 5 6 9 8 7 \r\n"
                                   "Month median 18 23 23 52 60 \r\n"
                                   "5 18    -     NS     NS      *      *   \r\n"),
              std::string::npos);
}

TEST(Comparison, MarksFollowTheCriticalDifferenceOnRandomUnequalGroups) {
    // Each mark against the definition, worked out here from what the summary grid shows
    // (sizes and rank sums) and the test's values; pairs within a hair of the critical
    // difference are left out.
    std::mt19937 rng(7);
    int checked = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const int k = std::uniform_int_distribution<int>(2, 6)(rng);
        std::string text = "g x\n";
        for (int g = 1; g <= k; ++g) {
            const int n = std::uniform_int_distribution<int>(1, 25)(rng);
            for (int i = 0; i < n; ++i) {
                text += std::to_string(g) + ' ' +
                        std::to_string(std::uniform_int_distribution<int>(0, 30)(rng) + 3 * g) +
                        '\n';
            }
        }
        kw::Session s;
        s.loadTable(kw::readTextData(text));
        s.pickGroup(0);
        s.pickTest(1);
        s.setAlphaText("0.2");
        try {
            kw::test::calculate(s);
        } catch (const Failure&) {
            continue;
        }
        if (!s.view().sortChoiceVisible) {
            continue;
        }
        const kw::TestValues& v = s.values();
        const double t = kw::tCritical(static_cast<std::uint32_t>(v.errorDf), v.alpha);
        const double w = std::sqrt(v.rankVariance * (v.caseCount - 1 - v.chiSquare) / v.errorDf);
        const kw::Grid& summary = *s.grids().summary;
        const kw::Grid& grid = *s.grids().comparison;
        auto meanRank = [&](int c) {
            return *kw::parseReal(summary.cell(c, 2), '.') /
                   *kw::parseReal(summary.cell(c, 1), '.');
        };
        auto size = [&](int c) { return *kw::parseReal(summary.cell(c, 1), '.'); };
        for (int i = 1; i <= k; ++i) {
            for (int j = 1; j <= k; ++j) {
                const std::string mark = grid.cell(i + 1, j + 1);
                if (i == j) {
                    EXPECT_EQ(mark, kw::diagonalMark);
                    continue;
                }
                const double critical = t * w * std::sqrt(1 / size(i) + 1 / size(j));
                const double difference = std::abs(meanRank(i) - meanRank(j));
                if (std::abs(difference - critical) < 1e-9 * (critical + 1)) {
                    continue;
                }
                EXPECT_EQ(mark,
                          difference > critical ? kw::significantMark : kw::notSignificantMark)
                    << "trial " << trial << " pair " << i << ", " << j << "\n"
                    << text;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);
}

} // namespace
