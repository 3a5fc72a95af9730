#include "core/data/variablechecks.h"

#include "core/base/failure.h"
#include "core/base/parallel.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

namespace {

constexpr bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// What each byte is, as bits, so that the scans below OR them up without a branch a byte.
constexpr unsigned char letterBit = 1;    // a letter
constexpr unsigned char pointBit = 2;     // '.'
constexpr unsigned char notNumberBit = 4; // a letter other than 'E'

struct ByteKinds {
    unsigned char kind[256] = {};
    constexpr ByteKinds() {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            kind[b] = static_cast<unsigned char>((isLetter(c) ? letterBit : 0) |
                                                 (c == '.' ? pointBit : 0) |
                                                 (isLetter(c) && c != 'E' ? notNumberBit : 0));
        }
    }
};

constexpr ByteKinds byteKinds;

unsigned char kindsOf(std::string_view text) {
    unsigned char kinds = 0;
    for (char c : text) {
        kinds |= byteKinds.kind[static_cast<unsigned char>(c)];
    }
    return kinds;
}

Failure notDiscrete() {
    return Failure::warning("group variable must be discrete", helpVariables);
}

} // namespace

GroupMode checkGroupingVariable(const DataTable& table, int column) {
    // Whether any text holds a letter, and whether any holds a point; each worker a slice.
    const ColumnView col = table.column(column);
    std::vector<char> letters(workers(), 0);
    std::vector<char> points(workers(), 0);
    parallelSlices(col.size(), [&](unsigned part, std::size_t from, std::size_t to) {
        unsigned char kinds = 0;
        for (std::size_t r = from; r < to && (kinds & letterBit) == 0; ++r) {
            kinds |= kindsOf(col[r]);
        }
        letters[part] = (kinds & letterBit) != 0 ? 1 : 0;
        points[part] = (kinds & pointBit) != 0 ? 1 : 0;
    });
    const bool letter = std::find(letters.begin(), letters.end(), 1) != letters.end();
    const bool point = std::find(points.begin(), points.end(), 1) != points.end();
    if (point && !letter) {
        throw notDiscrete();
    }
    return letter ? GroupMode::texts : GroupMode::numbers;
}

void checkTestVariable(const DataTable& table, int column) {
    const ColumnView col = table.column(column);
    std::vector<char> found(workers(), 0);
    parallelSlices(col.size(), [&](unsigned part, std::size_t from, std::size_t to) {
        for (std::size_t r = from; r < to; ++r) {
            if ((kindsOf(col[r]) & notNumberBit) != 0) {
                found[part] = 1;
                return;
            }
        }
    });
    if (std::find(found.begin(), found.end(), 1) != found.end()) {
        throw Failure::warning("test variable must be numeric", helpVariables);
    }
}

void checkSelectionVariable(const DataTable& table, int column) {
    if (table.cell(column, 1).find('.') != std::string::npos) {
        throw notDiscrete();
    }
}

} // namespace kw
