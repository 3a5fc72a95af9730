#pragma once

class QWidget;

namespace kw::app {

// How wide the columns of a grid get when fitted to their texts: the widest at about 30
// average characters (a longer text is elided, whole in its tooltip), the narrowest at a few.
int columnWidthLimit(const QWidget& view);
int narrowestColumn(const QWidget& view);

// Rows whose cells a fit measures per column at most: a table may hold millions of rows, so a
// fit reads those in sight and the first ones, never all.
inline constexpr int sampledRows = 200;

} // namespace kw::app
