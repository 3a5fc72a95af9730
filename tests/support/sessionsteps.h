#pragma once

#include "core/base/feedback.h"
#include "core/io/textreader.h"
#include "core/session/session.h"
#include "core/sheet/sheettransfer.h"
#include "core/stats/analysis.h"

#include <string>

namespace kw::test {

// The steps of a user's action that the window spreads over two threads, taken at once.

// "Read data from Text file" after its dialog: the file read and loaded.
inline void openTextFile(Session& s, const std::string& path, Feedback* feedback = nullptr) {
    s.startReadingFile(path);
    s.loadTable(readTextFile(path, feedback));
}

// "calculate".
inline void calculate(Session& s, Feedback* feedback = nullptr) {
    s.applyAnalysis(analyse(s.table(), s.analysisRequest(), feedback));
}

// "&Read data from Excel file" after its dialog.
inline void readSheet(Session& s, SpreadsheetLink& link, const SheetRange& range) {
    s.setMissingCode(range.missingCode);
    s.loadSheetTable(readSheetBlock(link, range, s.locale().decimal));
}

} // namespace kw::test
