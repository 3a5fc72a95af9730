#pragma once

#include <QDialog>

namespace kw::app {

// The help window: eleven topic pages ("Practice" with an inner tab for each page of the main
// window), "visit Kruskal-Wallis test page" and "OK".
class HelpWindow final : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(int page = 0, QWidget* parent = nullptr);

    // Opens a new help window at `page` (0 to 10), modally over `parent`.
    static void showPage(int page, QWidget* parent);
};

} // namespace kw::app
