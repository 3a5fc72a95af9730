#include "site.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kw::app {

QUrl siteaddress() {
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

} // namespace kw::app
