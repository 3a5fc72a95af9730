// The Calc link against a real headless LibreOffice, started once for the whole program.

#include "calcprobe.h"
#include "headlessoffice.h"

#include "core/base/failure.h"
#include "core/session/session.h"
#include "core/sheet/cellvalues.h"
#include "support/sessionsteps.h"
#include "uno/calclink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace kw {

// Readable values in the tests' messages.
void PrintTo(const CellValue& v, std::ostream* out) {
    static const char* const kinds[] = {"empty", "integer", "real", "text", "error"};
    *out << kinds[static_cast<int>(v.kind)] << "(";
    if (v.kind == CellValue::Kind::integer) {
        *out << v.integer;
    } else if (v.kind == CellValue::Kind::real) {
        *out << v.real;
    } else {
        *out << '"' << v.text << '"';
    }
    *out << ")";
}

void PrintTo(Failure::Reason reason, std::ostream* out) {
    switch (reason) {
    case Failure::Reason::noSpreadsheet:
        *out << "noSpreadsheet";
        break;
    case Failure::Reason::spreadsheet:
        *out << "spreadsheet";
        break;
    case Failure::Reason::badData:
        *out << "badData";
        break;
    default:
        *out << "reason " << static_cast<int>(reason);
        break;
    }
}

} // namespace kw

namespace {

using kw::CellValue;
using Reason = kw::Failure::Reason;
using kw::ValueTable;
using kw::test::CalcProbe;
using kw::test::HeadlessOffice;
using namespace std::chrono_literals;

class OfficeEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        try {
            office = std::make_unique<HeadlessOffice>();
        } catch (const std::exception& e) {
            FAIL() << e.what();
        }
    }
    void TearDown() override { office.reset(); }

    static inline std::unique_ptr<HeadlessOffice> office;
};

// The message and the reason of the kw::Failure that `fn` throws; "" and no reason when it
// throws none. Anything else thrown is a fault of the link, reported as such.
struct Caught {
    std::string message;
    std::optional<Reason> reason;
};

template <class Fn> Caught caught(Fn fn) {
    try {
        fn();
    } catch (const kw::Failure& f) {
        return {f.message(), f.reason()};
    } catch (const std::exception& e) {
        return {std::string("not a kw::Failure: ") + e.what(), std::nullopt};
    } catch (...) {
        return {"not a kw::Failure", std::nullopt};
    }
    return {};
}

template <class Fn> std::string failure(Fn fn) {
    return caught(fn).message;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using Names = std::vector<std::string>;

// Each test starts with an office without documents and a link of its own.
class Calc : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OfficeEnvironment::office) << "no office to test against";
        try {
            probe = std::make_unique<CalcProbe>(OfficeEnvironment::office->pipe());
            probe->closeAll();
        } catch (const std::exception& e) {
            FAIL() << "the office no longer answers: " << e.what();
        }
        link = kw::uno::makeCalcLink(OfficeEnvironment::office->pipe());
    }

    // A new book through the link; its title.
    std::string newBook() {
        link->newBook();
        const auto books = link->listBooks();
        return books.names.at(static_cast<std::size_t>(books.active));
    }

    std::unique_ptr<CalcProbe> probe;
    std::unique_ptr<kw::SpreadsheetLink> link;
};

TEST_F(Calc, BooksAndSheetsAreListedCreatedAndSelected) {
    EXPECT_TRUE(link->listBooks().names.empty());
    EXPECT_EQ(link->listBooks().active, -1);
    EXPECT_TRUE(link->listSheets().names.empty());
    const Caught noDocument = caught([&] { link->readRange(1, 1, 1, 1); });
    EXPECT_NE(noDocument.message.find("no spreadsheet document"), std::string::npos);
    EXPECT_EQ(noDocument.reason, Reason::spreadsheet) << "the office is there";

    const std::string first = newBook();
    const std::string second = newBook();
    auto books = link->listBooks();
    EXPECT_EQ(books.names, probe->titles());
    EXPECT_EQ(books.names, (Names{first, second}));
    EXPECT_EQ(books.active, 1);
    EXPECT_FALSE(probe->visible(second)) << "a headless office gets hidden documents";

    EXPECT_EQ(link->listSheets().names, Names{"Sheet1"});
    EXPECT_EQ(link->newSheet(std::nullopt), "Sheet2"); // before the active sheet
    EXPECT_EQ(probe->sheets(second), (Names{"Sheet2", "Sheet1"}));
    EXPECT_EQ(probe->activeSheet(second), "Sheet2");
    EXPECT_EQ(link->appendSheet("Data"), "Data");
    EXPECT_EQ(probe->activeSheet(second), "Data");
    EXPECT_EQ(link->newSheet("Front"), "Front");
    EXPECT_EQ(link->appendSheet(std::nullopt), "Sheet5");
    EXPECT_EQ(probe->sheets(second), (Names{"Sheet2", "Sheet1", "Front", "Data", "Sheet5"}));
    auto sheets = link->listSheets();
    EXPECT_EQ(sheets.names, probe->sheets(second));
    EXPECT_EQ(sheets.active, 4);

    link->selectSheet("sheet1"); // letter case does not matter
    EXPECT_EQ(probe->activeSheet(second), "Sheet1");
    EXPECT_EQ(link->listSheets().active, 1);

    EXPECT_EQ(failure([&] { link->newSheet("DATA"); }),
              "the document '" + second + "' already has a sheet named 'DATA'");
    EXPECT_EQ(failure([&] { link->appendSheet("a:b"); }).find("'a:b' cannot name a sheet"), 0U);
    EXPECT_EQ(probe->sheets(second).size(), 5U);
    const Caught missing = caught([&] { link->selectSheet("Missing"); });
    EXPECT_EQ(missing.message, "the document '" + second + "' has no sheet named 'Missing'");
    EXPECT_EQ(missing.reason, Reason::spreadsheet);
    EXPECT_EQ(failure([&] { link->selectBook("No such book"); }),
              "there is no open spreadsheet document named 'No such book' in LibreOffice Calc");

    link->selectBook(first);
    books = link->listBooks();
    EXPECT_EQ(books.active, 0);
    EXPECT_EQ(link->listSheets().names, Names{"Sheet1"});
    link->selectBook(second); // each book keeps its own active sheet
    EXPECT_EQ(link->listSheets().active, 1);
}

TEST_F(Calc, BlocksComeFromTheSelectedBookAndSheet) {
    const std::string first = newBook();
    const std::string second = newBook();
    link->appendSheet("Data");
    probe->put(first, "Sheet1", 3, 2, CalcProbe::txt("first book"));
    probe->put(second, "Sheet1", 3, 2, CalcProbe::txt("second book"));
    probe->put(second, "Data", 3, 2, CalcProbe::txt("data sheet"));

    EXPECT_EQ(link->readRange(3, 3, 2, 2).at(0, 0), CellValue::makeText("data sheet"));
    link->selectSheet("Sheet1");
    EXPECT_EQ(link->readRange(3, 3, 2, 2).at(0, 0), CellValue::makeText("second book"));
    link->selectBook(first);
    EXPECT_EQ(link->readRange(3, 3, 2, 2).at(0, 0), CellValue::makeText("first book"));

    // A link made afresh finds the book and sheet the office has active.
    link = kw::uno::makeCalcLink(OfficeEnvironment::office->pipe());
    EXPECT_EQ(link->readRange(3, 3, 2, 2).at(0, 0), CellValue::makeText("first book"));
}

TEST_F(Calc, ReadGivesNumbersTextsEmptyCellsAndErrors) {
    const std::string book = newBook();
    const auto put = [&](int col, int row, const CalcProbe::Input& in) {
        probe->put(book, "Sheet1", col, row, in);
    };
    put(1, 1, CalcProbe::txt("group"));
    put(2, 1, CalcProbe::txt("value"));
    put(3, 1, CalcProbe::txt("note"));
    put(1, 2, CalcProbe::num(1));
    put(2, 2, CalcProbe::num(2.5));
    put(3, 2, CalcProbe::txt("007"));
    put(1, 3, CalcProbe::num(2));
    put(2, 3, CalcProbe::num(-3));
    put(3, 3, CalcProbe::txt("  "));
    put(1, 4, CalcProbe::txt("x y"));
    put(2, 4, CalcProbe::fx("=1/0"));
    put(2, 5, CalcProbe::fx("=NA()"));
    put(3, 5, CalcProbe::fx("=2*3"));

    const ValueTable t = link->readRange(1, 3, 1, 5);
    ASSERT_EQ(t.rowCount(), 5);
    ASSERT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.at(0, 0), CellValue::makeText("group"));
    EXPECT_EQ(t.at(0, 2), CellValue::makeText("note"));
    EXPECT_EQ(t.at(1, 0), CellValue::makeReal(1));
    EXPECT_EQ(t.at(1, 1), CellValue::makeReal(2.5));
    EXPECT_EQ(t.at(1, 2), CellValue::makeText("007"));
    EXPECT_EQ(t.at(2, 1), CellValue::makeReal(-3));
    EXPECT_EQ(t.at(2, 2), CellValue::makeText("  "));
    EXPECT_EQ(t.at(3, 0), CellValue::makeText("x y"));
    EXPECT_EQ(t.at(3, 1), CellValue::makeError("#DIV/0!"));
    EXPECT_EQ(t.at(3, 2), CellValue::makeEmpty());
    EXPECT_EQ(t.at(4, 0), CellValue::makeEmpty());
    EXPECT_EQ(t.at(4, 1), CellValue::makeError("#N/A"));
    EXPECT_EQ(t.at(4, 2), CellValue::makeReal(6));

    // An inner block and a single cell: element (0, 0) is the block's first cell.
    const ValueTable inner = link->readRange(2, 3, 3, 4);
    ASSERT_EQ(inner.rowCount(), 2);
    ASSERT_EQ(inner.columnCount(), 2);
    EXPECT_EQ(inner.at(0, 0), CellValue::makeReal(-3));
    EXPECT_EQ(inner.at(1, 1), CellValue::makeEmpty());
    const ValueTable one = link->readRange(3, 3, 2, 2);
    ASSERT_EQ(one.rowCount(), 1);
    ASSERT_EQ(one.columnCount(), 1);
    EXPECT_EQ(one.at(0, 0), CellValue::makeText("007"));
}

TEST_F(Calc, WriteReplacesTheBlockAndGivesItTheNumberFormat) {
    const std::string book = newBook();
    probe->put(book, "Sheet1", 2, 5, CalcProbe::txt("old"));
    probe->put(book, "Sheet1", 3, 6, CalcProbe::num(9));
    probe->put(book, "Sheet1", 3, 7, CalcProbe::fx("=1+1"));
    probe->put(book, "Sheet1", 4, 5, CalcProbe::txt("right of it"));
    probe->put(book, "Sheet1", 2, 4, CalcProbe::txt("above it"));

    ValueTable t(3, 2);
    t.at(0, 0) = CellValue::makeInteger(12);
    t.at(0, 1) = CellValue::makeReal(2.5);
    t.at(1, 0) = CellValue::makeText(" NS ");
    t.at(1, 1) = CellValue::makeEmpty();
    t.at(2, 0) = CellValue::makeReal(-0.125);
    t.at(2, 1) = CellValue::makeText("a b");
    link->useActiveSheet();
    link->writeRange(2, 3, 5, 7, t, '.');

    struct Expected {
        int col, row;
        std::string type;
        std::string shown;
    };
    for (const Expected& e : {Expected{2, 5, "value", "12.000"}, Expected{3, 5, "value", "2.500"},
                              Expected{2, 6, "text", " NS "}, Expected{3, 6, "empty", ""},
                              Expected{2, 7, "value", "-0.125"}, Expected{3, 7, "text", "a b"}}) {
        const CalcProbe::Cell cell = probe->cell(book, "Sheet1", e.col, e.row);
        EXPECT_EQ(cell.type, e.type) << kw::columnLetters(e.col) << e.row;
        EXPECT_EQ(cell.text, e.shown) << kw::columnLetters(e.col) << e.row;
        EXPECT_EQ(cell.format, "0.000") << kw::columnLetters(e.col) << e.row;
    }
    EXPECT_DOUBLE_EQ(probe->cell(book, "Sheet1", 2, 7).value, -0.125);
    // Around the block nothing changes.
    for (const auto& [col, row] : {std::pair{4, 5}, std::pair{2, 4}}) {
        const CalcProbe::Cell cell = probe->cell(book, "Sheet1", col, row);
        EXPECT_EQ(cell.type, "text");
        EXPECT_EQ(cell.format, "General");
    }

    const ValueTable back = link->readRange(2, 3, 5, 7);
    EXPECT_EQ(back.at(0, 0), CellValue::makeReal(12));
    EXPECT_EQ(back.at(1, 0), CellValue::makeText(" NS "));
    EXPECT_EQ(back.at(1, 1), CellValue::makeEmpty());
    EXPECT_EQ(back.at(2, 1), CellValue::makeText("a b"));

    // With a comma as decimal mark the format has a comma too.
    ValueTable comma(1, 1);
    comma.at(0, 0) = CellValue::makeReal(2.5);
    link->writeRange(6, 6, 1, 1, comma, ',');
    const CalcProbe::Cell cell = probe->cell(book, "Sheet1", 6, 1);
    EXPECT_EQ(cell.format, "0,000");
    EXPECT_EQ(cell.text, "2,500");
}

TEST_F(Calc, BlocksOutsideTheSheetOrBackwardsAreRefused) {
    const std::string book = newBook();
    const int columns = probe->columns(book, "Sheet1");
    const int rows = probe->rows(book, "Sheet1");
    ASSERT_GT(columns, 2);

    EXPECT_EQ(link->readRange(columns, columns, rows, rows).at(0, 0), CellValue::makeEmpty());
    EXPECT_NE(failure([&] {
                  link->readRange(columns, columns + 1, 1, 1);
              }).find("reaches past the last column of the sheet"),
              std::string::npos);
    EXPECT_NE(failure([&] {
                  link->readRange(1, 1, rows, rows + 1);
              }).find("reaches past the last row of the sheet"),
              std::string::npos);
    EXPECT_EQ(failure([&] { link->readRange(3, 2, 1, 1); }),
              "the last column (B) comes before the first (C)");
    EXPECT_EQ(failure([&] { link->readRange(1, 1, 5, 4); }),
              "the last row (4) comes before the first (5)");

    // Refused before anything is written or formatted.
    ValueTable three(1, 3);
    three.at(0, 0) = CellValue::makeText("x");
    EXPECT_NE(failure([&] {
                  link->writeRange(columns - 1, columns + 1, 1, 1, three, '.');
              }).find("reaches past the last column"),
              std::string::npos);
    const CalcProbe::Cell untouched = probe->cell(book, "Sheet1", columns - 1, 1);
    EXPECT_EQ(untouched.type, "empty");
    EXPECT_EQ(untouched.format, "General");
    EXPECT_EQ(failure([&] { link->writeRange(1, 2, 1, 2, three, '.'); }),
              "a table of 1 rows and 3 columns does not fit a block of 2 rows and 2 columns");
}

TEST_F(Calc, SessionReadsCalculatesAndSavesThroughTheLink) {
    const std::string book = newBook();
    probe->put(book, "Sheet1", 1, 1, CalcProbe::txt("group"));
    probe->put(book, "Sheet1", 2, 1, CalcProbe::txt("score"));
    const double scores[] = {1.5, 2, 3, 2.5, 10, 11, 12, 13, 20, 21, 22, 23};
    for (int i = 0; i < 12; ++i) {
        probe->put(book, "Sheet1", 1, i + 2, CalcProbe::num(1 + i / 4));
        probe->put(book, "Sheet1", 2, i + 2, CalcProbe::num(scores[i]));
    }

    kw::Session s;
    kw::test::readSheet(s, *link, {"Sheet1", "A", "B", "1", "13", "-99"});
    EXPECT_EQ(s.variables(), (Names{"group", "score"}));
    EXPECT_EQ(s.table().caseCount(), 12);
    s.pickGroup(0);
    s.pickTest(1);
    kw::test::calculate(s);
    ASSERT_EQ(s.values().groupCount, 3);
    ASSERT_LT(s.values().pValue, 0.05); // so the comparison table is written too

    s.saveToSheet(*link, {false, book, true, "", "B", "3"});
    EXPECT_EQ(probe->sheets(book), (Names{"Sheet1", "Sheet2"}));
    EXPECT_EQ(probe->activeSheet(book), "Sheet2");
    const auto text = [&](int col, int row) { return probe->cell(book, "Sheet2", col, row).text; };
    EXPECT_EQ(text(2, 3), "KRUSKAL WALLIS NONPARAMETRIC ANOVA");
    EXPECT_EQ(text(7, 3), "version:10.3");
    EXPECT_EQ(text(2, 4), "OVERALL TEST RESULTS");
    EXPECT_EQ(text(2, 6), "group: group");
    EXPECT_EQ(text(2, 9), "df: 2");
    EXPECT_EQ(text(2, 12), "MULTIPLE COMPARISON OF GROUPS ");
    // The block is k + 13 = 16 rows by 6 columns at B3: through G18, nothing beyond.
    EXPECT_EQ(probe->cell(book, "Sheet2", 7, 18).format, "0.000");
    EXPECT_EQ(probe->cell(book, "Sheet2", 8, 18).format, "General");
    EXPECT_EQ(probe->cell(book, "Sheet2", 2, 19).format, "General");
    const ValueTable block = link->readRange(2, 7, 3, 18);
    EXPECT_EQ(block.at(0, 0), CellValue::makeText("KRUSKAL WALLIS NONPARAMETRIC ANOVA"));

    // The counts go to a new sheet before the active one, and the link lets go afterwards.
    s.countsToSheet(*link);
    EXPECT_EQ(probe->sheets(book), (Names{"Sheet1", "Sheet3", "Sheet2"}));
    EXPECT_EQ(probe->cell(book, "Sheet3", 1, 1).format, "0.000");
    const auto sheets = link->listSheets(); // connects again
    EXPECT_EQ(sheets.names.at(static_cast<std::size_t>(sheets.active)), "Sheet3");
}

// Each example read from its text file and from a Calc sheet holding the same data (numbers
// as numbers, texts as texts, the missing-value code -99 as empty cells) gives the same report.
TEST_F(Calc, ExamplesReadFromASheetGiveTheReportOfTheirTextFile) {
    struct Example {
        const char* file;
        const char* group;
        const char* test;
    };
    for (const Example& e : {Example{"plantgrowth.txt", "group", "weight"},
                             Example{"insectsprays.txt", "spray", "count"},
                             Example{"airquality.txt", "Month", "Ozone"}}) {
        SCOPED_TRACE(e.file);
        const auto position = [](const kw::Session& s, const std::string& name) {
            const auto& names = s.variables();
            return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        };
        const auto analyse = [&](kw::Session& s) {
            s.setMissingCode("-99");
            s.pickGroup(position(s, e.group));
            s.pickTest(position(s, e.test));
            kw::test::calculate(s);
            return s.report();
        };
        kw::Session fromFile;
        kw::test::openTextFile(fromFile, std::string(KW_EXAMPLES_DIR) + "/" + e.file);
        const kw::DataTable& table = fromFile.table();
        const int variableCount = static_cast<int>(fromFile.variables().size());
        const int caseCount = table.caseCount();

        const std::string book = newBook();
        std::vector<std::vector<CalcProbe::Input>> rows(caseCount + 1);
        for (int v = 0; v < variableCount; ++v) {
            rows[0].push_back(CalcProbe::txt(fromFile.variables()[v]));
        }
        for (int c = 0; c < caseCount; ++c) {
            for (int v = 0; v < variableCount; ++v) {
                const std::string text(table.value(v + 1, c + 1));
                char* end = nullptr;
                const double number = std::strtod(text.c_str(), &end);
                if (text == "-99") {
                    rows[c + 1].push_back(CalcProbe::txt("")); // left empty
                } else if (!text.empty() && *end == '\0') {
                    rows[c + 1].push_back(CalcProbe::num(number));
                } else {
                    rows[c + 1].push_back(CalcProbe::txt(text));
                }
            }
        }
        for (int r = 0; r <= caseCount; ++r) {
            for (int v = 0; v < variableCount; ++v) {
                if (rows[r][v].kind != CalcProbe::Input::Kind::text || !rows[r][v].text.empty()) {
                    probe->put(book, "Sheet1", v + 1, r + 1, rows[r][v]);
                }
            }
        }

        kw::Session fromSheet;
        kw::test::readSheet(fromSheet, *link,
                            {"Sheet1", "A", kw::columnLetters(variableCount), "1",
                             std::to_string(caseCount + 1), "-99"});
        ASSERT_EQ(fromSheet.variables(), fromFile.variables());
        EXPECT_EQ(analyse(fromSheet), analyse(fromFile));
    }
}

TEST(CalcConnection, NoOfficeListeningSaysHowToStartOne) {
    const std::string pipe = kw::test::unusedPipe();
    const std::string expected =
        "No LibreOffice Calc accepts the program's connection (pipe '" + pipe +
        "'). Start Calc with: soffice --calc \"--accept=pipe,name=" + pipe +
        ";urp;StarOffice.ComponentContext\" (with Calc already open, the same command makes it "
        "accept)";
    const auto start = std::chrono::steady_clock::now();
    const auto link = kw::uno::makeCalcLink(pipe);
    // The reason is what makes the window offer to start Calc.
    for (const Caught& absent :
         {caught([&] { link->listBooks(); }), caught([&] { link->listSheets(); }),
          caught([&] { link->newBook(); }), caught([&] { link->selectSheet("Sheet1"); }),
          caught([&] { link->readRange(1, 1, 1, 1); })}) {
        EXPECT_EQ(absent.message, expected);
        EXPECT_EQ(absent.reason, Reason::noSpreadsheet);
    }
    EXPECT_LT(secondsSince(start), 5.0);

    const Caught badPipe = caught([&] { kw::uno::makeCalcLink("two;parts")->listBooks(); });
    EXPECT_NE(badPipe.message.find("cannot name the pipe"), std::string::npos);
    EXPECT_EQ(badPipe.reason, Reason::badData) << "starting Calc would not help";

    ::setenv("KW_OFFICE_PIPE", "elsewhere", 1);
    EXPECT_EQ(kw::uno::defaultPipe(), "elsewhere");
    ::unsetenv("KW_OFFICE_PIPE");
    EXPECT_EQ(kw::uno::defaultPipe(), "kruskalwallis");
}

// The environment variable `name` set to `value` (or removed, for nullptr) while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// soffice run by startAccepting finds the running office through the profile under HOME and
// hands it the accept string; it then answers on the new pipe too.
TEST(CalcConnection, StartAcceptingMakesTheRunningOfficeAcceptThePipe) {
    HeadlessOffice office(HeadlessOffice::Profile::home);
    const std::string pipe = kw::test::unusedPipe();
    office.adopt(pipe);
    std::string message;
    bool started = false;
    {
        const std::string home = office.home();
        const ScopedEnv setHome("HOME", home.c_str());
        // Should the hand-over fail, no window may open on the tester's screen.
        const ScopedEnv noDisplay("DISPLAY", nullptr);
        const ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
        started = kw::uno::startAccepting(pipe, message);
    }
    ASSERT_TRUE(started) << message;
    EXPECT_NE(message.find("pipe '" + pipe + "'"), std::string::npos);

    const auto link = kw::uno::makeCalcLink(pipe);
    std::string last;
    const auto start = std::chrono::steady_clock::now();
    do {
        std::this_thread::sleep_for(100ms);
        last = failure([&] { link->listBooks(); });
    } while (!last.empty() && secondsSince(start) < 20);
    EXPECT_EQ(last, "");
}

// An office of its own, since it is frozen and then killed.
TEST(CalcConnection, FrozenThenKilledOfficeGivesClearFailuresWithoutHanging) {
    HeadlessOffice office;
    const auto link = kw::uno::makeCalcLink(office.pipe(), 1500ms);
    link->newBook();
    ASSERT_EQ(link->listBooks().names.size(), 1U);

    office.freeze();
    auto start = std::chrono::steady_clock::now();
    const Caught frozen = caught([&] { link->listBooks(); });
    EXPECT_GE(secondsSince(start), 1.4);
    EXPECT_LT(secondsSince(start), 5.0);
    EXPECT_EQ(frozen.message,
              "LibreOffice Calc does not answer (waited 1.5 s): it may be busy with a dialog or "
              "frozen");
    EXPECT_EQ(frozen.reason, Reason::spreadsheet);
    start = std::chrono::steady_clock::now();
    const Caught stillFrozen = caught([&] { link->listSheets(); });
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_NE(stillFrozen.message.find("has not yet answered an earlier request"),
              std::string::npos);
    EXPECT_EQ(stillFrozen.reason, Reason::spreadsheet);

    office.thaw();
    link->disconnect();
    EXPECT_EQ(link->listBooks().names.size(), 1U);

    office.kill();
    start = std::chrono::steady_clock::now();
    const Caught lost = caught([&] { link->listBooks(); });
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_EQ(lost.message.rfind("the connection to LibreOffice Calc was lost: ", 0), 0U)
        << lost.message;
    EXPECT_EQ(lost.reason, Reason::spreadsheet);
    // The next call tries afresh and finds nothing listening.
    const Caught gone = caught([&] { link->listBooks(); });
    EXPECT_EQ(gone.message.rfind("No LibreOffice Calc accepts", 0), 0U) << gone.message;
    EXPECT_EQ(gone.reason, Reason::noSpreadsheet);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new OfficeEnvironment); // gtest owns it
    return RUN_ALL_TESTS();
}
