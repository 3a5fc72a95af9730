#pragma once

#include "core/data/textstore.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace kw {

// The cells of one variable, rows 1..N at indexes 0..N-1: a shared, read-only view that stays
// valid while the table it came from is edited or reordered.
class ColumnView {
public:
    ColumnView() = default;
    ColumnView(std::shared_ptr<const TextStore> store,
               std::shared_ptr<const std::vector<CellRef>> refs)
        : store_(std::move(store)), refs_(std::move(refs)) {}

    std::size_t size() const { return refs_ ? refs_->size() : 0; }
    std::string_view operator[](std::size_t i) const { return store_->view((*refs_)[i]); }

    // Hints for loops that visit cells in scattered order: fetch the reference of cell i, or
    // (once that is near) the text it points to, ahead of use.
    void prefetchRef(std::size_t i) const { __builtin_prefetch(refs_->data() + i); }
    void prefetchText(std::size_t i) const { __builtin_prefetch((*this)[i].data()); }

private:
    std::shared_ptr<const TextStore> store_;
    std::shared_ptr<const std::vector<CellRef>> refs_;
};

} // namespace kw
