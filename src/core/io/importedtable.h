#pragma once

#include "core/data/datatable.h"
#include "core/data/textstore.h"
#include "core/io/importoptions.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// What the import readers share: the cells of the table being read, the one missing cell that
// every empty or declared-missing cell receives, and the step from the columns read to the
// table (the wide layout turned into two variables, unnamed columns named).
class ImportedTable {
public:
    // `store` holds the cells' texts (a reader may put its decoded bytes into its base and
    // refer to runs of it); the missing-value code is added to it.
    ImportedTable(std::shared_ptr<TextStore> store, const ImportOptions& options);

    TextStore& store() { return *store_; }

    // The cell all missing values share.
    CellRef missing() const { return missing_; }

    // Whether a cell's text counts as missing: empty, blanks only, or one of the codes.
    bool isMissingText(std::string_view text) const;

    // A cell for a text: the missing cell for a missing text, otherwise the text added.
    CellRef cell(std::string_view text);

    // The table of the names and columns read (all columns of the same length, at least one
    // row): in the wide layout the two variables "group" and "value" with the missing cells
    // left out; an empty name becomes var1, var2, ... after its column. Refuses a table
    // without cases, or with more than the program can take.
    DataTable finish(std::vector<std::string> names, std::vector<std::vector<CellRef>> columns);

private:
    std::shared_ptr<TextStore> store_;
    const ImportOptions& options_;
    CellRef missing_;
};

} // namespace kw
