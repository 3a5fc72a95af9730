#include "app/dialogs/disclaimerdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/texts.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kw::app {

DisclaimerDialog::DisclaimerDialog(QWidget* parent)
    : QDialog(parent, noCloseBox | Qt::WindowStaysOnTopHint) {
    setObjectName("disclaimerDialog");
    setWindowTitle(tr("Disclaimer"));
    setModal(true);
    auto* text = textView(resourceText("disclaimer.html"), this);
    auto* agree = new QPushButton(tr("I agree"), this);
    agree->setObjectName("agree");
    agree->setDefault(true);
    connect(agree, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(agree, 0, Qt::AlignHCenter);
    // Room for the whole text without scrolling, in lines of a comfortable length, where the
    // screen has room for it; else the text scrolls. (Measured on a copy: the view lays out
    // its own text for its own width.)
    const QRect area = screenArea(this);
    const int frame = 2 * text->frameWidth();
    const int width = std::min(fontMetrics().averageCharWidth() * 62, area.width() * 8 / 10);
    const std::unique_ptr<QTextDocument> measured(text->document()->clone());
    measured->setTextWidth(width);
    const int height = std::min(static_cast<int>(std::ceil(measured->size().height())),
                                area.height() * 7 / 10 - agree->sizeHint().height());
    text->setMinimumSize(width + frame, height + frame);
}

} // namespace kw::app
