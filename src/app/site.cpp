#include "app/site.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace kw::app {

QUrl siteAddress() {
    // Installed beside the program (share/doc), or in the source tree it was built from.
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {bin.filePath("../share/doc/kruskalwallis/manual.html"),
                                     QStringLiteral(KW_DOCS_DIR "/manual.html")}) {
        if (QFileInfo::exists(candidate)) {
            return QUrl::fromLocalFile(QFileInfo(candidate).absoluteFilePath());
        }
    }
    return QUrl::fromLocalFile(QStringLiteral(KW_DOCS_DIR "/manual.html"));
}

void visitSite(QDialog* window) {
    const QUrl address = siteAddress();
    if (!QDesktopServices::openUrl(address)) {
        QMessageBox::warning(window, "Kruskal-Wallis",
                             "The page " + address.toString() + " could not be opened.");
        return;
    }
    window->reject();
}

} // namespace kw::app
