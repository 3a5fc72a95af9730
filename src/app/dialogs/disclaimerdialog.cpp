#include "app/dialogs/disclaimerdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/texts.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>

namespace kw::app {

DisclaimerDialog::DisclaimerDialog(QWidget* parent)
    : QDialog(parent, noCloseBox | Qt::WindowStaysOnTopHint) {
    setObjectName("Tdisclaimwindow");
    setWindowTitle("Disclaimer");
    setModal(true);
    auto* text = textView(resourceText("disclaimer.html"), this);
    auto* agree = new QPushButton("I agree", this);
    agree->setObjectName("agree");
    agree->setDefault(true);
    connect(agree, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(agree, 0, Qt::AlignHCenter);
    // Room for the whole text without scrolling, in lines of a comfortable length.
    // (Measured on a copy: the view lays out its own text for its own width.)
    const int width = fontMetrics().averageCharWidth() * 62;
    const std::unique_ptr<QTextDocument> measured(text->document()->clone());
    measured->setTextWidth(width);
    const int frame = 2 * text->frameWidth();
    text->setMinimumSize(width + frame, static_cast<int>(measured->size().height()) + frame);
}

} // namespace kw::app
