#include "core/sheet/sheetblocks.h"

#include "core/base/numbers.h"
#include "core/base/version.h"
#include "core/sheet/cellvalues.h"

#include <memory>

namespace kw {

DataTable blockTable(const ValueTable& block, std::string_view missing, char decimal,
                     int firstColumn, int firstRow) {
    auto store = std::make_shared<TextStore>();
    const int variableCount = block.columnCount();
    std::vector<std::string> names;
    std::vector<std::vector<CellRef>> columns(static_cast<std::size_t>(variableCount));
    for (int r = 0; r < block.rowCount(); ++r) {
        for (int c = 0; c < variableCount; ++c) {
            std::string text = textForm(block.at(r, c), decimal, firstColumn + c, firstRow + r);
            // A cell that is empty or holds only blanks receives the missing-value text.
            if (text.find_first_not_of(' ') == std::string::npos) {
                text = std::string(missing);
            }
            if (r == 0) {
                names.push_back(std::move(text));
            } else {
                columns[static_cast<std::size_t>(c)].push_back(store->add(text));
            }
        }
    }
    DataTable table(std::move(store), std::move(names), std::move(columns));
    return table;
}

ValueTable resultsBlock(const ResultsBlockData& data, char decimal) {
    const int k = data.groupCount;
    ValueTable block(k + 13, k >= 4 ? k + 2 : 6);
    auto put = [&](int row, int col, std::string text) {
        block.at(row - 1, col - 1) = CellValue::makeText(std::move(text));
    };
    put(1, 1, "KRUSKAL WALLIS NONPARAMETRIC ANOVA");
    put(1, 6, std::string("version:") + programVersion);
    put(2, 1, "OVERALL TEST RESULTS");
    put(2, 6, "test date:" + data.date);
    put(4, 1, "group: " + data.groupName);
    put(5, 1, "test: " + data.testName);
    put(6, 1, "Chi2: " + formatFixedPrecision(data.chiSquare, 9, 3, decimal));
    put(7, 1, "df: " + std::to_string(k - 1));
    put(8, 1, "p: " + formatScientific(data.pValue, 3, 3, decimal));
    if (!(data.pValue < data.alpha)) {
        put(10, 1, "NO MULTIPLE COMPARISON OF GROUPS ");
        return block;
    }
    put(10, 1, "MULTIPLE COMPARISON OF GROUPS ");
    put(11, 1, "* = significant at p<" + formatFixedPrecision(data.alpha, 6, 4, decimal));
    const Grid& g = *data.comparisonGrid;
    for (int r = 0; r < g.rowCount() && 11 + r < block.rowCount(); ++r) {
        for (int c = 0; c < g.columnCount() && c < block.columnCount(); ++c) {
            block.at(11 + r, c) = typedValue(g.cell(c, r), decimal);
        }
    }
    return block;
}

ValueTable countsBlock(const Grid& grid, char decimal) {
    ValueTable block(grid.rowCount() + 1, grid.columnCount() + 1);
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            block.at(r, c) = typedValue(grid.cell(c, r), decimal);
        }
    }
    return block;
}

} // namespace kw
