#include "warningdialog.h"

#include "helpwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kw::app {

Twarningdialog::Twarningdialog(const QString& caption, const QString& message, int helppage,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      helppage_(helppage) {
    setObjectName("Twarningdialog");
    setWindowTitle(caption.toUpper());
    setModal(true);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName("message");
    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setPlainText(message);
    QPalette p = text_->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Window));
    text_->setPalette(p);

    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("OKbut");
    ok_->setDefault(true);
    help_ = new QPushButton("Help", this);
    help_->setObjectName("warninghelp");
    // Help is there for a warning that names a help page.
    help_->setVisible(helppage_ >= 0);
    connect(ok_, &QPushButton::clicked, this, &Twarningdialog::OKbutClick);
    connect(help_, &QPushButton::clicked, this, &Twarningdialog::warninghelpClick);

    auto* side = new QVBoxLayout;
    side->addWidget(picture, 0, Qt::AlignHCenter);
    side->addStretch();
    side->addWidget(ok_);
    side->addWidget(help_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addLayout(side);
    setFixedSize(313, 158);
    ok_->setFocus();
}

void Twarningdialog::OKbutClick() {
    accept();
}

void Twarningdialog::warninghelpClick() {
    // Over this dialog, which stays open behind the help.
    openhelp(helppage_, this);
}

} // namespace kw::app
