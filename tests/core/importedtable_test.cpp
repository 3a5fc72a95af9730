#include "core/io/importedtable.h"

#include "core/base/failure.h"

#include "support/tablechecks.h"

#include <gtest/gtest.h>

namespace {

using kw::ImportedTable;
using kw::ImportOptions;

using kw::test::column;

TEST(ImportedTable, EmptyBlankAndDeclaredCellsBecomeTheMissingCode) {
    ImportOptions options;
    options.naCodes = {"NA", "."};
    options.missingCode = "-1";
    ImportedTable t(std::make_shared<kw::TextStore>(), options);
    std::vector<std::vector<kw::CellRef>> columns(1);
    for (const char* text : {"1.5", "", "  ", "NA", ".", "na", " NA", "-99"}) {
        columns[0].push_back(t.cell(text));
    }
    const kw::DataTable table = t.finish({"x"}, std::move(columns));
    // Codes match whole cells, letter case and blanks counting.
    EXPECT_EQ(column(table, 1),
              (std::vector<std::string>{"1.5", "-1", "-1", "-1", "-1", "na", " NA", "-99"}));
}

TEST(ImportedTable, WideColumnsBecomeGroupAndValueInColumnOrder) {
    ImportOptions options;
    options.wide = true;
    options.naCodes = {"NA"};
    ImportedTable t(std::make_shared<kw::TextStore>(), options);
    std::vector<std::vector<kw::CellRef>> columns(3);
    const char* cells[3][3] = {{"1", "2", ""}, {"NA", "5", "6"}, {"7", "", ""}};
    for (int c = 0; c < 3; ++c) {
        for (const char* text : cells[c]) {
            columns[static_cast<std::size_t>(c)].push_back(t.cell(text));
        }
    }
    // An unnamed column is named after its place, and that name is its group.
    const kw::DataTable table = t.finish({"ctrl", "dose a", ""}, std::move(columns));
    EXPECT_EQ(table.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(table, 1),
              (std::vector<std::string>{"ctrl", "ctrl", "dose a", "dose a", "var3"}));
    EXPECT_EQ(column(table, 2), (std::vector<std::string>{"1", "2", "5", "6", "7"}));
}

TEST(ImportedTable, RefusesTablesWithoutCases) {
    ImportOptions options;
    ImportedTable t(std::make_shared<kw::TextStore>(), options);
    EXPECT_THROW(t.finish({"a", "b"}, std::vector<std::vector<kw::CellRef>>(2)), kw::Failure);

    // Wide, a table of missing cells only has no case either.
    options.wide = true;
    ImportedTable wide(std::make_shared<kw::TextStore>(), options);
    std::vector<std::vector<kw::CellRef>> columns{{wide.cell(""), wide.cell(" ")}};
    try {
        wide.finish({"a"}, std::move(columns));
        FAIL() << "no refusal";
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.reason(), kw::Failure::Reason::badData);
        EXPECT_EQ(f.message(), "the data holds no value in any of its columns");
    }
}

TEST(DataFileKind, ByExtensionThenByContent) {
    using kw::DataFileKind;
    EXPECT_EQ(kw::dataFileKindByName("/a.b/data.CSV"), DataFileKind::delimitedText);
    EXPECT_EQ(kw::dataFileKindByName("x.tsv"), DataFileKind::delimitedText);
    EXPECT_EQ(kw::dataFileKindByName("x.Xlsx"), DataFileKind::workbook);
    EXPECT_EQ(kw::dataFileKindByName("x.ods"), DataFileKind::workbook);
    EXPECT_EQ(kw::dataFileKindByName("x.zsav"), DataFileKind::statistics);
    EXPECT_EQ(kw::dataFileKindByName("x.dta"), DataFileKind::statistics);
    EXPECT_EQ(kw::dataFileKindByName("x.txt"), DataFileKind::spaceText);
    EXPECT_EQ(kw::dataFileKindByName("dir.csv/data"), DataFileKind::spaceText);

    EXPECT_EQ(kw::dataFileKindByContent(std::string("PK\x03\x04rest", 8)), DataFileKind::workbook);
    EXPECT_EQ(kw::dataFileKindByContent("$FL2@(#) IBM SPSS"), DataFileKind::statistics);
    EXPECT_EQ(kw::dataFileKindByContent("<stata_dta><header>"), DataFileKind::statistics);
    EXPECT_EQ(kw::dataFileKindByContent(std::string("\x72\x02\x01\x00", 4)),
              DataFileKind::statistics); // Stata 8-12
    EXPECT_FALSE(kw::dataFileKindByContent("group score\n1 2\n"));
    EXPECT_FALSE(kw::dataFileKindByContent(""));
}

} // namespace
