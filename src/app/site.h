#pragma once

#include <QUrl>

class QWidget;

namespace kw::app {

// What every "visit Kruskal-Wallis test page" button does: shows the manual that comes with
// the program in a window of its own over `over`, which stays open.
void visitSite(QWidget* over);

// Hands an address on the web to the user's browser; where none opens, a message over `parent`
// says so and gives the address. Whether the browser took it.
bool openInBrowser(const QUrl& address, QWidget* parent);

} // namespace kw::app
