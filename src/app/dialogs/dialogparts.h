#pragma once

#include <QRect>
#include <QSize>
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

// A label in the dialog's font, or bold and larger by `points` against a font of 9 points (so
// that it grows with the user's font).
QLabel* makeLabel(const QString& text, QWidget* parent, int points = 0, bool bold = false);

// A white panel with the program's icon at the left and `lines` at the right.
QFrame* whitePanel(QWidget* parent, QLayout* lines);
// The widest that lines beside the icon of a white panel may be on the screen.
int besideIcon(const QWidget* dialog);

// The strip at the bottom of the about box, the new-version notice and the help window:
// "visit Kruskal-Wallis test page" at the left, which shows the manual over the dialog, "OK"
// at the right, which closes the dialog and, with `focusOk`, has the focus.
QHBoxLayout* visitStrip(QDialog* dialog, bool focusOk = true);

// A read-only view of a text of the program's (HTML), in the dialog's font.
QTextBrowser* textView(const QString& html, QWidget* parent);

// The part of the screen that windows may use, of the screen `widget` is on.
QRect screenArea(const QWidget* widget);

// Sizes a rich-text label to its text: its lines as the text breaks them where they fit in
// `widest` pixels, else wrapped at that width, and as high as the lines take.
void fitRichText(QLabel* label, int widest);

// Gives a dialog `wanted` (its size hint when none), no larger than most of the screen, no
// smaller than its layout allows; lines that wrap get the height they need at that width.
void fitToScreen(QWidget* dialog, QSize wanted = {});

} // namespace kw::app
