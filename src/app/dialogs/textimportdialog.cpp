#include "app/dialogs/textimportdialog.h"

#include "app/dialogs/dialogparts.h"
#include "app/dialogs/importparts.h"
#include "app/qtlocale.h"
#include "core/base/failure.h"
#include "core/io/delimitedtext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <utility>

namespace kw::app {

namespace {

// The separators offered by name, in the order of the chooser; "Other" follows.
struct NamedSeparator {
    const char* name;
    char separator;
};
constexpr NamedSeparator separators[] = {
    {QT_TRANSLATE_NOOP("kw::app::TextImportDialog", "Tab"), '\t'},
    {QT_TRANSLATE_NOOP("kw::app::TextImportDialog", "Semicolon"), ';'},
    {QT_TRANSLATE_NOOP("kw::app::TextImportDialog", "Comma"), ','},
    {QT_TRANSLATE_NOOP("kw::app::TextImportDialog", "Vertical bar"), '|'}};
constexpr int otherSeparator = 4;

// Encodings that files come in most; iconv knows many more, which may be typed.
const char* const encodings[] = {"UTF-8",        "UTF-16LE",   "UTF-16BE",   "UTF-16",
                                 "WINDOWS-1252", "ISO-8859-1", "ISO-8859-15"};

} // namespace

TextImportDialog::TextImportDialog(std::string head, const QString& source, char programDecimal,
                                   QWidget* parent)
    : QDialog(parent), head_(std::move(head)), pasted_(source.isEmpty()),
      programDecimal_(programDecimal) {
    setObjectName("textimportdialog");
    setWindowTitle(pasted_ ? tr("Paste data") : tr("Import delimited text"));
    setModal(true);

    auto* sourceLabel = new QLabel(pasted_ ? tr("Text from the clipboard")
                                           : tr("File: %1").arg(QFileInfo(source).fileName()),
                                   this);
    sourceLabel->setObjectName("source");
    sourceLabel->setToolTip(source);

    separatorChoice_ = new QComboBox(this);
    separatorChoice_->setObjectName("separator");
    for (const NamedSeparator& s : separators) {
        separatorChoice_->addItem(tr(s.name));
    }
    separatorChoice_->addItem(tr("Other:"));
    otherSeparatorEdit_ = new QLineEdit(this);
    otherSeparatorEdit_->setObjectName("otherseparator");
    otherSeparatorEdit_->setMaxLength(1);
    // One character of ASCII, not the quote (which encloses fields).
    otherSeparatorEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[ !#-~]"), otherSeparatorEdit_));
    otherSeparatorEdit_->setMaximumWidth(fontMetrics().horizontalAdvance("MMMM"));
    otherSeparatorEdit_->setAccessibleName(tr("Other separator"));
    otherSeparatorEdit_->setPlaceholderText(tr("none"));
    otherSeparatorEdit_->setToolTip(tr("The character between the fields; none: each line is one "
                                       "field"));

    decimalChoice_ = new QComboBox(this);
    decimalChoice_->setObjectName("decimalmark");
    decimalChoice_->addItem(tr("Point (1.5)"));
    decimalChoice_->addItem(tr("Comma (1,5)"));

    // The format found from the text, shown for the user to override.
    const TextFormat found = detectTextFormat(head_);
    int separatorIndex = otherSeparator;
    for (int i = 0; i < otherSeparator; ++i) {
        if (separators[i].separator == found.delimiter) {
            separatorIndex = i;
        }
    }
    separatorChoice_->setCurrentIndex(separatorIndex);
    if (separatorIndex == otherSeparator && found.delimiter != '\0') {
        otherSeparatorEdit_->setText(QString(QChar::fromLatin1(found.delimiter)));
    }
    otherSeparatorEdit_->setEnabled(separatorIndex == otherSeparator);
    decimalChoice_->setCurrentIndex(found.decimal == ',' ? 1 : 0);

    auto* grid = new QGridLayout;
    int row = 0;
    auto* separatorCaption = new QLabel(tr("&Separator:"), this);
    separatorCaption->setBuddy(separatorChoice_);
    auto* separatorRow = new QHBoxLayout;
    separatorRow->addWidget(separatorChoice_);
    separatorRow->addWidget(otherSeparatorEdit_);
    separatorRow->addStretch();
    grid->addWidget(separatorCaption, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(separatorRow, row++, 1);
    auto* decimalCaption = new QLabel(tr("&Decimal mark:"), this);
    decimalCaption->setBuddy(decimalChoice_);
    grid->addWidget(decimalCaption, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(decimalChoice_, row++, 1, Qt::AlignLeft);
    if (!pasted_) {
        encodingChoice_ = new QComboBox(this);
        encodingChoice_->setObjectName("encoding");
        encodingChoice_->setEditable(true);
        encodingChoice_->setInsertPolicy(QComboBox::NoInsert);
        for (const char* name : encodings) {
            encodingChoice_->addItem(name);
        }
        const QString encoding = QString::fromStdString(found.encoding);
        if (encodingChoice_->findText(encoding, Qt::MatchFixedString) < 0) {
            encodingChoice_->addItem(encoding);
        }
        encodingChoice_->setCurrentIndex(encodingChoice_->findText(encoding, Qt::MatchFixedString));
        auto* encodingCaption = new QLabel(tr("&Encoding:"), this);
        encodingCaption->setBuddy(encodingChoice_);
        grid->addWidget(encodingCaption, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(encodingChoice_, row++, 1, Qt::AlignLeft);
    }
    choices_ = new ImportChoices(true, this);
    row = choices_->addRows(grid, row);
    grid->setColumnStretch(1, 1);

    preview_ = new ImportPreview(this);
    auto* buttons = importButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TextImportDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceLabel);
    layout->addLayout(grid);
    layout->addWidget(preview_, 1);
    layout->addWidget(buttons);

    connect(separatorChoice_, &QComboBox::currentIndexChanged, this, [this](int index) {
        otherSeparatorEdit_->setEnabled(index == otherSeparator);
        if (index == otherSeparator) {
            otherSeparatorEdit_->setFocus();
        }
        refreshPreview();
    });
    connect(otherSeparatorEdit_, &QLineEdit::textChanged, this, &TextImportDialog::refreshPreview);
    connect(decimalChoice_, &QComboBox::currentIndexChanged, this,
            &TextImportDialog::refreshPreview);
    if (encodingChoice_ != nullptr) {
        connect(encodingChoice_, &QComboBox::currentTextChanged, this,
                &TextImportDialog::refreshPreview);
    }
    connect(choices_, &ImportChoices::changed, this, &TextImportDialog::refreshPreview);

    refreshPreview();
    fitToScreen(this, QSize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 40));
    separatorChoice_->setFocus();
}

char TextImportDialog::separator() const {
    const int index = separatorChoice_->currentIndex();
    if (index >= 0 && index < otherSeparator) {
        return separators[index].separator;
    }
    // The validator lets one character of ASCII through; none stands for no separator.
    const QString other = otherSeparatorEdit_->text();
    return other.size() == 1 ? other[0].toLatin1() : '\0';
}

ImportOptions TextImportDialog::options() const {
    ImportOptions options;
    options.delimiter = separator();
    options.decimal = decimalChoice_->currentIndex() == 1 ? ',' : '.';
    options.encoding =
        encodingChoice_ != nullptr ? toBytes(encodingChoice_->currentText().trimmed()) : "UTF-8";
    choices_->apply(options);
    return options;
}

void TextImportDialog::refreshPreview() {
    const ImportOptions chosen = options();
    if (chosen.encoding.empty()) {
        preview_->showFailure(tr("choose or type the encoding"));
        return;
    }
    try {
        preview_->showRows(previewDelimited(head_, chosen, ImportPreview::rows), chosen,
                           programDecimal_);
    } catch (...) {
        preview_->showFailure(qText(caughtFailure().message()));
    }
}

void TextImportDialog::confirm() {
    if (encodingChoice_ != nullptr && encodingChoice_->currentText().trimmed().isEmpty()) {
        encodingChoice_->setFocus();
        return;
    }
    if (!choices_->confirm()) {
        return;
    }
    accept();
}

} // namespace kw::app
