#include "core/io/statisticsfile.h"

#include "core/base/failure.h"
#include "core/io/textreader.h"

#include "support/tablechecks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

using kw::Failure;
using kw::ImportOptions;
using kw::readStatisticsFile;

using kw::test::column;
using kw::test::expectSameTable;
using kw::test::failure;

const std::string dir = std::string(KW_IMPORT_DATA_DIR) + "/statistics/";

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(StatisticsFile, LabelsNumbersAndEveryKindOfMissingValue) {
    // A labelled grouping variable (4 has no label), user-missing values (-9 and 990 to 999;
    // Stata's .a and .b), system-missing values and an empty string: the same in each format.
    for (const char* file : {"groups.sav", "groups.zsav", "groups.dta"}) {
        SCOPED_TRACE(file);
        expectSameTable(readStatisticsFile(dir + file, {}, '.'), dir + "groups.txt");
    }
    // Portable files keep their names in capitals.
    expectSameTable(readStatisticsFile(dir + "groups.por", {}, '.'), dir + "groups-por.txt");
}

TEST(StatisticsFile, StringLabelsTextsBeyondAsciiAndLabelledMissingValues) {
    const kw::DataTable t = readStatisticsFile(dir + "labels.sav", {}, '.');
    EXPECT_EQ(t.names(), (std::vector<std::string>{"code", "dose", "text"}));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"male", "female", "x", "female"}));
    // 9 is user-missing although it has a label.
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"low dose", "Ä ü – 名", "low dose", "-99"}));
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"Ä ü – 名", "a b", "-99", "z"}));
}

TEST(StatisticsFile, OptionsGiveMissingCodeNaCodesWideLayoutAndDecimalMark) {
    ImportOptions options;
    options.missingCode = ".";
    options.naCodes = {"bob"};
    const kw::DataTable t = readStatisticsFile(dir + "groups.sav", options, ',');
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"4,17", "5,58", ".", ".", ".", "0,00225",
                                                      "10000000000", "1,23456789012346"}));
    EXPECT_EQ(column(t, 4)[1], ".");

    ImportOptions wide;
    wide.wide = true;
    const kw::DataTable w = readStatisticsFile(dir + "labels.sav", wide, '.');
    EXPECT_EQ(w.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(w.caseCount(), 4 + 3 + 3);
    EXPECT_EQ(column(w, 1).back(), "text");
}

TEST(StatisticsFile, LargerFilesAndBytesNamedByTheirExtension) {
    const kw::DataTable many = readStatisticsFile(dir + "many.sav", {}, '.');
    EXPECT_EQ(many.caseCount(), 1000);
    const kw::DataTable dta = readStatisticsFile(dir + "many.dta", {}, '.');
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(column(many, c), column(dta, c));
    }
    EXPECT_EQ(column(many, 2).back(), "1000");
    // A portable file shows its kind by its extension only.
    expectSameTable(kw::readStatisticsData(fileBytes(dir + "groups.por"), "x.por", {}, '.'),
                    dir + "groups-por.txt");
    // The content tells the other kinds, whatever the name says.
    expectSameTable(kw::readStatisticsData(fileBytes(dir + "groups.sav"), "x.dta", {}, '.'),
                    dir + "groups.txt");
}

TEST(StatisticsFile, DamagedFilesAreRefusedNamingTheRowWhereThereIsOne) {
    const std::string d = dir + "damaged/";
    const std::string cut = failure([&] { readStatisticsFile(d + "cut.sav", {}, '.'); });
    EXPECT_EQ(cut.rfind("the file " + d + "cut.sav ends after row ", 0), 0U) << cut;
    EXPECT_NE(cut.find(" of 1000: it is damaged or cut short"), std::string::npos) << cut;
    // The labels of a Stata file sit at its end: a file without its end is refused.
    for (const char* file : {"cut.dta", "no-end.dta"}) {
        EXPECT_EQ(failure([&] { readStatisticsFile(d + file, {}, '.'); }),
                  "the file " + d + file + " is cut short: the end of the Stata file is missing");
    }
    EXPECT_EQ(failure([&] { readStatisticsFile(d + "header.sav", {}, '.'); }),
              "the file " + d +
                  "header.sav cannot be read: it is damaged or cut short (unable to read from "
                  "file)");
    EXPECT_EQ(failure([&] { readStatisticsFile(d + "zip.sav", {}, '.'); }),
              "the file " + d +
                  "zip.sav is not an SPSS (.sav, .zsav, .por) or Stata (.dta) data file");
    EXPECT_EQ(failure([&] {
                  kw::readStatisticsData("", "empty.por", {}, '.');
              }).rfind("the file empty.por cannot be read: ", 0),
              0U);
    try {
        readStatisticsFile(d + "no-such-file.sav", {}, '.');
        ADD_FAILURE();
    } catch (const Failure& f) {
        EXPECT_EQ(f.reason(), Failure::Reason::fileAccess);
        EXPECT_EQ(f.message(),
                  "cannot read the file " + d + "no-such-file.sav: No such file or directory");
    }
    // Every cut of a file is refused or read, never more than it holds.
    const std::string whole = fileBytes(dir + "groups.sav");
    for (std::size_t n = 0; n < whole.size(); n += 7) {
        try {
            const kw::DataTable t = kw::readStatisticsData(whole.substr(0, n), "x.sav", {}, '.');
            EXPECT_LE(t.caseCount(), 8);
        } catch (const Failure&) {
        }
    }
}

struct Stopping : kw::Feedback {
    void progress(std::string_view, double fraction) override {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        ++reports;
    }
    bool cancelled() const override { return stop && reports > 0; }
    bool stop = true;
    int reports = 0;
};

TEST(StatisticsFile, ReadingTellsItsProgressAndCanBeCancelled) {
    for (const char* file : {"many.sav", "many.dta", "groups.por"}) {
        Stopping stopping;
        EXPECT_THROW(readStatisticsFile(dir + file, {}, '.', &stopping), kw::Cancelled) << file;
        Stopping going;
        going.stop = false;
        EXPECT_NO_THROW(readStatisticsFile(dir + file, {}, '.', &going));
        EXPECT_GT(going.reports, 1);
    }
}

} // namespace
