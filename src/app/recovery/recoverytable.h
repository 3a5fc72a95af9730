#pragma once

#include "core/data/datatable.h"

#include <QString>

#include <atomic>
#include <mutex>

namespace kw::app {

// Writes `table` to `path` in the program's space-delimited text format (the core's writer,
// as "Save manual Input to text" writes it), through QSaveFile: the file is either the whole
// table afterwards or as it was before, never half-written.
//
// Meant for a thread of its own, from a copy of the window's table: the copy shares its cells'
// text store with the window's table, which an edit appends to, so `cellsLock` (which the
// window's edits take) is held while cells are read and released while the bytes go to the
// disk. `stop` is looked at between blocks: once it is set, the write ends without touching
// the file. Returns whether the file was written; throws kw::Failure where it could not be.
bool writeRecoveryTable(const QString& path, const DataTable& table, std::mutex& cellsLock,
                        const std::atomic<bool>& stop);

// Reads a copy back exactly as it was written: the names, then every line a case, every cell
// as it was, empty ones too (the program's reader takes runs of blanks as one and would refuse
// a line with an empty cell). A copy whose lines do not split into one cell per name (a value
// that held a blank, which the format cannot tell from the separator) is read as "Read data
// from Text file" reads it. Throws kw::Failure where the file cannot be read.
DataTable readRecoveryTable(const QString& path);

} // namespace kw::app
