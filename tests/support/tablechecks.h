#pragma once

// What the readers' tests check of a table: its cells column by column, that it equals the
// table of a text file, and the message of a refusal.

#include "core/base/failure.h"
#include "core/data/datatable.h"
#include "core/io/textreader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kw::test {

// The cells of column `col` (1-based) as texts.
inline std::vector<std::string> column(const DataTable& t, int col) {
    std::vector<std::string> out;
    for (int row = 1; row <= t.caseCount(); ++row) {
        out.emplace_back(t.value(col, row));
    }
    return out;
}

// The same names and cells as the program's own text file at `textPath`.
inline void expectSameTable(const DataTable& read, const std::string& textPath) {
    const DataTable expected = readTextFile(textPath);
    ASSERT_EQ(read.names(), expected.names());
    ASSERT_EQ(read.caseCount(), expected.caseCount());
    for (int c = 1; c <= read.variableCount(); ++c) {
        EXPECT_EQ(column(read, c), column(expected, c)) << read.name(c);
    }
}

// The message of the kw::Failure that `run` throws, or "(no failure)".
inline std::string failure(const std::function<void()>& run) {
    try {
        run();
    } catch (const Failure& f) {
        return f.message();
    }
    return "(no failure)";
}

} // namespace kw::test
