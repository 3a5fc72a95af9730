#pragma once

#include "core/data/columnview.h"
#include "core/data/textstore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// The data table: V variables with their names and N cases of text cells, addressed as in the
// window's grid: (column, row) from 0, row 0 the names, column 0 the case numbers.
class DataTable {
public:
    // The table before any load: no variables, no cases, "no data" in the corner.
    DataTable();

    // Built by the readers: names, and for each variable its N cells in `store`.
    DataTable(std::shared_ptr<TextStore> store, std::vector<std::string> names,
              std::vector<std::vector<CellRef>> columns);

    // A table of empty cells with the given names, ready for typing.
    static DataTable blank(std::vector<std::string> names, int caseCount);

    int variableCount() const { return static_cast<int>(names_.size()); }
    int caseCount() const { return caseCount_; }

    const std::string& label() const { return label_; }
    void setLabel(std::string label) { label_ = std::move(label); }

    const std::string& name(int col) const { return names_[static_cast<std::size_t>(col - 1)]; }
    const std::vector<std::string>& names() const { return names_; }

    // Cell (col, row), col 1..V, row 1..N.
    std::string_view value(int col, int row) const {
        return store_->view(
            (*columns_[static_cast<std::size_t>(col - 1)])[static_cast<std::size_t>(row - 1)]);
    }

    // Any cell of the grid, header row and case-number column included; "" outside it.
    std::string cell(int col, int row) const;

    // An in-place edit of a value cell.
    void setValue(int col, int row, std::string_view text);

    // Gives variable `col` (1..V) another name.
    void rename(int col, std::string name) {
        names_[static_cast<std::size_t>(col - 1)] = std::move(name);
    }

    // Reorders the cases: the case at row order[i] + 1 moves to row i + 1.
    void permute(const std::vector<std::uint32_t>& order);

    ColumnView column(int col) const;

private:
    std::vector<CellRef>& writable(int col);

    std::string label_;
    std::vector<std::string> names_;
    int caseCount_ = 0;
    std::shared_ptr<TextStore> store_;
    std::vector<std::shared_ptr<std::vector<CellRef>>> columns_;
};

} // namespace kw
