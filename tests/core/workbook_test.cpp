#include "core/io/workbook.h"

#include "core/base/failure.h"
#include "core/io/textreader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using kw::Failure;
using kw::ImportOptions;
using kw::Workbook;

const std::string dir = std::string(KW_IMPORT_DATA_DIR) + "/workbook/";

std::vector<std::string> column(const kw::DataTable& t, int col) {
    std::vector<std::string> out;
    for (int row = 1; row <= t.caseCount(); ++row) {
        out.emplace_back(t.value(col, row));
    }
    return out;
}

// The same names and cells; the text files beside the workbooks hold their data in the
// program's own format, so that both ways of reading give the same table.
void expectSameTable(const kw::DataTable& read, const std::string& textFile) {
    const kw::DataTable expected = kw::readTextFile(dir + textFile);
    ASSERT_EQ(read.names(), expected.names());
    ASSERT_EQ(read.caseCount(), expected.caseCount());
    for (int c = 1; c <= read.variableCount(); ++c) {
        EXPECT_EQ(column(read, c), column(expected, c)) << read.name(c);
    }
}

std::string failure(const std::function<void()>& run) {
    try {
        run();
    } catch (const Failure& f) {
        return f.message();
    }
    return "(no failure)";
}

ImportOptions on(const std::string& sheet, const std::string& range = {}) {
    ImportOptions o;
    o.sheet = sheet;
    o.range = range;
    return o;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class EachFormat : public testing::TestWithParam<const char*> {
protected:
    Workbook book(const std::string& name) const {
        return Workbook::load(dir + name + "." + GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Workbook, EachFormat, testing::Values("xlsx", "ods"));

TEST_P(EachFormat, CellsReadAsTheLinkShowsThem) {
    // Texts, decimals, whole numbers, an empty cell, dates, booleans, cached formula results.
    const Workbook book = this->book("books");
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string>{"Data", "Other", "Errors"}));
    EXPECT_EQ(book.usedRange("Data"), "A1:F8");
    expectSameTable(book.table({}, '.'), "books-data.txt");
    expectSameTable(readWorkbookFile(dir + "books." + GetParam(), on("Data"), '.'),
                    "books-data.txt");
}

TEST_P(EachFormat, OtherSheetsByNameTimesPercentagesAndTextResults) {
    const Workbook book = this->book("books");
    ImportOptions options = on("other"); // the letter case of a sheet's name does not count
    options.naCodes = {"NA"};
    const kw::DataTable t = book.table(options, '.');
    // An unnamed column is named after its place.
    EXPECT_EQ(t.names(), (std::vector<std::string>{"name", "when", "share", "var4", "label"}));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"Ä ü – 名", "b c"}));
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"2024-03-15 13:45:30", "1999-12-31"}));
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"0.25", "1.5"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"1E-7", "-99"})); // blanks only: missing
    EXPECT_EQ(column(t, 5), (std::vector<std::string>{"xb c", "-99"}));
}

TEST_P(EachFormat, RangesPickABlockAnywhere) {
    const Workbook book = this->book("offset");
    EXPECT_EQ(book.usedRange("Trial"), "A1:E8");
    for (const char* range : {"C3:E8", "$c$3:$e$8", "E8:C3", " C3 : E8 "}) {
        expectSameTable(book.table(on("", range), '.'), "offset.txt");
    }
    // A block past the used cells reads them as missing.
    const kw::DataTable tall = book.table(on("Trial", "D3:D10"), '.');
    EXPECT_EQ(column(tall, 1),
              (std::vector<std::string>{"2.5", "3.5", "7", "8", "7", "-99", "-99"}));
    // A block of empty cells reads as missing values under unnamed columns, as the link reads
    // it.
    const kw::DataTable empty = book.table(on("Trial", "G1:H3"), '.');
    EXPECT_EQ(empty.names(), (std::vector<std::string>{"var1", "var2"}));
    EXPECT_EQ(column(empty, 2), (std::vector<std::string>{"-99", "-99"}));
}

TEST_P(EachFormat, AnErrorCellIsRefusedNamingTheCell) {
    const Workbook book = this->book("books");
    EXPECT_EQ(failure([&] { book.table(on("Errors"), '.'); }),
              "the cell B3 holds an error value instead of data: correct it in the sheet, or "
              "leave it out of the range");
    EXPECT_EQ(column(book.table(on("Errors", "A1:A3"), '.'), 1),
              (std::vector<std::string>{"1", "2"}));
    // The preview shows it.
    EXPECT_EQ(book.preview(on("Errors"), 5),
              (std::vector<std::vector<std::string>>{{"a", "b"}, {"1", "3"}, {"2", "#ERR!"}}));
}

TEST_P(EachFormat, WideLayoutDecimalCommaAndPreview) {
    const Workbook book = this->book("books");
    ImportOptions options = on("Data", "B1:C3");
    options.wide = true;
    const kw::DataTable wide = book.table(options, ',');
    EXPECT_EQ(wide.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(wide, 1), (std::vector<std::string>{"weight", "weight", "count", "count"}));
    EXPECT_EQ(column(wide, 2), (std::vector<std::string>{"4,17", "5,58", "12", "7"}));

    const auto preview = book.preview(on("Data", "A1:C9"), 3);
    EXPECT_EQ(preview,
              (std::vector<std::vector<std::string>>{
                  {"group", "weight", "count"}, {"ctrl", "4.17", "12"}, {"ctrl", "5.58", "7"}}));
    EXPECT_TRUE(book.preview(on("Data"), 0).empty());
}

TEST_P(EachFormat, SheetsAndBlocksThatAreNotThereAreRefused) {
    const Workbook book = this->book("books");
    EXPECT_EQ(failure([&] { book.table(on("Nope"), '.'); }),
              "the workbook has no sheet named 'Nope'");
    EXPECT_EQ(failure([&] { book.usedRange("Nope"); }), "the workbook has no sheet named 'Nope'");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1-C4"), '.'); }),
              "the range 'A1-C4' is not a block of cells: give its first and last cell, such as "
              "A1:C40");
    for (const char* bad : {"A1", "1A:C4", "A:C", "ABCD1:B2", "A1:C4x", ""}) {
        if (*bad != '\0') {
            EXPECT_NE(
                failure([&] { book.table(on("Data", bad), '.'); }).find("is not a block of cells"),
                std::string::npos)
                << bad;
        }
    }
    EXPECT_EQ(failure([&] { book.table(on("Data", "A0:B3"), '.'); }),
              "the range 'A0:B3' names row 0: rows start at 1");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1:XFE3"), '.'); }),
              "the range 'A1:XFE3' reaches past the last cell of a sheet, XFD1048576");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1:C1"), '.'); }),
              "the range A1:C1 holds only the row of names: it needs at least one row of cases "
              "below it");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1:Z20000000"), '.'); }),
              "the range 'A1:Z20000000' reaches past the last cell of a sheet, XFD1048576");
}

TEST_P(EachFormat, RepeatedRowsMergedCellsBlanksTimesAndCurrencies) {
    // Written by hand for .ods the way other producers write it; LibreOffice made the .xlsx.
    const kw::DataTable t = this->book("features").table({}, '.');
    EXPECT_EQ(t.names(), (std::vector<std::string>{"group", "value", "when", "price", "note"}));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"a", "a", "a", "b", "c"}));
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"1.5", "1.5", "1.5", "7", "2"}));
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"13:45:30", "13:45:30", "13:45:30",
                                                      "10:00:00", "00:00:01"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"2.5", "2.5", "2.5", "3", "4"}));
    EXPECT_EQ(column(t, 5), (std::vector<std::string>{"x  y", "x  y", "x  y", "z", "w"}));
}

TEST(Workbook, RWritesBooleansDatesAndMissingValuesItsOwnWay) {
    expectSameTable(kw::readWorkbookFile(dir + "openxlsx.xlsx", {}, '.'), "openxlsx.txt");
}

TEST(Workbook, InlineStringsOfStreamingWritersAreRead) {
    const kw::DataTable only = kw::readWorkbookFile(dir + "inline.xlsx", {}, '.');
    EXPECT_EQ(only.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(only, 1), (std::vector<std::string>{"a & b", "c"}));
    EXPECT_EQ(column(only, 2), (std::vector<std::string>{"1.5", "2"}));
    // Beside shared strings, in rich-text runs, and empty.
    const kw::DataTable mixed = kw::readWorkbookFile(dir + "mixed.xlsx", {}, '.');
    EXPECT_EQ(mixed.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(mixed, 1), (std::vector<std::string>{"shared", "ü"}));
    EXPECT_EQ(column(mixed, 2), (std::vector<std::string>{"x y", "-99"}));
}

TEST(Workbook, FilesThatAreNoWorkbooksAreRefusedSayingWhy) {
    const std::string d = dir + "damaged/";
    EXPECT_EQ(failure([&] { Workbook::load(d + "text.xlsx"); }),
              "the file " + d +
                  "text.xlsx is not an .xlsx or .ods workbook: it is not a zip archive");
    EXPECT_EQ(failure([&] { Workbook::load(d + "not-a-workbook.xlsx"); }),
              "the file " + d +
                  "not-a-workbook.xlsx is not an .xlsx or .ods workbook: it is a zip archive "
                  "without a workbook in it");
    EXPECT_NE(failure([&] { Workbook::load(d + "cut.xlsx"); }).find("cut.xlsx is not an"),
              std::string::npos);
    EXPECT_EQ(failure([&] { Workbook::fromBytes(""); }),
              "the file is not an .xlsx or .ods workbook: it is not a zip archive");
    // The kind comes from the content, not the name.
    expectSameTable(Workbook::load(d + "ods-named.xlsx").table({}, '.'), "books-data.txt");

    try {
        Workbook::load(d + "no-such-file.xlsx");
        ADD_FAILURE();
    } catch (const Failure& f) {
        EXPECT_EQ(f.reason(), Failure::Reason::fileAccess);
        EXPECT_EQ(f.message(),
                  "cannot read the file " + d + "no-such-file.xlsx: No such file or directory");
    }
}

TEST(Workbook, ArchivesClaimingImpossibleSizesAreRefusedBeforeTheyAreUnpacked) {
    // A part that claims to unpack to almost 4 GB from a few hundred bytes would have orcus
    // allocate that much.
    std::string bytes = fileBytes(dir + "inline.xlsx");
    const std::size_t entry = bytes.find("PK\x01\x02");
    ASSERT_NE(entry, std::string::npos);
    for (int i = 0; i < 4; ++i) {
        bytes[entry + 24 + static_cast<std::size_t>(i)] = static_cast<char>(0xf0);
    }
    EXPECT_EQ(failure([&] { Workbook::fromBytes(bytes); }),
              "the file is damaged: the part '[Content_Types].xml' of its zip archive claims "
              "sizes that cannot be");
}

struct Stopping : kw::Feedback {
    explicit Stopping(int after) : after(after) {}
    void progress(std::string_view, double fraction) override {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        ++reports;
    }
    bool cancelled() const override { return reports >= after; }
    int after;
    int reports = 0;
};

TEST(Workbook, ReadingAndBuildingTheTableCanBeCancelled) {
    for (const char* kind : {"xlsx", "ods"}) {
        Stopping atOnce(0);
        EXPECT_THROW(Workbook::load(dir + "books." + kind, &atOnce), kw::Cancelled);
        Stopping never(1 << 30);
        const Workbook book = Workbook::load(dir + "books." + kind, &never);
        EXPECT_GT(never.reports, 0);
        Stopping inTable(0);
        EXPECT_THROW(book.table({}, '.', &inTable), kw::Cancelled);
    }
}

// Under a locale with a decimal comma (the window sets the user's locale) the C library reads
// "4.17" as 4, which orcus' .ods reading would take over.
TEST(Workbook, NumbersReadTheSameUnderALocaleWithADecimalComma) {
    const std::filesystem::path locales =
        std::filesystem::temp_directory_path() / "kw-workbook-test-locales";
    std::filesystem::create_directories(locales);
    const std::string make =
        "localedef -i de_DE -f UTF-8 " + (locales / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0 &&
        !std::filesystem::exists(locales / "de_DE.UTF-8" / "LC_NUMERIC")) {
        GTEST_SKIP() << "localedef cannot make de_DE.UTF-8 (package locales)";
    }
    setenv("LOCPATH", locales.c_str(), 1);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        unsetenv("LOCPATH");
        GTEST_SKIP() << "de_DE.UTF-8 cannot be set";
    }
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    std::vector<std::string> weights;
    try {
        weights = column(kw::readWorkbookFile(dir + "books.ods", {}, '.'), 2);
    } catch (...) {
    }
    std::setlocale(LC_ALL, before.c_str());
    unsetenv("LOCPATH");
    EXPECT_EQ(weights, column(kw::readTextFile(dir + "books-data.txt"), 2));
}

} // namespace
