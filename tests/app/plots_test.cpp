// The plots page, run offscreen: the hint before a calculation, the picture after one (drawn,
// following the page's size, anew for another kind or calculation), the pictures saved as PNG,
// SVG and PDF and copied to the clipboard, the keyboard and screen reader's view of the page,
// and the page's tab beside the others without disturbing them.

#include "windowsteps.h"

#include "app/mainwindow.h"
#include "app/pages/plotspage.h"
#include "app/pages/plotview.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "core/base/version.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

using kw::app::MainWindow;
using kw::app::PlotsPage;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);
constexpr int plotsIndex = 6;

// How many colours an image has, up to a point: a blank or nearly blank picture has few.
int colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            seen.insert(image.pixel(x, y));
            if (seen.size() > 200) {
                return static_cast<int>(seen.size());
            }
        }
    }
    return static_cast<int>(seen.size());
}

// The box of white paper the picture is drawn on, within the view's grab.
QRect paper(const QImage& image) {
    int left = image.width(), right = -1, topmost = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(255, 255, 255)) {
                left = std::min(left, x);
                right = std::max(right, x);
                topmost = std::min(topmost, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, topmost), QPoint(right, bottom));
}

bool isXml(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
    }
    return !xml.hasError();
}

} // namespace

class PlotsTest final : public QObject, kw::test::WindowSteps {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void hintBeforeACalculation();
    void pictureAfterACalculation();
    void pictureFollowsThePageSize();
    void newDataAndCalculationsRefresh();
    void picturesAreSaved();
    void fileNamesGetTheirExtension();
    void failedSaveIsShown();
    void pictureIsCopied();
    void keyboardAndScreenReaders();
    void tabLeavesTheOtherPagesAlone();

private:
    bool start();
    // The plantgrowth example calculated, the plots page in front with its picture.
    bool plantGrowthPlotted();

    PlotsPage* page() const { return child<PlotsPage>("plotsPage"); }
    QWidget* view() const { return child<QWidget>("plotView"); }

    std::unique_ptr<QTemporaryDir> dir_;
    QTemporaryDir settingsDir_;
};

void PlotsTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_));
}

void PlotsTest::init() {
    kw::app::storeVersion(kw::programVersion); // no notice at start
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void PlotsTest::cleanup() {
    if (w_) {
        w_->close();
        w_.reset();
    }
    dir_.reset();
}

bool PlotsTest::start() {
    w_ = std::make_unique<MainWindow>();
    w_->resize(1000, 700);
    return kw::test::showStarted(*w_) && kw::test::activate(*w_);
}

bool PlotsTest::plantGrowthPlotted() {
    if (!start()) {
        return false;
    }
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    turnTo(plotsIndex);
    return QTest::qWaitFor([this] { return page()->summary() != nullptr; }, 5000) &&
           view()->isVisible();
}

// --- What the page shows

void PlotsTest::hintBeforeACalculation() {
    QVERIFY(start());
    turnTo(plotsIndex);
    auto* hint = child<QLabel>("plotHint");
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->text(), QString("Calculate to see the plots."));
    QVERIFY(!view()->isVisible());
    QVERIFY(!child<QPushButton>("savePlot")->isEnabled());
    QVERIFY(!child<QPushButton>("copyPlot")->isEnabled());
    // Data read, still nothing calculated.
    read(examples + "/plantgrowth.txt");
    turnTo(plotsIndex);
    QVERIFY(hint->isVisible());
    QVERIFY(page()->summary() == nullptr);
}

void PlotsTest::pictureAfterACalculation() {
    QVERIFY(plantGrowthPlotted());
    const kw::PlotSummary& s = *page()->summary();
    QCOMPARE(s.groups.size(), std::size_t(3));
    QCOMPARE(s.caseCount, std::uint64_t(30));
    // The pairwise comparisons and letters without the details page.
    QCOMPARE(s.letters.size(), std::size_t(3));
    QVERIFY(s.pairs.has_value());
    QVERIFY(child<QPushButton>("savePlot")->isEnabled());

    auto* kinds = child<QComboBox>("plotKind");
    QCOMPARE(kinds->count(), 3);
    QImage before;
    for (int k = 0; k < kinds->count(); ++k) {
        kinds->setCurrentIndex(k);
        QCoreApplication::processEvents();
        const QImage shot = view()->grab().toImage();
        QVERIFY2(colours(shot) > 20, qPrintable(kinds->itemText(k))); // drawn, not blank
        QVERIFY2(shot != before, qPrintable(kinds->itemText(k)));     // another picture
        before = shot;
        QCOMPARE(page()->kind(), static_cast<kw::plot::PlotKind>(k));
    }
    kinds->setCurrentIndex(0);
    QCOMPARE(view()->accessibleDescription(),
             QString("Box plot of weight by group: 3 groups, 30 cases"));

    // The details page's statistics, once computed for the same choices, agree with the plot.
    turnTo(5);
    QTRY_COMPARE(child<QWidget>("detailsstatus")->isVisible(), true);
    turnTo(plotsIndex);
    QCOMPARE(page()->summary()->letters, s.letters);
}

void PlotsTest::pictureFollowsThePageSize() {
    QVERIFY(plantGrowthPlotted());
    // A large page: the picture is laid out at its size and fills it.
    w_->resize(1400, 900);
    QCoreApplication::processEvents();
    QImage shot = view()->grab().toImage();
    QRect drawn = paper(shot);
    QVERIFY2(drawn.width() >= shot.width() - 2 && drawn.height() >= shot.height() - 2,
             qPrintable(QString("%1x%2 of %3x%4")
                            .arg(drawn.width())
                            .arg(drawn.height())
                            .arg(shot.width())
                            .arg(shot.height())));
    // A small window: the picture laid out at its minimum, scaled down whole, proportions kept.
    w_->resize(w_->minimumSizeHint());
    QCoreApplication::processEvents();
    shot = view()->grab().toImage();
    drawn = paper(shot);
    QVERIFY(!drawn.isEmpty());
    QVERIFY(drawn.width() <= shot.width() && drawn.height() <= shot.height());
    const double ratio = double(drawn.width()) / drawn.height();
    const QSizeF design = kw::app::PlotView::designSize(view()->size());
    QVERIFY2(std::abs(ratio - design.width() / design.height()) < 0.05,
             qPrintable(QString::number(ratio)));
    QVERIFY(colours(shot) > 10);
    // The page does not make the window's minimum larger than the other pages do.
    QVERIFY(view()->minimumSizeHint().width() <= 200);
}

void PlotsTest::newDataAndCalculationsRefresh() {
    QVERIFY(plantGrowthPlotted());
    const auto first = page()->summary();
    // Another level: the next calculation's letters and pairs at it.
    child<QLineEdit>("inputalpha")->setText("0.01");
    calculate();
    turnTo(plotsIndex);
    QTRY_VERIFY(page()->summary() != nullptr);
    QVERIFY(page()->summary() != first);
    QCOMPARE(page()->summary()->alpha, 0.01);
    // New data: nothing calculated for it yet.
    read(examples + "/insectsprays.txt");
    turnTo(plotsIndex);
    QVERIFY(page()->summary() == nullptr);
    QVERIFY(child<QLabel>("plotHint")->isVisible());
    pick("groupchoice", "spray");
    pick("testchoice", "count");
    calculate();
    turnTo(plotsIndex);
    QTRY_VERIFY(page()->summary() != nullptr);
    QCOMPARE(page()->summary()->groups.size(), std::size_t(6));
    QVERIFY(view()->accessibleDescription().contains("count by spray: 6 groups"));
}

// --- The picture shared

void PlotsTest::picturesAreSaved() {
    QVERIFY(plantGrowthPlotted());
    auto* dpi = child<QSpinBox>("pngDpi");
    QCOMPARE(dpi->value(), 300);
    dpi->setValue(150);
    child<QComboBox>("plotSize")->setCurrentIndex(0); // 800 x 500
    QCOMPARE(page()->pictureSize(), QSizeF(800, 500));

    // Through the dialog, no extension typed: the chosen filter's is added.
    {
        kw::test::FileTyper typer(dir_->filePath("plot"));
        child<QPushButton>("savePlot")->click();
        QCOMPARE(typer.title, QString("Save picture"));
    }
    QImage png;
    QVERIFY(png.load(dir_->filePath("plot.png"), "PNG"));
    QCOMPARE(png.size(), QSize(1250, 781)); // 800 x 500 at 150 dpi
    QCOMPARE(qRound(png.dotsPerMeterX() * 0.0254), 150);
    QVERIFY(colours(png) > 20);
    {
        kw::test::FileTyper typer(dir_->filePath("drawing"), "SVG picture (*.svg)");
        child<QPushButton>("savePlot")->click();
    }
    QFile svg(dir_->filePath("drawing.svg"));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray svgBytes = svg.readAll();
    QVERIFY(isXml(svgBytes));
    QVERIFY(svgBytes.contains("<svg"));
    QVERIFY(svgBytes.contains("viewBox=\"0 0 800 500\""));

    QCOMPARE(page()->savePicture(dir_->filePath("plot.PDF")), QString());
    QFile pdf(dir_->filePath("plot.PDF"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF"));
    // Saved again over a file: replaced whole.
    QCOMPARE(page()->savePicture(dir_->filePath("plot.png")), QString());
    QVERIFY(png.load(dir_->filePath("plot.png"), "PNG"));
    QVERIFY(!QDir(dir_->path()).entryList(QDir::Files).join(',').contains('~'));
}

void PlotsTest::fileNamesGetTheirExtension() {
    const QString png = "PNG image (*.png)";
    const QString svg = "SVG picture (*.svg)";
    QCOMPARE(PlotsPage::pictureFileName("/tmp/a", png), QString("/tmp/a.png"));
    QCOMPARE(PlotsPage::pictureFileName("/tmp/a", svg), QString("/tmp/a.svg"));
    QCOMPARE(PlotsPage::pictureFileName("/tmp/a.PDF", png), QString("/tmp/a.PDF"));
    QCOMPARE(PlotsPage::pictureFileName("/tmp/a.v2", svg), QString("/tmp/a.v2.svg"));
    QCOMPARE(PlotsPage::pictureFileName("/tmp/x.svg/a", png), QString("/tmp/x.svg/a.png"));
}

void PlotsTest::failedSaveIsShown() {
    QVERIFY(plantGrowthPlotted());
    const QString path = dir_->filePath("missing/folder/plot.png");
    QVERIFY(!page()->savePicture(path).isEmpty());
    // Through the dialog, in the window's failure box.
    QString shown;
    QTimer watcher;
    watcher.setInterval(20);
    connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && box->objectName() == "failuremessage") {
            shown = box->text();
            box->accept();
        }
    });
    watcher.start();
    QVERIFY(QDir(dir_->path()).mkdir("locked"));
    QFile::setPermissions(dir_->filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(dir_->filePath("locked")).isWritable()) {
        QSKIP("running with rights that write into any folder");
    }
    {
        kw::test::FileTyper typer(dir_->filePath("locked/plot.svg"));
        child<QPushButton>("savePlot")->click();
    }
    QVERIFY2(shown.contains("plot.svg"), qPrintable(shown));
}

void PlotsTest::pictureIsCopied() {
    QVERIFY(plantGrowthPlotted());
    QApplication::clipboard()->clear();
    child<QComboBox>("plotKind")->setCurrentIndex(1);
    child<QPushButton>("copyPlot")->click();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QVERIFY(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    QVERIFY(image.width() >= 2 * 800);
    QVERIFY(colours(image) > 20);
    QVERIFY(data->hasFormat("image/svg+xml"));
    QVERIFY(isXml(data->data("image/svg+xml")));
}

// --- Keyboard, screen readers, the tabs

void PlotsTest::keyboardAndScreenReaders() {
    QVERIFY(plantGrowthPlotted());
    child<QWidget>("plotKind")->setFocus();
    QStringList visited;
    for (int i = 0; i < 6; ++i) {
        QWidget* w = QApplication::focusWidget();
        if (qobject_cast<QAbstractSpinBox*>(w->parentWidget()) != nullptr) {
            w = w->parentWidget();
        }
        visited << w->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited,
             QStringList({"plotKind", "plotSize", "pngDpi", "savePlot", "copyPlot", "plotView"}));
    for (const char* name :
         {"plotKind", "plotSize", "pngDpi", "savePlot", "copyPlot", "plotView"}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child<QWidget>(name));
        QVERIFY2(!face->text(QAccessible::Name).trimmed().isEmpty(), name);
        QVERIFY2(!face->text(QAccessible::Description).trimmed().isEmpty(), name);
    }
    // The choice of the kind by keyboard.
    child<QWidget>("plotKind")->setFocus();
    QTest::keyClick(child<QWidget>("plotKind"), Qt::Key_Down);
    QCOMPARE(page()->kind(), kw::plot::PlotKind::ranks);
    QVERIFY(view()->accessibleDescription().startsWith("Mean ranks of weight by group"));
}

void PlotsTest::tabLeavesTheOtherPagesAlone() {
    QVERIFY(plantGrowthPlotted());
    QStringList tabs;
    for (int i = 0; i < pages()->count(); ++i) {
        tabs << pages()->tabText(i);
    }
    QCOMPARE(tabs,
             QStringList({"input", "groups", "ranked", "output", "counts", "details", "plots"}));
    // The plots page stays in front while the window is shown anew (a choice changed).
    pick("testchoice", "weight");
    QCoreApplication::processEvents();
    QCOMPARE(pages()->currentIndex(), plotsIndex);
    // Ctrl+PgDown goes round to the input page, Ctrl+PgUp back.
    QVERIFY(kw::test::activate(*w_));
    QTest::keyClick(w_.get(), Qt::Key_PageDown, Qt::ControlModifier);
    work()->waitForFinished();
    QCOMPARE(pages()->currentIndex(), 0);
    QTest::keyClick(w_.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(pages()->currentIndex(), plotsIndex);
    // The session's pages as before: the output page after a calculation, counts by turning.
    turnTo(4);
    QCOMPARE(pages()->currentIndex(), 4);
    calculate();
    QCOMPARE(pages()->currentIndex(), 3);
}

QTEST_MAIN(PlotsTest)
#include "plots_test.moc"
