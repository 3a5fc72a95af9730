#pragma once

#include <QDialog>

namespace kw::app {

// The warning dialog: the caption in capitals as its title, the message in a text area that
// wraps and scrolls, "OK", and "Help" when a help page is named (0 to 10; -1 for none), which
// opens that page over the dialog.
class WarningDialog final : public QDialog {
    Q_OBJECT
public:
    WarningDialog(const QString& caption, const QString& message, int helpPage,
                  QWidget* parent = nullptr);

private slots:
    void showHelp();

private:
    int helpPage_;
};

} // namespace kw::app
