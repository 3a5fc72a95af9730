#pragma once

#include <QString>
#include <Qt>

class QDialog;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLayout;
class QTextBrowser;
class QWidget;

namespace kw::app {

// What the program's dialogs share.

// A window without title-bar buttons: only its own buttons close it.
inline constexpr Qt::WindowFlags noCloseBox =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

inline constexpr const char* releaseDate = "(March, 2012)";

// A label in the dialog's font, or at `points` and bold.
QLabel* makeLabel(const QString& text, QWidget* parent, int points = 0, bool bold = false);

// A white panel with the program's icon at the left and `lines` at the right.
QFrame* whitePanel(QWidget* parent, QLayout* lines);

// The strip at the bottom of the about box, the new-version notice and the help window:
// "visit Kruskal-Wallis test page" at the left, "OK" at the right, which closes the dialog
// and, with `focusOk`, has the focus.
QHBoxLayout* visitStrip(QDialog* dialog, bool focusOk = true);

// A read-only view of a text of the program's (HTML), in the dialog's font.
QTextBrowser* textView(const QString& html, QWidget* parent);

} // namespace kw::app
