#include "app/dialogs/statisticsimportdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/dialogs/importparts.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kw::app {

StatisticsImportDialog::StatisticsImportDialog(const QString& source, QWidget* parent)
    : QDialog(parent) {
    setObjectName("statisticsimportdialog");
    setWindowTitle(tr("Import SPSS or Stata file"));
    setModal(true);
    auto* sourceLabel = new QLabel(tr("File: %1").arg(QFileInfo(source).fileName()), this);
    sourceLabel->setObjectName("source");
    sourceLabel->setToolTip(source);
    auto* note = new QLabel(tr("Values that the file declares missing, and empty values, become "
                               "the missing-value code."),
                            this);
    note->setWordWrap(true);
    choices_ = new ImportChoices(false, this);
    auto* grid = new QGridLayout;
    choices_->addRows(grid, 0);
    grid->setColumnStretch(1, 1);
    auto* buttons = importButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &StatisticsImportDialog::confirm);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceLabel);
    layout->addWidget(note);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(buttons);
    fitToScreen(this);
}

ImportOptions StatisticsImportDialog::options() const {
    ImportOptions options;
    choices_->apply(options);
    return options;
}

void StatisticsImportDialog::confirm() {
    if (choices_->confirm()) {
        accept();
    }
}

} // namespace kw::app
