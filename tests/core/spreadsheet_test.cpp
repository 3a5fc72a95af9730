#include "failure.h"
#include "memorylink.h"
#include "numbers.h"
#include "session.h"
#include "spreadsheet.h"
#include "textreader.h"

#include <gtest/gtest.h>

namespace {

using kw::CellValue;
using kw::Failure;
using kw::MemoryLink;
using kw::Session;

std::string failure(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Failure& f) {
        return f.message();
    }
    return {};
}

TEST(Spreadsheet, ColumnsAndTypedValues) {
    EXPECT_EQ(kw::colnumber("A"), 1);
    EXPECT_EQ(kw::colnumber("z"), 26);
    EXPECT_EQ(kw::colnumber("aa"), 27);
    EXPECT_EQ(kw::colnumber("AZ"), 52);
    EXPECT_EQ(kw::colnumber("IV"), 256);
    EXPECT_EQ(kw::colnumber("ZZ"), 702);
    EXPECT_EQ(kw::colnumber("ABC"), 28); // the third letter is ignored
    for (int c : {1, 26, 27, 52, 256, 702}) {
        EXPECT_EQ(kw::colnumber(kw::colletters(c)), c);
    }
    EXPECT_EQ(kw::typedvalue("12", '.'), CellValue::makeinteger(12));
    EXPECT_EQ(kw::typedvalue("-3", '.'), CellValue::makeinteger(-3));
    EXPECT_EQ(kw::typedvalue("2.5", '.'), CellValue::makereal(2.5));
    EXPECT_EQ(kw::typedvalue("2,5", '.'), CellValue::maketext("2,5"));
    EXPECT_EQ(kw::typedvalue("2,5", ','), CellValue::makereal(2.5));
    EXPECT_EQ(kw::typedvalue("12a", '.'), CellValue::maketext("12a"));
    EXPECT_EQ(kw::typedvalue("  NS  ", '.'), CellValue::maketext("  NS  "));
    EXPECT_EQ(kw::typedvalue("3000000000", '.'), CellValue::makereal(3e9)); // past 32 bits
    EXPECT_EQ(kw::typedvalue("", '.'), CellValue::makeempty());
}

TEST(Spreadsheet, NumberFormatsOfTheResultsBlock) {
    EXPECT_EQ(kw::formatscientific(0.0123, 3, 3, '.'), "1.23E-002");
    EXPECT_EQ(kw::formatscientific(0.5, 3, 3, '.'), "5.00E-001");
    EXPECT_EQ(kw::formatscientific(0, 3, 3, '.'), "0.00E+000");
    EXPECT_EQ(kw::formatscientific(1.511e-10, 3, 3, ','), "1,51E-010");
    EXPECT_EQ(kw::formatfixedprecision(0.05, 6, 4, '.'), "0.0500");
    EXPECT_EQ(kw::formatfixedprecision(54.6913, 9, 3, '.'), "54.691");
    EXPECT_EQ(kw::formatfixedprecision(0, 9, 3, '.'), "0.000");
    EXPECT_EQ(kw::formatfixedprecision(12345678901.0, 9, 3, '.'), "1.23456789E10");
}

// A book whose sheet "data" holds group and score from B5: names in row 5, cases below.
MemoryLink databook() {
    MemoryLink link;
    link.addbook("results.ods");
    link.addbook("data.ods");
    const char* groups[] = {"g", "a", "a", "b", "b", "c", "c"};
    const double scores[] = {0, 1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 7; ++i) {
        const std::string row = std::to_string(5 + i);
        link.set("data.ods", "data", "B" + row, CellValue::maketext(groups[i]));
        link.set("data.ods", "data", "C" + row,
                 i == 0 ? CellValue::maketext("score") : CellValue::makereal(scores[i]));
    }
    return link;
}

TEST(SpreadsheetRead, BlockBecomesTheDataTable) {
    MemoryLink link = databook();
    link.set("data.ods", "data", "C8", CellValue::makeempty());
    link.set("data.ods", "data", "C9", CellValue::maketext("  "));   // blanks only
    link.set("data.ods", "data", "C10", CellValue::maketext(" 7 ")); // kept as it is
    link.set("data.ods", "data", "C11", CellValue::makereal(2.5));
    Session s = [] {
        Session x;
        x.loadtable(kw::readtextdata("v w\n1 2\n"));
        x.addcondition(0, 1, "9");
        x.pickgroup(0);
        x.setgroupmode(kw::GroupMode::texts);
        return x;
    }();
    s.readspreadsheet(link, {"data", "b", "C", "5", "11", "-99"});
    EXPECT_EQ(s.missing(), "-99");
    EXPECT_EQ(s.variables(), (std::vector<std::string>{"g", "score"}));
    EXPECT_EQ(s.table().ncases(), 6);
    EXPECT_EQ(s.table().cell(2, 3), "-99"); // empty cell
    EXPECT_EQ(s.table().cell(2, 4), "-99"); // blanks only
    EXPECT_EQ(s.table().cell(2, 5), " 7 ");
    EXPECT_EQ(s.table().cell(2, 6), "2.5");
    EXPECT_EQ(s.table().cell(2, 1), "1");
    EXPECT_EQ(s.table().cell(0, 0), "input"); // the corner keeps its label
    EXPECT_EQ(s.groupcol(), 0);               // choices are reset ...
    EXPECT_EQ(s.conditions().size(), 1);      // ... the selection and mode are not
    EXPECT_EQ(s.groupmode(), kw::GroupMode::texts);
    EXPECT_EQ(link.books[std::size_t(link.activebook)].name, "data.ods");

    // The read data calculate like the same data from a text file.
    s.clearconditions();
    s.pickgroup(0);
    s.picktest(1);
    s.calculate();
    EXPECT_EQ(s.values().ngroups, 2); // group b held only the empty and the blank cell
    EXPECT_EQ(s.values().ntotal, 4);
}

TEST(SpreadsheetRead, RefusalsLeaveTheDataAlone) {
    MemoryLink link = databook();
    Session s;
    s.loadtable(kw::readtextdata("v w\n1 2\n"));
    const std::vector<std::pair<Session::SheetRange, std::string>> bad{
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
    link.maxcolumns = 256;
    for (const auto& [range, message] : bad) {
        EXPECT_EQ(failure([&] { s.readspreadsheet(link, range); }), message);
        EXPECT_EQ(s.variables(), (std::vector<std::string>{"v", "w"}));
    }
    EXPECT_EQ(s.missing(), "-99"); // the code is taken before the read is tried

    link.set("data.ods", "data", "C7", CellValue::makeerror("#DIV/0!"));
    EXPECT_EQ(failure([&] {
                  s.readspreadsheet(link, {"data", "B", "C", "5", "11", "x"});
              }),
              "the cell C7 holds an error value (#DIV/0!) instead of data: correct it in the "
              "sheet, or leave it out of the range");
    link.running = false;
    EXPECT_EQ(failure([&] {
                  s.readspreadsheet(link, {"data", "B", "C", "5", "11", "x"});
              }),
              "no spreadsheet application is running");
}

Session calculated(const std::string& text, const std::string& alpha = "0.05") {
    Session s;
    s.loadtable(kw::readtextdata(text));
    s.pickgroup(0);
    s.picktest(1);
    s.setalphatext(alpha);
    s.calculate();
    return s;
}

TEST(SpreadsheetSave, ResultsBlockLayout) {
    // Three constant groups: significant, a 5 x 5 comparison table.
    Session s = calculated("grp score\na 1\na 1\na 1\nb 2\nb 2\nb 2\nc 3\nc 3\nc 3\n");
    MemoryLink link;
    link.addbook("out.ods");
    s.savetospreadsheet(link, {false, "out.ods", true, "", "C", "10"});
    const auto& book = link.books[0];
    ASSERT_EQ(book.sheets.size(), 2u); // a new sheet after the last
    const auto& cells = book.sheets[1].cells;
    auto at = [&](const std::string& cell) {
        const auto digit = cell.find_first_of("0123456789");
        const auto it =
            cells.find({std::stoi(cell.substr(digit)), kw::colnumber(cell.substr(0, digit))});
        return it == cells.end() ? CellValue::makeempty() : it->second;
    };
    EXPECT_EQ(at("C10"), CellValue::maketext("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));
    EXPECT_EQ(at("H10"), CellValue::maketext("version:10.3"));
    EXPECT_EQ(at("C11"), CellValue::maketext("OVERALL TEST RESULTS"));
    EXPECT_EQ(at("H11").text.substr(0, 10), "test date:");
    EXPECT_EQ(at("C13"), CellValue::maketext("group: grp"));
    EXPECT_EQ(at("C14"), CellValue::maketext("test: score"));
    EXPECT_EQ(at("C15"), CellValue::maketext("Chi2: 8.000"));
    EXPECT_EQ(at("C16"), CellValue::maketext("df: 2"));
    EXPECT_EQ(at("C17"), CellValue::maketext("p: 1.83E-002"));
    EXPECT_EQ(at("C19"), CellValue::maketext("MULTIPLE COMPARISON OF GROUPS "));
    EXPECT_EQ(at("C20"), CellValue::maketext("* = significant at p<0.0500"));
    EXPECT_EQ(at("C21"), CellValue::maketext("grouped_by"));
    EXPECT_EQ(at("E22"), CellValue::makeinteger(1)); // the median of group a
    EXPECT_EQ(at("E23"), CellValue::maketext("   -  "));
    EXPECT_EQ(at("F23"), CellValue::maketext("   *  "));
    EXPECT_EQ(at("G25"), CellValue::maketext("   -  "));
    // 16 rows by 6 columns, formatted 0.000 throughout, nothing outside.
    EXPECT_EQ(book.sheets[1].formats.size(), 16u * 6u);
    EXPECT_EQ(book.sheets[1].formats.at({10, 3}), "0.000");
    EXPECT_EQ(at("I10"), CellValue::makeempty());
    EXPECT_EQ(at("C26"), CellValue::makeempty());

    // p = alpha: no comparison, rows 11 on empty.
    Session t = calculated("g x\n1 1\n1 2\n1 3\n2 4\n2 5\n2 6\n");
    const std::string p = kw::formatgeneral(t.values().pvalue, 17);
    Session u = calculated("g x\n1 1\n1 2\n1 3\n2 4\n2 5\n2 6\n", p);
    kw::ResultsBlockData data;
    data.groupname = "g";
    data.testname = "x";
    data.chi2 = u.values().chi2;
    data.ngroups = 2;
    data.pvalue = u.values().pvalue;
    data.alpha = u.values().alpha;
    data.mulcompgrid = &u.mulcompgrid();
    data.date = "1/2/26";
    const kw::ValueTable block = kw::resultsblock(data, '.');
    EXPECT_EQ(block.rows(), 15);
    EXPECT_EQ(block.cols(), 6);
    EXPECT_EQ(block.at(9, 0), CellValue::maketext("NO MULTIPLE COMPARISON OF GROUPS "));
    EXPECT_EQ(block.at(10, 0), CellValue::makeempty());
}

TEST(SpreadsheetSave, BooksSheetsAndRefusals) {
    Session s = calculated("g x\n1 1\n1 2\n2 3\n2 4\n3 5\n3 6\n");
    MemoryLink link;
    link.addbook("a.ods");
    link.addbook("b.ods");
    // A named sheet of a named book: its cells inside the block are replaced, others stay.
    link.set("a.ods", "Sheet1", "A1", CellValue::maketext("keep"));
    link.set("a.ods", "Sheet1", "B3", CellValue::maketext("overwritten"));
    s.savetospreadsheet(link, {false, "A.ODS", false, "sheet1", "B", "2"});
    EXPECT_EQ(link.books[0].sheets[0].cells.at({1, 1}), CellValue::maketext("keep"));
    EXPECT_EQ(link.books[0].sheets[0].cells.at({3, 2}),
              CellValue::maketext("OVERALL TEST RESULTS"));
    EXPECT_EQ(link.activebook, 0);
    // A new book gets a new sheet.
    s.savetospreadsheet(link, {true, "", true, "", "A", "1"});
    EXPECT_EQ(link.books.size(), 3u);
    EXPECT_EQ(link.books[2].sheets.size(), 2u);
    EXPECT_EQ(failure([&] {
                  s.savetospreadsheet(link, {false, "none.ods", true, "", "A", "1"});
              }),
              "there is no open book named 'none.ods'");
    EXPECT_EQ(failure([&] {
                  s.savetospreadsheet(link, {false, "a.ods", true, "", "A", "x1"});
              }),
              "'x1' is not a valid integer value");

    Session none;
    none.loadtable(kw::readtextdata("g x\n1 1\n2 2\n"));
    EXPECT_EQ(failure([&] {
                  none.savetospreadsheet(link, {true, "", true, "", "A", "1"});
              }),
              "there are no results to save yet: press calculate first");
}

TEST(SpreadsheetSave, BlockBelowTheLastRowNumberIsRefusedBeforeAnythingIsCreated) {
    // A block of 15 rows ends 14 rows below where it starts: from row 2147483634 on it would
    // end past the largest row number, and is refused instead of the sum wrapping around.
    // (The in-memory sheet is as tall as there are row numbers.)
    Session s = calculated("g x\n1 1\n1 2\n2 3\n2 4\n");
    MemoryLink link;
    link.addbook("a.ods");
    link.maxrows = 2147483647;
    for (const char* row : {"2147483647", "2147483634"}) {
        EXPECT_EQ(failure([&] {
                      s.savetospreadsheet(link, {true, "", true, "", "A", row});
                  }),
                  std::string("the results block does not fit on a sheet below row ") + row);
    }
    EXPECT_EQ(link.books.size(), 1u);
    EXPECT_EQ(link.books[0].sheets.size(), 1u);
    // One row higher it ends on the last row number itself.
    s.savetospreadsheet(link, {false, "a.ods", false, "Sheet1", "A", "2147483633"});
    const auto& sheet = link.books[0].sheets[0];
    EXPECT_EQ(sheet.cells.at({2147483633, 1}),
              CellValue::maketext("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));
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
        link.addbook("big.ods");
        if (k == 250) {
            s.checkspreadsheetsave();
            s.savetospreadsheet(link, {false, "big.ods", true, "", "A", "1"});
            // 263 rows by 252 columns
            EXPECT_EQ(link.books[0].sheets[1].formats.size(), 263u * 252u);
        } else {
            try {
                s.checkspreadsheetsave();
                FAIL();
            } catch (const Failure& f) {
                EXPECT_EQ(f.caption(), "WARNING");
                EXPECT_EQ(f.message(),
                          "You have more then 250 groups. You can not save the results to Excel");
                EXPECT_EQ(f.helppage(), 9);
            }
            EXPECT_THROW(s.savetospreadsheet(link, {false, "big.ods", true, "", "A", "1"}),
                         Failure);
            EXPECT_EQ(link.books[0].sheets.size(), 1u); // nothing created
        }
    }
}

TEST(SpreadsheetSave, CountsGoToANewSheetAtA1) {
    Session s = calculated("g x\n1 1\n1 2\n2 2\n2 3\n");
    MemoryLink link;
    link.addbook("c.ods");
    link.connected = true;
    s.countstospreadsheet(link);
    const auto& sheets = link.books[0].sheets;
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(link.books[0].activesheet, 0); // inserted before the active sheet
    const auto& cells = sheets[0].cells;
    // countgrid: 3 columns, 5 rows -> A1:D6, last row and column empty.
    EXPECT_EQ(sheets[0].formats.size(), 6u * 4u);
    EXPECT_EQ(cells.at({2, 1}), CellValue::maketext("values"));
    EXPECT_EQ(cells.at({1, 2}), CellValue::maketext("groups"));
    EXPECT_EQ(cells.at({3, 1}), CellValue::makeinteger(1));
    EXPECT_EQ(cells.at({4, 3}), CellValue::makeinteger(1));
    EXPECT_EQ(cells.count({6, 1}), 0u);
    EXPECT_FALSE(link.connected); // the export lets the application go
}

} // namespace
