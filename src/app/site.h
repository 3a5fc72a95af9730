#pragma once

#include <QUrl>

namespace kw::app {

// The program's documentation page, opened by every "visit Kruskal-Wallis test page"
// button: the manual that comes with the program.
QUrl siteaddress();

} // namespace kw::app
