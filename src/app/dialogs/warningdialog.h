#pragma once

#include <QDialog>

namespace kw::app {

// The warning dialog of the program's notices: the caption in capitals as its title, the
// message (sized to it, see MessageView), "OK", and "Help" when a help page is named (0 to 10;
// -1 for none), which opens that page over the dialog. Other messages look the same
// (MessageBox).
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
