#include "app/dialogs/importparts.h"

#include "app/qtlocale.h"
#include "core/base/failure.h"
#include "core/base/numbers.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kw::app {

namespace {

// The preview shows this many columns at most, and of a long text its beginning: a file
// with thousands of columns or huge fields must not make the dialog slow.
constexpr int previewColumns = 100;
constexpr int previewChars = 200;

QString previewText(const std::string& bytes) {
    QString text = qText(std::string_view(bytes).substr(0, previewChars * 4));
    if (text.size() > previewChars) {
        text = text.left(previewChars) + QChar(0x2026);
    }
    return text;
}

bool missingText(const std::string& text, const ImportOptions& options) {
    return text.find_first_not_of(' ') == std::string::npos ||
           std::find(options.naCodes.begin(), options.naCodes.end(), text) != options.naCodes.end();
}

// A caption on one line where there is room; on a narrow screen or in a large font it wraps
// rather than pushing the boxes off the dialog. (A label that wraps would wrap even with room.)
class Caption final : public QLabel {
public:
    Caption(const QString& text, QWidget* parent) : QLabel(text, parent) {
        setWordWrap(true);
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    QSize sizeHint() const override {
        const QMargins m = contentsMargins();
        const QSize line = fontMetrics().size(Qt::TextShowMnemonic, text());
        return {line.width() + m.left() + m.right() + 2 * margin() + 1,
                line.height() + m.top() + m.bottom() + 2 * margin()};
    }
};

} // namespace

// --- The choices

ImportChoices::ImportChoices(bool withCodes, QDialog* dialog) : QObject(dialog), dialog_(dialog) {
    if (withCodes) {
        naCodesEdit_ = new QLineEdit("NA", dialog);
        naCodesEdit_->setObjectName("nacodes");
        naCodesEdit_->setToolTip(tr("Cells holding one of these texts count as missing, as empty "
                                    "cells do; separate them by commas or blanks, e.g. NA ."));
        connect(naCodesEdit_, &QLineEdit::textChanged, this, &ImportChoices::changed);
    }
    missingCodeEdit_ = new QLineEdit("-99", dialog);
    missingCodeEdit_->setObjectName("missingcode");
    missingCodeEdit_->setToolTip(tr("The text that missing cells receive; it becomes the "
                                    "missing-value code of the data"));
    wideBox_ = new QCheckBox(tr("One column per &group (wide layout)"), dialog);
    wideBox_->setObjectName("wide");
    wideBox_->setToolTip(tr("Each column holds the values of one group: the data become two "
                            "variables, group (the column's name) and value"));
    connect(missingCodeEdit_, &QLineEdit::textChanged, this, &ImportChoices::changed);
    connect(wideBox_, &QCheckBox::toggled, this, &ImportChoices::changed);
}

int ImportChoices::addRows(QGridLayout* grid, int row) {
    auto caption = [&](const QString& text, QWidget* buddy) {
        auto* label = new Caption(text, dialog_);
        label->setBuddy(buddy);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(buddy, row, 1);
        ++row;
    };
    if (naCodesEdit_ != nullptr) {
        caption(tr("&Missing-value codes:"), naCodesEdit_);
    }
    caption(tr("Empty and missing cells &become:"), missingCodeEdit_);
    grid->addWidget(wideBox_, row, 1);
    return row + 1;
}

void ImportChoices::apply(ImportOptions& options) const {
    options.naCodes =
        naCodesEdit_ != nullptr ? naCodesFrom(naCodesEdit_->text()) : std::vector<std::string>{};
    options.missingCode = toBytes(missingCodeEdit_->text());
    options.wide = wideBox_->isChecked();
}

bool ImportChoices::confirm() {
    // Missing cells need a text: an empty one would make them look like no cell at all.
    if (missingCodeEdit_->text().trimmed().isEmpty()) {
        missingCodeEdit_->setFocus();
        return false;
    }
    return true;
}

std::vector<std::string> naCodesFrom(const QString& text) {
    std::vector<std::string> codes;
    static const QRegularExpression separators("[,\\s]+");
    for (const QString& code : text.split(separators, Qt::SkipEmptyParts)) {
        std::string bytes = toBytes(code);
        if (std::find(codes.begin(), codes.end(), bytes) == codes.end()) {
            codes.push_back(std::move(bytes));
        }
    }
    return codes;
}

// --- The preview

ImportPreview::ImportPreview(QWidget* parent) : QWidget(parent) {
    table_ = new QTableWidget(this);
    table_->setObjectName("preview");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setWordWrap(false);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows as high as a line of text: as many as possible in sight.
    table_->verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance("0000"));
    table_->setMinimumHeight(table_->verticalHeader()->defaultSectionSize() * 4);
    status_ = new QLabel(this);
    status_->setObjectName("previewstatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
}

namespace {

// The rows of a preview as the reader gives them: a number written with another decimal mark
// than the program's gets the program's, and one column per group becomes the two variables
// group and value, column after column, missing cells left out.
std::vector<std::vector<std::string>> rowsAsRead(std::vector<std::vector<std::string>> rows,
                                                 const ImportOptions& options,
                                                 char programDecimal) {
    const char fileDecimal = options.decimal.value_or(programDecimal);
    if (fileDecimal != programDecimal) {
        for (std::size_t r = 1; r < rows.size(); ++r) {
            for (std::string& text : rows[r]) {
                if (!missingText(text, options) && parseReal(text, fileDecimal)) {
                    std::replace(text.begin(), text.end(), fileDecimal, programDecimal);
                }
            }
        }
    }
    if (!options.wide || rows.empty()) {
        return rows;
    }
    std::vector<std::vector<std::string>> long_{{"group", "value"}};
    for (std::size_t c = 0; c < rows[0].size(); ++c) {
        std::string name = rows[0][c];
        if (name.find_first_not_of(' ') == std::string::npos) {
            name = "var" + std::to_string(c + 1);
        }
        for (std::size_t r = 1; r < rows.size(); ++r) {
            if (c < rows[r].size() && !missingText(rows[r][c], options)) {
                long_.push_back({name, rows[r][c]});
            }
        }
    }
    if (long_.size() > static_cast<std::size_t>(ImportPreview::rows)) {
        long_.resize(ImportPreview::rows);
    }
    return long_;
}

} // namespace

void ImportPreview::showRows(std::vector<std::vector<std::string>> rows,
                             const ImportOptions& options, char programDecimal) {
    rows = rowsAsRead(std::move(rows), options, programDecimal);
    table_->clear();
    if (rows.empty()) {
        table_->setRowCount(0);
        table_->setColumnCount(0);
        status_->setText(tr("Nothing to preview: no row can be read with these choices."));
        return;
    }
    std::size_t columns = 0;
    for (const auto& row : rows) {
        columns = std::max(columns, row.size());
    }
    const int shownColumns = static_cast<int>(std::min<std::size_t>(columns, previewColumns));
    table_->setColumnCount(shownColumns);
    table_->setRowCount(static_cast<int>(rows.size()) - 1);
    QStringList names;
    for (int c = 0; c < shownColumns; ++c) {
        const std::string name = c < static_cast<int>(rows[0].size()) ? rows[0][c] : "";
        // Unnamed columns are named as the readers name them.
        names << (name.find_first_not_of(' ') == std::string::npos ? QString("var%1").arg(c + 1)
                                                                   : previewText(name));
    }
    table_->setHorizontalHeaderLabels(names);
    const QString missingCode = qText(options.missingCode);
    const QBrush grey = palette().brush(QPalette::Disabled, QPalette::Text);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (int c = 0; c < shownColumns && c < static_cast<int>(rows[r].size()); ++c) {
            const std::string& text = rows[r][static_cast<std::size_t>(c)];
            auto item = std::make_unique<QTableWidgetItem>();
            if (missingText(text, options)) {
                item->setText(missingCode);
                item->setForeground(grey);
                QFont italic = item->font();
                italic.setItalic(true);
                item->setFont(italic);
                item->setToolTip(tr("missing"));
            } else {
                item->setText(previewText(text));
            }
            table_->setItem(static_cast<int>(r) - 1, c, item.release());
        }
    }
    table_->resizeColumnsToContents();
    const int widest = fontMetrics().averageCharWidth() * 24;
    for (int c = 0; c < shownColumns; ++c) {
        table_->setColumnWidth(c, std::min(table_->columnWidth(c), widest));
    }
    QString text = tr("The names and the first %1 cases as they will be read; missing "
                      "cells show the text they receive.")
                       .arg(rows.size() - 1);
    if (columns > static_cast<std::size_t>(shownColumns)) {
        text += tr(" The first %1 of %2 columns are shown.").arg(shownColumns).arg(columns);
    }
    status_->setText(text);
}

void ImportPreview::showFailure(const QString& message) {
    table_->clear();
    table_->setRowCount(0);
    table_->setColumnCount(0);
    status_->setText(tr("Nothing to preview: ") + message);
}

// --- Buttons and files

QDialogButtonBox* importButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(QCoreApplication::translate("kw::app::ImportParts", "OK"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(QCoreApplication::translate("kw::app::ImportParts", "Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

std::string textHead(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::string_view head = text.substr(0, limit);
    const std::size_t end = head.find_last_of("\n\r");
    if (end != std::string_view::npos && end > 0) {
        std::size_t cut = end + 1;
        if (head.substr(0, 2) == "\xFF\xFE" && cut % 2 == 1) {
            ++cut; // the second byte of a UTF-16LE line end
        }
        head = text.substr(0, cut);
    }
    return std::string(head);
}

std::string fileHead(const QString& path, std::size_t limit) {
    const std::string name = toBytes(path);
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!f) {
        const int err = errno;
        throw Failure(Failure::Reason::fileAccess,
                      "cannot read the file " + name + ": " + std::strerror(err));
    }
    // One byte more than the head: whether the file goes on.
    std::string bytes(limit + 1, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f.get()));
    if (std::ferror(f.get())) {
        const int err = errno;
        throw Failure(Failure::Reason::fileAccess,
                      "cannot read the file " + name + ": " + std::strerror(err));
    }
    return textHead(bytes, limit);
}

} // namespace kw::app
