#include "app/dialogs/celladdressbox.h"

namespace kw::app {

CellAddressBox::CellAddressBox(Part part, const QString& name, QWidget* parent)
    : QLineEdit(parent), part_(part) {
    setObjectName(name);
    connect(this, &QLineEdit::textChanged, this, &CellAddressBox::filter);
}

QSize CellAddressBox::sizeHint() const {
    QSize size = QLineEdit::sizeHint();
    size.setWidth(fontMetrics().horizontalAdvance(QString(8, u'0')) + 12);
    return size;
}

void CellAddressBox::filter() {
    QString text = this->text();
    if (text.isEmpty()) {
        return;
    }
    const bool letters = part_ == Part::column;
    if (letters) {
        text = text.toUpper();
    }
    const QChar last = text.back();
    const bool good = letters ? (last >= u'A' && last <= u'Z') : (last >= u'0' && last <= u'9');
    if (!good) {
        text.chop(1);
    }
    if (text != this->text()) {
        const QSignalBlocker block(this);
        setText(text);
    }
    setCursorPosition(static_cast<int>(text.size()));
}

} // namespace kw::app
