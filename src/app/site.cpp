#include "app/site.h"

#include "app/dialogs/manualwindow.h"
#include "app/dialogs/messagebox.h"

#include <QCoreApplication>
#include <QDesktopServices>

namespace kw::app {

void visitSite(QWidget* over) {
    ManualWindow::showManual(over);
}

bool openInBrowser(const QUrl& address, QWidget* parent) {
    if (QDesktopServices::openUrl(address)) {
        return true;
    }
    // Without a browser the address is still worth having: it can be copied from the message.
    showFailure(QCoreApplication::translate("kw::app::site",
                                            "The web browser could not be opened to show the "
                                            "page\n%1")
                    .arg(address.toString()),
                parent);
    return false;
}

} // namespace kw::app
