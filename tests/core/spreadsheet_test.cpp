#include "core/base/failure.h"
#include "core/base/numbers.h"
#include "core/io/textreader.h"
#include "core/session/session.h"
#include "core/sheet/cellvalues.h"
#include "core/sheet/sheetblocks.h"
#include "core/sheet/spreadsheetlink.h"
#include "support/memorylink.h"
#include "support/sessionsteps.h"

#include <gtest/gtest.h>

namespace {

using kw::CellValue;
using kw::Failure;
using kw::Session;
using kw::test::MemoryLink;

std::string failure(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Failure& f) {
        return f.message();
    }
    return {};
}

TEST(Spreadsheet, ColumnsAndTypedValues) {
    EXPECT_EQ(kw::columnNumber("A"), 1);
    EXPECT_EQ(kw::columnNumber("z"), 26);
    EXPECT_EQ(kw::columnNumber("aa"), 27);
    EXPECT_EQ(kw::columnNumber("AZ"), 52);
    EXPECT_EQ(kw::columnNumber("IV"), 256);
    EXPECT_EQ(kw::columnNumber("ZZ"), 702);
    EXPECT_EQ(kw::columnNumber("ABC"), 28); // the third letter is ignored
    for (int c : {1, 26, 27, 52, 256, 702}) {
        EXPECT_EQ(kw::columnNumber(kw::columnLetters(c)), c);
    }
    EXPECT_EQ(kw::typedValue("12", '.'), CellValue::makeInteger(12));
    EXPECT_EQ(kw::typedValue("-3", '.'), CellValue::makeInteger(-3));
    EXPECT_EQ(kw::typedValue("2.5", '.'), CellValue::makeReal(2.5));
    EXPECT_EQ(kw::typedValue("2,5", '.'), CellValue::makeText("2,5"));
    EXPECT_EQ(kw::typedValue("2,5", ','), CellValue::makeReal(2.5));
    EXPECT_EQ(kw::typedValue("12a", '.'), CellValue::makeText("12a"));
    EXPECT_EQ(kw::typedValue("  NS  ", '.'), CellValue::makeText("  NS  "));
    EXPECT_EQ(kw::typedValue("3000000000", '.'), CellValue::makeReal(3e9)); // past 32 bits
    EXPECT_EQ(kw::typedValue("", '.'), CellValue::makeEmpty());
}

TEST(Spreadsheet, NumberFormatsOfTheResultsBlock) {
    EXPECT_EQ(kw::formatScientific(0.0123, 3, 3, '.'), "1.23E-002");
    EXPECT_EQ(kw::formatScientific(0.5, 3, 3, '.'), "5.00E-001");
    EXPECT_EQ(kw::formatScientific(0, 3, 3, '.'), "0.00E+000");
    EXPECT_EQ(kw::formatScientific(1.511e-10, 3, 3, ','), "1,51E-010");
    EXPECT_EQ(kw::formatFixedPrecision(0.05, 6, 4, '.'), "0.0500");
    EXPECT_EQ(kw::formatFixedPrecision(54.6913, 9, 3, '.'), "54.691");
    EXPECT_EQ(kw::formatFixedPrecision(0, 9, 3, '.'), "0.000");
    EXPECT_EQ(kw::formatFixedPrecision(12345678901.0, 9, 3, '.'), "1.23456789E10");
}

// A book whose sheet "data" holds group and score from B5: names in row 5, cases below.
MemoryLink databook() {
    MemoryLink link;
    link.addBook("results.ods");
    link.addBook("data.ods");
    const char* groups[] = {"g", "a", "a", "b", "b", "c", "c"};
    const double scores[] = {0, 1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 7; ++i) {
        const std::string row = std::to_string(5 + i);
        link.set("data.ods", "data", "B" + row, CellValue::makeText(groups[i]));
        link.set("data.ods", "data", "C" + row,
                 i == 0 ? CellValue::makeText("score") : CellValue::makeReal(scores[i]));
    }
    return link;
}

TEST(SpreadsheetRead, BlockBecomesTheDataTable) {
    MemoryLink link = databook();
    link.set("data.ods", "data", "C8", CellValue::makeEmpty());
    link.set("data.ods", "data", "C9", CellValue::makeText("  "));   // blanks only
    link.set("data.ods", "data", "C10", CellValue::makeText(" 7 ")); // kept as it is
    link.set("data.ods", "data", "C11", CellValue::makeReal(2.5));
    Session s = [] {
        Session x;
        x.loadTable(kw::readTextData("v w\n1 2\n"));
        x.addCondition(0, 1, "9");
        x.pickGroup(0);
        x.setGroupMode(kw::GroupMode::texts);
        return x;
    }();
    kw::test::readSheet(s, link, {"data", "b", "C", "5", "11", "-99"});
    EXPECT_EQ(s.missingCode(), "-99");
    EXPECT_EQ(s.variables(), (std::vector<std::string>{"g", "score"}));
    EXPECT_EQ(s.table().caseCount(), 6);
    EXPECT_EQ(s.table().cell(2, 3), "-99"); // empty cell
    EXPECT_EQ(s.table().cell(2, 4), "-99"); // blanks only
    EXPECT_EQ(s.table().cell(2, 5), " 7 ");
    EXPECT_EQ(s.table().cell(2, 6), "2.5");
    EXPECT_EQ(s.table().cell(2, 1), "1");
    EXPECT_EQ(s.table().cell(0, 0), "input"); // the corner keeps its label
    EXPECT_EQ(s.groupColumn(), 0);            // choices are reset ...
    EXPECT_EQ(s.conditions().size(), 1);      // ... the selection and mode are not
    EXPECT_EQ(s.groupMode(), kw::GroupMode::texts);
    EXPECT_EQ(link.books[std::size_t(link.activeBook)].name, "data.ods");

    // The read data calculate like the same data from a text file.
    s.clearConditions();
    s.pickGroup(0);
    s.pickTest(1);
    kw::test::calculate(s);
    EXPECT_EQ(s.values().groupCount, 2); // group b held only the empty and the blank cell
    EXPECT_EQ(s.values().caseCount, 4);
}

TEST(SpreadsheetRead, RefusalsLeaveTheDataAlone) {
    MemoryLink link = databook();
    Session s;
    s.loadTable(kw::readTextData("v w\n1 2\n"));
    const std::vector<std::pair<kw::SheetRange, std::string>> bad{
        {{"data", "C", "B", "5", "11", "-99"}, "the last column comes before the first"},
        {{"data", "B", "C", "11", "5", "-99"}, "the last row comes before the first"},
        {{"data", "B", "C", "5", "5", "-99"},
         "the range holds only the row of names: it needs at least one row of cases below it"},
        {{"data", "B", "B", "5", "5", "-99"},
         "the range holds only the row of names: it needs at least one row of cases below it"},
        {{"data", "B", "C", "5", "99999999999", "-99"},
         "'99999999999' is not a valid integer value"},
        {{"data", "B", "C", "0", "11", "-99"}, "row numbers start at 1"},
        {{"nosuch", "B", "C", "5", "11", "-99"}, "the book 'data.ods' has no sheet named 'nosuch'"},
        {{"data", "IV", "IW", "5", "11", "-99"},
         "the block reaches past the last column or row of the sheet"},
        {{"data", "A", "ZZ", "1", "1048576", "-99"},
         "the range holds 736100352 cells: at most 20000000 can be read at once"},
    };
    link.maxColumns = 256;
    for (const auto& [range, message] : bad) {
        EXPECT_EQ(failure([&] { kw::test::readSheet(s, link, range); }), message);
        EXPECT_EQ(s.variables(), (std::vector<std::string>{"v", "w"}));
    }
    EXPECT_EQ(s.missingCode(), "-99"); // the code is taken before the read is tried

    link.set("data.ods", "data", "C7", CellValue::makeError("#DIV/0!"));
    EXPECT_EQ(failure([&] {
                  kw::test::readSheet(s, link, {"data", "B", "C", "5", "11", "x"});
              }),
              "the cell C7 holds an error value (#DIV/0!) instead of data: correct it in the "
              "sheet, or leave it out of the range");
    link.running = false;
    EXPECT_EQ(failure([&] {
                  kw::test::readSheet(s, link, {"data", "B", "C", "5", "11", "x"});
              }),
              "no spreadsheet application is running");
}

Session calculated(const std::string& text, const std::string& alpha = "0.05") {
    Session s;
    s.loadTable(kw::readTextData(text));
    s.pickGroup(0);
    s.pickTest(1);
    s.setAlphaText(alpha);
    kw::test::calculate(s);
    return s;
}

TEST(SpreadsheetSave, ResultsBlockLayout) {
    // Three constant groups: significant, a 5 x 5 comparison table.
    Session s = calculated("grp score\na 1\na 1\na 1\nb 2\nb 2\nb 2\nc 3\nc 3\nc 3\n");
    MemoryLink link;
    link.addBook("out.ods");
    s.saveToSheet(link, {false, "out.ods", true, "", "C", "10"});
    const auto& book = link.books[0];
    ASSERT_EQ(book.sheets.size(), 2u); // a new sheet after the last
    const auto& cells = book.sheets[1].cells;
    auto at = [&](const std::string& cell) {
        const auto digit = cell.find_first_of("0123456789");
        const auto it =
            cells.find({std::stoi(cell.substr(digit)), kw::columnNumber(cell.substr(0, digit))});
        return it == cells.end() ? CellValue::makeEmpty() : it->second;
    };
    EXPECT_EQ(at("C10"), CellValue::makeText("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));
    EXPECT_EQ(at("H10"), CellValue::makeText("version:10.3"));
    EXPECT_EQ(at("C11"), CellValue::makeText("OVERALL TEST RESULTS"));
    EXPECT_EQ(at("H11").text.substr(0, 10), "test date:");
    EXPECT_EQ(at("C13"), CellValue::makeText("group: grp"));
    EXPECT_EQ(at("C14"), CellValue::makeText("test: score"));
    EXPECT_EQ(at("C15"), CellValue::makeText("Chi2: 8.000"));
    EXPECT_EQ(at("C16"), CellValue::makeText("df: 2"));
    EXPECT_EQ(at("C17"), CellValue::makeText("p: 1.83E-002"));
    EXPECT_EQ(at("C19"), CellValue::makeText("MULTIPLE COMPARISON OF GROUPS "));
    EXPECT_EQ(at("C20"), CellValue::makeText("* = significant at p<0.0500"));
    EXPECT_EQ(at("C21"), CellValue::makeText("grouped_by"));
    EXPECT_EQ(at("E22"), CellValue::makeInteger(1)); // the median of group a
    EXPECT_EQ(at("E23"), CellValue::makeText("   -  "));
    EXPECT_EQ(at("F23"), CellValue::makeText("   *  "));
    EXPECT_EQ(at("G25"), CellValue::makeText("   -  "));
    // 16 rows by 6 columns, formatted 0.000 throughout, nothing outside.
    EXPECT_EQ(book.sheets[1].formats.size(), 16u * 6u);
    EXPECT_EQ(book.sheets[1].formats.at({10, 3}), "0.000");
    EXPECT_EQ(at("I10"), CellValue::makeEmpty());
    EXPECT_EQ(at("C26"), CellValue::makeEmpty());

    // p = alpha: no comparison, rows 11 on empty.
    Session t = calculated("g x\n1 1\n1 2\n1 3\n2 4\n2 5\n2 6\n");
    const std::string p = kw::formatGeneral(t.values().pValue, 17);
    Session u = calculated("g x\n1 1\n1 2\n1 3\n2 4\n2 5\n2 6\n", p);
    kw::ResultsBlockData data;
    data.groupName = "g";
    data.testName = "x";
    data.chiSquare = u.values().chiSquare;
    data.groupCount = 2;
    data.pValue = u.values().pValue;
    data.alpha = u.values().alpha;
    data.comparisonGrid = u.grids().comparison.get();
    data.date = "1/2/26";
    const kw::ValueTable block = kw::resultsBlock(data, '.');
    EXPECT_EQ(block.rowCount(), 15);
    EXPECT_EQ(block.columnCount(), 6);
    EXPECT_EQ(block.at(9, 0), CellValue::makeText("NO MULTIPLE COMPARISON OF GROUPS "));
    EXPECT_EQ(block.at(10, 0), CellValue::makeEmpty());
}

TEST(SpreadsheetSave, BooksSheetsAndRefusals) {
    Session s = calculated("g x\n1 1\n1 2\n2 3\n2 4\n3 5\n3 6\n");
    MemoryLink link;
    link.addBook("a.ods");
    link.addBook("b.ods");
    // A named sheet of a named book: its cells inside the block are replaced, others stay.
    link.set("a.ods", "Sheet1", "A1", CellValue::makeText("keep"));
    link.set("a.ods", "Sheet1", "B3", CellValue::makeText("overwritten"));
    s.saveToSheet(link, {false, "A.ODS", false, "sheet1", "B", "2"});
    EXPECT_EQ(link.books[0].sheets[0].cells.at({1, 1}), CellValue::makeText("keep"));
    EXPECT_EQ(link.books[0].sheets[0].cells.at({3, 2}),
              CellValue::makeText("OVERALL TEST RESULTS"));
    EXPECT_EQ(link.activeBook, 0);
    // A new book gets a new sheet.
    s.saveToSheet(link, {true, "", true, "", "A", "1"});
    EXPECT_EQ(link.books.size(), 3u);
    EXPECT_EQ(link.books[2].sheets.size(), 2u);
    EXPECT_EQ(failure([&] {
                  s.saveToSheet(link, {false, "none.ods", true, "", "A", "1"});
              }),
              "there is no open book named 'none.ods'");
    EXPECT_EQ(failure([&] {
                  s.saveToSheet(link, {false, "a.ods", true, "", "A", "x1"});
              }),
              "'x1' is not a valid integer value");

    Session none;
    none.loadTable(kw::readTextData("g x\n1 1\n2 2\n"));
    EXPECT_EQ(failure([&] {
                  none.saveToSheet(link, {true, "", true, "", "A", "1"});
              }),
              "there are no results to save yet: press calculate first");
}

TEST(SpreadsheetSave, BlockBelowTheLastRowNumberIsRefusedBeforeAnythingIsCreated) {
    // A block of 15 rows ends 14 rows below where it starts: from row 2147483634 on it would
    // end past the largest row number, and is refused instead of the sum wrapping around.
    // (The in-memory sheet is as tall as there are row numbers.)
    Session s = calculated("g x\n1 1\n1 2\n2 3\n2 4\n");
    MemoryLink link;
    link.addBook("a.ods");
    link.maxRows = 2147483647;
    for (const char* row : {"2147483647", "2147483634"}) {
        EXPECT_EQ(failure([&] {
                      s.saveToSheet(link, {true, "", true, "", "A", row});
                  }),
                  std::string("the results block does not fit on a sheet below row ") + row);
    }
    EXPECT_EQ(link.books.size(), 1u);
    EXPECT_EQ(link.books[0].sheets.size(), 1u);
    // One row higher it ends on the last row number itself.
    s.saveToSheet(link, {false, "a.ods", false, "Sheet1", "A", "2147483633"});
    const auto& sheet = link.books[0].sheets[0];
    EXPECT_EQ(sheet.cells.at({2147483633, 1}),
              CellValue::makeText("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));
    EXPECT_EQ(sheet.formats.size(), 15u * 6u);
    EXPECT_EQ(sheet.formats.count({2147483647, 6}), 1u);
}

TEST(SpreadsheetSave, MoreThan250GroupsCannotBeSaved) {
    for (int k : {250, 251}) {
        std::string text = "g x\n";
        for (int g = 1; g <= k; ++g) {
            text += std::to_string(g) + " " + std::to_string(g) + "\n" + std::to_string(g) + " " +
                    std::to_string(g + 1) + "\n";
        }
        Session s = calculated(text);
        MemoryLink link;
        link.addBook("big.ods");
        if (k == 250) {
            s.checkSheetSave();
            s.saveToSheet(link, {false, "big.ods", true, "", "A", "1"});
            // 263 rows by 252 columns
            EXPECT_EQ(link.books[0].sheets[1].formats.size(), 263u * 252u);
        } else {
            try {
                s.checkSheetSave();
                FAIL();
            } catch (const Failure& f) {
                EXPECT_EQ(f.caption(), "WARNING");
                EXPECT_EQ(f.message(),
                          "You have more then 250 groups. You can not save the results to Excel");
                EXPECT_EQ(f.helpPage(), 9);
            }
            EXPECT_THROW(s.saveToSheet(link, {false, "big.ods", true, "", "A", "1"}), Failure);
            EXPECT_EQ(link.books[0].sheets.size(), 1u); // nothing created
        }
    }
}

TEST(SpreadsheetSave, CountsGoToANewSheetAtA1) {
    Session s = calculated("g x\n1 1\n1 2\n2 2\n2 3\n");
    MemoryLink link;
    link.addBook("c.ods");
    link.connected = true;
    s.countsToSheet(link);
    const auto& sheets = link.books[0].sheets;
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(link.books[0].activeSheet, 0); // inserted before the active sheet
    const auto& cells = sheets[0].cells;
    // countgrid: 3 columns, 5 rows -> A1:D6, last row and column empty.
    EXPECT_EQ(sheets[0].formats.size(), 6u * 4u);
    EXPECT_EQ(cells.at({2, 1}), CellValue::makeText("values"));
    EXPECT_EQ(cells.at({1, 2}), CellValue::makeText("groups"));
    EXPECT_EQ(cells.at({3, 1}), CellValue::makeInteger(1));
    EXPECT_EQ(cells.at({4, 3}), CellValue::makeInteger(1));
    EXPECT_EQ(cells.count({6, 1}), 0u);
    EXPECT_FALSE(link.connected); // the export lets the application go
}

} // namespace
