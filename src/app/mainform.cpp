#include "mainform.h"

#include "dialogs.h"
#include "exceldialogs.h"
#include "helpwindow.h"
#include "linkfactory.h"
#include "qtlocale.h"
#include "settings.h"
#include "site.h"
#include "warningdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStringListModel>
#include <QStyleOptionHeader>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace kw::app {

namespace {

constexpr const char* dashes = "----------";
constexpr int busydelay = 250; // ms before long work shows itself

QLabel* caption(const QString& text, QWidget* parent, const char* name = nullptr, int points = 10) {
    auto* label = new QLabel(text, parent);
    if (name != nullptr) {
        label->setObjectName(name);
    }
    QFont f = label->font();
    f.setPointSize(points);
    label->setFont(f);
    return label;
}

// Paints a text on the corner button of a table view: the top-left cell of the data table.
class CornerText final : public QObject {
public:
    CornerText(QAbstractButton* corner, QObject* parent) : QObject(parent), corner_(corner) {
        corner_->installEventFilter(this);
    }
    void settext(const QString& text) {
        text_ = text;
        corner_->update();
    }
    const QString& text() const { return text_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != corner_ || event->type() != QEvent::Paint) {
            return false;
        }
        QPainter painter(corner_);
        QStyleOptionHeader option;
        option.initFrom(corner_);
        option.rect = corner_->rect();
        option.text = text_;
        option.textAlignment = Qt::AlignCenter;
        corner_->style()->drawControl(QStyle::CE_Header, &option, &painter, corner_);
        return true;
    }

private:
    QAbstractButton* corner_;
    QString text_;
};

// The Qt form of a filter list written "description|pattern|description|pattern".
QString qtfilter(const QString& filters) {
    const QStringList parts = filters.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        out << parts[i];
    }
    return out.join(";;");
}

void setitems(QComboBox* box, const QStringList& items) {
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

QStringList texts(const std::vector<std::string>& items) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) {
        out << qshown(item);
    }
    return out;
}

} // namespace

Tmainform::Tmainform(QWidget* parent)
    : QMainWindow(parent), session_(std::make_unique<Session>(userlocale())) {
    setObjectName("Tmainform");
    setWindowTitle(windowtitle);
    setWindowIcon(QIcon(programicon(64)));

    auto* central = new QWidget(this);
    auto* panel = new QWidget(central);
    panel->setObjectName("panel");
    panel->setFixedHeight(158);
    buildpanel(panel);
    datapages_ = new QTabWidget(central);
    datapages_->setObjectName("datapages");
    QFont tabs = datapages_->tabBar()->font();
    tabs.setPointSize(12);
    tabs.setBold(true);
    tabs.setItalic(true);
    tabs.setUnderline(true);
    datapages_->tabBar()->setFont(tabs);
    buildpages();
    connect(datapages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!busy_ && index >= 0) {
            session_->setpage(static_cast<Page>(index));
        }
    });
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panel);
    layout->addWidget(datapages_, 1);
    setCentralWidget(central);
    buildmenus();

    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress");
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(240);
    stage_ = new QLabel(this);
    statusBar()->addWidget(stage_);
    statusBar()->addPermanentWidget(progress_);
    progress_->hide();

    busytimer_ = new QTimer(this);
    busytimer_->setSingleShot(true);
    connect(busytimer_, &QTimer::timeout, this, &Tmainform::showbusy);
    progresstimer_ = new QTimer(this);
    progresstimer_->setInterval(100);
    connect(progresstimer_, &QTimer::timeout, this, [this] {
        if (feedback_) {
            progress_->setValue(static_cast<int>(feedback_->fraction() * 1000));
            stage_->setText(feedback_->stage());
        }
    });
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &Tmainform::workended);
    qApp->installEventFilter(this);

    // FormCreate: the significance level in the user's number format.
    inputalpha_->setText(qtext(session_->alphatext()));
    resize(800, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

Tmainform::~Tmainform() {
    qApp->removeEventFilter(this);
    if (busy_) {
        feedback_->cancel();
        watcher_.waitForFinished();
    }
}

void Tmainform::buildpanel(QWidget* panel) {
    groupchoice_ = new QComboBox(panel);
    groupchoice_->setObjectName("groupchoice");
    testchoice_ = new QComboBox(panel);
    testchoice_->setObjectName("testchoice");
    selchoice_ = new QComboBox(panel);
    selchoice_->setObjectName("selchoice");
    for (QComboBox* box : {groupchoice_, testchoice_, selchoice_}) {
        box->setMinimumWidth(130);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    inputalpha_ = new QLineEdit(panel);
    inputalpha_->setObjectName("inputalpha");
    inputalpha_->setFixedWidth(45);
    calculate_ = new QPushButton("calculate", panel);
    calculate_->setObjectName("calculate");
    QFont big = calculate_->font();
    big.setPointSize(12);
    big.setBold(true);
    calculate_->setFont(big);

    treatgroupas_ = new QGroupBox("treat grouping variable as:", panel);
    treatgroupas_->setObjectName("treatgroupas");
    treatgroupasbuttons_ = new QButtonGroup(treatgroupas_);
    auto* texts = new QRadioButton("texts", treatgroupas_);
    texts->setObjectName("texts");
    auto* numbers = new QRadioButton("numbers", treatgroupas_);
    numbers->setObjectName("numbers");
    treatgroupasbuttons_->addButton(texts, 0);
    treatgroupasbuttons_->addButton(numbers, 1);
    numbers->setChecked(true);
    auto* radios = new QHBoxLayout(treatgroupas_);
    radios->addWidget(texts);
    radios->addWidget(numbers);
    missvals_ = new QLineEdit(panel);
    missvals_->setObjectName("missvals");
    missvals_->setMaximumWidth(120);

    operator_ = new QComboBox(panel);
    operator_->setObjectName("operator");
    operator_->addItems({" =", "<>"});
    operator_->setMaxVisibleItems(2);
    operator_->setCurrentIndex(-1);
    valuechoice_ = new QComboBox(panel);
    valuechoice_->setObjectName("valuechoice");
    valuechoice_->setMinimumWidth(110);
    valuechoice_->setModel(new QStringListModel(valuechoice_));
    auto* values = new QListView(valuechoice_);
    values->setUniformItemSizes(true); // a long value list scrolls without measuring each item
    valuechoice_->setView(values);
    addselect_ = new QPushButton("add", panel);
    addselect_->setObjectName("addselect");
    removeselect_ = new QPushButton("remove", panel);
    removeselect_->setObjectName("removeselect");
    clearselect_ = new QPushButton("clear", panel);
    clearselect_->setObjectName("clearselect");
    selstrings_ = new QListWidget(panel);
    selstrings_->setObjectName("selstrings");
    saveregistrybutton_ = new QPushButton("SaveRegistryButton", panel);
    saveregistrybutton_->setObjectName("SaveRegistryButton");
    saveregistrybutton_->hide();

    // Top row: the two variables, alpha and "calculate" at the right end.
    auto* top = new QHBoxLayout;
    top->addWidget(caption("grouping variable:", panel, "Label1"));
    top->addWidget(groupchoice_);
    top->addSpacing(12);
    top->addWidget(caption("test variable:", panel, "Label2"));
    top->addWidget(testchoice_);
    top->addSpacing(12);
    top->addWidget(caption("alpha:", panel));
    top->addWidget(inputalpha_);
    top->addStretch();
    top->addWidget(calculate_);

    // Below, at the left: grouping mode and missing-value code, then the condition row.
    auto* middle = new QHBoxLayout;
    middle->addWidget(treatgroupas_);
    middle->addSpacing(12);
    middle->addWidget(caption("missing values: ", panel, "Label13"));
    middle->addWidget(missvals_);
    middle->addStretch();
    auto* condition = new QHBoxLayout;
    condition->addWidget(caption("include cases if:", panel, "Label9"), 0, Qt::AlignBottom);
    const std::pair<const char*, QComboBox*> choosers[3] = {
        {"Label10", selchoice_}, {"Label11", operator_}, {"Label12", valuechoice_}};
    const char* captions[3] = {"variable:", "operator:", "value:"};
    for (int i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        column->addWidget(caption(captions[i], panel, choosers[i].first));
        column->addWidget(choosers[i].second);
        condition->addLayout(column);
    }
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(1);
    buttons->addWidget(addselect_);
    buttons->addWidget(removeselect_);
    buttons->addWidget(clearselect_);
    condition->addLayout(buttons);
    auto* left = new QVBoxLayout;
    left->addLayout(middle);
    left->addStretch();
    left->addLayout(condition);

    // At the right: the conditions under their heading.
    auto* right = new QVBoxLayout;
    right->addWidget(caption("include cases if:", panel, "Label14", 12));
    right->addWidget(selstrings_, 1);
    auto* lower = new QHBoxLayout;
    lower->addLayout(left, 3);
    lower->addLayout(right, 2);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addLayout(lower, 1);

    connect(groupchoice_, qOverload<int>(&QComboBox::activated), this,
            &Tmainform::groupchoiceChange);
    connect(testchoice_, qOverload<int>(&QComboBox::activated), this, &Tmainform::testchoiceChange);
    connect(selchoice_, qOverload<int>(&QComboBox::activated), this, &Tmainform::selchoiceChange);
    connect(treatgroupasbuttons_, &QButtonGroup::idClicked, this, [this](int id) {
        session_->setgroupmode(id == 0 ? GroupMode::texts : GroupMode::numbers);
    });
    connect(calculate_, &QPushButton::clicked, this, &Tmainform::calculateClick);
    connect(addselect_, &QPushButton::clicked, this, &Tmainform::addselectClick);
    connect(removeselect_, &QPushButton::clicked, this, &Tmainform::removeselectClick);
    connect(clearselect_, &QPushButton::clicked, this, &Tmainform::clearselectClick);
    connect(saveregistrybutton_, &QPushButton::clicked, this, &Tmainform::SaveRegistryButtonClick);
}

QTableView* Tmainform::gridview(const char* name, GridModel* model) {
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setDefaultSectionSize(80);
    if (auto* corner = view->findChild<QAbstractButton*>()) {
        gridcorners_.append({new CornerText(corner, view), model});
        view->setProperty("cornerindex", gridcorners_.size() - 1);
    }
    return view;
}

void Tmainform::buildpages() {
    // input
    inputmodel_ = new InputModel(*session_, this);
    inputgrid_ = new QTableView;
    inputgrid_->setObjectName("inputgrid");
    inputgrid_->setModel(inputmodel_);
    inputgrid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    inputgrid_->verticalHeader()->setDefaultSectionSize(inputgrid_->fontMetrics().height() + 6);
    inputgrid_->horizontalHeader()->setDefaultSectionSize(80);
    inputgrid_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    if (auto* corner = inputgrid_->findChild<QAbstractButton*>()) {
        corner_ = new CornerText(corner, inputgrid_);
    }
    // Room for the corner's label ("no data", "input") beside the case numbers.
    inputgrid_->verticalHeader()->setMinimumWidth(
        inputgrid_->fontMetrics().horizontalAdvance("no data") + 12);
    datapages_->addTab(inputgrid_, "input");

    // groups: the summary above the composition of the groups
    npgrmodel_ = new GridModel(1, 0, this);
    groupmodel_ = new GridModel(1, 0, this);
    npgrgrid_ = gridview("npgrgrid", npgrmodel_);
    npgrgrid_->setFixedHeight(134);
    npgrgrid_->verticalHeader()->hide();
    groupgrid_ = gridview("groupgrid", groupmodel_);
    groupgrid_->verticalHeader()->hide();
    auto* groups = new QWidget;
    auto* groupslayout = new QVBoxLayout(groups);
    groupslayout->setContentsMargins(0, 0, 0, 0);
    groupslayout->addWidget(npgrgrid_);
    groupslayout->addWidget(groupgrid_, 1);
    datapages_->addTab(groups, "groups");

    // ranked
    rankmodel_ = new GridModel(1, 1, this);
    rankgrid_ = gridview("rankgrid", rankmodel_);
    datapages_->addTab(rankgrid_, "ranked");

    // output: the over-all test and the order of the comparison, then the comparison
    auto* output = new QWidget;
    auto* band = new QWidget(output);
    band->setFixedHeight(75);
    auto* values = new QGridLayout;
    values->addWidget(caption("over-all test:", band, nullptr, 11), 0, 0, 1, 2);
    const char* names[5] = {"groupvar", "testvar", "chival", "dfnr", "pval"};
    const char* captions[5] = {"group variable:", "test variable:", "test statistic:", "df:", "p:"};
    QLabel** labels[5] = {&groupvar_, &testvar_, &chival_, &dfnr_, &pval_};
    for (int i = 0; i < 5; ++i) {
        *labels[i] = caption(dashes, band, names[i]);
        (*labels[i])->setTextInteractionFlags(Qt::TextSelectableByMouse);
        values->addWidget(caption(captions[i], band), 1 + i % 2, (i / 2) * 2);
        values->addWidget(*labels[i], 1 + i % 2, (i / 2) * 2 + 1);
    }
    multisort_ = new QGroupBox("multiple comparison sorted by:", band);
    multisort_->setObjectName("multisort");
    multisortbuttons_ = new QButtonGroup(multisort_);
    multisortbuttons_->setExclusive(true);
    auto* bygroup = new QRadioButton("grouping variable", multisort_);
    bygroup->setObjectName("grouping variable");
    auto* bymedian = new QRadioButton("group median", multisort_);
    bymedian->setObjectName("group median");
    multisortbuttons_->addButton(bygroup, 0);
    multisortbuttons_->addButton(bymedian, 1);
    auto* sortlayout = new QVBoxLayout(multisort_);
    sortlayout->setContentsMargins(6, 2, 6, 2);
    sortlayout->addWidget(bygroup);
    sortlayout->addWidget(bymedian);
    connect(multisortbuttons_, &QButtonGroup::idClicked, this, &Tmainform::multisortClick);
    auto* bandlayout = new QHBoxLayout(band);
    bandlayout->setContentsMargins(4, 0, 4, 0);
    bandlayout->addLayout(values, 1);
    bandlayout->addWidget(multisort_);
    mulcomplabel_ = caption("multiple comparison of groups:", output, "mulcomplabel");
    mulcompmodel_ = new GridModel(2, 2, this);
    mulcompgrid_ = gridview("mulcompgrid", mulcompmodel_);
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    mulcompgrid_->setFont(fixed);
    auto* outputlayout = new QVBoxLayout(output);
    outputlayout->setContentsMargins(0, 0, 0, 0);
    outputlayout->addWidget(band);
    outputlayout->addWidget(mulcomplabel_);
    outputlayout->addWidget(mulcompgrid_, 1);
    datapages_->addTab(output, "output");

    // counts: the button in a strip above the grid
    countmodel_ = new GridModel(2, 1, this);
    countgrid_ = gridview("countgrid", countmodel_);
    countgrid_->horizontalHeader()->setDefaultSectionSize(64);
    auto* counts = new QWidget;
    auto* strip = new QWidget(counts);
    strip->setFixedHeight(41);
    savecountsbutton_ = new QPushButton("Save Counts To Excel", strip);
    savecountsbutton_->setObjectName("SaveCountsToExcelButton");
    connect(savecountsbutton_, &QPushButton::clicked, this,
            &Tmainform::SaveCountsToExcelButtonClick);
    auto* striplayout = new QHBoxLayout(strip);
    striplayout->setContentsMargins(6, 4, 6, 4);
    striplayout->addWidget(savecountsbutton_);
    striplayout->addStretch();
    auto* countslayout = new QVBoxLayout(counts);
    countslayout->setContentsMargins(0, 0, 0, 0);
    countslayout->addWidget(strip);
    countslayout->addWidget(countgrid_, 1);
    datapages_->addTab(counts, "counts");
    refreshresults();
}

void Tmainform::buildmenus() {
    auto command = [this](QMenu* menu, const QString& text, const char* name, auto slot,
                          QKeySequence key = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        if (!key.isEmpty()) {
            action->setShortcut(key);
        }
        connect(action, &QAction::triggered, this, slot);
        commands_ << action;
        return action;
    };
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    command(file, "&Read data from Excel file", "ReadExcel1", &Tmainform::ReadExcel1Click,
            QKeySequence("Ctrl+R"));
    command(file, "&Save results to Excel", "SavetoExcel1", &Tmainform::SavetoExcel1Click,
            QKeySequence("Ctrl+S"));
    command(file, "Manual Input", "ManualInput1", &Tmainform::ManualInput1Click);
    saveinput1_ =
        command(file, "Save manual Input to text", "SaveInput1", &Tmainform::SaveInput1Click);
    command(file, "Read data from Text file", "Open1", &Tmainform::Open1Click);
    command(file, "Save results to Text", "Save1", &Tmainform::Save1Click);
    QAction* exit = file->addAction("&Exit");
    exit->setObjectName("Exit1");
    exit->setShortcut(QKeySequence("Ctrl+E"));
    connect(exit, &QAction::triggered, this, &Tmainform::Exit1Click);
    // "Calculate": a menu-bar entry without items that runs at once.
    QAction* calculate = menuBar()->addAction("Calculate");
    calculate->setObjectName("Calculate1");
    connect(calculate, &QAction::triggered, this, &Tmainform::calculateClick);
    commands_ << calculate;
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    command(help, "&Help", "Help2", &Tmainform::Help2Click);
    command(help, "&Disclaimer", "Disclaimer1", &Tmainform::Disclaimer1Click);
    command(help, "&About", "About1", &Tmainform::About1Click);
}

// --- Start and close

void Tmainform::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first time the window is on the screen (it becomes active then on any desktop);
    // after the event, so that it is painted behind the notice.
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &Tmainform::FormActivate);
    }
}

void Tmainform::FormActivate() {
    CheckVersion();
    datapages_->setCurrentIndex(0);
    refresh(); // "no data", multisort and "Save manual Input to text" hidden
    if (!startfile_.isEmpty()) {
        session_->beginopen();
        openfile(startfile_);
    }
}

void Tmainform::CheckVersion() {
    const QString stored = storedversion();
    if (stored == programversion) {
        return;
    }
    TNewVersionWarning notice(stored, this);
    notice.exec();
}

void Tmainform::SaveRegistryButtonClick() {
    storeversion(programversion);
}

void Tmainform::Exit1Click() {
    close();
}

void Tmainform::closeEvent(QCloseEvent* event) {
    closing_ = true;
    if (busy_) {
        // Work under way stops at its next step; the stored setting is written all the same.
        feedback_->cancel();
        watcher_.waitForFinished();
        workended();
    }
    SaveRegistryButtonClick();
    event->accept();
}

// --- Work off the user-interface thread

bool Tmainform::eventFilter(QObject* watched, QEvent* event) {
    if (busy_ && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            return true; // nothing may start while the work runs
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tmainform::run(std::function<void(Session&, Feedback&)> op, std::function<void()> after) {
    if (busy_) {
        return;
    }
    busy_ = true;
    after_ = std::move(after);
    work_ = std::make_shared<Session>(*session_);
    feedback_ = std::make_shared<WorkFeedback>();
    inputmodel_->seteditable(false);
    busytimer_->start(busydelay);
    auto work = work_;
    auto feedback = feedback_;
    watcher_.setFuture(QtConcurrent::run([work, feedback, op = std::move(op)] {
        Outcome outcome;
        try {
            op(*work, *feedback);
        } catch (const Failure& f) {
            outcome.failure = f;
        } catch (const Cancelled&) {
            outcome.cancelled = true;
        } catch (const std::bad_alloc&) {
            outcome.failure = Failure::plain("There is not enough memory for this data.");
        } catch (const std::exception& e) {
            outcome.failure = Failure::plain(e.what());
        }
        return outcome;
    }));
}

void Tmainform::runlink(std::function<void(Session&)> op) {
    if (busy_) {
        return;
    }
    linkwork_ = true;
    run([op = std::move(op)](Session& s, Feedback&) { op(s); });
}

void Tmainform::showbusy() {
    busyshown_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    progress_->setValue(0);
    progress_->show();
    progresstimer_->start();
    centralWidget()->setEnabled(false);
    for (QAction* action : commands_) {
        action->setEnabled(false);
    }
}

void Tmainform::workended() {
    if (!busy_) {
        return;
    }
    busytimer_->stop();
    progresstimer_->stop();
    if (busyshown_) {
        QApplication::restoreOverrideCursor();
        progress_->hide();
        stage_->clear();
        centralWidget()->setEnabled(true);
        for (QAction* action : commands_) {
            action->setEnabled(true);
        }
        busyshown_ = false;
    }
    const Outcome outcome = watcher_.result();
    const bool linkwork = std::exchange(linkwork_, false);
    const std::vector<Failure> warnings = feedback_->takewarnings();
    // The work's session, as the work left it, is the session now.
    *session_ = std::move(*work_);
    work_.reset();
    feedback_.reset();
    busy_ = false;
    inputmodel_->seteditable(true);
    refresh();
    if (outcome.cancelled || closing_) {
        return;
    }
    for (const Failure& warning : warnings) {
        report(warning);
    }
    if (outcome.failure) {
        if (linkwork) {
            linkfailure(*outcome.failure);
        } else {
            report(*outcome.failure);
        }
    } else if (after_) {
        after_();
    }
    after_ = nullptr;
}

void Tmainform::waitforwork() {
    if (busy_) {
        watcher_.waitForFinished();
        workended();
    }
}

void Tmainform::report(const Failure& failure) {
    if (failure.kind() == Failure::Kind::Notice) {
        showwarning(qtext(failure.caption()), qtext(failure.message()), failure.helppage());
    } else {
        QMessageBox box(QMessageBox::Warning, "Kruskal-Wallis", qtext(failure.message()),
                        QMessageBox::Ok, this);
        box.setObjectName("failuremessage");
        box.exec();
    }
}

void Tmainform::showwarning(const QString& caption, const QString& message, int helppage) {
    Twarningdialog dialog(caption, message, helppage, this);
    dialog.exec();
}

// --- The spreadsheet

std::shared_ptr<SpreadsheetLink> Tmainform::link() {
    if (!link_) {
        link_ = linkfactory_ ? linkfactory_() : makespreadsheetlink();
    }
    return link_;
}

void Tmainform::linkfailure(const Failure& failure) {
    report(failure);
    if (closing_ || !spreadsheetabsent(failure)) {
        return;
    }
    // Nothing answered: the user may let the program start the spreadsheet, ready to talk.
    const QString question = startspreadsheetquestion();
    if (question.isEmpty()) {
        return;
    }
    QMessageBox box(QMessageBox::Question, "Kruskal-Wallis", question,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName("startspreadsheet");
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) {
        return;
    }
    try {
        const QString expect = startspreadsheet();
        if (!expect.isEmpty()) {
            QMessageBox started(QMessageBox::Information, "Kruskal-Wallis", expect, QMessageBox::Ok,
                                this);
            started.setObjectName("spreadsheetstarted");
            started.exec();
        }
    } catch (const Failure& f) {
        report(f);
    }
}

void Tmainform::ReadExcel1Click() {
    if (busy_) {
        return;
    }
    const std::shared_ptr<SpreadsheetLink> sheets = link();
    Session::SheetRange range;
    {
        Treadexcelform dialog(
            sheets.get(), [this](const Failure& f) { linkfailure(f); }, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        range.sheet = bytes(dialog.sheetbox()->currentText());
        range.firstcolumn = bytes(dialog.startcolin()->text());
        range.lastcolumn = bytes(dialog.stopcolin()->text());
        range.firstrow = bytes(dialog.startrowin()->text());
        range.lastrow = bytes(dialog.stoprowin()->text());
        range.missing = bytes(dialog.missvalin()->text());
    }
    pushinputs();
    // A large block takes a while to come over and to be laid out as a table.
    runlink([sheets, range](Session& s) { s.readspreadsheet(*sheets, range); });
}

void Tmainform::SavetoExcel1Click() {
    if (busy_) {
        return;
    }
    try {
        session_->checkspreadsheetsave();
    } catch (const Failure& f) {
        report(f);
        return;
    }
    const std::shared_ptr<SpreadsheetLink> sheets = link();
    Session::SheetTarget target;
    {
        Tsaveexcelform dialog(
            sheets.get(), [this](const Failure& f) { linkfailure(f); }, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        target.newbook = dialog.newbookcheck()->isChecked();
        target.book = bytes(dialog.booksbox()->currentText());
        target.newsheet = dialog.newsheetcheck()->isChecked();
        target.sheet = bytes(dialog.sheetbox()->currentText());
        target.column = bytes(dialog.colout()->text());
        target.row = bytes(dialog.rowout()->text());
    }
    pushinputs();
    runlink([sheets, target](Session& s) { s.savetospreadsheet(*sheets, target); });
}

void Tmainform::SaveCountsToExcelButtonClick() {
    if (busy_) {
        return;
    }
    const std::shared_ptr<SpreadsheetLink> sheets = link();
    runlink([sheets](Session& s) { s.countstospreadsheet(*sheets); });
}

// --- Reading and typing data

void Tmainform::Open1Click() {
    session_->beginopen();
    refresh();
    const QString path =
        chooser_
            ? chooser_(FileQuestion::open)
            : QFileDialog::getOpenFileName(this, {}, {},
                                           qtfilter("text files (*.txt)|*.txt|excell space "
                                                    "delimited(*.prn)|*.prn|all files (*.*)|*.*"));
    if (path.isEmpty()) {
        session_->cancelopen();
        refresh();
        return;
    }
    openfile(path);
}

void Tmainform::openfile(const QString& path) {
    datapages_->setCurrentIndex(0);
    const std::string name = bytes(path);
    run([name](Session& s, Feedback& f) { s.openfile(name, &f); });
}

void Tmainform::ManualInput1Click() {
    Tmanual_in_dialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    try {
        session_->manualinput(bytes(dialog.nvarsin()->text()), bytes(dialog.ntotvalin()->text()));
    } catch (const Failure& f) {
        report(f);
        return;
    }
    refresh();
    inputgrid_->setFocus();
}

void Tmainform::SaveInput1Click() {
    const QString path =
        chooser_ ? chooser_(FileQuestion::saveinput)
                 : QFileDialog::getSaveFileName(
                       this, {}, {}, qtfilter("text files (*.txt)|*.txt|all files (*.*)|*.*"));
    if (path.isEmpty()) {
        return;
    }
    try {
        session_->saveinput(bytes(path));
    } catch (const Failure& f) {
        report(f);
    }
}

// --- Choosing variables and cases

void Tmainform::groupchoiceChange(int position) {
    try {
        session_->pickgroup(position);
    } catch (const Failure& f) {
        refreshchoosers();
        report(f);
    }
    refreshchoosers();
}

void Tmainform::testchoiceChange(int position) {
    try {
        session_->picktest(position);
    } catch (const Failure& f) {
        refreshchoosers();
        report(f);
    }
    refreshchoosers();
}

void Tmainform::selchoiceChange(int position) {
    try {
        session_->pickselection(position);
    } catch (const Failure& f) {
        selchoice_->setCurrentIndex(-1);
        refreshselection();
        report(f);
        return;
    }
    refreshselection();
}

void Tmainform::addselectClick() {
    const int value = valuechoice_->currentIndex();
    std::optional<std::string> text;
    const auto& values = session_->valuelist();
    if (value >= 0 && static_cast<std::size_t>(value) < values.size() &&
        qshown(values[static_cast<std::size_t>(value)]) == valuechoice_->itemText(value)) {
        text = values[static_cast<std::size_t>(value)]; // the bytes as read, also if not UTF-8
    } else if (value >= 0) {
        text = bytes(valuechoice_->itemText(value));
    }
    try {
        session_->addcondition(selchoice_->currentIndex(), operator_->currentIndex(), text);
    } catch (const Failure& f) {
        report(f);
        return;
    }
    refreshselection();
}

void Tmainform::removeselectClick() {
    const QList<QListWidgetItem*> highlighted = selstrings_->selectedItems();
    if (highlighted.isEmpty()) {
        return;
    }
    session_->removecondition(selstrings_->row(highlighted.front()));
    refreshselection();
}

void Tmainform::clearselectClick() {
    session_->clearconditions();
    selchoice_->setCurrentIndex(-1);
    operator_->setCurrentIndex(-1);
    refreshselection();
}

// --- The test

void Tmainform::pushinputs() {
    session_->setalphatext(bytes(inputalpha_->text()));
    session_->setmissing(bytes(missvals_->text()));
}

void Tmainform::calculateClick() {
    if (busy_) {
        return;
    }
    pushinputs();
    run([](Session& s, Feedback& f) { s.calculate(&f); });
}

void Tmainform::multisortClick(int item) {
    try {
        session_->multisort(item == 1 ? SortBy::median : SortBy::groupvalue);
    } catch (const Failure& f) {
        refreshresults();
        report(f);
        return;
    }
    refreshresults();
    datapages_->setCurrentIndex(static_cast<int>(session_->page()));
}

void Tmainform::Save1Click() {
    if (!session_->hasresults()) {
        // Refused before a file name is asked for.
        try {
            session_->savereport({});
        } catch (const Failure& f) {
            report(f);
        }
        return;
    }
    const QString path =
        chooser_ ? chooser_(FileQuestion::savereport)
                 : QFileDialog::getSaveFileName(
                       this, {}, {}, qtfilter("text files (*.txt)|*.txt|all files (*.*)|*.*"));
    if (path.isEmpty()) {
        return;
    }
    try {
        session_->savereport(bytes(path));
    } catch (const Failure& f) {
        report(f);
    }
}

// --- Help

void Tmainform::Help2Click() {
    openhelp(0, this);
}

void Tmainform::Disclaimer1Click() {
    Tdisclaimwindow disclaimer(this);
    disclaimer.exec();
}

void Tmainform::About1Click() {
    TAboutBox about(this);
    about.exec();
}

// --- The window from the session

void Tmainform::refresh() {
    setWindowTitle(qtext(session_->caption()));
    missvals_->setText(qtext(session_->missing()));
    saveinput1_->setVisible(session_->saveinputvisible());
    inputmodel_->reload();
    if (corner_ != nullptr) {
        static_cast<CornerText*>(corner_)->settext(qtext(session_->table().label()));
    }
    refreshchoosers();
    refreshselection();
    refreshresults();
    datapages_->setCurrentIndex(static_cast<int>(session_->page()));
}

void Tmainform::refreshchoosers() {
    const QStringList names = texts(session_->variables());
    setitems(groupchoice_, names);
    setitems(testchoice_, names);
    if (selchoice_->count() != names.size() ||
        (names.size() > 0 && selchoice_->itemText(0) != names.front())) {
        setitems(selchoice_, names);
    }
    groupchoice_->setCurrentIndex(session_->groupcol() - 1);
    testchoice_->setCurrentIndex(session_->testcol() - 1);
    if (session_->selcol() == 0) {
        selchoice_->setCurrentIndex(-1);
    }
    const QSignalBlocker block(treatgroupasbuttons_);
    treatgroupasbuttons_->button(session_->groupmode() == GroupMode::texts ? 0 : 1)
        ->setChecked(true);
}

void Tmainform::refreshselection() {
    setitems(valuechoice_, texts(session_->valuelist()));
    const std::vector<std::string>& lines = session_->conditions().lines();
    if (selstrings_->count() != static_cast<int>(lines.size())) {
        selstrings_->clear();
        for (const auto& line : lines) {
            selstrings_->addItem(qshown(line));
        }
    } else {
        for (int i = 0; i < selstrings_->count(); ++i) {
            selstrings_->item(i)->setText(qshown(lines[static_cast<std::size_t>(i)]));
        }
    }
}

void Tmainform::refreshresults() {
    using Name = Session::GridName;
    npgrmodel_->setgrid(session_->sharedgrid(Name::summary));
    groupmodel_->setgrid(session_->sharedgrid(Name::groups));
    rankmodel_->setgrid(session_->sharedgrid(Name::ranks));
    mulcompmodel_->setgrid(session_->sharedgrid(Name::comparison));
    countmodel_->setgrid(session_->sharedgrid(Name::counts));
    for (QTableView* view : {rankgrid_, mulcompgrid_, countgrid_, npgrgrid_, groupgrid_}) {
        // The top-left cell of grids with a fixed row and a fixed column ("grouped_by").
        const QVariant index = view->property("cornerindex");
        if (!index.isValid() || view->verticalHeader()->isHidden()) {
            continue;
        }
        const auto& [corner, model] = gridcorners_[index.toInt()];
        const QString text = model->celltext(0, 0);
        static_cast<CornerText*>(corner)->settext(text);
        view->verticalHeader()->setMinimumWidth(view->fontMetrics().horizontalAdvance(text) + 12);
    }
    const OutputLabels& labels = session_->labels();
    groupvar_->setText(qshown(labels.groupvar));
    testvar_->setText(qshown(labels.testvar));
    chival_->setText(qtext(labels.chival));
    dfnr_->setText(qtext(labels.dfnr));
    pval_->setText(qtext(labels.pval));
    mulcomplabel_->setText(qtext(labels.mulcomplabel));
    multisort_->setVisible(session_->multisortvisible());
    const QSignalBlocker block(multisortbuttons_);
    if (const auto item = session_->multisortitem()) {
        multisortbuttons_->button(*item == SortBy::median ? 1 : 0)->setChecked(true);
    }
    mulcompgrid_->setVisible(session_->mulcompvisible());
}

} // namespace kw::app
