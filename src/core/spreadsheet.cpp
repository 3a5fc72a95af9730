#include "spreadsheet.h"

#include "failure.h"
#include "numbers.h"
#include "session.h"

#include <memory>

namespace kw {

int colnumber(std::string_view letters) {
    auto code = [](char c) {
        const int upper = c >= 'a' && c <= 'z' ? c - 32 : c;
        return upper - 64;
    };
    if (letters.size() >= 2) {
        return code(letters[0]) * 26 + code(letters[1]);
    }
    return letters.empty() ? 0 : code(letters[0]);
}

std::string colletters(int column) {
    std::string out;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        out.insert(out.begin(), static_cast<char>('A' + rest));
        column = (column - 1) / 26;
    }
    return out;
}

CellValue typedvalue(std::string_view text, char decimal) {
    if (text.empty()) {
        return CellValue::makeempty();
    }
    if (const auto whole = parseinteger(text)) {
        return CellValue::makeinteger(*whole);
    }
    if (const auto real = parsereal(text, decimal)) {
        return CellValue::makereal(*real);
    }
    return CellValue::maketext(std::string(text));
}

std::string textform(const CellValue& value, char decimal, int column, int row) {
    switch (value.kind) {
    case CellValue::Kind::empty:
        return {};
    case CellValue::Kind::integer:
        return std::to_string(value.integer);
    case CellValue::Kind::real:
        return formatgeneral(value.real, 15, decimal);
    case CellValue::Kind::text:
        return value.text;
    case CellValue::Kind::error:
        break;
    }
    throw Failure::plain("the cell " + colletters(column) + std::to_string(row) +
                         " holds an error value" +
                         (value.text.empty() ? std::string() : " (" + value.text + ")") +
                         " instead of data: correct it in the sheet, or leave it out of the range");
}

DataTable blocktable(const ValueTable& block, std::string_view missing, char decimal,
                     int firstcolumn, int firstrow) {
    auto store = std::make_shared<TextStore>();
    const int nvars = block.cols();
    std::vector<std::string> names;
    std::vector<std::vector<CellRef>> columns(static_cast<std::size_t>(nvars));
    for (int r = 0; r < block.rows(); ++r) {
        for (int c = 0; c < nvars; ++c) {
            std::string text = textform(block.at(r, c), decimal, firstcolumn + c, firstrow + r);
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

ValueTable resultsblock(const ResultsBlockData& data, char decimal) {
    const int k = data.ngroups;
    ValueTable block(k + 13, k >= 4 ? k + 2 : 6);
    auto put = [&](int row, int col, std::string text) {
        block.at(row - 1, col - 1) = CellValue::maketext(std::move(text));
    };
    put(1, 1, "KRUSKAL WALLIS NONPARAMETRIC ANOVA");
    put(1, 6, std::string("version:") + programversion);
    put(2, 1, "OVERALL TEST RESULTS");
    put(2, 6, "test date:" + data.date);
    put(4, 1, "group: " + data.groupname);
    put(5, 1, "test: " + data.testname);
    put(6, 1, "Chi2: " + formatfixedprecision(data.chi2, 9, 3, decimal));
    put(7, 1, "df: " + std::to_string(k - 1));
    put(8, 1, "p: " + formatscientific(data.pvalue, 3, 3, decimal));
    if (!(data.pvalue < data.alpha)) {
        put(10, 1, "NO MULTIPLE COMPARISON OF GROUPS ");
        return block;
    }
    put(10, 1, "MULTIPLE COMPARISON OF GROUPS ");
    put(11, 1, "* = significant at p<" + formatfixedprecision(data.alpha, 6, 4, decimal));
    const Grid& g = *data.mulcompgrid;
    for (int r = 0; r < g.rows() && 11 + r < block.rows(); ++r) {
        for (int c = 0; c < g.cols() && c < block.cols(); ++c) {
            block.at(11 + r, c) = typedvalue(g.cell(c, r), decimal);
        }
    }
    return block;
}

ValueTable countsblock(const Grid& grid, char decimal) {
    ValueTable block(grid.rows() + 1, grid.cols() + 1);
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c) {
            block.at(r, c) = typedvalue(grid.cell(c, r), decimal);
        }
    }
    return block;
}

} // namespace kw
