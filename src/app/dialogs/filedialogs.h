#pragma once

#include "core/io/importoptions.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace kw::app {

// The file dialogs of the File menu; an empty name when the user cancels.
// "Read data from Text file": an existing file.
QString askFileToRead(QWidget* parent);
// "Save manual Input to text" and "Save results to Text": any name, a file that exists
// replaced only when the user confirms; a name typed without an extension gets the chosen
// filter's (".txt" under "text files").
QString askFileToWrite(QWidget* parent);
// "Save report as HTML..." and "Export report as PDF...": as askFileToWrite, the name
// getting ".html" or ".pdf" when typed without an extension.
QString askHtmlFileToWrite(QWidget* parent);
QString askPdfFileToWrite(QWidget* parent);

// A grid's "Save as CSV...": any name, ".csv" added to a name typed without an extension
// under the CSV filter; it starts in `folder` where that is given.
QString askCsvFileToWrite(QWidget* parent, const QString& folder = {});
// "Save tables as workbook...": as askCsvFileToWrite, for an .xlsx.
QString askWorkbookFileToWrite(QWidget* parent, const QString& folder = {});

// File > Open: an existing data file of any kind the program reads, and the filter it was
// chosen under (which may decide how it is read, see chosenFileKind).
struct DataFileChoice {
    QString path;
    QString filter;
};
DataFileChoice askDataFileToOpen(QWidget* parent, const QString& folder);

// The extension that a filter's first pattern names ("txt" of "text files (*.txt)"), none for
// a filter of all files.
QString filterSuffix(const QString& filter);

// The filters of File > Open, in their order.
extern const QString dataFilesFilter;
extern const QString delimitedTextFilter;
extern const QString workbooksFilter;
extern const QString statisticsFilesFilter;
extern const QString ownTextFilter;
extern const QString allFilesFilter;

// How a file chosen in File > Open is read: its kind by its extension, then by its first
// bytes (kw::dataFileKind); except that what would be the program's own text (a .txt among
// others) is read as delimited text when it was chosen under the delimited-text filter.
DataFileKind chosenFileKind(const QString& path, const QString& filter);

} // namespace kw::app
