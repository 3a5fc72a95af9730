#include "cli/json.h"
#include "cli/options.h"

#include "support/textgrid.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using kw::cli::parseOptions;
using kw::cli::UsageError;

TEST(Options, ValuesFollowOrJoinTheirOption) {
    auto o = parseOptions({"data.txt", "--group", "g", "--test=x", "--missing", "-99", "--where",
                           "g=1", "--where=h<>a=b", "--alpha", "0.01", "--sort", "median",
                           "--group-as", "texts", "--report", "out.txt", "--json", "o.json"});
    EXPECT_EQ(o.file, "data.txt");
    EXPECT_EQ(*o.group, "g");
    EXPECT_EQ(*o.test, "x");
    EXPECT_EQ(*o.missing, "-99");
    EXPECT_EQ(o.where, (std::vector<std::string>{"g=1", "h<>a=b"}));
    EXPECT_EQ(*o.alpha, "0.01");
    EXPECT_EQ(*o.sort, "median");
    EXPECT_EQ(*o.groupAs, "texts");
    EXPECT_EQ(*o.report, "out.txt");
    EXPECT_EQ(*o.json, "o.json");
    EXPECT_EQ(parseOptions({"--", "--odd-name"}).file, "--odd-name");
    EXPECT_TRUE(parseOptions({"--help"}).help);
}

TEST(Options, UsageErrors) {
    const std::vector<std::vector<std::string>> bad{
        {},
        {"a.txt", "b.txt"},
        {"a.txt", "--bogus", "1"},
        {"a.txt", "--group"},
        {"a.txt", "--group-as", "words"},
        {"a.txt", "--sort", "size"},
        {"a.txt", "--where", "novalue"},
    };
    for (const auto& args : bad) {
        EXPECT_THROW(parseOptions(args), UsageError);
    }
}

TEST(Options, SpreadsheetSourcesAndTargets) {
    auto o = parseOptions({"--from-sheet", "Data", "--range", "b5:C11", "--book", "lab.ods",
                           "--empty-as", "NA", "--to-sheet", "--at", "C10", "--sheet", "Out",
                           "--counts-to-sheet", "--office", "mypipe"});
    EXPECT_TRUE(o.file.empty());
    EXPECT_EQ(*o.fromSheet, "Data");
    const auto range = kw::cli::parseRange(*o.range);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->firstColumn, "b");
    EXPECT_EQ(range->firstRow, "5");
    EXPECT_EQ(range->lastColumn, "C");
    EXPECT_EQ(range->lastRow, "11");
    EXPECT_EQ(*o.book, "lab.ods");
    EXPECT_EQ(o.emptyAs, "NA");
    EXPECT_TRUE(o.toSheet);
    EXPECT_EQ(*o.sheet, "Out");
    EXPECT_TRUE(o.countsToSheet);
    EXPECT_EQ(*o.office, "mypipe");
    EXPECT_EQ(parseOptions({"d.txt"}).emptyAs, "-99");
    EXPECT_TRUE(parseOptions({"d.txt", "--to-sheet", "--at", "A1", "--new-book"}).newBook);

    const std::vector<std::vector<std::string>> bad{
        {"d.txt", "--from-sheet", "S", "--range", "A1:B2"}, // file and sheet both
        {"--from-sheet", "S"},                              // no range
        {"--from-sheet", "S", "--range", "A1-B2"},
        {"--from-sheet", "S", "--range", "1A:B2"},
        {"d.txt", "--range", "A1:B2"},
        {"d.txt", "--to-sheet"},  // no --at
        {"d.txt", "--at", "C10"}, // --at without --to-sheet
        {"d.txt", "--to-sheet", "--at", "10"},
        {"d.txt", "--to-sheet", "--at", "C1", "--book", "b", "--new-book"},
        {"d.txt", "--to-sheet", "--at", "C1", "--sheet", "s", "--new-sheet"},
        {"d.txt", "--to-sheet", "--at", "C1", "--new-book", "--sheet", "s"},
        {"d.txt", "--to-sheet=yes", "--at", "C1"},
        // Where the results go means nothing without --to-sheet, also beside the counts.
        {"d.txt", "--new-sheet"},
        {"d.txt", "--new-book"},
        {"d.txt", "--sheet", "s"},
        {"d.txt", "--counts-to-sheet", "--new-sheet"},
        {"d.txt", "--counts-to-sheet", "--sheet", "s"},
    };
    for (const auto& args : bad) {
        std::string line;
        for (const auto& a : args) {
            line += a + " ";
        }
        EXPECT_THROW(parseOptions(args), UsageError) << line;
    }
}

TEST(Options, WhereSplitsAtTheFirstOperatorAfterAKnownName) {
    const std::vector<std::string> vars{"a", "b=c", "d"};
    auto w = kw::cli::splitWhere("a=1", vars);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->position, 0);
    EXPECT_EQ(w->operatorPosition, 0);
    EXPECT_EQ(w->value, "1");
    w = kw::cli::splitWhere("b=c<>x=y", vars);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->position, 1);
    EXPECT_EQ(w->operatorPosition, 1);
    EXPECT_EQ(w->value, "x=y");
    w = kw::cli::splitWhere("d=", vars);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->value, "");
    EXPECT_FALSE(kw::cli::splitWhere("zz=1", vars));
}

TEST(Json, StringsAreValidJsonWhateverTheBytes) {
    std::ostringstream out;
    kw::cli::writeJsonString(out, std::string("a\"b\\c\td\x01\xC3\xA9\xFF\xC3", 12));
    EXPECT_EQ(out.str(), "\"a\\\"b\\\\c\\u0009d\\u0001\xC3\xA9\\u00ff\\u00c3\"");
    kw::test::TextGrid g(2, 1);
    g.set(0, 0, "x");
    std::ostringstream grid;
    kw::cli::writeJsonGrid(grid, g);
    EXPECT_EQ(grid.str(), "[\n  [\"x\",\"\"]\n ]");
    std::ostringstream num;
    kw::cli::writeJsonNumber(num, 0.1);
    EXPECT_EQ(num.str(), "0.1");
}

} // namespace

namespace {

TEST(Options, StatisticsBeyondTheTest) {
    auto o = parseOptions({"d.txt"});
    EXPECT_EQ(o.statistics.method, kw::PairwiseMethod::dunn);
    EXPECT_EQ(o.statistics.adjustment, kw::Adjustment::holm);
    EXPECT_EQ(o.statistics.exact, kw::ExactMode::automatic);
    EXPECT_FALSE(o.statistics.resamples);
    EXPECT_EQ(o.statistics.seed, 1u);
    EXPECT_FALSE(o.details);
    o = parseOptions({"d.txt", "--pairwise", "conover", "--adjust=holm-sidak", "--control", "-99",
                      "--exact", "never", "--resamples", "500", "--seed", "0", "--details",
                      "out.txt"});
    EXPECT_EQ(o.statistics.method, kw::PairwiseMethod::conover);
    EXPECT_EQ(o.statistics.adjustment, kw::Adjustment::holmSidak);
    EXPECT_EQ(*o.statistics.control, "-99");
    EXPECT_EQ(o.statistics.exact, kw::ExactMode::never);
    EXPECT_EQ(*o.statistics.resamples, 500u);
    EXPECT_EQ(o.statistics.seed, 0u);
    EXPECT_EQ(*o.details, "out.txt");
    for (const char* name :
         {"none", "bonferroni", "sidak", "holm", "holm-sidak", "hochberg", "hommel", "bh", "by"}) {
        EXPECT_EQ(
            kw::adjustmentName(parseOptions({"d.txt", "--adjust", name}).statistics.adjustment),
            std::string(name));
    }
    const std::vector<std::vector<std::string>> bad{
        {"d.txt", "--pairwise", "tukey"},
        {"d.txt", "--adjust", "fdr"},
        {"d.txt", "--exact", "yes"},
        {"d.txt", "--resamples", "0"},
        {"d.txt", "--resamples", "1e3"},
        {"d.txt", "--resamples", "-5"},
        {"d.txt", "--seed", "x"},
        {"d.txt", "--seed", "99999999999999999999"},
        {"d.txt", "--details"},
        {"d.txt", "--pairwise", "dscf", "--control", "A"},
        {"d.txt", "--resamples", "10000001"},
    };
    for (const auto& args : bad) {
        EXPECT_THROW(parseOptions(args), UsageError) << args[1] << " " << args.back();
    }
}

} // namespace

namespace {

TEST(Options, FilesOfOtherProgramsTakeTheirReadingOptions) {
    auto csv = parseOptions({"d.csv", "--delimiter", ";", "--decimal", "comma", "--encoding",
                             "WINDOWS-1252", "--na", "NA", "--na=.", "--wide", "--missing", "-1"});
    EXPECT_EQ(kw::cli::fileKind(csv), kw::DataFileKind::delimitedText);
    EXPECT_EQ(csv.import.delimiter, ';');
    EXPECT_EQ(csv.import.decimal, ',');
    EXPECT_EQ(csv.import.encoding, "WINDOWS-1252");
    EXPECT_EQ(csv.import.naCodes, (std::vector<std::string>{"NA", "."}));
    EXPECT_TRUE(csv.import.wide);
    EXPECT_EQ(csv.import.missingCode, "-1");
    EXPECT_EQ(parseOptions({"d.tsv", "--delimiter", "tab"}).import.delimiter, '\t');
    EXPECT_EQ(parseOptions({"d.csv"}).import.missingCode, "-99");

    // A .txt is the program's own text unless a delimited-text option says otherwise.
    EXPECT_EQ(kw::cli::fileKind(parseOptions({"d.txt"})), kw::DataFileKind::spaceText);
    EXPECT_EQ(kw::cli::fileKind(parseOptions({"d.txt", "--delimiter", ","})),
              kw::DataFileKind::delimitedText);

    // A workbook's sheet and block; with --to-sheet, --sheet stays the target's.
    auto book = parseOptions({"lab.XLSX", "--sheet", "Data", "--range", "A1:C40"});
    EXPECT_EQ(book.import.sheet, "Data");
    EXPECT_EQ(book.import.range, "A1:C40");
    EXPECT_FALSE(book.sheet);
    EXPECT_FALSE(book.range);
    auto target = parseOptions({"lab.ods", "--to-sheet", "--at", "A1", "--sheet", "Out"});
    EXPECT_EQ(*target.sheet, "Out");
    EXPECT_TRUE(target.import.sheet.empty());
}

TEST(Options, ReadingOptionsOutOfPlaceAreUsageErrors) {
    const std::vector<std::vector<std::string>> bad{
        {"d.txt", "--sheet", "S"},        // the program's text has no sheets
        {"d.txt", "--range", "A1:B2"},    // nor blocks
        {"d.txt", "--wide"},              // its layout is its own
        {"d.txt", "--na", "NA"},          //
        {"d.csv", "--delimiter", "ab"},   // one character
        {"d.csv", "--delimiter", "\""},   // not the quote
        {"d.csv", "--decimal", "dot"},    //
        {"d.csv", "--wide=yes"},          //
        {"d.xlsx", "--delimiter", ";"},   // no separators in a workbook
        {"d.sav", "--encoding", "UTF-8"}, //
        {"--from-sheet", "S", "--range", "A1:B2", "--wide"},
        {"d.xlsx", "--range", "A1"}, // not a block
    };
    for (const auto& args : bad) {
        EXPECT_THROW(parseOptions(args), UsageError) << args.front() << " " << args[1];
    }
}

} // namespace
