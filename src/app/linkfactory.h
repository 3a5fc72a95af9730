#pragma once

#include "failure.h"
#include "spreadsheet.h"

#include <QString>

#include <memory>

namespace kw::app {

// The link to the spreadsheet application this build talks to (LibreOffice Calc where the
// program was built with it); without one, a link whose every operation says so.
std::shared_ptr<SpreadsheetLink> makespreadsheetlink();

// Whether a failure of the link means that no spreadsheet application answered at all.
bool spreadsheetabsent(const Failure& failure);

// The question that offers to start the spreadsheet, ready for the program's connection
// (empty: this build cannot start one), and the start itself, which says what to expect, or
// throws with the reason when it cannot be done.
QString startspreadsheetquestion();
QString startspreadsheet();

} // namespace kw::app
