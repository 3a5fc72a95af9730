#pragma once

#include <QUrl>

class QDialog;

namespace kw::app {

// The program's documentation page, opened by every "visit Kruskal-Wallis test page"
// button: the manual that comes with the program.
QUrl siteAddress();

// Hands the documentation page to the web browser and closes `window`; a refusal is shown as
// a message and the window stays open.
void visitSite(QDialog* window);

} // namespace kw::app
