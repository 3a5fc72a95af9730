#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kw::app {

// The warning dialog: the caption in capitals as its title, the message in a text area that
// wraps and scrolls, "OK", and "Help" when a help page is named (0 to 10; -1 for none).
class Twarningdialog final : public QDialog {
    Q_OBJECT
public:
    Twarningdialog(const QString& caption, const QString& message, int helppage,
                   QWidget* parent = nullptr);

    int helppage() const { return helppage_; }

private slots:
    void OKbutClick();
    void warninghelpClick();

private:
    int helppage_;
    QPlainTextEdit* text_;
    QPushButton* ok_;
    QPushButton* help_;
};

} // namespace kw::app
