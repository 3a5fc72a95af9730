// The window at every size, by keyboard alone and for screen readers, run offscreen: the first
// placement on small screens, the panel and the pages at the minimum size with the normal and
// a doubled font (nothing overlapping, nothing narrower than its text), the output page's
// captions beside their values, the tab order, the accessible names, a dark palette, and a
// whole session without the mouse.

#include "windowsteps.h"

#include "app/mainwindow.h"
#include "app/pages/gridmodel.h"
#include "app/panelscrollarea.h"
#include "app/settings.h"
#include "app/windowplacement.h"
#include "app/work/workrunner.h"
#include "core/base/version.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using kw::app::MainWindow;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);

// The controls a user sees and works, whose boxes must not overlap: the leaves of the tree
// (not what a grid or a spin box is made of).
bool isControl(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) != nullptr ||
           qobject_cast<const QAbstractButton*>(w) != nullptr ||
           qobject_cast<const QComboBox*>(w) != nullptr ||
           qobject_cast<const QLineEdit*>(w) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(w) != nullptr ||
           qobject_cast<const QAbstractItemView*>(w) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(w) != nullptr ||
           qobject_cast<const QGroupBox*>(w) != nullptr;
}

bool insideControl(const QWidget* w, const QWidget* root) {
    for (const QWidget* p = w->parentWidget(); p != nullptr && p != root; p = p->parentWidget()) {
        if (isControl(p) && qobject_cast<const QGroupBox*>(p) == nullptr) {
            return true;
        }
    }
    return false;
}

QList<QWidget*> visibleControls(QWidget* root) {
    QList<QWidget*> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->isVisible() && isControl(w) && !insideControl(w, root) && !w->geometry().isEmpty()) {
            out << w;
        }
    }
    return out;
}

QString describe(const QWidget* w) {
    const QString text = qobject_cast<const QLabel*>(w) ? static_cast<const QLabel*>(w)->text()
                         : qobject_cast<const QAbstractButton*>(w)
                             ? static_cast<const QAbstractButton*>(w)->text()
                             : QString();
    return QString("%1 %2 '%3'").arg(w->metaObject()->className(), w->objectName(), text);
}

// Faults of the layout under `root`: controls that overlap, captions and buttons narrower than
// their text.
QStringList layoutFaults(QWidget* root) {
    QStringList faults;
    const QList<QWidget*> controls = visibleControls(root);
    QWidget* top = root->window();
    auto box = [top](const QWidget* w) { return QRect(w->mapTo(top, QPoint(0, 0)), w->size()); };
    for (int i = 0; i < controls.size(); ++i) {
        const QWidget* a = controls[i];
        for (int j = i + 1; j < controls.size(); ++j) {
            const QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) {
                continue;
            }
            if (box(a).intersects(box(b))) {
                faults << "overlap: " + describe(a) + " / " + describe(b);
            }
        }
        const auto* label = qobject_cast<const QLabel*>(a);
        const bool sized = (label != nullptr && !label->wordWrap() && label->pixmap().isNull()) ||
                           qobject_cast<const QAbstractButton*>(a) != nullptr;
        if (sized && a->width() < a->sizeHint().width()) {
            faults << QString("narrower than its text: %1 (%2 < %3)")
                          .arg(describe(a))
                          .arg(a->width())
                          .arg(a->sizeHint().width());
        }
    }
    return faults;
}

int luminance(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

} // namespace

class LayoutTest final : public QObject, kw::test::WindowSteps {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void placementStaysOnSmallScreens();
    void windowOpensWithinTheScreen();
    void nothingOverlapsAtTheMinimumSize_data();
    void nothingOverlapsAtTheMinimumSize();
    void outputCaptionsStayBesideTheirValues_data();
    void outputCaptionsStayBesideTheirValues();
    void tabFollowsTheRows();
    void everyControlHasAnAccessibleName();
    void darkPaletteKeepsTextReadable();
    void wholeSessionByKeyboard();

private:
    bool start();
    void tab(Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The control with the focus (a spin box for its line edit).
    QWidget* focused() const;
    QString focusName() const;
    // Tab pressed until the control of that name has the focus.
    bool tabTo(const QString& name);
    // A File menu command chosen by keyboard: Alt+F, Down until it is highlighted, Return.
    void fileCommand(const QString& text);

    std::unique_ptr<QTemporaryDir> dir_;
    QTemporaryDir settingsDir_;
    QFont font_;
    QPalette palette_;
};

void LayoutTest::initTestCase() {
    QVERIFY(kw::test::ownSettings(settingsDir_));
    font_ = QApplication::font();
    palette_ = QApplication::palette();
}

void LayoutTest::init() {
    kw::app::storeVersion(kw::programVersion); // no notice at start
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void LayoutTest::cleanup() {
    if (w_) {
        w_->close();
        w_.reset();
    }
    QApplication::setFont(font_);
    QApplication::setPalette(palette_);
    dir_.reset();
}

bool LayoutTest::start() {
    w_ = std::make_unique<MainWindow>();
    return kw::test::showStarted(*w_) && kw::test::activate(*w_);
}

void LayoutTest::tab(Qt::KeyboardModifiers modifiers) {
    // Shift+Tab comes as Backtab from a keyboard.
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : w_.get(),
                    modifiers & Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab, modifiers);
}

QWidget* LayoutTest::focused() const {
    QWidget* w = QApplication::focusWidget();
    if (w != nullptr && qobject_cast<QAbstractSpinBox*>(w->parentWidget()) != nullptr) {
        return w->parentWidget();
    }
    return w;
}

QString LayoutTest::focusName() const {
    const QWidget* w = focused();
    if (qobject_cast<const QTabBar*>(w) != nullptr) {
        return "tabs";
    }
    return w != nullptr ? w->objectName() : QString("<none>");
}

bool LayoutTest::tabTo(const QString& name) {
    for (int i = 0; i < 60 && focusName() != name; ++i) {
        tab();
    }
    return focusName() == name;
}

void LayoutTest::fileCommand(const QString& text) {
    QTest::keyClick(w_.get(), Qt::Key_F, Qt::AltModifier);
    QMenu* menu = nullptr;
    QVERIFY(QTest::qWaitFor(
        [&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; },
        2000));
    for (int i = 0; i < 20; ++i) {
        if (menu->activeAction() != nullptr && menu->activeAction()->text() == text) {
            break;
        }
        QTest::keyClick(menu, Qt::Key_Down);
    }
    QVERIFY(menu->activeAction() != nullptr);
    QCOMPARE(menu->activeAction()->text(), text);
    QTest::keyClick(menu, Qt::Key_Return);
}

// --- Where the window opens

void LayoutTest::placementStaysOnSmallScreens() {
    using kw::app::placeWindow;
    const QSize frame(8, 36);
    // 1280 x 1024 at 2x: 640 x 512 of room, the window shrunk to fit, frame and all.
    auto p = placeWindow(QSize(800, 600), QSize(600, 420), frame, QRect(0, 0, 640, 512));
    QCOMPARE(p.size, QSize(632, 476));
    QCOMPARE(p.framePosition, QPoint(0, 0));
    // A large screen: the size wanted, centred; a second screen to the right keeps its offset.
    p = placeWindow(QSize(800, 600), QSize(600, 420), frame, QRect(1920, 30, 1920, 1050));
    QCOMPARE(p.size, QSize(800, 600));
    QCOMPARE(p.framePosition, QPoint(1920 + (1920 - 808) / 2, 30 + (1050 - 636) / 2));
    // Smaller than the minimum: the minimum, the title bar and the menus on the screen.
    p = placeWindow(QSize(800, 600), QSize(700, 500), frame, QRect(10, 20, 640, 480));
    QCOMPARE(p.size, QSize(700, 500));
    QCOMPARE(p.framePosition, QPoint(10, 20));
}

void LayoutTest::windowOpensWithinTheScreen() {
    // The offscreen screen is 800 x 600: the 800 x 600 the window would like does not fit
    // with a frame around it.
    auto w = std::make_unique<MainWindow>();
    const QRect available = w->screen()->availableGeometry();
    const QSize frame = kw::app::likelyFrame(w->fontMetrics().height());
    QVERIFY(w->width() + frame.width() <= available.width());
    QVERIFY(w->height() + frame.height() <= available.height());
    QVERIFY(available.contains(QRect(w->pos(), w->size() + frame)));
    QVERIFY(w->width() >= w->minimumSizeHint().width());
    QVERIFY(w->height() >= w->minimumSizeHint().height());
    // With a font twice as large the panel scrolls sideways rather than push the window
    // off the screen.
    QFont big = font_;
    big.setPointSizeF(font_.pointSizeF() * 2);
    QApplication::setFont(big);
    w = std::make_unique<MainWindow>();
    QVERIFY2(w->minimumSizeHint().width() + frame.width() <= available.width(),
             qPrintable(QString::number(w->minimumSizeHint().width())));
    QVERIFY(available.contains(QRect(w->pos(), QSize(w->width() + frame.width(), 1))));
}

// --- Sizes

void LayoutTest::nothingOverlapsAtTheMinimumSize_data() {
    QTest::addColumn<double>("fontScale");
    QTest::addColumn<bool>("minimum");
    QTest::newRow("normal font, minimum size") << 1.0 << true;
    QTest::newRow("normal font, large window") << 1.0 << false;
    QTest::newRow("double font, minimum size") << 2.0 << true;
}

void LayoutTest::nothingOverlapsAtTheMinimumSize() {
    QFETCH(double, fontScale);
    QFETCH(bool, minimum);
    QFont font = font_;
    font.setPointSizeF(font_.pointSizeF() * fontScale);
    QApplication::setFont(font);
    QVERIFY(start());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    w_->resize(minimum ? w_->minimumSize().expandedTo(w_->minimumSizeHint()) : QSize(1600, 1000));
    if (fontScale > 1) {
        // Narrower than the panel: it scrolls sideways, and follows the focus.
        auto* band = child<kw::app::PanelScrollArea>("panelScroll");
        QTest::qWait(1);
        QVERIFY(band->scrolls());
        child<QWidget>("groupchoice")->setFocus();
        QVERIFY(tabTo("selstrings"));
        const QWidget* list = child<QWidget>("selstrings");
        const QRect shown(list->mapTo(band->viewport(), QPoint(0, 0)), list->size());
        QVERIFY(band->viewport()->rect().contains(shown));
        QVERIFY(band->viewport()->height() >= child<QWidget>("panel")->height()); // bar below it
    }
    for (int page = 0; page < pages()->count(); ++page) {
        turnTo(page);
        QTest::qWait(1);
        const QStringList faults = layoutFaults(w_->centralWidget());
        QVERIFY2(faults.isEmpty(), qPrintable(pages()->tabText(page) + ": " + faults.join("\n")));
    }
}

void LayoutTest::outputCaptionsStayBesideTheirValues_data() {
    QTest::addColumn<QString>("alpha");
    QTest::addColumn<bool>("comparison");
    QTest::newRow("with comparison") << "0.05" << true;
    QTest::newRow("without comparison") << "0.01" << false;
}

void LayoutTest::outputCaptionsStayBesideTheirValues() {
    QFETCH(QString, alpha);
    QFETCH(bool, comparison);
    QVERIFY(start());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    child<QLineEdit>("inputalpha")->setText(alpha);
    calculate();
    QCOMPARE(pages()->currentIndex(), 3);
    auto* grid = child<QTableView>("mulcompgrid");
    QCOMPARE(grid->isVisible(), comparison);
    auto* heading = child<QLabel>("mulcomplabel");
    QCOMPARE(heading->text().startsWith("no "), !comparison);
    for (const QSize size : {w_->minimumSizeHint(), QSize(800, 600), QSize(1800, 1000)}) {
        w_->resize(size);
        QTest::qWait(1);
        const QWidget* page = pages()->currentWidget();
        int bottom = 0;
        for (const char* name : {"groupvar", "testvar", "chival", "dfnr", "pval"}) {
            auto* value = child<QLabel>(name);
            // The caption is the label whose buddy the value is.
            const QLabel* owner = nullptr;
            for (const QLabel* l : page->findChildren<QLabel*>()) {
                if (l->buddy() == value) {
                    owner = l;
                }
            }
            QVERIFY2(owner != nullptr, name);
            const QRect c = owner->geometry();
            const QRect v = value->geometry();
            const int gap = v.left() - c.right();
            QVERIFY2(gap >= 0 && gap <= 12, qPrintable(QString("%1: %2 px from '%3' at %4 x %5")
                                                           .arg(name)
                                                           .arg(gap)
                                                           .arg(owner->text())
                                                           .arg(size.width())
                                                           .arg(size.height())));
            QVERIFY2(qAbs(c.center().y() - v.center().y()) <= 3, name);
            bottom = std::max(bottom, v.bottom());
        }
        // The heading where the table begins, right under the test, with or without one.
        QVERIFY(heading->y() > bottom);
        QVERIFY2(heading->y() - bottom < heading->fontMetrics().height() * 4,
                 qPrintable(QString::number(heading->y() - bottom)));
        if (comparison) {
            QVERIFY(grid->y() >= heading->geometry().bottom());
            QVERIFY(grid->y() - heading->geometry().bottom() < 12);
        }
    }
}

// --- The keyboard and screen readers

void LayoutTest::tabFollowsTheRows() {
    QVERIFY(start());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate(); // the output page with its sort choice
    child<QComboBox>("groupchoice")->setFocus();
    QStringList visited{focusName()};
    for (int i = 0; i < 15; ++i) {
        tab();
        visited << focusName();
    }
    const QStringList panel{"groupchoice",  "testchoice",  "inputalpha", "calculate",   "texts",
                            "missvals",     "selchoice",   "operator",   "valuechoice", "addselect",
                            "removeselect", "clearselect", "selstrings", "tabs"};
    QCOMPARE(visited.mid(0, panel.size()), panel);
    // On the output page: the sort choice at the top right, then the table.
    QCOMPARE(visited.mid(panel.size(), 2), QStringList({"grouping variable", "mulcompgrid"}));
    // Back the same way.
    tab(Qt::ShiftModifier);
    tab(Qt::ShiftModifier);
    QCOMPARE(focusName(), QString("tabs"));

    // The details page, row by row: its choices and "compute", then the band from the top.
    turnTo(5);
    child<QWidget>("exactmode")->setFocus();
    visited = QStringList{focusName()};
    for (int i = 0; i < 11; ++i) {
        tab();
        visited << focusName();
    }
    QCOMPARE(visited, QStringList({"exactmode", "resamples", "seed", "computedetails", "apaline",
                                   "copyapa", "descriptives", "pairmethod", "adjustment",
                                   "controlgroup", "pairs", "methods"}));
    // Into the page from the tab bar at its first control, and out again.
    tab();
    QCOMPARE(focusName(), QString("groupchoice"));
    QVERIFY(tabTo("tabs"));
    tab();
    QCOMPARE(focusName(), QString("exactmode"));
    tab(Qt::ShiftModifier);
    QCOMPARE(focusName(), QString("tabs"));
    // The pages turn from the tab bar with Ctrl+Tab, and with Ctrl+PgDown from anywhere.
    QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages()->currentIndex(), 6); // the plots, after the details
    QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages()->currentIndex(), 0);
    QTest::keyClick(focused(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(pages()->currentIndex(), 1);
}

void LayoutTest::everyControlHasAnAccessibleName() {
    QVERIFY(start());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    QStringList unnamed;
    for (QWidget* w : w_->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->isHidden() || w->window() != w_.get() ||
            qobject_cast<QAbstractSpinBox*>(w->parentWidget()) != nullptr) {
            continue; // a spin box's line edit is the spin box's
        }
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        QVERIFY(face != nullptr);
        if (face->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << describe(w);
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join("\n")));
    // The captions of inputs are their labels (the relation a screen reader reads).
    QCOMPARE(child<QLabel>("groupCaption")->buddy(), child<QWidget>("groupchoice"));
    QCOMPARE(child<QLabel>("missingCaption")->buddy(), child<QWidget>("missvals"));
}

void LayoutTest::darkPaletteKeepsTextReadable() {
    QPalette dark;
    const QColor window(45, 45, 48), base(30, 30, 32), text(225, 225, 225);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::Button, window);
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Highlight, QColor(60, 110, 180));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
        dark.setColor(group, QPalette::ToolTipBase, base);
        dark.setColor(group, QPalette::ToolTipText, text);
    }
    QApplication::setPalette(dark);
    QVERIFY(start());
    read(examples + "/plantgrowth.txt");
    pick("groupchoice", "group");
    pick("testchoice", "weight");
    calculate();
    for (int page : {0, 1, 3, 4, 5}) {
        turnTo(page);
        const QImage shot = w_->grab().toImage();
        if (const QString shots = qEnvironmentVariable("KW_LAYOUT_SHOTS"); !shots.isEmpty()) {
            shot.save(QString("%1/dark-%2.png").arg(shots).arg(page)); // for a person to look at
        }
        // No light pane: the window is dark as a whole.
        qint64 sum = 0;
        for (int y = 0; y < shot.height(); y += 3) {
            for (int x = 0; x < shot.width(); x += 3) {
                sum += luminance(shot.pixel(x, y));
            }
        }
        const qint64 mean = sum / ((shot.height() + 2) / 3) / ((shot.width() + 2) / 3);
        QVERIFY2(mean < 100, qPrintable(QString("page %1: mean %2").arg(page).arg(mean)));
        // Every text stands out from what is behind it.
        for (QWidget* w : visibleControls(w_->centralWidget())) {
            auto* label = qobject_cast<QLabel*>(w);
            if (label == nullptr || label->text().isEmpty()) {
                continue;
            }
            const QImage img = label->grab().toImage();
            int lo = 255, hi = 0;
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    lo = std::min(lo, luminance(img.pixel(x, y)));
                    hi = std::max(hi, luminance(img.pixel(x, y)));
                }
            }
            QVERIFY2(hi - lo > 100, qPrintable(describe(label)));
        }
    }
}

// A whole session without the mouse: open the file from the File menu, choose the variables,
// add a condition, calculate, look at every page, save the report.
void LayoutTest::wholeSessionByKeyboard() {
    QVERIFY(start());
    {
        kw::test::FileTyper typer(examples + "/plantgrowth.txt");
        fileCommand("Read data from Text file");
        work()->waitForFinished();
        QCoreApplication::processEvents();
        QCOMPARE(typer.typedInto, QString("fileNameEdit"));
    }
    QVERIFY(w_->windowTitle().endsWith("plantgrowth.txt"));
    QVERIFY(kw::test::activate(*w_));

    QVERIFY(tabTo("groupchoice"));
    QTest::keyClick(focused(), Qt::Key_G);
    tab();
    QCOMPARE(focusName(), QString("testchoice"));
    QTest::keyClick(focused(), Qt::Key_W);
    QCOMPARE(child<QComboBox>("groupchoice")->currentText(), QString("group"));
    QCOMPARE(child<QComboBox>("testchoice")->currentText(), QString("weight"));
    // The grouping variable holds texts: the mode by arrow key.
    QVERIFY(tabTo("numbers") || tabTo("texts"));
    if (focusName() == "numbers") {
        QTest::keyClick(focused(), Qt::Key_Left);
    }
    QVERIFY(child<QRadioButton>("texts")->isChecked());

    // The condition: group <> ctrl.
    QVERIFY(tabTo("selchoice"));
    QTest::keyClick(focused(), Qt::Key_G);
    tab();
    QTest::keyClick(focused(), Qt::Key_Down);
    QTest::keyClick(focused(), Qt::Key_Down);
    QCOMPARE(child<QComboBox>("operator")->currentText(), QString("<>"));
    tab();
    QTest::keyClick(focused(), Qt::Key_C);
    QCOMPARE(child<QComboBox>("valuechoice")->currentText(), QString("ctrl"));
    tab();
    QCOMPARE(focusName(), QString("addselect"));
    QTest::keyClick(focused(), Qt::Key_Space);
    const auto* conditions = child<QListWidget>("selstrings");
    QVERIFY(conditions->count() > 0);
    QCOMPARE(conditions->item(conditions->count() - 1)->text().remove(' '), QString("group<>ctrl"));

    QVERIFY(tabTo("calculate"));
    QTest::keyClick(focused(), Qt::Key_Space);
    work()->waitForFinished();
    QCoreApplication::processEvents();
    QCOMPARE(pages()->currentIndex(), 3);
    QCOMPARE(child<QLabel>("chival")->text(), QString("6.606"));

    // Every page in turn from the tab bar, and into each page's contents and back.
    QVERIFY(tabTo("tabs"));
    for (int i = 0; i < pages()->count(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
        work()->waitForFinished();
        QCoreApplication::processEvents();
        QWidget* page = pages()->currentWidget();
        tab();
        QVERIFY2(page == focused() || page->isAncestorOf(focused()),
                 qPrintable(pages()->tabText(pages()->currentIndex()) + ": " + focusName()));
        tab(Qt::ShiftModifier);
        QCOMPARE(focusName(), QString("tabs"));
    }
    QCOMPARE(pages()->currentIndex(), 3); // round to the output page again
    const auto* groups = qobject_cast<kw::app::GridModel*>(child<QTableView>("npgrgrid")->model());
    QCOMPARE(groups->cellText(1, 0), QString("trt1"));

    const QString report = dir_->filePath("report.txt");
    {
        kw::test::FileTyper typer(report);
        fileCommand("Save results to Text");
        QCOMPARE(typer.typedInto, QString("fileNameEdit"));
    }
    // The report of the batch tool for the same choices.
    QFile saved(report);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), QString("KRUSKAL WALLIS NONPARAMETRIC ANOVA\r\n"
                                                         "OVERALL TEST RESULTS\r\n"
                                                         "\r\n"
                                                         "group: group\r\n"
                                                         "test: weight\r\n"
                                                         "Chi2:   6.606\r\n"
                                                         "df:     1\r\n"
                                                         "p: 0.010\r\n"
                                                         "MULTIPLE COMPARISON OF GROUPS \r\n"
                                                         "* = significant at p<0.050\r\n"
                                                         "grouped_by group trt1 trt2 \r\n"
                                                         "group median 4.55 5.435 \r\n"
                                                         "trt1 4.55    -      *   \r\n"
                                                         "trt2 5.435    *      -   \r\n"));
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
