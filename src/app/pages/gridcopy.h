#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QIODevice;
class QTableView;

namespace kw::app {

// Cells a copy takes at most: a million cells of text come to some tens of MB on the
// clipboard and take well under a second to gather; a larger selection (a column of ten
// million cases) copies its first rows.
inline constexpr qsizetype maxCopiedCells = 1000000;
// Cells up to which the copy carries an HTML table too: word processors and spreadsheets
// take minutes over an HTML table of a million cells, and paste the text as quickly.
inline constexpr qsizetype maxHtmlCells = 100000;

// A block of a grid's cells as it goes onto the clipboard.
struct CopiedCells {
    QString text;    // tab-separated, rows by "\n"
    QString html;    // a whole HTML table; empty for a block beyond maxHtmlCells
    int rows = 0;    // the rows of the block copied, headers not counted
    int allRows = 0; // the rows of the selection's block
};

// The block that the view's selection spans (the current cell where nothing is selected),
// the selected cells of it with their texts and the others empty, hidden rows and columns
// left out; with `withHeaders`, the column headers as the first row and the row headers as
// the first column where the grid shows row headers other than the row numbers. A text
// holding a tab, a line end or a leading quote is quoted as spreadsheets quote it.
CopiedCells copiedCells(const QTableView& view, bool withHeaders,
                        qsizetype cellLimit = maxCopiedCells);

// Writes the view's whole grid as CSV (RFC 4180: comma, CRLF after every record, a field
// holding a comma, a quote or a line end quoted with its quotes doubled), UTF-8, the headers
// as copiedCells takes them. `progress` is told the rows written so far and may stop the
// writing by returning false. Whether all was written.
bool writeGridCsv(const QTableView& view, QIODevice& out,
                  const std::function<bool(int done, int rows)>& progress = {});

// The view's whole grid as cell texts (UTF-8), rows[row][col], the headers as writeGridCsv
// takes them.
std::vector<std::vector<std::string>> gridTexts(const QTableView& view);

// One field of CSV as writeGridCsv writes it.
QString csvField(const QString& text);

} // namespace kw::app
