#include "core/io/cellblock.h"

#include "core/base/failure.h"
#include "core/sheet/cellvalues.h"

#include <cctype>
#include <string_view>
#include <utility>

namespace kw {

namespace {

// One corner of a block: [$]letters[$]digits.
bool cellAddress(std::string_view s, int& column, int& row) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '$') {
        ++i;
    }
    long long c = 0;
    std::size_t letters = 0;
    for (; i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])) && letters < 4;
         ++i, ++letters) {
        c = c * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
    }
    if (letters == 0 || letters > 3) {
        return false;
    }
    if (i < s.size() && s[i] == '$') {
        ++i;
    }
    long long r = 0;
    std::size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9; ++i, ++digits) {
        r = r * 10 + (s[i] - '0');
    }
    if (digits == 0 || i != s.size()) {
        return false;
    }
    column = static_cast<int>(c);
    row = static_cast<int>(r);
    return true;
}

} // namespace

std::string blockText(const CellBlock& b) {
    return columnLetters(b.c1) + std::to_string(b.r1) + ":" + columnLetters(b.c2) +
           std::to_string(b.r2);
}

CellBlock parseBlock(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c != ' ') {
            s += c;
        }
    }
    const std::size_t colon = s.find(':');
    CellBlock b;
    if (colon == std::string::npos ||
        !cellAddress(std::string_view(s).substr(0, colon), b.c1, b.r1) ||
        !cellAddress(std::string_view(s).substr(colon + 1), b.c2, b.r2)) {
        throw Failure(Failure::Reason::badData,
                      "the range " + quotedValue(text) +
                          " is not a block of cells: give its first and last cell, such as A1:C40");
    }
    if (b.c1 > b.c2) {
        std::swap(b.c1, b.c2);
    }
    if (b.r1 > b.r2) {
        std::swap(b.r1, b.r2);
    }
    if (b.r1 < 1) {
        throw Failure(Failure::Reason::badData,
                      "the range " + quotedValue(text) + " names row 0: rows start at 1");
    }
    if (b.c2 > sheetColumns || b.r2 > sheetRows) {
        throw Failure(Failure::Reason::badData, "the range " + quotedValue(text) +
                                                    " reaches past the last cell of a sheet, " +
                                                    columnLetters(sheetColumns) +
                                                    std::to_string(sheetRows));
    }
    return b;
}

} // namespace kw
