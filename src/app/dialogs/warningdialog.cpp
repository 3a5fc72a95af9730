#include "app/dialogs/warningdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/dialogs/helpwindow.h"
#include "app/dialogs/messageview.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kw::app {

WarningDialog::WarningDialog(const QString& caption, const QString& message, int helpPage,
                             QWidget* parent)
    : QDialog(parent, noCloseBox), helpPage_(helpPage) {
    setObjectName("warningDialog");
    setWindowTitle(caption.toUpper());
    setModal(true);

    auto* text = new MessageView(message, this);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("OKbut");
    ok->setDefault(true);
    auto* help = new QPushButton(tr("Help"), this);
    help->setObjectName("warninghelp");
    help->setVisible(helpPage_ >= 0);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, &WarningDialog::showHelp);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(help);
    messageLayout(this, text, QStyle::SP_MessageBoxWarning, buttons);
    // Sized to the message by its layout; the user may make it larger or smaller.
    setTabOrder(ok, help);
    setTabOrder(help, text);
    ok->setFocus();
}

void WarningDialog::showHelp() {
    // Over this dialog, which stays open behind the help.
    HelpWindow::showPage(helpPage_, this);
}

} // namespace kw::app
