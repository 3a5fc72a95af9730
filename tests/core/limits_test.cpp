// Inputs at and past the sizes and forms the program meets in practice: very wide headers,
// very long values, bytes that are not text, and numbers at the edges of their types.

#include "core/base/failure.h"
#include "core/io/textreader.h"
#include "core/session/session.h"
#include "support/sessionsteps.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using kw::Session;
namespace fs = std::filesystem;

template <class Fn> std::string failure(Fn fn) {
    try {
        fn();
    } catch (const kw::Failure& f) {
        return f.message();
    }
    return "";
}

Session loaded(std::string bytes) {
    Session s;
    s.loadTable(kw::readTextData(std::move(bytes)));
    return s;
}

int position(const Session& s, const std::string& name) {
    const auto& names = s.variables();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string readbytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Limits, HeaderOfAMillionNames) {
    const int n = 1000000;
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += (i == 0 ? "" : " ") + ("v" + std::to_string(i));
    }
    text += "\r\n";
    for (int row = 0; row < 4; ++row) {
        for (int i = 0; i < n; ++i) {
            text += (i == 0 ? "" : " ") + std::to_string(i == 0 ? row % 2 : row + i % 3);
        }
        text += "\r\n";
    }
    Session s = loaded(std::move(text));
    ASSERT_EQ(s.variables().size(), static_cast<std::size_t>(n));
    EXPECT_EQ(s.variables().back(), "v999999");
    s.pickGroup(position(s, "v0"));
    s.pickTest(position(s, "v999999"));
    kw::test::calculate(s); // two groups of two cases, all tied
    EXPECT_EQ(s.values().groupCount, 2);
    EXPECT_EQ(s.values().caseCount, 4);
}

// A value of many megabytes is read whole; a message about it quotes only its start.
TEST(Limits, HugeValueGivesAShortMessage) {
    const std::string huge(20 * 1024 * 1024, '9');
    Session s = loaded("g x\r\na " + huge + ".\r\nb 2\r\n");
    EXPECT_EQ(s.table().value(2, 1).size(), huge.size() + 1);
    s.pickGroup(0);
    s.pickTest(1);
    const std::string message = failure([&] { kw::test::calculate(s); });
    EXPECT_EQ(message, "'" + std::string(60, '9') +
                           "...' (20971521 characters) is not a valid "
                           "floating point value");

    // The cut never splits a character: 59 bytes, then a two-byte character across 60.
    const std::string wide = std::string(59, 'a') + std::string(300, 'a').replace(0, 2, "\xc3\xa9");
    EXPECT_EQ(kw::quotedValue(wide), "'" + std::string(59, 'a') + "...' (359 characters)");
    EXPECT_EQ(kw::quotedValue(std::string(200, 'z')), "'" + std::string(200, 'z') + "'");
}

// Random bytes (NULs, control bytes, invalid UTF-8) are either refused with a message or read
// into a table whose texts are the bytes between the blanks.
TEST(Limits, BinaryBytesAreReadOrRefused) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(1 + random() % 4096, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() % 256);
        }
        try {
            const kw::DataTable table = kw::readTextData(bytes);
            EXPECT_GE(table.variableCount(), 1);
            for (int v = 1; v <= table.variableCount(); ++v) {
                EXPECT_NE(bytes.find(table.name(v)), std::string::npos);
            }
        } catch (const kw::Failure& f) {
            EXPECT_FALSE(f.message().empty());
        }
    }
}

// Names and values that are not valid UTF-8 (or hold a NUL) go through the calculation and
// into the report and the saved table byte for byte.
TEST(Limits, BytesThatAreNotUtf8AreKeptUnchanged) {
    static const char bytes[] = " gr\xff\xfe x\r\n a\xc3\x28 1\r\n b\0c 2\r\n a\xc3\x28 3\r\n"
                                " b\0c 4\r\n a\xc3\x28 5\r\n";
    const std::string table(bytes, sizeof bytes - 1);
    Session s = loaded(table);
    EXPECT_EQ(s.variables().front(), "gr\xff\xfe");
    s.pickGroup(0);
    EXPECT_EQ(s.groupMode(), kw::GroupMode::texts);
    s.pickTest(1);
    kw::test::calculate(s);
    const std::string report = s.report();
    EXPECT_NE(report.find("gr\xff\xfe"), std::string::npos);
    std::string groups; // the group texts as the groups page shows them
    for (int c = 0; c < s.grids().groups->columnCount(); ++c) {
        groups += s.grids().groups->cell(c, 0) + "|";
    }
    EXPECT_NE(groups.find(std::string("a\xc3\x28|b\0c|", 8)), std::string::npos) << groups;

    const fs::path path = fs::temp_directory_path() / ("kwlimits_" + std::to_string(getpid()));
    s.saveInput(path.string());
    const std::string saved = readbytes(path);
    fs::remove(path);
    // Saved in the calculation's order (sorted by group), every byte of every text kept.
    const kw::DataTable back = kw::readTextData(saved);
    ASSERT_EQ(back.caseCount(), 5);
    EXPECT_EQ(back.name(1), "gr\xff\xfe");
    EXPECT_EQ(back.value(1, 1), "a\xc3\x28");
    EXPECT_EQ(back.value(1, 5), std::string("b\0c", 3));
}

TEST(Limits, GroupCodesBeyondThe32BitRangeAreRefusedAsNumbers) {
    // Significant, so that the groups are ordered for the comparison.
    std::string text = "g x\n";
    for (int i = 0; i < 20; ++i) {
        text +=
            (i % 2 == 0 ? "2147483647 " : "2147483648 ") + std::to_string(i % 2 * 100 + i) + "\n";
    }
    Session s = loaded(text);
    s.pickGroup(0);
    EXPECT_EQ(s.groupMode(), kw::GroupMode::numbers);
    s.pickTest(1);
    EXPECT_EQ(failure([&] { kw::test::calculate(s); }),
              "'2147483648' is not a valid integer value");
    EXPECT_EQ(s.table().value(1, 2), "2147483648"); // the table stays as it was
    EXPECT_FALSE(s.hasResults());
    s.setGroupMode(kw::GroupMode::texts);
    kw::test::calculate(s);
    EXPECT_EQ(s.values().groupCount, 2);
}

// More than 65535 degrees of freedom: the comparison's critical value is found and the
// comparison made.
TEST(Limits, ErrorDegreesOfFreedomAbove65535) {
    std::string text = "g x\n";
    for (int i = 0; i < 70000; ++i) {
        text += (i % 2 == 0 ? "a " : "b ") + std::to_string(i % 2 == 0 ? i : i + 100000) + "\n";
    }
    Session s = loaded(std::move(text));
    s.pickGroup(0);
    s.pickTest(1);
    kw::test::calculate(s);
    EXPECT_EQ(s.values().errorDf, 69998);
    EXPECT_LT(s.values().pValue, 0.05);
    EXPECT_FALSE(s.grids().comparison->cell(0, 1).empty());
}

} // namespace
