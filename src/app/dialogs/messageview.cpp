#include "app/dialogs/messageview.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kw::app {

namespace {

QRect availableArea(const QWidget* widget) {
    const QScreen* screen = widget->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

MessageView::MessageView(const QString& message, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("message");
    setReadOnly(true);
    setTabChangesFocus(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setPlainText(message);
    setAccessibleName(tr("message"));
    setAccessibleDescription(message);
    // On the dialog's background, as a label would be; the window's palette, also a dark one.
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    p.setColor(QPalette::Text, p.color(QPalette::WindowText));
    setPalette(p);
}

int MessageView::textHeight(int width) const {
    QTextDocument measured;
    measured.setDefaultFont(font());
    measured.setDocumentMargin(document()->documentMargin());
    measured.setDefaultTextOption(document()->defaultTextOption());
    measured.setPlainText(toPlainText());
    measured.setTextWidth(width);
    return static_cast<int>(std::ceil(measured.size().height()));
}

QSize MessageView::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QRect screen = availableArea(this);
    const int margins = 2 * static_cast<int>(std::ceil(document()->documentMargin())) + 2;
    // Lines of at most about 64 characters and half the screen, at least about 24 characters.
    const int widest = std::max(metrics.averageCharWidth() * 16,
                                std::min(metrics.averageCharWidth() * 64, screen.width() / 2));
    const int narrowest = std::min(metrics.averageCharWidth() * 24, widest);
    int natural = 0;
    for (const QString& line : toPlainText().split(u'\n')) {
        natural = std::max(natural, metrics.horizontalAdvance(line));
    }
    int width = std::clamp(natural + margins, narrowest, widest);
    // A little more than the text: the view's own layout of the lines may differ by a pixel.
    int height = textHeight(width) + metrics.descent();
    const int tallest = screen.height() * 3 / 5;
    if (height > tallest) {
        height = tallest;
        width += verticalScrollBar()->sizeHint().width();
    }
    const int frame = 2 * frameWidth();
    return {width + frame, height + frame};
}

QSize MessageView::minimumSizeHint() const {
    // Room for a few words of a line; the rest scrolls when the user makes the dialog smaller.
    const QFontMetrics metrics = fontMetrics();
    const int frame = 2 * frameWidth();
    return {metrics.averageCharWidth() * 16 + verticalScrollBar()->sizeHint().width() + frame,
            metrics.lineSpacing() * 2 + frame};
}

QHBoxLayout* messageLayout(QWidget* dialog, MessageView* message, QStyle::StandardPixmap symbol,
                           QLayout* buttons) {
    auto* picture = new QLabel(dialog);
    picture->setObjectName("messageSymbol");
    const int side = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
    picture->setPixmap(dialog->style()->standardIcon(symbol, nullptr, dialog).pixmap(side, side));
    auto* column = new QVBoxLayout;
    column->addWidget(picture, 0, Qt::AlignHCenter);
    column->addStretch(1);
    column->addLayout(buttons);
    auto* layout = new QHBoxLayout(dialog);
    layout->addWidget(message, 1);
    layout->addLayout(column);
    return layout;
}

} // namespace kw::app
