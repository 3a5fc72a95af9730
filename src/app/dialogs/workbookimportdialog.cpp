#include "app/dialogs/workbookimportdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/dialogs/importparts.h"
#include "app/qtlocale.h"
#include "core/base/failure.h"
#include "core/io/workbook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <utility>

namespace kw::app {

WorkbookImportDialog::WorkbookImportDialog(std::shared_ptr<const Workbook> book,
                                           const QString& source, char decimal, QWidget* parent)
    : QDialog(parent), book_(std::move(book)), decimal_(decimal) {
    setObjectName("workbookimportdialog");
    setWindowTitle(tr("Import workbook"));
    setModal(true);

    auto* sourceLabel = new QLabel(tr("File: %1").arg(QFileInfo(source).fileName()), this);
    sourceLabel->setObjectName("source");
    sourceLabel->setToolTip(source);
    sheetChoice_ = new QComboBox(this);
    sheetChoice_->setObjectName("sheet");
    sheetChoice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const std::string& name : book_->sheetNames()) {
        sheetChoice_->addItem(qText(name), QByteArray::fromStdString(name));
    }
    blockEdit_ = new QLineEdit(this);
    blockEdit_->setObjectName("block");
    blockEdit_->setPlaceholderText(tr("the whole used range"));
    blockEdit_->setToolTip(tr("The cells to read, such as A1:C40; the first row holds the names. "
                              "Empty: all the cells the sheet uses."));

    auto* grid = new QGridLayout;
    auto* sheetCaption = new QLabel(tr("&Sheet:"), this);
    sheetCaption->setBuddy(sheetChoice_);
    grid->addWidget(sheetCaption, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(sheetChoice_, 0, 1, Qt::AlignLeft);
    auto* blockCaption = new QLabel(tr("B&lock:"), this);
    blockCaption->setBuddy(blockEdit_);
    grid->addWidget(blockCaption, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(blockEdit_, 1, 1);
    choices_ = new ImportChoices(true, this);
    choices_->addRows(grid, 2);
    grid->setColumnStretch(1, 1);

    preview_ = new ImportPreview(this);
    auto* buttons = importButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &WorkbookImportDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceLabel);
    layout->addLayout(grid);
    layout->addWidget(preview_, 1);
    layout->addWidget(buttons);

    connect(sheetChoice_, &QComboBox::currentIndexChanged, this,
            &WorkbookImportDialog::chooseSheet);
    connect(blockEdit_, &QLineEdit::textChanged, this, &WorkbookImportDialog::refreshPreview);
    connect(choices_, &ImportChoices::changed, this, &WorkbookImportDialog::refreshPreview);

    chooseSheet();
    fitToScreen(this, QSize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 40));
    sheetChoice_->setFocus();
}

ImportOptions WorkbookImportDialog::options() const {
    ImportOptions options;
    options.decimal = decimal_;
    options.sheet = sheetChoice_->currentData().toByteArray().toStdString();
    // Cell addresses in capitals ("a1:c40" as A1:C40); anything else as typed, for the reader
    // to refuse naming it.
    static const QRegularExpression address(
        QRegularExpression::anchoredPattern("[A-Za-z]{1,3}[0-9]+(:[A-Za-z]{1,3}[0-9]+)?"));
    const QString block = blockEdit_->text().trimmed();
    options.range = toBytes(address.match(block).hasMatch() ? block.toUpper() : block);
    choices_->apply(options);
    return options;
}

void WorkbookImportDialog::chooseSheet() {
    // Another sheet: its own used range. Setting the text refreshes the preview.
    const QString used =
        qText(book_->usedRange(sheetChoice_->currentData().toByteArray().toStdString()));
    if (blockEdit_->text() == used) {
        refreshPreview();
    } else {
        blockEdit_->setText(used);
    }
}

void WorkbookImportDialog::refreshPreview() {
    const ImportOptions chosen = options();
    try {
        preview_->showRows(book_->preview(chosen, ImportPreview::rows), chosen, decimal_);
    } catch (...) {
        preview_->showFailure(qText(caughtFailure().message()));
    }
}

void WorkbookImportDialog::confirm() {
    if (sheetChoice_->currentIndex() < 0) {
        sheetChoice_->setFocus();
        return;
    }
    if (choices_->confirm()) {
        accept();
    }
}

} // namespace kw::app
