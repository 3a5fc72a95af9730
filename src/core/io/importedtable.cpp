#include "core/io/importedtable.h"

#include "core/base/failure.h"

#include <algorithm>
#include <limits>

namespace kw {

ImportedTable::ImportedTable(std::shared_ptr<TextStore> store, const ImportOptions& options)
    : store_(std::move(store)), options_(options), missing_(store_->add(options.missingCode)) {}

bool ImportedTable::isMissingText(std::string_view text) const {
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        return true;
    }
    return std::find(options_.naCodes.begin(), options_.naCodes.end(), text) !=
           options_.naCodes.end();
}

CellRef ImportedTable::cell(std::string_view text) {
    return isMissingText(text) ? missing_ : store_->add(text);
}

namespace {

// The two variables of a table kept one column per group.
std::vector<std::vector<CellRef>> longColumns(TextStore& store,
                                              const std::vector<std::string>& names,
                                              std::vector<std::vector<CellRef>>& columns,
                                              CellRef missing) {
    std::size_t count = 0;
    for (const auto& c : columns) {
        count += static_cast<std::size_t>(
            std::count_if(c.begin(), c.end(), [&](CellRef r) { return r.bits != missing.bits; }));
    }
    std::vector<std::vector<CellRef>> both(2);
    both[0].reserve(count);
    both[1].reserve(count);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const CellRef group = store.add(names[k]);
        for (CellRef r : columns[k]) {
            if (r.bits != missing.bits) {
                both[0].push_back(group);
                both[1].push_back(r);
            }
        }
        columns[k] = {};
    }
    return both;
}

} // namespace

DataTable ImportedTable::finish(std::vector<std::string> names,
                                std::vector<std::vector<CellRef>> columns) {
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (names[k].find_first_not_of(' ') == std::string::npos) {
            names[k] = "var" + std::to_string(k + 1);
        }
    }
    if (options_.wide) {
        columns = longColumns(*store_, names, columns, missing_);
        names = {"group", "value"};
    }
    const std::size_t cases = columns.empty() ? 0 : columns.front().size();
    if (cases == 0) {
        throw Failure(Failure::Reason::badData,
                      options_.wide ? "the data holds no value in any of its columns"
                                    : "the data holds no case below the variable names");
    }
    if (cases >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw Failure(Failure::Reason::badData,
                      "the data holds more cases than the program can take");
    }
    return DataTable(store_, std::move(names), std::move(columns));
}

} // namespace kw
