// Names of books and sheets: comparison, lookup, the lists shown, names Excel refuses.

#include "com/excelnames.h"

#include <gtest/gtest.h>

namespace kw::com {
namespace {

TEST(ExcelNames, SameIgnoringAsciiCase) {
    EXPECT_TRUE(asciiSame("Personal.XLS", "personal.xls"));
    EXPECT_FALSE(asciiSame("personal.xls", "personal.xlsx"));
    EXPECT_FALSE(asciiSame("a[", "A{")); // only letters fold
    EXPECT_TRUE(asciiSame("", ""));
}

TEST(ExcelNames, BookListing) {
    // Excel's order kept, the active one selected with letter case ignored.
    auto l = bookListing({"Book1", "Data.xlsx"}, std::string("DATA.XLSX"), asciiSame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"Book1", "Data.xlsx"}));
    EXPECT_EQ(l.active, 1);
    // No active book, or one not in the list: none selected.
    EXPECT_EQ(bookListing({"Book1"}, std::nullopt, asciiSame).active, -1);
    EXPECT_EQ(bookListing({"Book1"}, std::string("Other"), asciiSame).active, -1);
    EXPECT_EQ(bookListing({}, std::nullopt, asciiSame).names.size(), 0u);
}

TEST(ExcelNames, PersonalWorkbookLeftOut) {
    // Before the active one: the selection moves with it.
    auto l = bookListing({"PERSONAL.XLS", "a.xls", "b.xls"}, std::string("b.xls"), asciiSame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"a.xls", "b.xls"}));
    EXPECT_EQ(l.active, 1);
    // After the active one: the selection stays.
    l = bookListing({"a.xls", "b.xls", "Personal.xlsb"}, std::string("a.xls"), asciiSame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"a.xls", "b.xls"}));
    EXPECT_EQ(l.active, 0);
    // Only the first one goes.
    l = bookListing({"personal.xls", "x", "PERSONAL.XLS"}, std::nullopt, asciiSame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"x", "PERSONAL.XLS"}));
    // The personal workbook active: nothing selected.
    l = bookListing({"a", "PERSONAL.XLSB"}, std::string("personal.xlsb"), asciiSame);
    EXPECT_EQ(l.names, (std::vector<std::string>{"a"}));
    EXPECT_EQ(l.active, -1);
    // Names that only begin like it stay.
    l = bookListing({"personal.xlsx", "personal.xls.bak"}, std::nullopt, asciiSame);
    EXPECT_EQ(l.names.size(), 2u);
}

TEST(ExcelNames, SheetListingKeepsEveryName) {
    auto l = sheetListing({"PERSONAL.XLS", "Sheet2"}, std::string("sheet2"), asciiSame);
    EXPECT_EQ(l.names.size(), 2u);
    EXPECT_EQ(l.active, 1);
}

TEST(ExcelNames, FindNamePrefersTheExactName) {
    const std::vector<std::string> names{"data", "Data"};
    EXPECT_EQ(findName(names, "Data", asciiSame), 1u);
    EXPECT_EQ(findName(names, "DATA", asciiSame), 0u);
    EXPECT_FALSE(findName(names, "dat", asciiSame));
}

TEST(ExcelNames, SheetNamesExcelRefuses) {
    EXPECT_FALSE(sheetNameProblem("Results"));
    EXPECT_FALSE(sheetNameProblem("Résultats 2012 (1)"));
    EXPECT_FALSE(sheetNameProblem(std::string(31, 'x')));
    // 31 characters of two bytes each are still 31 characters.
    std::string wide;
    for (int i = 0; i < 31; ++i) {
        wide += "\xc3\xa9";
    }
    EXPECT_FALSE(sheetNameProblem(wide));
    EXPECT_TRUE(sheetNameProblem(wide + "x"));
    EXPECT_TRUE(sheetNameProblem(std::string(32, 'x')));
    EXPECT_TRUE(sheetNameProblem(""));
    for (const char* bad : {"a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b"}) {
        const auto problem = sheetNameProblem(bad);
        ASSERT_TRUE(problem) << bad;
        EXPECT_NE(problem->find(bad), std::string::npos) << *problem;
    }
    EXPECT_TRUE(sheetNameProblem("'quoted"));
    EXPECT_TRUE(sheetNameProblem("quoted'"));
    EXPECT_FALSE(sheetNameProblem("it's"));
    EXPECT_TRUE(sheetNameProblem("history"));
    EXPECT_FALSE(sheetNameProblem("History1"));
}

} // namespace
} // namespace kw::com
