#pragma once

#include <QString>

namespace kw::app {

// A text compiled into the program (resources/texts.qrc): the pages of the help window, the
// disclaimer and the about box, as HTML. `name` is its path under resources/, e.g.
// "help/general.html".
QString resourceText(const QString& name);

} // namespace kw::app
