#include "app/selectionpanel.h"

#include "app/qtlocale.h"
#include "core/data/selection.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>

namespace kw::app {

namespace {

// A caption at `points` (at a 10-point system font; as much larger as the system font is
// larger), known to accessibility tools as the label of `buddy`.
QLabel* caption(const QString& text, QWidget* parent, const char* name = nullptr, int points = 10,
                QWidget* buddy = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name != nullptr) {
        label->setObjectName(name);
    }
    QFont f = label->font();
    f.setPointSize(std::max(points, f.pointSize() + points - 10));
    label->setFont(f);
    if (buddy != nullptr) {
        label->setBuddy(buddy);
    }
    return label;
}

// A chooser as wide as `chars` characters where there is room, down to `fewest` where the
// window is narrow.
class ChoiceBox final : public QComboBox {
public:
    ChoiceBox(const char* name, int chars, int fewest, QWidget* parent)
        : QComboBox(parent), fewest_(fewest) {
        setObjectName(name);
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(chars);
    }

    QSize minimumSizeHint() const override {
        QSize size = QComboBox::minimumSizeHint();
        const int chars = minimumContentsLength();
        const int perChar = fontMetrics().horizontalAdvance(u'x');
        size.setWidth(size.width() - (chars - fewest_) * perChar);
        return size;
    }

private:
    int fewest_;
};

// Space between groups of controls in a row, given up where the window is narrow.
QSpacerItem* gap() {
    return new QSpacerItem(12, 0, QSizePolicy::Preferred, QSizePolicy::Minimum);
}

void setItems(QComboBox* box, const QStringList& items) {
    if (box->model()->rowCount() == items.size()) {
        bool same = true;
        for (int i = 0; i < items.size() && same; ++i) {
            same = box->itemText(i) == items[i];
        }
        if (same) {
            return;
        }
    }
    const QSignalBlocker block(box);
    auto* model = qobject_cast<QStringListModel*>(box->model());
    if (model != nullptr) {
        model->setStringList(items);
    } else {
        box->clear();
        box->addItems(items);
    }
    box->setCurrentIndex(-1);
}

QStringList shownTexts(const std::vector<std::string>& items) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) {
        out << qShown(item);
    }
    return out;
}

} // namespace

SelectionPanel::SelectionPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("panel");
    // Created in the order Tab visits them (see the end), row by row as they are seen.
    groupChoice_ = new ChoiceBox("groupchoice", 13, 4, this);
    groupChoice_->setAccessibleName(tr("grouping variable"));
    groupChoice_->setAccessibleDescription(tr("The variable whose values form the groups"));
    testChoice_ = new ChoiceBox("testchoice", 13, 4, this);
    testChoice_->setAccessibleName(tr("test variable"));
    testChoice_->setAccessibleDescription(tr("The variable whose values are compared"));
    alphaEdit_ = new QLineEdit(this);
    alphaEdit_->setObjectName("inputalpha");
    alphaEdit_->setAccessibleName(tr("alpha"));
    alphaEdit_->setAccessibleDescription(tr("The significance level of the multiple comparison"));
    alphaEdit_->setMinimumWidth(fontMetrics().horizontalAdvance("0.000") + 12);
    alphaEdit_->setMaximumWidth(fontMetrics().horizontalAdvance("0.00001") + 12);
    auto* calculate = new QPushButton(tr("calculate"), this);
    calculate->setObjectName("calculate");
    calculate->setAccessibleDescription(tr("Runs the test with these choices"));
    QFont big = calculate->font();
    big.setPointSize(std::max(12, big.pointSize() + 2));
    big.setBold(true);
    calculate->setFont(big);

    auto* groupMode = new QGroupBox(tr("treat grouping variable as:"), this);
    groupMode->setObjectName("treatgroupas");
    groupModeButtons_ = new QButtonGroup(groupMode);
    auto* texts = new QRadioButton(tr("texts"), groupMode);
    texts->setObjectName("texts");
    texts->setAccessibleDescription(tr("Treat grouping variable as texts"));
    auto* numbers = new QRadioButton(tr("numbers"), groupMode);
    numbers->setObjectName("numbers");
    numbers->setAccessibleDescription(tr("Treat grouping variable as numbers"));
    groupModeButtons_->addButton(texts, static_cast<int>(GroupMode::texts));
    groupModeButtons_->addButton(numbers, static_cast<int>(GroupMode::numbers));
    numbers->setChecked(true);
    auto* radios = new QHBoxLayout(groupMode);
    radios->addWidget(texts);
    radios->addWidget(numbers);
    missingCodeEdit_ = new QLineEdit(this);
    missingCodeEdit_->setObjectName("missvals");
    missingCodeEdit_->setAccessibleName(tr("missing values"));
    missingCodeEdit_->setAccessibleDescription(tr("The code that marks a missing value"));
    missingCodeEdit_->setMaximumWidth(fontMetrics().averageCharWidth() * 17);
    missingCodeEdit_->setMinimumWidth(fontMetrics().averageCharWidth() * 6);

    selectionChoice_ = new ChoiceBox("selchoice", 13, 4, this);
    selectionChoice_->setAccessibleName(tr("condition variable"));
    selectionChoice_->setAccessibleDescription(
        tr("The variable a condition on the included cases tests"));
    operatorChoice_ = new QComboBox(this);
    operatorChoice_->setObjectName("operator");
    operatorChoice_->setAccessibleName(tr("condition operator"));
    operatorChoice_->setAccessibleDescription(tr("Equal to or not equal to the value"));
    operatorChoice_->addItems({operatorItems[0], operatorItems[1]});
    operatorChoice_->setMaxVisibleItems(2);
    operatorChoice_->setCurrentIndex(-1);
    valueChoice_ = new ChoiceBox("valuechoice", 11, 4, this);
    valueChoice_->setAccessibleName(tr("condition value"));
    valueChoice_->setAccessibleDescription(tr("The value of the condition variable"));
    valueChoice_->setModel(new QStringListModel(valueChoice_));
    auto* values = new QListView(valueChoice_);
    values->setUniformItemSizes(true); // a long value list scrolls without measuring each item
    valueChoice_->setView(values);
    auto* add = new QPushButton(tr("add"), this);
    add->setObjectName("addselect");
    add->setAccessibleDescription(tr("Adds the condition to the list"));
    auto* remove = new QPushButton(tr("remove"), this);
    remove->setObjectName("removeselect");
    remove->setAccessibleDescription(tr("Removes the condition highlighted in the list"));
    auto* clear = new QPushButton(tr("clear"), this);
    clear->setObjectName("clearselect");
    clear->setAccessibleDescription(tr("Removes all conditions"));
    conditionList_ = new QListWidget(this);
    conditionList_->setObjectName("selstrings");
    conditionList_->setAccessibleName(tr("include cases if"));
    conditionList_->setAccessibleDescription(tr("The conditions a case must meet to be included"));
    // As tall as the rows beside it, at least a few lines.
    conditionList_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    conditionList_->setMinimumHeight(fontMetrics().lineSpacing() * 3 +
                                     2 * conditionList_->frameWidth());
    auto* storeVersion = new QPushButton("SaveRegistryButton", this);
    storeVersion->setObjectName("SaveRegistryButton");
    storeVersion->setFocusPolicy(Qt::NoFocus);
    storeVersion->hide();

    // Top row: the two variables, alpha, and "calculate" at the right end.
    auto* top = new QHBoxLayout;
    top->addWidget(caption(tr("grouping variable:"), this, "groupCaption", 10, groupChoice_));
    top->addWidget(groupChoice_);
    top->addItem(gap());
    top->addWidget(caption(tr("test variable:"), this, "testCaption", 10, testChoice_));
    top->addWidget(testChoice_);
    top->addItem(gap());
    top->addWidget(caption(tr("alpha:"), this, "alphaCaption", 10, alphaEdit_));
    top->addWidget(alphaEdit_);
    top->addStretch();
    top->addWidget(calculate);

    // Below, at the left: the grouping mode and the missing-value code, then the condition
    // row, its choosers under their captions and its three buttons in a column.
    auto* middle = new QHBoxLayout;
    middle->addWidget(groupMode);
    middle->addItem(gap());
    middle->addWidget(
        caption(tr("missing values: "), this, "missingCaption", 10, missingCodeEdit_));
    middle->addWidget(missingCodeEdit_, 1);
    middle->addStretch();
    auto* condition = new QGridLayout;
    condition->setVerticalSpacing(2);
    condition->addWidget(caption(tr("include cases if:"), this, "conditionCaption"), 1, 0);
    const std::pair<const char*, QString> columns[3] = {
        {"conditionVariableCaption", tr("variable:")},
        {"conditionOperatorCaption", tr("operator:")},
        {"conditionValueCaption", tr("value:")}};
    QComboBox* choosers[3] = {selectionChoice_, operatorChoice_, valueChoice_};
    for (int i = 0; i < 3; ++i) {
        condition->addWidget(caption(columns[i].second, this, columns[i].first, 10, choosers[i]), 0,
                             i + 1, Qt::AlignBottom);
        condition->addWidget(choosers[i], 1, i + 1);
    }
    condition->setColumnStretch(1, 3);
    condition->setColumnStretch(3, 3);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(1);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(clear);
    auto* row = new QHBoxLayout;
    row->addLayout(condition, 1);
    row->addLayout(buttons);
    auto* left = new QVBoxLayout;
    left->addLayout(middle);
    left->addStretch();
    left->addLayout(row);

    // At the right: the conditions under their heading.
    auto* right = new QVBoxLayout;
    right->addWidget(
        caption(tr("include cases if:"), this, "conditionListCaption", 12, conditionList_));
    right->addWidget(conditionList_, 1);
    auto* lower = new QHBoxLayout;
    lower->addLayout(left, 3);
    lower->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addLayout(lower, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    // Tab follows the rows as they are seen: the top row, the grouping mode and the
    // missing-value code, the condition row and its buttons, then the list at the right.
    QWidget* order[] = {groupChoice_,
                        testChoice_,
                        alphaEdit_,
                        calculate,
                        texts,
                        numbers,
                        missingCodeEdit_,
                        selectionChoice_,
                        operatorChoice_,
                        valueChoice_,
                        add,
                        remove,
                        clear,
                        conditionList_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    connect(groupChoice_, qOverload<int>(&QComboBox::activated), this,
            &SelectionPanel::groupPicked);
    connect(testChoice_, qOverload<int>(&QComboBox::activated), this, &SelectionPanel::testPicked);
    connect(selectionChoice_, qOverload<int>(&QComboBox::activated), this,
            &SelectionPanel::selectionPicked);
    connect(groupModeButtons_, &QButtonGroup::idClicked, this,
            [this](int id) { emit groupModeChosen(static_cast<GroupMode>(id)); });
    connect(calculate, &QPushButton::clicked, this, &SelectionPanel::calculateClicked);
    connect(add, &QPushButton::clicked, this, &SelectionPanel::addClicked);
    connect(remove, &QPushButton::clicked, this, &SelectionPanel::removeClicked);
    connect(clear, &QPushButton::clicked, this, &SelectionPanel::clearClicked);
    connect(storeVersion, &QPushButton::clicked, this, &SelectionPanel::storeVersionClicked);
}

QString SelectionPanel::alphaText() const {
    return alphaEdit_->text();
}

void SelectionPanel::setAlphaText(const QString& text) {
    alphaEdit_->setText(text);
}

QString SelectionPanel::missingCode() const {
    return missingCodeEdit_->text();
}

void SelectionPanel::setMissingCode(const QString& code) {
    missingCodeEdit_->setText(code);
}

void SelectionPanel::showChoices(const Session& session) {
    const QStringList names = shownTexts(session.variables());
    setItems(groupChoice_, names);
    setItems(testChoice_, names);
    if (selectionChoice_->count() != names.size() ||
        (names.size() > 0 && selectionChoice_->itemText(0) != names.front())) {
        setItems(selectionChoice_, names);
    }
    groupChoice_->setCurrentIndex(session.groupColumn() - 1);
    testChoice_->setCurrentIndex(session.testColumn() - 1);
    if (session.selectionColumn() == 0) {
        selectionChoice_->setCurrentIndex(-1);
    }
    const QSignalBlocker block(groupModeButtons_);
    groupModeButtons_->button(static_cast<int>(session.groupMode()))->setChecked(true);
}

void SelectionPanel::showSelection(const Session& session) {
    setItems(valueChoice_, shownTexts(session.valueList()));
    const std::vector<std::string>& lines = session.conditions().lines();
    if (conditionList_->count() != static_cast<int>(lines.size())) {
        conditionList_->clear();
        for (const auto& line : lines) {
            conditionList_->addItem(qShown(line));
        }
    } else {
        for (int i = 0; i < conditionList_->count(); ++i) {
            conditionList_->item(i)->setText(qShown(lines[static_cast<std::size_t>(i)]));
        }
    }
}

void SelectionPanel::clearSelectionVariable() {
    selectionChoice_->setCurrentIndex(-1);
}

void SelectionPanel::clearConditionRow() {
    selectionChoice_->setCurrentIndex(-1);
    operatorChoice_->setCurrentIndex(-1);
}

int SelectionPanel::selectionPosition() const {
    return selectionChoice_->currentIndex();
}

int SelectionPanel::operatorPosition() const {
    return operatorChoice_->currentIndex();
}

std::optional<std::string>
SelectionPanel::chosenValue(const std::vector<std::string>& values) const {
    const int position = valueChoice_->currentIndex();
    if (position < 0) {
        return std::nullopt;
    }
    const auto at = static_cast<std::size_t>(position);
    if (at < values.size() && qShown(values[at]) == valueChoice_->itemText(position)) {
        return values[at]; // the bytes as read, also where they are not UTF-8
    }
    return toBytes(valueChoice_->itemText(position));
}

int SelectionPanel::highlightedCondition() const {
    const QList<QListWidgetItem*> highlighted = conditionList_->selectedItems();
    return highlighted.isEmpty() ? -1 : conditionList_->row(highlighted.front());
}

} // namespace kw::app
