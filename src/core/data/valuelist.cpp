#include "core/data/valuelist.h"

namespace kw {

std::vector<std::string> valueList(const DataTable& table, int col, const Collation& collation) {
    const ColumnView column = table.column(col);
    std::vector<std::string> out;
    for (std::size_t i : distinctSorted(column, column.size(), collation)) {
        out.emplace_back(column[i]);
    }
    return out;
}

} // namespace kw
