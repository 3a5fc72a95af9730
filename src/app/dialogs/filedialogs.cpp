#include "app/dialogs/filedialogs.h"

#include "app/qtlocale.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

namespace kw::app {

const QString dataFilesFilter =
    "Data files (*.csv *.tsv *.tab *.txt *.xlsx *.xlsm *.ods *.sav *.zsav *.por *.dta)";
const QString delimitedTextFilter = "Delimited text (*.csv *.tsv *.tab *.txt)";
const QString workbooksFilter = "Workbooks (*.xlsx *.xlsm *.ods)";
const QString statisticsFilesFilter = "SPSS and Stata files (*.sav *.zsav *.por *.dta)";
const QString ownTextFilter = "Text files of this program (*.txt *.dat)";
const QString allFilesFilter = "All files (*)";

QString filterSuffix(const QString& filter) {
    // The first pattern of the filter, "text files (*.txt)" -> "txt"; none for "*" or "*.*".
    static const QRegularExpression pattern(R"(\*\.([A-Za-z0-9_]+)[ )])");
    const QRegularExpressionMatch found = pattern.match(filter);
    return found.hasMatch() ? found.captured(1) : QString();
}

namespace {

DataFileChoice ask(QWidget* parent, QFileDialog::AcceptMode mode, const QStringList& filters,
                   const QString& folder = {}) {
    QFileDialog dialog(parent);
    dialog.setObjectName(mode == QFileDialog::AcceptOpen ? "opendialog" : "savedialog");
    // Qt's own dialog rather than the desktop's: the same on every platform, and a dialog of
    // the program's that can be driven like all the others (by accessibility tools, and by
    // the window tests).
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (mode == QFileDialog::AcceptSave) {
        // A name typed without an extension gets the chosen filter's ("results" is saved as
        // "results.txt" and shows under that filter when opened again); "all files" adds none.
        dialog.setDefaultSuffix(filterSuffix(dialog.selectedNameFilter()));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(filterSuffix(filter)); });
    }
    if (!folder.isEmpty() && QDir(folder).exists()) {
        dialog.setDirectory(folder);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return {dialog.selectedFiles().value(0), dialog.selectedNameFilter()};
}

} // namespace

QString askFileToRead(QWidget* parent) {
    return ask(parent, QFileDialog::AcceptOpen,
               {"text files (*.txt)", "excell space delimited(*.prn)", "all files (*.*)"})
        .path;
}

QString askFileToWrite(QWidget* parent) {
    return ask(parent, QFileDialog::AcceptSave, {"text files (*.txt)", "all files (*.*)"}).path;
}

QString askHtmlFileToWrite(QWidget* parent) {
    return ask(parent, QFileDialog::AcceptSave,
               {QCoreApplication::translate("FileDialogs", "HTML files (*.html *.htm)"),
                QCoreApplication::translate("FileDialogs", "all files (*.*)")})
        .path;
}

QString askPdfFileToWrite(QWidget* parent) {
    return ask(parent, QFileDialog::AcceptSave,
               {QCoreApplication::translate("FileDialogs", "PDF files (*.pdf)"),
                QCoreApplication::translate("FileDialogs", "all files (*.*)")})
        .path;
}

QString askCsvFileToWrite(QWidget* parent, const QString& folder) {
    return ask(parent, QFileDialog::AcceptSave,
               {QCoreApplication::translate("kw::app::FileDialogs", "CSV files (*.csv)"),
                QCoreApplication::translate("kw::app::FileDialogs", "All files (*)")},
               folder)
        .path;
}

QString askWorkbookFileToWrite(QWidget* parent, const QString& folder) {
    return ask(parent, QFileDialog::AcceptSave,
               {QCoreApplication::translate("kw::app::FileDialogs", "Excel workbooks (*.xlsx)"),
                QCoreApplication::translate("kw::app::FileDialogs", "All files (*)")},
               folder)
        .path;
}

DataFileChoice askDataFileToOpen(QWidget* parent, const QString& folder) {
    return ask(parent, QFileDialog::AcceptOpen,
               {dataFilesFilter, delimitedTextFilter, workbooksFilter, statisticsFilesFilter,
                ownTextFilter, allFilesFilter},
               folder);
}

DataFileKind chosenFileKind(const QString& path, const QString& filter) {
    const DataFileKind kind = dataFileKind(toBytes(path));
    if (kind == DataFileKind::spaceText && filter == delimitedTextFilter) {
        return DataFileKind::delimitedText;
    }
    return kind;
}

} // namespace kw::app
