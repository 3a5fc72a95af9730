#include "json.h"
#include "options.h"

#include "grid.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using kw::cli::parseoptions;
using kw::cli::UsageError;

TEST(Options, ValuesFollowOrJoinTheirOption) {
    auto o = parseoptions({"data.txt", "--group", "g", "--test=x", "--missing", "-99", "--where",
                           "g=1", "--where=h<>a=b", "--alpha", "0.01", "--sort", "median",
                           "--group-as", "texts", "--report", "out.txt", "--json", "o.json"});
    EXPECT_EQ(o.file, "data.txt");
    EXPECT_EQ(*o.group, "g");
    EXPECT_EQ(*o.test, "x");
    EXPECT_EQ(*o.missing, "-99");
    EXPECT_EQ(o.where, (std::vector<std::string>{"g=1", "h<>a=b"}));
    EXPECT_EQ(*o.alpha, "0.01");
    EXPECT_EQ(*o.sort, "median");
    EXPECT_EQ(*o.groupas, "texts");
    EXPECT_EQ(*o.report, "out.txt");
    EXPECT_EQ(*o.json, "o.json");
    EXPECT_EQ(parseoptions({"--", "--odd-name"}).file, "--odd-name");
    EXPECT_TRUE(parseoptions({"--help"}).help);
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
        EXPECT_THROW(parseoptions(args), UsageError);
    }
}

TEST(Options, SpreadsheetSourcesAndTargets) {
    auto o = parseoptions({"--from-sheet", "Data", "--range", "b5:C11", "--book", "lab.ods",
                           "--empty-as", "NA", "--to-sheet", "--at", "C10", "--sheet", "Out",
                           "--counts-to-sheet", "--office", "mypipe"});
    EXPECT_TRUE(o.file.empty());
    EXPECT_EQ(*o.fromsheet, "Data");
    const auto range = kw::cli::parserange(*o.range);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->firstcolumn, "b");
    EXPECT_EQ(range->firstrow, "5");
    EXPECT_EQ(range->lastcolumn, "C");
    EXPECT_EQ(range->lastrow, "11");
    EXPECT_EQ(*o.book, "lab.ods");
    EXPECT_EQ(o.emptyas, "NA");
    EXPECT_TRUE(o.tosheet);
    EXPECT_EQ(*o.sheet, "Out");
    EXPECT_TRUE(o.countstosheet);
    EXPECT_EQ(*o.office, "mypipe");
    EXPECT_EQ(parseoptions({"d.txt"}).emptyas, "-99");
    EXPECT_TRUE(parseoptions({"d.txt", "--to-sheet", "--at", "A1", "--new-book"}).newbook);

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
    };
    for (const auto& args : bad) {
        EXPECT_THROW(parseoptions(args), UsageError) << args[0] << " " << args[1];
    }
}

TEST(Options, WhereSplitsAtTheFirstOperatorAfterAKnownName) {
    const std::vector<std::string> vars{"a", "b=c", "d"};
    auto w = kw::cli::splitwhere("a=1", vars);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->position, 0);
    EXPECT_EQ(w->operatorposition, 0);
    EXPECT_EQ(w->value, "1");
    w = kw::cli::splitwhere("b=c<>x=y", vars);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->position, 1);
    EXPECT_EQ(w->operatorposition, 1);
    EXPECT_EQ(w->value, "x=y");
    w = kw::cli::splitwhere("d=", vars);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->value, "");
    EXPECT_FALSE(kw::cli::splitwhere("zz=1", vars));
}

TEST(Json, StringsAreValidJsonWhateverTheBytes) {
    std::ostringstream out;
    kw::cli::writejsonstring(out, std::string("a\"b\\c\td\x01\xC3\xA9\xFF\xC3", 12));
    EXPECT_EQ(out.str(), "\"a\\\"b\\\\c\\u0009d\\u0001\xC3\xA9\\u00ff\\u00c3\"");
    kw::TextGrid g(2, 1);
    g.set(0, 0, "x");
    std::ostringstream grid;
    kw::cli::writejsongrid(grid, g);
    EXPECT_EQ(grid.str(), "[\n  [\"x\",\"\"]\n ]");
    std::ostringstream num;
    kw::cli::writejsonnumber(num, 0.1);
    EXPECT_EQ(num.str(), "0.1");
}

} // namespace
