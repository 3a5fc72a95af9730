#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace kw::app {

// The manual (docs/manual.html, compiled in) in a window of the program's: its links within
// the page scroll to their place, "Back" returns; a link to the web goes to the web browser,
// or, where none opens, to a message that gives the address.
class ManualWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget* parent = nullptr);

    // Opens a new manual window modally over `parent`, which stays open behind it.
    static void showManual(QWidget* parent);

    // Where the manual is.
    static QUrl address();

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace kw::app
