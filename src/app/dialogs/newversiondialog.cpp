#include "app/dialogs/newversiondialog.h"

#include "app/dialogs/dialogparts.h"
#include "core/base/version.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace kw::app {

NewVersionDialog::NewVersionDialog(const QString& previousVersion, QWidget* parent)
    : QDialog(parent, noCloseBox) {
    setObjectName("newVersionNotice");
    setWindowTitle(tr("Updated version was detected"));
    setModal(true);
    auto* lines = new QVBoxLayout;
    lines->addWidget(makeLabel(tr("Kruskal-Wallis test"), this, 18, true));
    auto* previous = makeLabel(tr("Previous version: ") + previousVersion, this);
    previous->setObjectName("previousversion");
    lines->addWidget(previous);
    lines->addWidget(makeLabel(tr("Current version: ") + programVersion, this));
    lines->addWidget(makeLabel(releaseDate, this));
    auto* text = makeLabel(tr("A new version of the Kruskal-Wallis test program was installed on "
                              "your computer since the last time you used the program.\n\n"
                              "To see what has changed in this version, please visit the "
                              "Kruskal-Wallis test page on our website."),
                           this);
    text->setWordWrap(true);
    // Lines of a comfortable length; the dialog grows with the font.
    text->setMinimumWidth(std::min(fontMetrics().averageCharWidth() * 66, besideIcon(this)));
    lines->addWidget(text);
    lines->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(whitePanel(this, lines), 1);
    layout->addLayout(visitStrip(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace kw::app
