#include "app/dialogs/warningdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/dialogs/helpwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kw::app {

WarningDialog::WarningDialog(const QString& caption, const QString& message, int helpPage,
                             QWidget* parent)
    : QDialog(parent, noCloseBox), helpPage_(helpPage) {
    setObjectName("warningDialog");
    setWindowTitle(caption.toUpper());
    setModal(true);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName("message");
    text->setReadOnly(true);
    text->setFrameShape(QFrame::NoFrame);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setPlainText(message);
    QPalette p = text->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Window));
    text->setPalette(p);

    auto* picture = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKbut");
    ok->setDefault(true);
    auto* help = new QPushButton("Help", this);
    help->setObjectName("warninghelp");
    help->setVisible(helpPage_ >= 0);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, &WarningDialog::showHelp);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(picture, 0, Qt::AlignHCenter);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(help);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addLayout(buttons);
    // Room for a few lines of the message, in whatever font; a longer one scrolls.
    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * 52, metrics.lineSpacing() * 11);
    ok->setFocus();
}

void WarningDialog::showHelp() {
    // Over this dialog, which stays open behind the help.
    HelpWindow::showPage(helpPage_, this);
}

} // namespace kw::app
