#pragma once

#include <QMessageBox>

namespace kw::app {

class MessageView;

// The program's message box for failures, questions and information: the caption as given
// (not upper-cased as the notices' warning dialog does it), and laid out as the warning dialog
// is, so that every message the user meets has one look. It stays a QMessageBox, so that
// text(), button() and exec() answer as a message box's do.
class MessageBox final : public QMessageBox {
    Q_OBJECT
public:
    MessageBox(Icon icon, const QString& caption, const QString& message, StandardButtons buttons,
               QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Undoes the fixed size that the message box gives itself: the size of the message,
    // and no smaller than the layout allows.
    void fitToMessage();

    MessageView* view_;
};

// The caption of the failures and messages that are not notices.
QString programCaption();

// A failure that is not a notice, in the failure box (object name "failuremessage"), over
// `parent`; returns when the user has closed it.
void showFailure(const QString& message, QWidget* parent);

} // namespace kw::app
