#include "app/pages/plotspage.h"

#include "app/dialogs/filedialogs.h"
#include "app/dialogs/messagebox.h"
#include "app/pages/plotview.h"
#include "app/panelscrollarea.h"
#include "app/qtlocale.h"
#include "app/settings.h"
#include "app/translation.h"
#include "app/work/responseclock.h"
#include "core/base/failure.h"
#include "core/plots/comparisondetails.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>

namespace kw::app {

namespace {

// The summary, or why there is none.
struct Summarized {
    std::shared_ptr<const PlotSummary> summary;
    QString failure;
};

// The summary of a calculation, with the letters and pairs of `details` where given, else of
// the pairwise comparisons made here without the resampling.
Summarized summarizeCalculation(const GroupedCases& cases, const Details* details,
                                const DetailsRequest& request) {
    try {
        if (details) {
            return {std::make_shared<const PlotSummary>(summarizeForPlots(cases, details)), {}};
        }
        const Details compared = comparisonDetails(cases, request);
        return {std::make_shared<const PlotSummary>(summarizeForPlots(cases, &compared)), {}};
    } catch (...) {
        return {nullptr, shownText(caughtFailure().message())};
    }
}

// The steps the summary takes, roughly: the distinct values and the spellings of the test
// texts, and the pairs of groups. Up to this many it is made at once (measured: 3 * 10^5
// steps in 8 ms, 9 * 10^5 in 45 ms); more go to another thread, so that the page keeps
// answering while it is made (10^7 distinct values take about half a second).
constexpr double quickSummarySteps = 1e6;

double summarySteps(const GroupedCases& cases) {
    const double k = cases.groupCount();
    return static_cast<double>(cases.distinctValues.size() + cases.spellingValue.size()) + k * k;
}

bool sameRequest(const DetailsRequest& a, const DetailsRequest& b) {
    return a.method == b.method && a.adjustment == b.adjustment && a.control == b.control &&
           a.alpha == b.alpha;
}

// The accessible description of the picture: what it shows, for a screen reader.
QString describePlot(plot::PlotKind kind, const PlotSummary& s) {
    const QString test = qShown(s.testName);
    const QString group = qShown(s.groupName);
    const int groups = static_cast<int>(s.groups.size());
    QString what;
    switch (kind) {
    case plot::PlotKind::box:
        what = PlotsPage::tr("Box plot of %1 by %2: %n groups", nullptr, groups).arg(test, group);
        break;
    case plot::PlotKind::ranks:
        what = PlotsPage::tr("Mean ranks of %1 by %2: %n groups", nullptr, groups).arg(test, group);
        break;
    case plot::PlotKind::pairs:
        what = PlotsPage::tr("Adjusted p-values of the pairs of groups, %1 by %2: %n groups",
                             nullptr, groups)
                   .arg(test, group);
        break;
    }
    return what + PlotsPage::tr(", %1 cases").arg(static_cast<qulonglong>(s.caseCount));
}

// A file name's stem from the variables' names, without what a file system refuses.
QString suggestedName(const PlotSummary& s, plot::PlotKind kind) {
    QString name = qText(s.testName) + '-' + qText(s.groupName) + '-' + plot::plotKindName(kind);
    static const QRegularExpression refused(R"([\\/:*?"<>|\x00-\x1f])");
    name.replace(refused, "_");
    return name.left(120);
}

} // namespace

PlotsPage::PlotsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("plotsPage");

    auto* topRow = new QWidget;
    auto* top = new QHBoxLayout(topRow);
    top->setContentsMargins(6, 4, 6, 0);

    kindChoice_ = new QComboBox(this);
    kindChoice_->setObjectName("plotKind");
    kindChoice_->addItem(tr("box plot"), static_cast<int>(plot::PlotKind::box));
    kindChoice_->addItem(tr("mean ranks"), static_cast<int>(plot::PlotKind::ranks));
    kindChoice_->addItem(tr("pairwise p-values"), static_cast<int>(plot::PlotKind::pairs));
    kindChoice_->setToolTip(tr("The plot to show: the groups as box plots with their cases, the "
                               "mean ranks with their intervals, or the adjusted p-values of "
                               "the pairs of groups"));
    kindChoice_->setAccessibleName(tr("plot"));
    auto* kindCaption = new QLabel(tr("plot:"), this);
    kindCaption->setBuddy(kindChoice_);

    sizeChoice_ = new QComboBox(this);
    sizeChoice_->setObjectName("plotSize");
    // Laid out at these sizes (pixels at 96 dpi), the texts keep their print size: 800 x 500
    // is 8.3 x 5.2 inches, a page's width; 600 x 400 fits one column.
    sizeChoice_->addItem(tr("800 × 500"), QSize(800, 500));
    sizeChoice_->addItem(tr("600 × 400"), QSize(600, 400));
    sizeChoice_->addItem(tr("1000 × 625"), QSize(1000, 625));
    sizeChoice_->addItem(tr("1200 × 750"), QSize(1200, 750));
    sizeChoice_->addItem(tr("as shown"), QSize());
    sizeChoice_->setToolTip(tr("The size of the picture saved or copied, in pixels at 96 dpi "
                               "(its texts keep their size)"));
    sizeChoice_->setAccessibleName(tr("picture size"));
    auto* sizeCaption = new QLabel(tr("picture size:"), this);
    sizeCaption->setBuddy(sizeChoice_);

    dpiBox_ = new QSpinBox(this);
    dpiBox_->setObjectName("pngDpi");
    dpiBox_->setRange(72, 600);
    dpiBox_->setSingleStep(50);
    dpiBox_->setValue(300);
    dpiBox_->setToolTip(tr("The resolution of a picture saved as PNG"));
    dpiBox_->setAccessibleName(tr("PNG resolution (dpi)"));
    auto* dpiCaption = new QLabel(tr("PNG resolution (dpi):"), this);
    dpiCaption->setBuddy(dpiBox_);

    saveButton_ = new QPushButton(tr("Save picture..."), this);
    saveButton_->setObjectName("savePlot");
    saveButton_->setToolTip(tr("Saves the plot as a PNG, SVG or PDF file"));
    copyButton_ = new QPushButton(tr("Copy picture"), this);
    copyButton_->setObjectName("copyPlot");
    copyButton_->setToolTip(tr("Copies the plot to the clipboard, as an image and as SVG"));

    top->addWidget(kindCaption);
    top->addWidget(kindChoice_);
    top->addSpacing(16);
    top->addWidget(sizeCaption);
    top->addWidget(sizeChoice_);
    top->addSpacing(16);
    top->addWidget(dpiCaption);
    top->addWidget(dpiBox_);
    top->addStretch();
    top->addWidget(saveButton_);
    top->addWidget(copyButton_);
    for (QWidget* control : std::initializer_list<QWidget*>{kindChoice_, sizeChoice_, dpiBox_,
                                                            saveButton_, copyButton_}) {
        control->setAccessibleDescription(control->toolTip());
    }

    hint_ = new QLabel(this);
    hint_->setObjectName("plotHint");
    hint_->setAlignment(Qt::AlignCenter);
    hint_->setWordWrap(true);
    hint_->setMargin(12);
    view_ = new PlotView(this);
    view_->setAccessibleName(tr("plot"));
    stack_ = new QStackedWidget(this);
    stack_->addWidget(hint_);
    stack_->addWidget(view_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // The row scrolls sideways where the page is narrower than it (a large font).
    auto* topScroll = new PanelScrollArea(topRow, this);
    topScroll->setObjectName("plotChoicesScroll");
    topScroll->setNarrowest(1);
    layout->addWidget(topScroll);
    layout->addWidget(stack_, 1);

    connect(kindChoice_, &QComboBox::currentIndexChanged, this, &PlotsPage::updatePicture);
    connect(saveButton_, &QPushButton::clicked, this, &PlotsPage::askAndSave);
    connect(copyButton_, &QPushButton::clicked, this, &PlotsPage::copyPicture);

    showHint(tr("Calculate to see the plots."));
}

PlotsPage::~PlotsPage() = default;

plot::PlotKind PlotsPage::kind() const {
    return static_cast<plot::PlotKind>(kindChoice_->currentData().toInt());
}

QSizeF PlotsPage::pictureSize() const {
    const QSize chosen = sizeChoice_->currentData().toSize();
    if (chosen.isValid()) {
        return chosen;
    }
    // As laid out on the page, within what a PNG at the highest resolution can hold.
    const QSizeF design = PlotView::designSize(view_->size());
    return {std::min(design.width(), 3000.0), std::min(design.height(), 3000.0)};
}

void PlotsPage::setCalculation(std::shared_ptr<const GroupedCases> cases,
                               const DetailsRequest& request) {
    if (cases == cases_ && sameRequest(request, request_)) {
        return;
    }
    if (cases != cases_ || !details_ || !sameRequest(details_->request, request)) {
        details_.reset();
    }
    cases_ = std::move(cases);
    request_ = request;
    summary_.reset();
    ++generation_; // a summary under way describes what was before
    working_ = false;
    stale_ = cases_ != nullptr;
    if (!cases_) {
        showHint(tr("Calculate to see the plots."));
        return;
    }
    showHint(tr("Drawing the plots..."));
    summarize();
}

void PlotsPage::showDetails(std::shared_ptr<const Details> details) {
    if (!details || !cases_ || details->groups != cases_->groupValues ||
        !sameRequest(details->request, request_)) {
        return;
    }
    // The same comparisons as the page makes itself for these choices: a summary made already
    // stays; one still to be made takes them instead of computing them again.
    details_ = std::move(details);
}

void PlotsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!tabOrdered_) {
        // Once the page is in its place in the window: moving it there (into the pages'
        // stack) rebuilds the focus chain of what it holds.
        tabOrdered_ = true;
        setTabOrder(kindChoice_, sizeChoice_);
        setTabOrder(sizeChoice_, dpiBox_);
        setTabOrder(dpiBox_, saveButton_);
        setTabOrder(saveButton_, copyButton_);
        setTabOrder(copyButton_, view_);
    }
    summarize();
}

void PlotsPage::summarize() {
    if (!stale_ || working_ || !cases_ || !isVisible()) {
        return;
    }
    std::shared_ptr<const GroupedCases> cases = cases_;
    std::shared_ptr<const Details> details = details_;
    const DetailsRequest request = request_;
    if (summarySteps(*cases) <= quickSummarySteps) {
        stale_ = false;
        Summarized made = summarizeCalculation(*cases, details.get(), request);
        if (made.summary) {
            showSummary(std::move(made.summary));
        } else {
            showHint(tr("The plots could not be drawn: %1").arg(made.failure));
        }
        return;
    }
    // The cases and the details never change once made: the other thread reads them as they
    // are shared here.
    working_ = true;
    const int generation = generation_;
    // With KW_TIMING set: the summary's time, and the time from the input that asked for it
    // (the turn to this page, a calculation) to the plot shown.
    const QPointer<ResponseClock> clock = ResponseClock::of(window());
    const auto askedAt = clock ? clock->claimAction() : std::chrono::steady_clock::time_point{};
    if (clock) {
        writeTimingLine("plots: started", std::chrono::steady_clock::now() - askedAt);
    }
    auto* watcher = new QFutureWatcher<Summarized>(this);
    connect(watcher, &QFutureWatcher<Summarized>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != generation_) {
            return; // another calculation came meanwhile
        }
        working_ = false;
        stale_ = false;
        Summarized made = watcher->result();
        if (made.summary) {
            showSummary(std::move(made.summary));
        } else {
            showHint(tr("The plots could not be drawn: %1").arg(made.failure));
        }
    });
    if (clock) {
        connect(watcher, &QFutureWatcher<Summarized>::finished, this,
                [this, generation, clock, askedAt] {
                    if (generation == generation_ && clock) {
                        clock->whenIdle([askedAt] {
                            writeTimingLine("plots: shown",
                                            std::chrono::steady_clock::now() - askedAt);
                        });
                    }
                });
    }
    watcher->setFuture(QtConcurrent::run([cases, details, request, timed = !clock.isNull()] {
        const auto start = std::chrono::steady_clock::now();
        Summarized made = summarizeCalculation(*cases, details.get(), request);
        if (timed) {
            writeTimingLine("plots", std::chrono::steady_clock::now() - start);
        }
        return made;
    }));
}

void PlotsPage::showSummary(std::shared_ptr<const PlotSummary> summary) {
    summary_ = std::move(summary);
    updatePicture();
    stack_->setCurrentWidget(view_);
    saveButton_->setEnabled(true);
    copyButton_->setEnabled(true);
}

void PlotsPage::showHint(const QString& text) {
    hint_->setText(text);
    stack_->setCurrentWidget(hint_);
    view_->setPlot(nullptr, kind());
    view_->setAccessibleDescription(QString());
    saveButton_->setEnabled(false);
    copyButton_->setEnabled(false);
}

void PlotsPage::updatePicture() {
    if (!summary_) {
        return;
    }
    view_->setPlot(summary_, kind());
    view_->setAccessibleDescription(describePlot(kind(), *summary_));
}

QString PlotsPage::pictureFileName(const QString& typed, const QString& filter) {
    if (plot::imageFormatOf(toBytes(QFileInfo(typed).fileName()))) {
        return typed;
    }
    const QString suffix = filterSuffix(filter);
    return suffix.isEmpty() ? typed : typed + '.' + suffix;
}

void PlotsPage::askAndSave() {
    if (!summary_) {
        return;
    }
    QFileDialog dialog(this);
    dialog.setObjectName("plotSaveDialog");
    dialog.setWindowTitle(tr("Save picture"));
    // Qt's own dialog, as the program's other file dialogs: the same everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = {tr("PNG image (*.png)"), tr("SVG picture (*.svg)"),
                                 tr("PDF document (*.pdf)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(filterSuffix(filters.front()));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(filterSuffix(filter)); });
    if (const QString folder = lastFolder(); !folder.isEmpty() && QDir(folder).exists()) {
        dialog.setDirectory(folder);
    }
    dialog.selectFile(suggestedName(*summary_, kind()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path =
        pictureFileName(dialog.selectedFiles().front(), dialog.selectedNameFilter());
    if (const QString failure = savePicture(path); !failure.isEmpty()) {
        showFailure(failure, this);
    }
}

QString PlotsPage::savePicture(const QString& path) const {
    if (!summary_) {
        return tr("There is no plot to save: calculate first.");
    }
    const auto format = plot::imageFormatOf(toBytes(QFileInfo(path).fileName()));
    if (!format) {
        return tr("A picture is saved as .png, .svg or .pdf: %1").arg(path);
    }
    const QString creator = QApplication::applicationName().isEmpty()
                                ? QStringLiteral("Kruskal-Wallis")
                                : QApplication::applicationName();
    const QByteArray bytes =
        plot::renderPlot(*format, kind(), *summary_, pictureSize(), dpiBox_->value(), creator);
    if (bytes.isEmpty()) {
        return tr("The picture could not be drawn.");
    }
    // Written beside the file and moved over it at the end: a failure leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return tr("The picture could not be saved as %1:\n%2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return {};
}

void PlotsPage::copyPicture() const {
    if (!summary_) {
        return;
    }
    const QSizeF size = pictureSize();
    // At least twice the pixels of its size, and as sharp as on this screen: a document it is
    // pasted into shows it at its size (the resolution is recorded) and prints it crisply.
    const QScreen* screen = view_->screen();
    const double ratio = std::max(2.0, screen ? screen->devicePixelRatio() : 1.0);
    QImage image((size * ratio).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(ratio, ratio);
        plot::drawPlot(painter, kind(), *summary_, size);
    }
    const int dotsPerMeter = static_cast<int>(std::lround(96 * ratio / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setData(QStringLiteral("image/svg+xml"),
                  plot::renderSvg(kind(), *summary_, size, QApplication::applicationName()));
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace kw::app
