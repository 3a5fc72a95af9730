#pragma once

// The spreadsheet link to Microsoft Excel on Windows, through COM automation (late-bound
// IDispatch calls on Excel's object model).

#include "core/sheet/spreadsheetlink.h"

#include <memory>

namespace kw::com {

// A link to the Excel that is already running (it is never started or closed by the link).
//
// Every operation attaches to the running Excel first; the listing, selecting and creating
// operations release it again at their end, also when they fail, while useActiveSheet,
// readRange and writeRange keep it until disconnect, the next releasing operation or the
// link's end. COM is initialised on the calling thread (single-threaded apartment) for as
// long as an operation runs or the connection is kept; a thread already in the
// multithreaded apartment is used as it is. The link may be used from one thread after
// another, not from two at once; a connection kept by another thread is given up, and the
// operation attaches afresh.
//
// No Excel running is a kw::Failure with Reason::noSpreadsheet (the attach message); Excel's
// refusals, lost connections and missing books or sheets have Reason::spreadsheet, and no
// memory for a block Reason::outOfMemory.
std::unique_ptr<kw::SpreadsheetLink> makeExcelLink();

} // namespace kw::com
