#include "app/pages/detailspage.h"

#include "app/pages/descriptivesmodel.h"
#include "app/pages/detailsnumbers.h"
#include "app/pages/detailstableview.h"
#include "app/pages/pairsmodel.h"
#include "app/panelscrollarea.h"
#include "app/qtlocale.h"
#include "core/results/detailsreport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace kw::app {

namespace {

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPointSize(std::max(11, f.pointSize() + 1)); // larger with a large system font
    f.setBold(true);
    label->setFont(f);
    return label;
}

QLabel* caption(const QString& text, QWidget* parent, const QString& tip = {}) {
    auto* label = new QLabel(text, parent);
    label->setToolTip(tip);
    return label;
}

// The caption of a control, known to accessibility tools as the control's label.
QLabel* captionOf(QWidget* control, const QString& text, QWidget* parent) {
    QLabel* label = caption(text, parent, control->toolTip());
    label->setBuddy(control);
    return label;
}

QLabel* value(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A chooser as wide as its longest item where there is room, down to a few characters where
// the window is narrow.
class Chooser final : public QComboBox {
public:
    Chooser(const char* name, QWidget* parent, const QString& tip) : QComboBox(parent) {
        setObjectName(name);
        setToolTip(tip);
        setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }

    QSize minimumSizeHint() const override {
        QSize size = QComboBox::minimumSizeHint();
        const int fewest = fontMetrics().averageCharWidth() * 6 + size.height() * 3 / 2;
        size.setWidth(std::min(size.width(), fewest));
        return size;
    }
};

// Space between groups of controls in a row.
QSpacerItem* gap() {
    return new QSpacerItem(16, 0, QSizePolicy::Preferred, QSizePolicy::Minimum);
}

bool sameChoices(const DetailsRequest& a, const DetailsRequest& b) {
    return a.method == b.method && a.adjustment == b.adjustment && a.control == b.control &&
           a.exact == b.exact && a.resamples == b.resamples && a.seed == b.seed;
}

} // namespace

DetailsPage::DetailsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("detailspage");
    buildChoices();

    // The band of values, scrolled where the window is smaller than it.
    auto* band = new QWidget;
    band->setObjectName("detailsband");

    descriptives_ = new DescriptivesModel(this);
    descriptivesView_ = new DetailsTableView("descriptives", descriptives_, 8, band);
    lettersNote_ = new QLabel(band);
    lettersNote_->setObjectName("lettersnote");
    lettersNote_->setWordWrap(true);

    // The over-all test and the effect sizes in one grid of captions and values, so that
    // their columns line up.
    auto* test = new QGridLayout;
    test->setHorizontalSpacing(8);
    test->setVerticalSpacing(2);
    hValue_ = value("hvalue", band);
    dfValue_ = value("dfvalue", band);
    caseCountValue_ = value("casecount", band);
    asymptoticValue_ = value("pasymptotic", band);
    resampledCaption_ = caption(tr("p, exact:"), band);
    resampledCaption_->setObjectName("presampledcaption");
    resampledValue_ = value("presampled", band);
    intervalCaption_ =
        caption(tr("99% interval:"), band, tr("The Clopper-Pearson interval of the Monte Carlo p"));
    intervalValue_ = value("pinterval", band);
    relabellingsCaption_ = caption(tr("relabellings:"), band,
                                   tr("Random relabellings of the cases the Monte Carlo p counts"));
    relabellingsValue_ = value("relabellings", band);
    epsilonValue_ = value("epsilon2", band);
    epsilonInterval_ = value("epsilon2interval", band);
    etaValue_ = value("eta2h", band);
    etaInterval_ = value("eta2hinterval", band);
    bootstrapValue_ = value("bootstrap", band);
    test->addWidget(heading(tr("over-all test:"), band), 0, 0, 1, 4);
    test->addWidget(caption(tr("H:"), band, tr("The statistic, corrected for ties")), 1, 0);
    test->addWidget(hValue_, 1, 1);
    test->addWidget(caption(tr("df:"), band), 1, 2);
    test->addWidget(dfValue_, 1, 3);
    test->addWidget(caption(tr("N:"), band, tr("The cases included")), 2, 0);
    test->addWidget(caseCountValue_, 2, 1);
    test->addWidget(caption(tr("p, asymptotic:"), band, tr("From the chi-square distribution")), 2,
                    2);
    test->addWidget(asymptoticValue_, 2, 3);
    test->addWidget(resampledCaption_, 3, 0);
    test->addWidget(resampledValue_, 3, 1);
    test->addWidget(intervalCaption_, 3, 2);
    test->addWidget(intervalValue_, 3, 3);
    test->addWidget(relabellingsCaption_, 4, 0);
    test->addWidget(relabellingsValue_, 4, 1, 1, 3);
    test->addWidget(heading(tr("effect sizes:"), band), 5, 0, 1, 4);
    test->addWidget(caption(tr("ε²:"), band, tr("Epsilon-squared, H / (N - 1)")), 6, 0);
    test->addWidget(epsilonValue_, 6, 1);
    test->addWidget(caption(tr("95% interval:"), band, tr("Percentile bootstrap interval")), 6, 2);
    test->addWidget(epsilonInterval_, 6, 3);
    test->addWidget(caption(tr("η²(H):"), band, tr("Eta-squared of H, (H - k + 1) / (N - k)")), 7,
                    0);
    test->addWidget(etaValue_, 7, 1);
    test->addWidget(caption(tr("95% interval:"), band, tr("Percentile bootstrap interval")), 7, 2);
    test->addWidget(etaInterval_, 7, 3);
    test->addWidget(caption(tr("bootstrap:"), band,
                            tr("Percentile bootstrap: each resample draws every group's cases "
                               "anew from its own cases")),
                    8, 0);
    test->addWidget(bootstrapValue_, 8, 1, 1, 3);
    test->setColumnStretch(4, 1);
    test->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance("0.000000000") + 8);
    test->setRowMinimumHeight(5, fontMetrics().lineSpacing() * 3 / 2);
    const int lines = fontMetrics().lineSpacing();

    pairs_ = new PairsModel(this);
    pairsView_ = new DetailsTableView("pairs", pairs_, 12, band);
    auto* pairChoices = new QHBoxLayout;
    pairChoices->addWidget(captionOf(methodChoice_, tr("method:"), band));
    pairChoices->addWidget(methodChoice_);
    pairChoices->addItem(gap());
    pairChoices->addWidget(captionOf(adjustmentChoice_, tr("adjustment:"), band));
    pairChoices->addWidget(adjustmentChoice_);
    pairChoices->addItem(gap());
    pairChoices->addWidget(captionOf(controlChoice_, tr("control group:"), band));
    pairChoices->addWidget(controlChoice_);
    pairChoices->addStretch();

    apaLine_ = new QLineEdit(band);
    apaLine_->setObjectName("apaline");
    apaLine_->setReadOnly(true);
    auto* copy = new QPushButton(tr("copy"), band);
    copy->setObjectName("copyapa");
    copy->setToolTip(tr("Copies the line for a paper to the clipboard"));
    connect(copy, &QPushButton::clicked, this, [this] {
        if (!apaLine_->text().isEmpty()) {
            QGuiApplication::clipboard()->setText(apaLine_->text());
        }
    });
    auto* apa = new QHBoxLayout;
    apa->addWidget(apaLine_, 1);
    apa->addWidget(copy);
    methods_ = new QPlainTextEdit(band);
    methods_->setObjectName("methods");
    methods_->setReadOnly(true);
    methods_->setMinimumHeight(lines * 3 + 2 * methods_->frameWidth() + 8);
    methods_->setMaximumHeight(lines * 7 + 2 * methods_->frameWidth() + 8);
    methods_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    // The over-all test and the line for a paper first, then the tables, each as tall as its
    // rows where there is room; what is left over goes below the paragraph.
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(test);
    layout->addSpacing(lines / 2);
    layout->addWidget(heading(tr("for a paper:"), band));
    layout->addLayout(apa);
    layout->addSpacing(lines / 2);
    layout->addWidget(heading(tr("groups (quartiles: R's type 7):"), band));
    layout->addWidget(descriptivesView_, 1);
    layout->addWidget(lettersNote_);
    layout->addSpacing(lines / 2);
    layout->addWidget(heading(tr("pairwise comparisons:"), band));
    layout->addLayout(pairChoices);
    layout->addWidget(pairsView_, 3);
    layout->addSpacing(lines / 2);
    layout->addWidget(heading(tr("methods:"), band));
    layout->addWidget(methods_);
    layout->addStretch(0);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("detailsscroll");
    scroll->setWidget(band);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // The band on the page's own background, as the row above it.
    band->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab visits what it holds; it follows the focus

    // The choices of the resampling, "compute" and the status above the band.
    // They scroll sideways where the page is narrower than they are (a large font).
    auto* topRow = new QWidget;
    auto* top = new QHBoxLayout(topRow);
    top->setContentsMargins(6, 4, 6, 0);
    top->addWidget(captionOf(exactChoice_, tr("exact p:"), this));
    top->addWidget(exactChoice_);
    top->addItem(gap());
    top->addWidget(captionOf(resamplesBox_, tr("resamples:"), this));
    top->addWidget(resamplesBox_);
    top->addItem(gap());
    top->addWidget(captionOf(seedEdit_, tr("seed:"), this));
    top->addWidget(seedEdit_);
    top->addStretch();
    auto* compute = new QPushButton(tr("compute"), this);
    compute->setObjectName("computedetails");
    compute->setToolTip(tr("Computes the details for these choices"));
    QFont bold = compute->font();
    bold.setBold(true);
    compute->setFont(bold);
    connect(compute, &QPushButton::clicked, this, &DetailsPage::computeClicked);
    top->addWidget(compute);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName("detailsstatus");
    statusLabel_->setWordWrap(true);
    QFont italic = statusLabel_->font();
    italic.setItalic(true);
    statusLabel_->setFont(italic);
    statusLabel_->setContentsMargins(6, 0, 6, 0);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);
    auto* topScroll = new PanelScrollArea(topRow, this);
    topScroll->setObjectName("detailschoicesscroll");
    topScroll->setNarrowest(1);
    page->addWidget(topScroll);
    page->addWidget(statusLabel_);
    page->addWidget(scroll, 1);

    // Tab leaves a table for the next control; arrow keys move between its cells.
    descriptivesView_->setTabKeyNavigation(false);
    pairsView_->setTabKeyNavigation(false);
    // For screen readers: what each grid and text holds.
    descriptivesView_->setAccessibleName(tr("groups"));
    descriptivesView_->setAccessibleDescription(
        tr("The descriptives of each group, with their letters"));
    pairsView_->setAccessibleName(tr("pairwise comparisons"));
    pairsView_->setAccessibleDescription(
        tr("Each pair of groups: the difference, its test "
           "statistic and p-values, and whether it is significant"));
    apaLine_->setAccessibleName(tr("for a paper"));
    apaLine_->setAccessibleDescription(tr("The result as a line for a paper"));
    copy->setAccessibleDescription(copy->toolTip());
    compute->setAccessibleDescription(compute->toolTip());
    methods_->setAccessibleName(tr("methods"));
    methods_->setAccessibleDescription(tr("The methods paragraph"));
    statusLabel_->setAccessibleName(tr("status of the details"));
    for (QWidget* control :
         std::initializer_list<QWidget*>{exactChoice_, resamplesBox_, seedEdit_, methodChoice_,
                                         adjustmentChoice_, controlChoice_}) {
        control->setAccessibleDescription(control->toolTip());
    }

    // Tab follows the page as it is seen: the choices and "compute", then the band from the
    // top down (see focusNextPrevChild).
    tabOrder_ = {exactChoice_,      resamplesBox_,  seedEdit_,         compute,
                 apaLine_,          copy,           descriptivesView_, methodChoice_,
                 adjustmentChoice_, controlChoice_, pairsView_,        methods_};
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            w->installEventFilter(this);
        }
    }

    methodChanged();
    showStatus(Status::noResults);
}

// Qt's focus chain runs through the page in the order its controls were made and moved into
// the band and the row above it; Tab and Shift+Tab follow tabOrder_ instead, within the page
// and on coming into it.

bool DetailsPage::takesTab(const QWidget* w) {
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

void DetailsPage::tabInto(QWidget* w, bool next) {
    moving_ = true;
    w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    moving_ = false;
}

bool DetailsPage::focusNextPrevChild(bool next) {
    const QWidget* focus = QApplication::focusWidget();
    const auto at = std::find_if(tabOrder_.begin(), tabOrder_.end(), [focus](QWidget* w) {
        return focus != nullptr && (w == focus || w->isAncestorOf(focus));
    });
    if (at == tabOrder_.end()) {
        return QWidget::focusNextPrevChild(next);
    }
    const int step = next ? 1 : -1;
    for (auto i = (at - tabOrder_.begin()) + step;
         i >= 0 && i < static_cast<std::ptrdiff_t>(tabOrder_.size()); i += step) {
        QWidget* w = tabOrder_[static_cast<std::size_t>(i)];
        if (takesTab(w)) {
            tabInto(w, next);
            return true;
        }
    }
    // Out of the page: to the control before or after it in the window's chain.
    QWidget* w = this;
    do {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    } while (w != this && (isAncestorOf(w) || !takesTab(w)));
    if (w == this) {
        return QWidget::focusNextPrevChild(next);
    }
    tabInto(w, next);
    return true;
}

bool DetailsPage::eventFilter(QObject* watched, QEvent* event) {
    // Tab from outside the page lands on its first control, Shift+Tab on its last.
    if (event->type() == QEvent::FocusIn && !moving_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            const bool next = reason == Qt::TabFocusReason;
            QWidget* entry = nullptr;
            for (std::size_t i = 0; i < tabOrder_.size() && entry == nullptr; ++i) {
                QWidget* w = tabOrder_[next ? i : tabOrder_.size() - 1 - i];
                entry = takesTab(w) ? w : nullptr;
            }
            auto* target = qobject_cast<QWidget*>(watched);
            if (entry != nullptr && entry != target && !entry->isAncestorOf(target)) {
                tabInto(entry, next);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DetailsPage::buildChoices() {
    exactChoice_ =
        new Chooser("exactmode", this,
                    tr("How the p of H is found besides the asymptotic one: auto, exactly "
                       "when that is quick, else by Monte Carlo; always exactly, however "
                       "long it takes; never, by Monte Carlo"));
    for (ExactMode mode : {ExactMode::automatic, ExactMode::always, ExactMode::never}) {
        exactChoice_->addItem(exactModeName(mode), static_cast<int>(mode));
    }
    resamplesBox_ = new QSpinBox(this);
    resamplesBox_->setObjectName("resamples");
    resamplesBox_->setToolTip(tr("Bootstrap resamples and Monte Carlo relabellings, both; by "
                                 "default %1 and %2")
                                  .arg(DetailsRequest::bootstrapResamples)
                                  .arg(DetailsRequest::monteCarloResamples));
    // The bootstrap keeps every resample's statistics (16 bytes each): ten million at most.
    resamplesBox_->setRange(0, 10'000'000);
    resamplesBox_->setSingleStep(1000);
    resamplesBox_->setSpecialValueText(tr("default"));
    resamplesBox_->setKeyboardTracking(false); // taken when typed in full
    resamplesBox_->setGroupSeparatorShown(true);
    seedEdit_ = new QLineEdit("1", this);
    seedEdit_->setObjectName("seed");
    seedEdit_->setToolTip(tr("The random numbers' seed: the same seed gives the same intervals and "
                             "Monte Carlo p"));
    seedEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{1,19}"), seedEdit_));
    seedEdit_->setMaximumWidth(fontMetrics().horizontalAdvance(u'0') * 20 + 12);
    seedEdit_->setMinimumWidth(fontMetrics().horizontalAdvance(u'0') * 6 + 12);
    seedText_ = seedEdit_->text();

    methodChoice_ = new Chooser("pairmethod", this, tr("How pairs of groups are compared"));
    methodChoice_->addItem(tr("Dunn"), static_cast<int>(PairwiseMethod::dunn));
    methodChoice_->addItem(tr("Conover-Iman"), static_cast<int>(PairwiseMethod::conover));
    methodChoice_->addItem(tr("Dwass-Steel-Critchlow-Fligner"),
                           static_cast<int>(PairwiseMethod::dscf));
    adjustmentChoice_ = new Chooser("adjustment", this,
                                    tr("How the p-values are adjusted for the number of pairs"));
    const std::pair<Adjustment, const char*> adjustments[] = {
        // The names of the adjustments, translated where they are shown.
        {Adjustment::none, QT_TR_NOOP("none")},
        {Adjustment::bonferroni, QT_TR_NOOP("Bonferroni")},
        {Adjustment::sidak, QT_TR_NOOP("Sidak")},
        {Adjustment::holm, QT_TR_NOOP("Holm")},
        {Adjustment::holmSidak, QT_TR_NOOP("Holm-Sidak")},
        {Adjustment::hochberg, QT_TR_NOOP("Hochberg")},
        {Adjustment::hommel, QT_TR_NOOP("Hommel")},
        {Adjustment::benjaminiHochberg, QT_TR_NOOP("Benjamini-Hochberg")},
        {Adjustment::benjaminiYekutieli, QT_TR_NOOP("Benjamini-Yekutieli")}};
    for (const auto& [adjustment, title] : adjustments) {
        adjustmentChoice_->addItem(tr(title), static_cast<int>(adjustment));
    }
    adjustmentChoice_->setCurrentIndex(adjustmentChoice_->findData(int(Adjustment::holm)));
    controlChoice_ = new Chooser(
        "controlgroup", this, tr("Compare each group with this one only (Dunn and Conover-Iman)"));
    controlChoice_->addItem(tr("none (all pairs)"));

    auto changed = [this] { emit choicesChanged(); };
    for (QComboBox* box : {exactChoice_, adjustmentChoice_, controlChoice_}) {
        connect(box, qOverload<int>(&QComboBox::activated), this, changed);
    }
    connect(methodChoice_, qOverload<int>(&QComboBox::activated), this, [this] {
        methodChanged();
        emit choicesChanged();
    });
    connect(resamplesBox_, qOverload<int>(&QSpinBox::valueChanged), this, changed);
    connect(seedEdit_, &QLineEdit::editingFinished, this, [this] {
        if (seedEdit_->text().isEmpty()) {
            seedEdit_->setText(seedText_);
        }
        if (seedEdit_->text() != seedText_) {
            seedText_ = seedEdit_->text();
            emit choicesChanged();
        }
    });
}

void DetailsPage::methodChanged() {
    // DSCF compares all pairs, its p from the studentized range adjusted for the family.
    const bool dscf = methodChoice_->currentData().toInt() == int(PairwiseMethod::dscf);
    if (dscf) {
        controlChoice_->setCurrentIndex(0);
    }
    controlChoice_->setEnabled(!dscf);
    adjustmentChoice_->setEnabled(!dscf);
}

void DetailsPage::setCalculation(std::shared_ptr<const GroupedCases> cases) {
    if (cases == cases_) {
        return;
    }
    // The control group stays chosen where the new calculation has it too.
    const QString control =
        controlChoice_->currentIndex() > 0 ? controlChoice_->currentText() : QString();
    cases_ = std::move(cases);
    {
        const QSignalBlocker block(controlChoice_);
        while (controlChoice_->count() > 1) {
            controlChoice_->removeItem(1);
        }
        if (cases_) {
            for (const std::string& group : cases_->groupValues) {
                controlChoice_->addItem(qShown(group));
            }
        }
        controlChoice_->setCurrentIndex(std::max(0, controlChoice_->findText(control)));
    }
    showStatus(cases_ ? Status::notComputed : Status::noResults);
}

DetailsRequest DetailsPage::request() const {
    DetailsRequest r;
    r.method = static_cast<PairwiseMethod>(methodChoice_->currentData().toInt());
    r.adjustment = static_cast<Adjustment>(adjustmentChoice_->currentData().toInt());
    const int control = controlChoice_->currentIndex() - 1;
    if (cases_ && control >= 0 && control < cases_->groupCount()) {
        r.control = cases_->groupValues[static_cast<std::size_t>(control)];
    }
    r.exact = static_cast<ExactMode>(exactChoice_->currentData().toInt());
    if (resamplesBox_->value() > 0) {
        r.resamples = static_cast<std::uint64_t>(resamplesBox_->value());
    }
    r.seed = std::stoull(toBytes(seedText_));
    return r;
}

bool DetailsPage::isCurrent() const {
    return details_ && status_ == Status::computed && sameChoices(details_->request, request());
}

bool DetailsPage::failedForChoices() const {
    return status_ == Status::failed && sameChoices(failedFor_, request());
}

void DetailsPage::showStatus(Status status) {
    status_ = status;
    if (status == Status::failed) {
        failedFor_ = request();
    }
    QString text;
    switch (status) {
    case Status::noResults:
        text = tr("No completed calculation to describe: press calculate first.");
        break;
    case Status::notComputed:
        text = tr("Not computed for these choices yet: press compute. With %1 cases this "
                  "takes a while; Cancel in the status bar (or Escape) stops it.")
                   .arg(detailCount(cases_ ? cases_->cases.size() : 0));
        break;
    case Status::computing:
        text = tr("Computing...");
        break;
    case Status::computed:
        if (cases_) {
            text = tr("%1 by %2, %3 cases.")
                       .arg(qShown(cases_->testName), qShown(cases_->groupName),
                            detailCount(cases_->cases.size()));
        }
        break;
    case Status::cancelled:
        text = tr("Cancelled: nothing computed for these choices.");
        break;
    case Status::failed:
        text = tr("Nothing computed for these choices.");
        break;
    }
    statusLabel_->setText(text);
    if (status != Status::computing && status != Status::computed) {
        clearValues();
    }
}

void DetailsPage::clearValues() {
    details_.reset();
    descriptives_->setDetails(nullptr, '.');
    pairs_->setDetails(nullptr, '.');
    descriptivesView_->fitContents();
    pairsView_->fitContents();
    for (QLabel* label : {hValue_, dfValue_, caseCountValue_, asymptoticValue_, resampledValue_,
                          intervalValue_, relabellingsValue_, epsilonValue_, epsilonInterval_,
                          etaValue_, etaInterval_, bootstrapValue_}) {
        label->setText("-----");
    }
    resampledCaption_->setText(tr("p, permutation:"));
    for (QLabel* label :
         {intervalCaption_, intervalValue_, relabellingsCaption_, relabellingsValue_}) {
        label->setVisible(true);
    }
    lettersNote_->clear();
    apaLine_->clear();
    methods_->clear();
}

void DetailsPage::showDetails(std::shared_ptr<const Details> details, char decimal) {
    details_ = std::move(details);
    const Details& d = *details_;
    descriptives_->setDetails(details_, decimal);
    descriptivesView_->setColumnHidden(DescriptivesModel::letters, d.letters.empty());
    descriptivesView_->fitContents();
    if (d.letters.empty()) {
        lettersNote_->setText(
            tr("No letters: each group is compared with the control group only."));
    } else {
        lettersNote_->setText(
            tr("letters: groups that share a letter do not differ at alpha = %1 (by the "
               "adjusted p of the pairwise comparisons below).")
                .arg(detailNumber(d.request.alpha, decimal)));
    }
    showOverallTest(d, decimal);

    pairs_->setDetails(details_, decimal);
    for (auto column : {PairsModel::df, PairsModel::r}) {
        pairsView_->setColumnHidden(column, !pairs_->hasColumn(column));
    }
    pairsView_->fitContents();

    apaLine_->setText(qText(apaLine(d)));
    apaLine_->setCursorPosition(0);
    methods_->setPlainText(qText(methodsParagraph(d)));
    showStatus(Status::computed);
}

void DetailsPage::showOverallTest(const Details& d, char decimal) {
    hValue_->setText(detailNumber(d.h, decimal));
    dfValue_->setText(QString::number(d.df));
    caseCountValue_->setText(detailCount(d.caseCount));
    const PermutationP& p = d.pValue;
    asymptoticValue_->setText(detailNumber(p.asymptotic, decimal));
    resampledCaption_->setText(p.exact ? tr("p, exact:") : tr("p, Monte Carlo:"));
    resampledCaption_->setToolTip(p.exact ? tr("Over all assignments of the observed midranks to "
                                               "groups of the observed sizes")
                                          : tr("The share of random relabellings of the cases "
                                               "whose H is at least the observed one"));
    resampledValue_->setText(detailNumber(p.p, decimal));
    for (QLabel* label :
         {intervalCaption_, intervalValue_, relabellingsCaption_, relabellingsValue_}) {
        label->setVisible(!p.exact);
    }
    intervalValue_->setText(p.interval ? detailInterval(*p.interval, decimal) : QString());
    relabellingsValue_->setText(tr("%1 (seed %2)")
                                    .arg(detailCount(p.resamples))
                                    .arg(static_cast<qulonglong>(d.request.seed)));

    const EffectSizes& e = d.effectSizes;
    epsilonValue_->setText(detailNumber(e.epsilonSquared, decimal));
    epsilonInterval_->setText(detailInterval(e.epsilonSquaredInterval, decimal));
    etaValue_->setText(detailNumber(e.etaSquared, decimal));
    etaInterval_->setText(detailInterval(e.etaSquaredInterval, decimal));
    bootstrapValue_->setText(tr("percentile, %1 resamples within groups (seed %2)")
                                 .arg(detailCount(e.resamples))
                                 .arg(static_cast<qulonglong>(e.seed)));
}

} // namespace kw::app
