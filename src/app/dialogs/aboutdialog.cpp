#include "app/dialogs/aboutdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/texts.h"
#include "core/base/version.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kw::app {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent, noCloseBox) {
    setObjectName("aboutDialog");
    setWindowTitle(tr("About"));
    setModal(true);
    auto* lines = new QVBoxLayout;
    auto* name = new QHBoxLayout;
    name->addWidget(makeLabel(tr("KRUSKAL-WALLIS"), this, 14, true));
    name->addWidget(makeLabel(tr("TEST"), this, 14));
    name->addStretch();
    lines->addLayout(name);
    auto* version = makeLabel(tr("Version: ") + programVersion + " " + releaseDate, this);
    version->setObjectName("version");
    lines->addWidget(version);
    // The textbook and the makers, one line each as the text breaks them.
    auto* text = makeLabel(resourceText("about.html"), this);
    text->setObjectName("aboutText");
    text->setTextFormat(Qt::RichText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Its lines as written where the screen has room for them beside the icon, else wrapped.
    fitRichText(text, besideIcon(this));
    lines->addWidget(text);
    lines->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(whitePanel(this, lines), 1);
    layout->addLayout(visitStrip(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace kw::app
