#include "app/dialogs/filedialogs.h"

#include <QFileDialog>

namespace kw::app {

namespace {

QString ask(QWidget* parent, QFileDialog::AcceptMode mode, const QStringList& filters) {
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
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

} // namespace

QString askFileToRead(QWidget* parent) {
    return ask(parent, QFileDialog::AcceptOpen,
               {"text files (*.txt)", "excell space delimited(*.prn)", "all files (*.*)"});
}

QString askFileToWrite(QWidget* parent) {
    return ask(parent, QFileDialog::AcceptSave, {"text files (*.txt)", "all files (*.*)"});
}

} // namespace kw::app
