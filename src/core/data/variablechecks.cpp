#include "core/data/variablechecks.h"

#include "core/base/failure.h"
#include "core/base/parallel.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kw {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
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
        bool letter = false;
        bool point = false;
        for (std::size_t r = from; r < to && !letter; ++r) {
            for (char c : col[r]) {
                letter = letter || isLetter(c);
                point = point || c == '.';
            }
        }
        letters[part] = letter ? 1 : 0;
        points[part] = point ? 1 : 0;
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
            for (char c : col[r]) {
                if (isLetter(c) && c != 'E') {
                    found[part] = 1;
                    return;
                }
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
