#include "core/results/tableworkbook.h"

#include "core/base/failure.h"
#include "core/io/workbook.h"
#include "core/io/ziparchive.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

using kw::TextCells;
using kw::WorkbookTable;
using Rows = std::vector<std::vector<std::string>>;

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("kw-tableworkbook-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

WorkbookTable table(std::string name, Rows rows) {
    return {std::move(name), std::make_shared<TextCells>(std::move(rows))};
}

// A sheet's cells as the program's reader gives them, numbers with a comma: a cell written as
// a number reads "2,5", a text "2.5" stays as it is.
Rows readBack(const kw::Workbook& book, const std::string& sheet) {
    kw::ImportOptions options;
    options.sheet = sheet;
    options.decimal = ',';
    return book.preview(options, 1000);
}

// The bytes of one part of the written file.
std::string part(const std::string& path, const std::string& name) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string archive = bytes.str();
    const auto entries = kw::zipEntries(archive);
    const kw::ZipEntry* entry = entries ? kw::findZipEntry(*entries, name) : nullptr;
    std::string out;
    if (entry != nullptr) {
        kw::unpackZipPart(archive, *entry, path, out);
    }
    return out;
}

TEST(TableWorkbook, SheetsCellsNumbersAndTextsReadBack) {
    const std::string path = tempPath("book.xlsx");
    kw::writeTableWorkbook(
        path,
        {table("Summary",
               {{"grp", "ctrl", "trt1"}, {"number", "10", "10"}, {"median", "5.155", "4.55"}}),
         table("Pairwise", {{"pair", "p", "code", "note"},
                            {"a - b", "1.23E-005", "007", "2.5 cm"},
                            {"Ä ü – 名", "-0.0500", "", "x,y \"q\""}})},
        '.');
    const kw::Workbook book = kw::Workbook::load(path);
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string>{"Summary", "Pairwise"}));
    EXPECT_EQ(readBack(book, "Summary"),
              (Rows{{"grp", "ctrl", "trt1"}, {"number", "10", "10"}, {"median", "5,155", "4,55"}}));
    const Rows pairs = readBack(book, "Pairwise");
    ASSERT_EQ(pairs.size(), 3u);
    // Numbers as numbers; a code with a leading zero and a text with a unit stay texts.
    EXPECT_EQ(pairs[1], (std::vector<std::string>{"a - b", "0,0000123", "007", "2.5 cm"}));
    EXPECT_EQ(pairs[2][0], "Ä ü – 名");
    EXPECT_EQ(pairs[2][1], "-0,05");
    EXPECT_EQ(pairs[2][3], "x,y \"q\"");
    // Shown with the decimals the grid showed.
    const std::string styles = part(path, "xl/styles.xml");
    EXPECT_NE(styles.find("formatCode=\"0.0000\""), std::string::npos);
    EXPECT_NE(styles.find("formatCode=\"0.00E+000\""), std::string::npos);
    std::filesystem::remove(path);
}

TEST(TableWorkbook, DecimalCommaAndGermanLocale) {
    // Grid texts with a decimal comma are numbers; the C library's locale changes nothing.
    const std::string path = tempPath("comma.xlsx");
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = before != nullptr ? before : "C";
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    kw::writeTableWorkbook(path, {table("Ranks", {{"", "a"}, {"1", "7,123456789"}, {"2", "1.5"}})},
                           ',');
    std::setlocale(LC_NUMERIC, saved.c_str());
    const std::string sheet = part(path, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<v>7.123456789</v>"), std::string::npos) << (german ? "de_DE" : "C");
    const kw::Workbook book = kw::Workbook::load(path);
    // "1.5" under a decimal comma is no number of this table: a text.
    EXPECT_EQ(readBack(book, "Ranks"), (Rows{{"", "a"}, {"1", "7,123456789"}, {"2", "1.5"}}));
    std::filesystem::remove(path);
}

TEST(TableWorkbook, SheetNamesMadeValidAndUnique) {
    EXPECT_EQ(kw::workbookSheetNames({"a/b:c", "Counts", "counts", "",
                                      "a very long name of a table that goes on and on"}),
              (std::vector<std::string>{"a_b_c", "Counts", "counts (2)", "Sheet",
                                        "a very long name of a table tha"}));
}

TEST(TableWorkbook, TargetUntouchedOnFailure) {
    // A folder that is not there: a failure naming the file, nothing left behind.
    const std::string path = tempPath("missing/dir/book.xlsx");
    try {
        kw::writeTableWorkbook(path, {table("A", {{"1"}})}, '.');
        FAIL() << "no failure";
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.reason(), kw::Failure::Reason::fileAccess);
        EXPECT_NE(f.message().find(path), std::string::npos);
    }
    // An existing file stays as it was when the work is cancelled.
    const std::string existing = tempPath("existing.xlsx");
    std::ofstream(existing) << "old";
    struct Stop : kw::Feedback {
        bool cancelled() const override { return true; }
    } stop;
    EXPECT_THROW(kw::writeTableWorkbook(existing, {table("A", {{"1"}, {"2"}})}, '.', &stop),
                 kw::Cancelled);
    std::ifstream in(existing);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
    std::filesystem::remove(existing);
}

TEST(TableWorkbook, LargeTableCutAtTheSheetsRowsWithAWarning) {
    // A grid taller than a sheet: its first rows, and a warning that says so.
    class Tall final : public kw::Grid {
    public:
        int columnCount() const override { return 1; }
        int rowCount() const override { return kw::workbookRowLimit + 10; }
        std::string cell(int, int row) const override { return row % 2 == 0 ? "1" : ""; }
    };
    struct Warnings : kw::Feedback {
        std::vector<std::string> said;
        void warning(const kw::Failure& f) override { said.push_back(f.message()); }
    } warnings;
    const std::string path = tempPath("tall.xlsx");
    kw::writeTableWorkbook(path, {{"Tall", std::make_shared<Tall>()}}, '.', &warnings);
    ASSERT_EQ(warnings.said.size(), 1u);
    EXPECT_NE(warnings.said[0].find("first 1048576 rows"), std::string::npos);
    const std::string sheet = part(path, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<dimension ref=\"A1:A1048575\"/>"), std::string::npos);
    EXPECT_EQ(sheet.find("r=\"A1048577\""), std::string::npos);
    std::filesystem::remove(path);
}

} // namespace
