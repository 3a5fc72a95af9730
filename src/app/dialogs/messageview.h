#pragma once

#include <QPlainTextEdit>
#include <QStyle>

class QHBoxLayout;
class QLayout;
class QWidget;

namespace kw::app {

// The text of the program's message dialogs: read-only, on the dialog's background, wrapped
// at word boundaries. Its size hint fits the whole message in lines of a comfortable length;
// only a message taller than the screen allows scrolls.
class MessageView final : public QPlainTextEdit {
    Q_OBJECT
public:
    MessageView(const QString& message, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    // The height of the message laid out in lines `width` wide (the view's inner width).
    int textHeight(int width) const;
};

// How the program's message dialogs are laid out: the message at the left, the symbol of its
// kind at the top of a column at the right and the buttons at the bottom of that column.
QHBoxLayout* messageLayout(QWidget* dialog, MessageView* message, QStyle::StandardPixmap symbol,
                           QLayout* buttons);

} // namespace kw::app
