#include "core/base/failure.h"
#include "core/data/datatable.h"
#include "core/io/textreader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

using kw::DataTable;
using kw::readTextData;
using Row = std::vector<std::string>;

Row row(const DataTable& t, int r) {
    Row out;
    for (int k = 1; k <= t.variableCount(); ++k) {
        out.emplace_back(t.value(k, r));
    }
    return out;
}

// The message of the kw::Failure that reading the bytes ends in.
std::string refusal(const std::string& bytes) {
    try {
        readTextData(bytes);
    } catch (const kw::Failure& f) {
        return f.message();
    }
    ADD_FAILURE() << "no kw::Failure";
    return {};
}

bool namesnumber(const std::string& message, int n) {
    return std::regex_search(
        message,
        std::regex(std::string("(^|[^0-9])").append(std::to_string(n)).append("([^0-9]|$)")));
}

TEST(TextReader, ReadsAWellFormedFile) {
    const DataTable t = readTextData("group score\r\n1 4.5\r\n2 3.0\r\n");
    ASSERT_EQ(t.variableCount(), 2);
    ASSERT_EQ(t.caseCount(), 2);
    EXPECT_EQ(t.names(), (Row{"group", "score"}));
    EXPECT_EQ(row(t, 1), (Row{"1", "4.5"}));
    EXPECT_EQ(row(t, 2), (Row{"2", "3.0"}));
    EXPECT_EQ(t.cell(0, 0), "input");
    EXPECT_EQ(t.cell(0, 2), "2");
    EXPECT_EQ(t.cell(2, 0), "score");
}

TEST(TextReader, LineEndsBlanksAndEmptyLines) {
    // CR LF, LF alone, CR alone, LF CR as two breaks, and a last line without a break.
    const DataTable t = readTextData("a b\n1 2\r3 4\r\n5 6\n\r7 8");
    ASSERT_EQ(t.caseCount(), 4);
    EXPECT_EQ(row(t, 2), (Row{"3", "4"}));
    EXPECT_EQ(row(t, 3), (Row{"5", "6"}));
    EXPECT_EQ(row(t, 4), (Row{"7", "8"}));

    const DataTable padded =
        readTextData("   x    y   \r\n\r\n   1     2   \r\n      \r\n3 4 \r\n\r\n");
    EXPECT_EQ(padded.names(), (Row{"x", "y"}));
    ASSERT_EQ(padded.caseCount(), 2);
    EXPECT_EQ(row(padded, 1), (Row{"1", "2"}));
    EXPECT_EQ(row(padded, 2), (Row{"3", "4"}));
}

TEST(TextReader, ValuesAreTakenAsWritten) {
    const DataTable t = readTextData("a b c\r\n1\t2 3,5 +01.50 extra more\r\nx;y \"q r\"\r\n");
    ASSERT_EQ(t.caseCount(), 2);
    // Only the blank separates; values beyond the names are dropped.
    EXPECT_EQ(row(t, 1), (Row{"1\t2", "3,5", "+01.50"}));
    EXPECT_EQ(row(t, 2), (Row{"x;y", "\"q", "r\""}));

    const DataTable raw = readTextData(std::string("n\xff\x01 m\r\n\xe9t\xe9 a\0b\r\n", 16));
    EXPECT_EQ(raw.name(1), "n\xff\x01");
    EXPECT_EQ(raw.value(1, 1), "\xe9t\xe9");
    EXPECT_EQ(raw.value(2, 1), std::string_view("a\0b", 3));
}

TEST(TextReader, CtrlZEndsTheFile) {
    const DataTable withz = readTextData("a b\r\n1 2\r\n\032");
    ASSERT_EQ(withz.caseCount(), 1);
    EXPECT_EQ(row(withz, 1), (Row{"1", "2"}));

    const DataTable mid = readTextData("a b\r\n1 2\r\n34 5\0326 7\r\n8 9\r\n");
    ASSERT_EQ(mid.caseCount(), 2);
    EXPECT_EQ(row(mid, 2), (Row{"34", "5"}));

    const DataTable invalue = readTextData("a\r\n12\03234\r\n");
    EXPECT_EQ(invalue.value(1, 1), "12");
    // Cut inside the header no data line is left; cut inside a case the case is short.
    EXPECT_THROW(readTextData("a b\032 c\r\n1 2 3\r\n"), kw::Failure);
    EXPECT_THROW(readTextData("a b\r\n1 2\r\n3\032 4\r\n"), kw::Failure);
}

TEST(TextReader, ShortLineIsRefusedWithItsPhysicalLineNumber) {
    // Line 7 counting the header, the empty lines and the line of blanks; it is case 3.
    const std::string blanklines = refusal("a b\r\n1 2\r\n\r\n \r\n3 4\r\n\n5\r\n6 7\r\n");
    EXPECT_TRUE(namesnumber(blanklines, 7)) << blanklines;
    const std::string lf = refusal("a b c\n1 2 3\n4 5\n");
    EXPECT_TRUE(namesnumber(lf, 3)) << lf;
    const std::string cr = refusal("a b\r1 2\r3 4\r5 6\r\r7\r");
    EXPECT_TRUE(namesnumber(cr, 6)) << cr;
    const std::string last = refusal("a b\r\n1 2\r\n3");
    EXPECT_TRUE(namesnumber(last, 3)) << last;
}

TEST(TextReader, RefusesFilesWithoutNamesOrData) {
    for (const char* bytes : {"", "\r\n1 2\r\n", "    \r\n1 2\r\n", "\032a b\r\n1 2\r\n", "a b",
                              "a b\r\n", "a b\r\n\r\n   \r\n\n"}) {
        EXPECT_THROW(readTextData(bytes), kw::Failure) << bytes;
    }
}

class TextFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               std::string("kwreader_").append(std::to_string(std::random_device()()));
        ASSERT_TRUE(std::filesystem::create_directory(dir_));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(TextFile, ReadsTheBytesOfAFileAndRefusesAMissingOne) {
    std::ofstream(dir_ / "data.prn", std::ios::binary) << "name value\r\nA\x1b 1e3\r\nb -2\r\n";
    const DataTable t = kw::readTextFile((dir_ / "data.prn").string());
    ASSERT_EQ(t.caseCount(), 2);
    EXPECT_EQ(row(t, 1), (Row{"A\x1b", "1e3"}));
    EXPECT_EQ(row(t, 2), (Row{"b", "-2"}));
    EXPECT_THROW(kw::readTextFile((dir_ / "missing.txt").string()), kw::Failure);
    EXPECT_THROW(kw::readTextFile(""), kw::Failure);
}

// A folder opens for reading on POSIX systems; reading it must still end in a kw::Failure.
TEST_F(TextFile, FolderIsAFailure) {
    EXPECT_THROW(kw::readTextFile(dir_.string()), kw::Failure);
}

} // namespace
