#include "core/data/datatable.h"

#include "core/base/parallel.h"

namespace kw {

DataTable::DataTable() : label_("no data"), store_(std::make_shared<TextStore>()) {}

DataTable::DataTable(std::shared_ptr<TextStore> store, std::vector<std::string> names,
                     std::vector<std::vector<CellRef>> columns)
    : label_("input"), names_(std::move(names)), store_(std::move(store)) {
    caseCount_ = columns.empty() ? 0 : static_cast<int>(columns.front().size());
    columns_.reserve(columns.size());
    for (auto& c : columns) {
        columns_.push_back(std::make_shared<std::vector<CellRef>>(std::move(c)));
    }
}

DataTable DataTable::blank(std::vector<std::string> names, int caseCount) {
    std::vector<std::vector<CellRef>> columns(
        names.size(), std::vector<CellRef>(static_cast<std::size_t>(caseCount)));
    return DataTable(std::make_shared<TextStore>(), std::move(names), std::move(columns));
}

std::string DataTable::cell(int col, int row) const {
    if (col < 0 || row < 0 || col > variableCount() || row > caseCount_) {
        return {};
    }
    if (col == 0) {
        return row == 0 ? label_ : std::to_string(row);
    }
    if (row == 0) {
        return name(col);
    }
    return std::string(value(col, row));
}

std::vector<CellRef>& DataTable::writable(int col) {
    auto& c = columns_[static_cast<std::size_t>(col - 1)];
    if (c.use_count() > 1) {
        // Results still read the old cells: give the table its own copy.
        c = std::make_shared<std::vector<CellRef>>(*c);
    }
    return *c;
}

void DataTable::setValue(int col, int row, std::string_view text) {
    writable(col)[static_cast<std::size_t>(row - 1)] = store_->add(text);
}

namespace {

std::shared_ptr<std::vector<CellRef>> reordered(const std::vector<CellRef>& old,
                                                const std::vector<std::uint32_t>& order) {
    auto moved = std::make_shared<std::vector<CellRef>>(old.size());
    parallelSlices(order.size(), [&](unsigned, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (i + 16 < to) {
                __builtin_prefetch(old.data() + order[i + 16]);
            }
            (*moved)[i] = old[order[i]];
        }
    });
    return moved;
}

} // namespace

void DataTable::permute(const std::vector<std::uint32_t>& order) {
    for (auto& c : columns_) {
        c = reordered(*c, order);
    }
}

ColumnView DataTable::column(int col) const {
    return ColumnView(store_, columns_[static_cast<std::size_t>(col - 1)]);
}

} // namespace kw
