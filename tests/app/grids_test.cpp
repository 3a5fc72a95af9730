// The window's grids, offscreen: long names elided at their end with the whole text as a
// tooltip, columns fitted within limits and resizable, the first column frozen in step with
// the grid, a table of a million rows fitted from a sample, and the grids in a dark palette.

#include "app/pages/columnfit.h"
#include "app/pages/datatableview.h"
#include "app/pages/detailsnumbers.h"
#include "app/pages/detailstableview.h"
#include "app/pages/griddelegate.h"
#include "app/pages/gridheaderview.h"
#include "app/pages/gridmodel.h"
#include "app/pages/gridview.h"
#include "app/pages/resultgridview.h"
#include "core/session/session.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QToolTip>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using kw::app::DataTableView;
using kw::app::DetailsTableView;
using kw::app::GridHeaderView;
using kw::app::GridModel;
using kw::app::GridView;
using kw::app::ResultGridView;

namespace {

const std::vector<std::string> doses = {"high_dose_treatment", "low_dose_treatment",
                                        "placebo_control_group"};

// A groups grid: the group variable's name and the groups across, case numbers down the first
// column, `rows` cases of values.
class GroupsGrid final : public kw::Grid {
public:
    GroupsGrid(std::vector<std::string> groups, int rows, std::string cell = "4.25")
        : groups_(std::move(groups)), rows_(rows), cell_(std::move(cell)) {}
    int columnCount() const override { return static_cast<int>(groups_.size()) + 1; }
    int rowCount() const override { return rows_ + 1; }
    std::string cell(int col, int row) const override {
        if (row == 0) {
            return col == 0 ? "treatment" : groups_[static_cast<std::size_t>(col - 1)];
        }
        return col == 0 ? std::to_string(row) : cell_;
    }

private:
    std::vector<std::string> groups_;
    int rows_;
    std::string cell_;
};

// A table of a million rows that counts what the view asks of it.
class CountingModel final : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 1'000'000;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        ++reads;
        return QString("value %1").arg(index.row());
    }
    mutable int reads = 0;
};

std::vector<std::string> manyGroups(int n) {
    std::vector<std::string> groups;
    for (int i = 0; i < n; ++i) {
        groups.push_back("group_" + std::to_string(i));
    }
    return groups;
}

GridHeaderView* header(QTableView* view) {
    return qobject_cast<GridHeaderView*>(view->horizontalHeader());
}

// The mean lightness of a widget as painted.
double lightness(QWidget* w) {
    const QImage image = w->grab().toImage();
    double sum = 0;
    int n = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            sum += QColor(image.pixel(x, y)).lightnessF();
            ++n;
        }
    }
    return n > 0 ? sum / n : 0;
}

} // namespace

class GridsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void longNamesElideAtTheirEnd();
    void columnsFitWithinLimits();
    void columnsAreResizable();
    void frozenColumnStaysInStep();
    void millionRowsFittedFromASample();
    void dataTableHeadersAndCorner();
    void detailsTableSortsFromItsFrozenColumn();
    void gridsAreNamedAndFollowTheirPalette();
};

void GridsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// The two dose groups, cut, still differ where they start; the whole name is the tooltip; the
// cells too are cut at their end.
void GridsTest::longNamesElideAtTheirEnd() {
    ResultGridView view("groupgrid", 1, 0);
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const std::string tail = "_over_twelve_weeks_of_daily_tablets";
    view.setGrid(std::make_shared<GroupsGrid>(
        std::vector<std::string>{doses[0] + tail, doses[1] + tail, doses[2]}, 5,
        "a measurement noted with a long remark beside it, longer than a column"));
    GridHeaderView* h = header(&view);
    for (int c : {1, 2}) {
        const QString full = view.model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(view.model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString(), full);
        QVERIFY(!h->textFits(c));
        const QString shown = h->shownText(c);
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY2(full.startsWith(shown.chopped(1)), qPrintable(shown)); // its beginning
    }
    // Hovered, the cut header shows its whole name.
    const QPoint middle(h->sectionViewportPosition(2) + h->sectionSize(2) / 2,
                        h->viewport()->height() / 2);
    QHelpEvent hover(QEvent::ToolTip, middle, h->viewport()->mapToGlobal(middle));
    QApplication::sendEvent(h->viewport(), &hover);
    QTRY_COMPARE(QToolTip::text(), view.model()->headerData(2, Qt::Horizontal).toString());
    QToolTip::hideText();
    // Narrowed by the user to a few characters: still told apart.
    view.setColumnWidth(1, kw::app::narrowestColumn(view));
    view.setColumnWidth(2, kw::app::narrowestColumn(view));
    QVERIFY(h->shownText(1).startsWith("hi"));
    QVERIFY(h->shownText(2).startsWith("lo"));
    // A short name shows whole.
    QVERIFY(h->textFits(3));
    QCOMPARE(h->shownText(3), QString::fromStdString(doses[2]));

    // A cell cut at its end, whole in its tooltip; a short one needs no tooltip.
    auto* delegate = qobject_cast<kw::app::GridDelegate*>(view.itemDelegate());
    QVERIFY(delegate != nullptr);
    const QModelIndex cut = view.model()->index(0, 1);
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    option.rect = view.visualRect(cut);
    QVERIFY(!delegate->textFits(option, cut));
    QCOMPARE(cut.data(Qt::ToolTipRole).toString(), cut.data().toString());
    const QModelIndex number = view.model()->index(0, 0);
    option.rect = view.visualRect(number);
    QVERIFY(delegate->textFits(option, number));
    QVERIFY(!view.wordWrap()); // a wrapped cell shows a piece of its middle line
}

// Each column at least as wide as its header and its short cells, at most the limit.
void GridsTest::columnsFitWithinLimits() {
    ResultGridView view("countgrid", 2, 1);
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setGrid(std::make_shared<GroupsGrid>(
        std::vector<std::string>{doses[0], "n", std::string(80, 'w')}, 4, "1234567.5"));
    const int limit = kw::app::columnWidthLimit(view);
    const QFontMetrics metrics = view.fontMetrics();
    QFont bold = view.font();
    bold.setBold(true); // a header in a column of the selection
    const QFontMetrics boldMetrics(bold);
    for (int c = 0; c < view.model()->columnCount(); ++c) {
        const QString name = view.model()->headerData(c, Qt::Horizontal).toString();
        QVERIFY(view.columnWidth(c) <= limit);
        QVERIFY(view.columnWidth(c) >= kw::app::narrowestColumn(view));
        if (boldMetrics.horizontalAdvance(name) < limit - 20) {
            QVERIFY2(view.columnWidth(c) > boldMetrics.horizontalAdvance(name), qPrintable(name));
            QVERIFY(header(&view)->textFits(c));
        }
        QVERIFY(view.columnWidth(c) > metrics.horizontalAdvance("1234567.5"));
    }
    QCOMPARE(view.columnWidth(2), limit);
    // The row headers (the values counted) as wide as their texts, up to the limit too.
    QVERIFY(view.verticalHeader()->width() <= limit);
    QVERIFY(view.verticalHeader()->width() > metrics.horizontalAdvance("values"));
}

// Every column, the first too, takes the width the user drags it to; the row headers (a first
// column of their own) too; and a grid whose headers stay the same keeps the widths.
void GridsTest::columnsAreResizable() {
    ResultGridView groups("groupgrid", 1, 0);
    groups.resize(500, 300);
    groups.show();
    QVERIFY(QTest::qWaitForWindowExposed(&groups));
    groups.setGrid(std::make_shared<GroupsGrid>(doses, 5));
    QTableView* frozen = groups.frozenColumn();
    QVERIFY(frozen != nullptr);
    for (int c = 0; c < groups.model()->columnCount(); ++c) {
        QCOMPARE(groups.horizontalHeader()->sectionResizeMode(c), QHeaderView::Interactive);
    }
    QCOMPARE(frozen->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);

    // The first column's edge dragged on the frozen header: both views take the width.
    QWidget* area = frozen->horizontalHeader()->viewport();
    const int edge = frozen->columnWidth(0) - 1;
    const int y = area->height() / 2;
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(area, QPoint(edge + 40, y));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(edge + 40, y));
    QVERIFY2(groups.columnWidth(0) > edge + 20, qPrintable(QString::number(groups.columnWidth(0))));
    QCOMPARE(frozen->columnWidth(0), groups.columnWidth(0));
    QCOMPARE(frozen->width(), groups.columnWidth(0));
    // A new calculation on the same groups keeps it; other groups are fitted anew.
    const int dragged = groups.columnWidth(0);
    groups.setGrid(std::make_shared<GroupsGrid>(doses, 7));
    QCOMPARE(groups.columnWidth(0), dragged);
    groups.setGrid(std::make_shared<GroupsGrid>(manyGroups(3), 7));
    QVERIFY(groups.columnWidth(0) < dragged);

    // Row headers: dragged by their right edge, fitted again by a double-click there.
    ResultGridView ranks("rankgrid", 1, 1);
    ranks.resize(500, 300);
    ranks.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ranks));
    ranks.setGrid(std::make_shared<GroupsGrid>(doses, 5));
    QHeaderView* rows = ranks.verticalHeader();
    const int fitted = rows->width();
    QWidget* rowArea = rows->viewport();
    QTest::mousePress(rowArea, Qt::LeftButton, {}, QPoint(rowArea->width() - 1, 10));
    QTest::mouseMove(rowArea, QPoint(fitted + 60, 10));
    QTest::mouseRelease(rowArea, Qt::LeftButton, {}, QPoint(fitted + 60, 10));
    QTRY_VERIFY(rows->width() > fitted + 40);
    QTest::mouseDClick(rowArea, Qt::LeftButton, {}, QPoint(rowArea->width() - 1, 10));
    QTRY_COMPARE(rows->width(), fitted);
}

// Scrolled sideways the first column stays where it is; scrolled down it moves with the rows;
// the keyboard never leaves the current cell under it.
void GridsTest::frozenColumnStaysInStep() {
    ResultGridView view("groupgrid", 1, 0);
    view.resize(400, 250);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setGrid(std::make_shared<GroupsGrid>(manyGroups(40), 500));
    QTableView* frozen = view.frozenColumn();
    QVERIFY(frozen != nullptr && frozen->isVisible());
    const QRect place = frozen->geometry();
    QCOMPARE(place.left(), view.viewport()->geometry().left());
    QCOMPARE(place.width(), view.columnWidth(0));

    QScrollBar* across = view.horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    across->setValue(across->maximum() / 2);
    QCOMPARE(frozen->geometry(), place);
    QCOMPARE(frozen->horizontalScrollBar()->value(), 0);
    QCOMPARE(frozen->columnAt(1), 0); // only the first column shows in it

    QScrollBar* down = view.verticalScrollBar();
    down->setValue(down->maximum() / 3);
    QCOMPARE(frozen->verticalScrollBar()->value(), down->value());
    QCOMPARE(frozen->rowAt(1), view.rowAt(1));
    // Scrolled on the frozen column (the wheel over it): the grid follows.
    frozen->verticalScrollBar()->setValue(down->value() + 7);
    QCOMPARE(down->value(), frozen->verticalScrollBar()->value());

    // The current cell moved to the left by the keyboard ends beside the frozen column, not
    // under it; in the first column it shows in the frozen one, the others staying put.
    view.setFocus();
    const int row = view.rowAt(view.viewport()->height() / 2);
    view.setCurrentIndex(view.model()->index(row, 12));
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(&view, Qt::Key_Left);
    }
    QCOMPARE(view.currentIndex().column(), 6);
    QVERIFY(view.visualRect(view.currentIndex()).left() >= frozen->width());
    const int before = across->value();
    view.setCurrentIndex(view.model()->index(row, 0));
    QCOMPARE(across->value(), before);
    QCOMPARE(frozen->currentIndex(), view.currentIndex()); // one selection
    QVERIFY(frozen->visualRect(view.currentIndex()).intersects(frozen->viewport()->rect()));
    QCOMPARE(frozen->focusProxy(), &view); // a click on it puts the focus on the grid
    QVERIFY(!(frozen->focusPolicy() & Qt::TabFocus));
}

// Fitting the columns of a million rows reads a sample of rows, not all of them, and a
// double-click on a column's edge measures no more.
void GridsTest::millionRowsFittedFromASample() {
    CountingModel model;
    GridView view;
    view.resize(500, 300);
    view.setModel(&model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    model.reads = 0;
    view.fitColumns();
    QVERIFY2(model.reads > 0 && model.reads <= 3 * kw::app::sampledRows,
             qPrintable(QString::number(model.reads)));
    QVERIFY(view.columnWidth(0) > view.fontMetrics().horizontalAdvance("value 100"));
    QVERIFY(view.horizontalHeader()->resizeContentsPrecision() > 0);
    QVERIFY(view.horizontalHeader()->resizeContentsPrecision() <= kw::app::sampledRows);
    // Scrolled to the end, the rows in sight are those measured.
    view.scrollToBottom();
    model.reads = 0;
    view.fitColumns();
    QVERIFY(model.reads <= 3 * kw::app::sampledRows);
    QVERIFY(view.columnWidth(0) > view.fontMetrics().horizontalAdvance("value 999999"));
    // The case numbers (row headers) fitted from the first and last rows only.
    QVERIFY(view.verticalHeader()->width() > view.fontMetrics().horizontalAdvance("999999"));
}

// The input page: the names whole in their tooltips (with the hint where they can be
// renamed), the cells fitted, the corner's label whole as the corner button's tooltip.
void GridsTest::dataTableHeadersAndCorner() {
    kw::Session session;
    kw::DataTable table =
        kw::DataTable::blank({"treatment_group_of_the_patient_in_the_trial", "weight"}, 3);
    table.setValue(1, 1, doses[0]);
    table.setValue(2, 1, "4.17");
    session.loadTable(table);
    DataTableView view(session);
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.reload();
    QAbstractItemModel* model = view.model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(),
             QString("treatment_group_of_the_patient_in_the_trial"));
    QVERIFY(model->headerData(0, Qt::Horizontal, Qt::ToolTipRole)
                .toString()
                .startsWith("treatment_group_of_the_patient_in_the_trial"));
    QVERIFY(!header(&view)->textFits(0));
    QVERIFY(header(&view)->textFits(1));
    view.setNamesEditable(true);
    QVERIFY(model->headerData(0, Qt::Horizontal, Qt::ToolTipRole)
                .toString()
                .endsWith("Double-click to rename the variable"));
    QVERIFY(view.columnWidth(0) >
            view.fontMetrics().horizontalAdvance(QString::fromStdString(doses[0])));
    QVERIFY(view.columnWidth(0) <= kw::app::columnWidthLimit(view));
    // Double-click on a header still opens the name's editor.
    view.editName(1);
    QVERIFY(view.findChild<QWidget*>("nameeditor") != nullptr);
    auto* corner = view.findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(corner != nullptr);
    QCOMPARE(corner->toolTip(), corner->accessibleName());
    QVERIFY(!view.accessibleName().isEmpty());
    QVERIFY(view.verticalHeader()->width() >= view.fontMetrics().horizontalAdvance("no data"));
}

// A click on the frozen column's header sorts the table as one on the table's own would.
void GridsTest::detailsTableSortsFromItsFrozenColumn() {
    QStandardItemModel model(3, 4);
    const QStringList groups = {"placebo_control_group", "high_dose_treatment", "low_dose"};
    for (int r = 0; r < 3; ++r) {
        model.setItem(r, 0, new QStandardItem(groups[r]));
        for (int c = 1; c < 4; ++c) {
            auto* item = new QStandardItem(QString::number(r * c));
            item->setData(r * c, kw::app::sortRole);
            model.setItem(r, c, item);
        }
        model.item(r, 0)->setData(groups[r], kw::app::sortRole);
    }
    model.setHorizontalHeaderLabels({"group", "n", "median", "mean rank difference"});
    DetailsTableView view("pairs", &model, 8);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.fitContents();
    QTableView* frozen = view.frozenColumn();
    QVERIFY(frozen != nullptr);
    QVERIFY(!view.accessibleName().isEmpty() && !view.accessibleDescription().isEmpty());
    const QPoint first = frozen->horizontalHeader()->viewport()->rect().center();
    QTest::mouseClick(frozen->horizontalHeader()->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(view.horizontalHeader()->sortIndicatorSection(), 0);
    QCOMPARE(view.model()->index(0, 0).data().toString(), QString("high_dose_treatment"));
    QTest::mouseClick(frozen->horizontalHeader()->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(view.model()->index(0, 0).data().toString(), QString("placebo_control_group"));
    QCOMPARE(frozen->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
}

// Every grid view has a name and a description for screen readers; in a dark palette the grids
// are dark (no white of their own), the header-like cells set off in the palette's colours
// and bold, not by colour alone.
void GridsTest::gridsAreNamedAndFollowTheirPalette() {
    for (const char* name : {"npgrgrid", "groupgrid", "rankgrid", "mulcompgrid", "countgrid"}) {
        ResultGridView view(name, 1, 0);
        QVERIFY2(!view.accessibleName().isEmpty(), name);
        QVERIFY2(!view.accessibleDescription().isEmpty(), name);
        QVERIFY(view.frozenColumn()->accessibleName().contains(view.accessibleName()));
    }

    const QPalette light = QApplication::palette();
    QPalette dark;
    for (auto role :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button}) {
        dark.setColor(role, QColor(40, 40, 44));
    }
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, QColor(230, 230, 230));
    }
    dark.setColor(QPalette::Highlight, QColor(60, 110, 200));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    QApplication::setPalette(dark);
    {
        ResultGridView view("mulcompgrid", 2, 2);
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setGrid(std::make_shared<GroupsGrid>(doses, 6));
        QVERIFY2(lightness(&view) < 0.35, qPrintable(QString::number(lightness(&view))));
        const QModelIndex fixed = view.model()->index(0, 0); // the medians' row
        QCOMPARE(fixed.data(Qt::BackgroundRole).value<QBrush>().color(), dark.button().color());
        QCOMPARE(fixed.data(Qt::ForegroundRole).value<QBrush>().color(), dark.buttonText().color());
        QVERIFY(fixed.data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!view.model()->index(3, 3).data(Qt::BackgroundRole).isValid());

        // The current cell framed in the palette's highlight while the grid has the focus.
        view.activateWindow();
        view.clearFocus();
        view.setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(view.hasFocus());
        QVERIFY(view.currentIndex().isValid()); // focused by the keyboard: a cell to start from
        const QModelIndex current = view.model()->index(3, 2);
        view.selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        const QRect cell = view.visualRect(current);
        const QImage image = view.viewport()->grab().toImage();
        QCOMPARE(QColor(image.pixel(cell.left() + 1, cell.center().y())), dark.highlight().color());
    }
    QApplication::setPalette(light);
}

QTEST_MAIN(GridsTest)
#include "grids_test.moc"
