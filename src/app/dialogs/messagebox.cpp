#include "app/dialogs/messagebox.h"

#include "app/dialogs/dialogparts.h"
#include "app/dialogs/messageview.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QVBoxLayout>

namespace kw::app {

namespace {

QStyle::StandardPixmap symbolOf(QMessageBox::Icon icon) {
    switch (icon) {
    case QMessageBox::Information:
        return QStyle::SP_MessageBoxInformation;
    case QMessageBox::Question:
        return QStyle::SP_MessageBoxQuestion;
    case QMessageBox::Critical:
        return QStyle::SP_MessageBoxCritical;
    default:
        return QStyle::SP_MessageBoxWarning;
    }
}

} // namespace

MessageBox::MessageBox(Icon icon, const QString& caption, const QString& message,
                       StandardButtons buttons, QWidget* parent)
    // The box's own symbol stays unset: the symbol goes into the program's layout below,
    // which the message box would otherwise replace by its own.
    : QMessageBox(NoIcon, caption, message, buttons, parent, noCloseBox) {
    setTextFormat(Qt::PlainText);
    // The message box's own text label gives way to the program's view of the message; it
    // keeps the text that text() returns.
    for (QLabel* own : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        own->hide();
    }
    auto* buttonBox = findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
    buttonBox->setOrientation(Qt::Vertical);
    buttonBox->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    for (QAbstractButton* button : buttonBox->buttons()) {
        button->setIcon(QIcon()); // plain, as the warning dialog's
    }
    view_ = new MessageView(message, this);
    delete layout();
    auto* column = new QVBoxLayout;
    column->addWidget(buttonBox);
    messageLayout(this, view_, symbolOf(icon), column);
}

void MessageBox::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event);
    fitToMessage();
}

bool MessageBox::event(QEvent* event) {
    const QSize before = size();
    const bool result = QMessageBox::event(event);
    // The message box fixes its size again at every new layout; this one stays as it was, and
    // free to be made larger or smaller.
    if (event->type() == QEvent::LayoutRequest && isVisible()) {
        setMinimumSize(layout()->totalMinimumSize());
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(before.expandedTo(minimumSize()));
    }
    return result;
}

void MessageBox::fitToMessage() {
    setMinimumSize(layout()->totalMinimumSize());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(layout()->totalSizeHint());
    // Placed again for that size, over the parent and on the screen, as dialogs are placed.
    if (!testAttribute(Qt::WA_Moved)) {
        adjustPosition(parentWidget());
    }
}

QString programCaption() {
    return QCoreApplication::translate("kw::app::MessageBox", "Kruskal-Wallis");
}

void showFailure(const QString& message, QWidget* parent) {
    MessageBox box(QMessageBox::Warning, programCaption(), message, QMessageBox::Ok, parent);
    box.setObjectName("failuremessage");
    box.exec();
}

} // namespace kw::app
