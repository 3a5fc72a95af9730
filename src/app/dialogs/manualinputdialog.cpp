#include "app/dialogs/manualinputdialog.h"

#include "app/dialogs/dialogparts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kw::app {

ManualInputDialog::ManualInputDialog(QWidget* parent) : QDialog(parent, noCloseBox) {
    setObjectName("manualInputDialog");
    setWindowTitle(tr("manual input of data"));
    setModal(true);
    variablesEdit_ = new QLineEdit("2", this);
    variablesEdit_->setObjectName("nvarsin");
    casesEdit_ = new QLineEdit(this);
    casesEdit_->setObjectName("ntotvalin");
    auto* form = new QFormLayout;
    form->addRow(tr("number of variables: "), variablesEdit_);
    form->addRow(tr("total number of cases: "), casesEdit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    casesEdit_->setFocus();
}

QString ManualInputDialog::variablesText() const {
    return variablesEdit_->text();
}

QString ManualInputDialog::casesText() const {
    return casesEdit_->text();
}

} // namespace kw::app
