// The window's dialogs and message boxes, offscreen: every dialog shows its whole text and
// stays on the screen, also with a font twice as large; one look for every message; the
// manual shown inside the program; one message when no spreadsheet answers; the extension
// added on saving.

#include "memorylinks.h"
#include "windowsteps.h"

#include "app/dialogs/aboutdialog.h"
#include "app/dialogs/disclaimerdialog.h"
#include "app/dialogs/filedialogs.h"
#include "app/dialogs/helpwindow.h"
#include "app/dialogs/manualinputdialog.h"
#include "app/dialogs/manualwindow.h"
#include "app/dialogs/messagebox.h"
#include "app/dialogs/messageview.h"
#include "app/dialogs/newversiondialog.h"
#include "app/dialogs/readsheetdialog.h"
#include "app/dialogs/savesheetdialog.h"
#include "app/dialogs/statisticsimportdialog.h"
#include "app/dialogs/textimportdialog.h"
#include "app/dialogs/warningdialog.h"
#include "app/dialogs/workbookimportdialog.h"
#include "app/mainwindow.h"
#include "app/programicon.h"
#include "app/settings.h"
#include "app/sheets/linkfactory.h"
#include "core/base/failure.h"
#include "core/base/version.h"
#include "core/io/workbook.h"
#include "support/memorylink.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using kw::test::MemoryLink;
using kw::test::MemoryLinks;

namespace {

const QString examples = QStringLiteral(KW_EXAMPLES_DIR);

using kw::test::clickLater;

// Calls `act` with every modal dialog that comes to the front (also one that comes back after a
// dialog above it closed), and keeps their object names in order.
class ModalWatcher final : public kw::test::Answerer {
public:
    explicit ModalWatcher(kw::test::Answer act) : act_(std::move(act)) {}
    QStringList seen;

protected:
    void record(QWidget* w) override { seen << w->objectName(); }
    void close(QWidget* w) override { act_(w); }

private:
    kw::test::Answer act_;
};

bool within(const QRect& inner, const QRect& outer) {
    return outer.contains(inner.topLeft()) && outer.contains(inner.bottomRight());
}

// The labels of `dialog` that show less than their text: narrower or lower than it needs.
QStringList clippedLabels(QWidget* dialog) {
    QStringList clipped;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(dialog) || label->text().isEmpty()) {
            continue;
        }
        const int height = label->hasHeightForWidth() ? label->heightForWidth(label->width())
                                                      : label->sizeHint().height();
        const int width =
            label->wordWrap() ? label->minimumSizeHint().width() : label->sizeHint().width();
        if (label->width() < width || label->height() < height) {
            clipped << QString("%1 (%2x%3 for %4x%5)")
                           .arg(label->text().left(40))
                           .arg(label->width())
                           .arg(label->height())
                           .arg(width)
                           .arg(height);
        }
    }
    return clipped;
}

// The controls of `dialog` that lie over each other.
QStringList overlaps(QWidget* dialog) {
    auto control = [](QWidget* w) {
        return qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
               qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w);
    };
    QList<QWidget*> controls;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        bool inner = false; // a part of another control, such as a combo box's line edit
        for (QWidget* up = w->parentWidget(); up != dialog && up != nullptr;
             up = up->parentWidget()) {
            inner = inner || control(up) || qobject_cast<QTabBar*>(up) || !up->isVisibleTo(dialog);
        }
        if (control(w) && !inner && w->isVisibleTo(dialog) && !w->size().isEmpty()) {
            controls << w;
        }
    }
    QStringList found;
    for (int i = 0; i < controls.size(); ++i) {
        const QRect a(controls[i]->mapTo(dialog, QPoint()), controls[i]->size());
        for (int j = i + 1; j < controls.size(); ++j) {
            const QRect b(controls[j]->mapTo(dialog, QPoint()), controls[j]->size());
            if (a.intersects(b)) {
                found << controls[i]->objectName() + "/" + controls[j]->objectName();
            }
        }
    }
    return found;
}

QRect screenArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QString longMessage() {
    QStringList lines;
    for (int i = 1; i <= 200; ++i) {
        lines << QString("line %1 of a message far longer than the screen").arg(i);
    }
    return lines.join('\n');
}

using DialogMaker = std::function<QDialog*(QWidget* parent)>;

} // namespace

Q_DECLARE_METATYPE(DialogMaker)

// A web browser that takes every address.
class UrlRecorder final : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

class DialogsTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void dialogsShowTheirWholeText_data();
    void dialogsShowTheirWholeText();
    void messagesFitTheirText_data();
    void messagesFitTheirText();
    void failuresHaveTheWarningsLook();
    void manualOpensOverItsDialog();
    void manualLinks();
    void noSpreadsheetIsOneMessage();
    void savingAddsTheFilterExtension();
    void programIconIsTheInstalledPicture();

private:
    static void setFontScale(double scale);
    std::unique_ptr<kw::app::MainWindow> startWindow(std::unique_ptr<kw::app::LinkFactory> links);

    QTemporaryDir settingsDir_;
    QFont font_;
    std::shared_ptr<MemoryLink> sheets_ = std::make_shared<MemoryLink>();
    std::shared_ptr<const kw::Workbook> book_;
};

void DialogsTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    QApplication::setQuitOnLastWindowClosed(false);
    font_ = QApplication::font();
    sheets_->addBook("first.ods");
    sheets_->addBook("data.ods").sheets.push_back({"Plants", {}, {}});
    book_ = std::make_shared<const kw::Workbook>(
        kw::Workbook::load((examples + "/../tests/data/import/workbook/books.xlsx").toStdString()));
}

void DialogsTest::cleanup() {
    QApplication::setFont(font_);
}

void DialogsTest::setFontScale(double scale) {
    QFont f = QApplication::font();
    f.setPointSizeF(f.pointSizeF() * scale);
    QApplication::setFont(f);
}

std::unique_ptr<kw::app::MainWindow>
DialogsTest::startWindow(std::unique_ptr<kw::app::LinkFactory> links) {
    kw::app::storeVersion(kw::programVersion); // no notice at start
    auto w = std::make_unique<kw::app::MainWindow>(std::move(links));
    return kw::test::showStarted(*w) ? std::move(w) : nullptr;
}

// Every dialog, at the system's font and at one twice as large: each label as large as its
// text, no control over another, the whole dialog on the screen.
void DialogsTest::dialogsShowTheirWholeText_data() {
    QTest::addColumn<DialogMaker>("make");
    QTest::addColumn<double>("scale");
    const QList<QPair<const char*, DialogMaker>> dialogs = {
        {"about", [](QWidget* p) { return new kw::app::AboutDialog(p); }},
        {"new version", [](QWidget* p) { return new kw::app::NewVersionDialog("10.2", p); }},
        {"disclaimer", [](QWidget* p) { return new kw::app::DisclaimerDialog(p); }},
        {"help", [](QWidget* p) { return new kw::app::HelpWindow(1, p); }},
        {"manual", [](QWidget* p) { return new kw::app::ManualWindow(p); }},
        {"warning",
         [](QWidget* p) {
             return new kw::app::WarningDialog("warning", "group variable must be discrete", 5, p);
         }},
        {"manual input", [](QWidget* p) { return new kw::app::ManualInputDialog(p); }},
        {"read sheet",
         [this](QWidget* p) { return new kw::app::ReadSheetDialog(sheets_.get(), nullptr, p); }},
        {"save sheet",
         [this](QWidget* p) { return new kw::app::SaveSheetDialog(sheets_.get(), nullptr, p); }},
        {"text import",
         [](QWidget* p) {
             return new kw::app::TextImportDialog("group;weight\nctrl;4,17\ntrt1;4,81\n",
                                                  examples + "/plantgrowth.csv", '.', p);
         }},
        {"workbook import",
         [this](QWidget* p) {
             return new kw::app::WorkbookImportDialog(book_, "books.xlsx", '.', p);
         }},
        {"statistics import",
         [](QWidget* p) { return new kw::app::StatisticsImportDialog("/data/survey.sav", p); }},
    };
    for (const auto& [name, make] : dialogs) {
        QTest::addRow("%s 1x", name) << make << 1.0;
        QTest::addRow("%s 2x font", name) << make << 2.0;
    }
}

void DialogsTest::dialogsShowTheirWholeText() {
    QFETCH(DialogMaker, make);
    QFETCH(double, scale);
    setFontScale(scale);
    QWidget parent;
    std::unique_ptr<QDialog> dialog(make(&parent));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::qWait(20); // the spreadsheet dialogs list their books
    const QStringList clipped = clippedLabels(dialog.get());
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    const QStringList over = overlaps(dialog.get());
    QVERIFY2(over.isEmpty(), qPrintable(over.join("; ")));
    QVERIFY2(within(dialog->frameGeometry(), screenArea()),
             qPrintable(QString("%1x%2").arg(dialog->width()).arg(dialog->height())));
    // Texts in a view show whole where the screen has room for them.
    if (auto* text = dialog->findChild<QTextBrowser*>();
        text && scale == 1.0 && dialog->objectName() == "disclaimerDialog") {
        QCOMPARE(text->verticalScrollBar()->maximum(), 0);
    }
}

// The message dialogs: one line without a scroll bar, on one line; a message longer than the
// screen scrolls in a dialog that stays on the screen.
void DialogsTest::messagesFitTheirText_data() {
    QTest::addColumn<bool>("failure");
    QTest::addColumn<double>("scale");
    QTest::addRow("warning 1x") << false << 1.0;
    QTest::addRow("warning 2x font") << false << 2.0;
    QTest::addRow("failure 1x") << true << 1.0;
    QTest::addRow("failure 2x font") << true << 2.0;
}

void DialogsTest::messagesFitTheirText() {
    QFETCH(bool, failure);
    QFETCH(double, scale);
    setFontScale(scale);
    auto make = [failure](const QString& message) -> std::unique_ptr<QDialog> {
        if (failure) {
            return std::make_unique<kw::app::MessageBox>(QMessageBox::Warning, "Kruskal-Wallis",
                                                         message, QMessageBox::Ok);
        }
        return std::make_unique<kw::app::WarningDialog>("warning", message, 5);
    };
    const QString line = "group variable must be discrete";
    for (const QString& message : {line, longMessage()}) {
        const std::unique_ptr<QDialog> dialog = make(message);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto* view = dialog->findChild<kw::app::MessageView*>("message");
        QVERIFY(view != nullptr);
        QCOMPARE(view->toPlainText(), message);
        QVERIFY2(within(dialog->frameGeometry(), screenArea()),
                 qPrintable(QString("%1,%2 %3x%4 on %5x%6")
                                .arg(dialog->x())
                                .arg(dialog->y())
                                .arg(dialog->width())
                                .arg(dialog->height())
                                .arg(screenArea().width())
                                .arg(screenArea().height())));
        const bool scrolls = view->verticalScrollBar()->isVisible();
        if (message == line) {
            QVERIFY(!scrolls);
            QCOMPARE(view->verticalScrollBar()->maximum(), 0);
            QVERIFY(view->viewport()->width() >= view->fontMetrics().horizontalAdvance(line));
            QVERIFY(clippedLabels(dialog.get()).isEmpty());
        } else {
            QVERIFY(scrolls);
            QVERIFY(view->height() > view->fontMetrics().lineSpacing() * 5);
        }
        // Smaller by hand: the message scrolls, nothing else gives way.
        dialog->resize(dialog->minimumSize());
        QVERIFY(overlaps(dialog.get()).isEmpty());
    }
}

// A failure that is not a notice comes in the failure box: the program's message box, laid out
// as the warning dialog, with its caption as given.
void DialogsTest::failuresHaveTheWarningsLook() {
    auto w = startWindow(nullptr);
    QVERIFY(w);
    QString text;
    QString title;
    QRect messageAt;
    QRect okAt;
    ModalWatcher watcher([&](QWidget* d) {
        auto* box = qobject_cast<kw::app::MessageBox*>(d);
        QVERIFY(box != nullptr);
        text = d->findChild<kw::app::MessageView*>("message")->toPlainText();
        QCOMPARE(text, box->text());
        title = d->windowTitle();
        messageAt = d->findChild<kw::app::MessageView*>("message")->geometry();
        auto* ok = box->button(QMessageBox::Ok);
        okAt = QRect(ok->mapTo(d, QPoint()), ok->size());
        clickLater(ok);
    });
    kw::app::showFailure("cannot read the file /nowhere/data.txt", w.get());
    QCOMPARE(watcher.seen, QStringList{"failuremessage"});
    QCOMPARE(title, QString("Kruskal-Wallis"));
    QCOMPARE(text, QString("cannot read the file /nowhere/data.txt"));
    // The message at the left, the buttons at the right, as in the warning dialog.
    QVERIFY(okAt.left() >= messageAt.right());

    kw::app::WarningDialog warning("warning", "a message", -1);
    warning.show();
    QVERIFY(QTest::qWaitForWindowExposed(&warning));
    auto* ok = warning.findChild<QPushButton*>("OKbut");
    QVERIFY(ok->mapTo(&warning, QPoint()).x() >=
            warning.findChild<kw::app::MessageView*>("message")->geometry().right());
    QCOMPARE(warning.windowTitle(), QString("WARNING"));
    w->close();
}

// "visit Kruskal-Wallis test page" shows the manual over the about box, the new-version notice
// and the help window, which stay open.
void DialogsTest::manualOpensOverItsDialog() {
    QWidget parent;
    for (QDialog* dialog : {static_cast<QDialog*>(new kw::app::AboutDialog(&parent)),
                            static_cast<QDialog*>(new kw::app::NewVersionDialog("", &parent)),
                            static_cast<QDialog*>(new kw::app::HelpWindow(0, &parent))}) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        bool behind = false;
        QString title;
        ModalWatcher watcher([&](QWidget* w) {
            if (w->objectName() == "manualWindow") {
                behind = dialog->isVisible();
                title = w->windowTitle();
                clickLater(w->findChild<QAbstractButton*>("OKbut"));
            }
        });
        dialog->findChild<QAbstractButton*>("VisitSiteButton")->click();
        QVERIFY(watcher.seen.contains("manualWindow"));
        QVERIFY(behind);
        QVERIFY(dialog->isVisible());
        QCOMPARE(title, QString("Kruskal-Wallis test - manual"));
    }
}

// The manual's links within the page scroll to their place and "Back" returns; a link to the
// web goes to the browser, or to a message with its address.
void DialogsTest::manualLinks() {
    kw::app::ManualWindow manual;
    manual.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manual));
    QTextBrowser* text = manual.browser();
    QVERIFY(text->toPlainText().contains("A walk through the window"));
    QCOMPARE(text->verticalScrollBar()->value(), 0);

    // The keyboard's way: Tab to the table of contents' third link, Return.
    text->setFocus();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(text, Qt::Key_Tab);
    }
    QCOMPARE(text->textCursor().charFormat().anchorHref(), QString("#files"));
    const int contents = text->verticalScrollBar()->value();
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(text->source().fragment(), QString("files"));
    const int files = text->verticalScrollBar()->value();
    QVERIFY(files > contents);
    auto* back = manual.findChild<QAbstractButton*>("manualBack");
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(text->verticalScrollBar()->value(), contents);
    text->setSource(kw::app::ManualWindow::address().resolved(QUrl("#references")));
    QVERIFY(text->verticalScrollBar()->value() > files);

    // A browser that takes the address: no message, the manual stays where it was.
    UrlRecorder browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    const QUrl web("https://example.org/kruskal-wallis");
    // (The watchers see the manual window itself too, which is modal.)
    auto closeMessage = [](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            clickLater(box->button(QMessageBox::Ok));
        }
    };
    ModalWatcher watcher(closeMessage);
    text->setSource(web);
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(browser.opened, QList<QUrl>{web});
    QCOMPARE(text->source().fragment(), QString("references"));
    QVERIFY(!watcher.seen.contains("failuremessage"));

    // No browser (offscreen there is none): a message that gives the address.
    if (QGuiApplication::platformName() == "offscreen") {
        QString said;
        ModalWatcher failure([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                said = box->text();
            }
            closeMessage(w);
        });
        text->setSource(web);
        QCOMPARE(failure.seen.count("failuremessage"), 1);
        QVERIFY2(said.contains(web.toString()), qPrintable(said));
        QVERIFY(manual.isVisible());
    }
}

// When no spreadsheet answers, one message says so and offers the start; without an offer, the
// failure box alone.
void DialogsTest::noSpreadsheetIsOneMessage() {
    for (const QString& question : {QString("Start the spreadsheet?"), QString()}) {
        auto links = std::make_unique<MemoryLinks>(sheets_);
        links->question = question;
        sheets_->running = false;
        auto w = startWindow(std::move(links));
        QVERIFY(w);
        QString message;
        QStringList buttons;
        ModalWatcher watcher([&](QWidget* d) {
            if (auto* box = qobject_cast<QMessageBox*>(d)) {
                if (d->objectName() != "spreadsheetstarted") {
                    message = box->text();
                    for (QAbstractButton* b : box->buttons()) {
                        buttons << b->text().remove('&');
                    }
                }
                clickLater(box->button(QMessageBox::Yes) != nullptr ? box->button(QMessageBox::Yes)
                                                                    : box->button(QMessageBox::Ok));
            } else if (d->objectName() == "readSheetDialog") {
                QTimer::singleShot(100, d, [d] {
                    if (QApplication::activeModalWidget() == d) {
                        d->findChild<QAbstractButton*>("CancelButton")->click();
                    }
                });
            }
        });
        w->findChild<QAction*>("ReadExcel1")->trigger();
        // The dialog comes first, with the message over it as it lists the books; the poll
        // may see the message first.
        watcher.seen.removeAll("readSheetDialog");
        if (question.isEmpty()) {
            QCOMPARE(watcher.seen, QStringList({"failuremessage"}));
            QCOMPARE(message, QString("no spreadsheet application is running"));
        } else {
            QCOMPARE(watcher.seen, QStringList({"startspreadsheet", "spreadsheetstarted"}));
            QCOMPARE(message, "no spreadsheet application is running\n\n" + question);
            buttons.sort();
            QCOMPARE(buttons, QStringList({"No", "Yes"}));
            QVERIFY(sheets_->running);
        }
        w->close();
    }
    sheets_->running = true;
}

// A name typed without an extension gets the chosen filter's; under "all files" none.
void DialogsTest::savingAddsTheFilterExtension() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto answer = [&dir](const QString& name, bool allFiles) {
        return [&dir, name, allFiles](QWidget* w) {
            auto* files = qobject_cast<QFileDialog*>(w);
            QVERIFY(files != nullptr);
            QCOMPARE(files->nameFilters(), QStringList({"text files (*.txt)", "all files (*.*)"}));
            if (allFiles) {
                // As the user picks it: the filter box, one down.
                auto* filter = files->findChild<QComboBox*>("fileTypeCombo");
                filter->setFocus();
                QTest::keyClick(filter, Qt::Key_Down);
                QCOMPARE(files->selectedNameFilter(), QString("all files (*.*)"));
            }
            files->findChild<QLineEdit*>("fileNameEdit")->setText(dir.filePath(name));
            QTimer::singleShot(0, files, &QDialog::accept);
        };
    };
    {
        ModalWatcher watcher(answer("results", false));
        QCOMPARE(kw::app::askFileToWrite(nullptr), dir.filePath("results.txt"));
    }
    {
        ModalWatcher watcher(answer("notes.dat", false));
        QCOMPARE(kw::app::askFileToWrite(nullptr), dir.filePath("notes.dat"));
    }
    {
        ModalWatcher watcher(answer("results", true));
        QCOMPARE(kw::app::askFileToWrite(nullptr), dir.filePath("results"));
    }
    QCOMPARE(kw::app::filterSuffix("text files (*.txt)"), QString("txt"));
    QCOMPARE(kw::app::filterSuffix("all files (*.*)"), QString());
}

void DialogsTest::programIconIsTheInstalledPicture() {
    // The window draws the SVG the package installs for the menu: drawn, at any density, with
    // the blue ground and the raised middle group where the picture has them.
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage icon = kw::app::programIcon(64, ratio).toImage();
        QCOMPARE(icon.size(), QSize(qRound(64 * ratio), qRound(64 * ratio)));
        const auto at = [&](double x, double y) {
            return icon.pixelColor(int(x * ratio), int(y * ratio));
        };
        QCOMPARE(at(4, 60), QColor(0x28, 0x5a, 0xa0));
        QCOMPARE(at(32, 9), QColor(0xff, 0xc8, 0x3c));
        QCOMPARE(at(0, 0).alpha(), 0); // the rounded corner
    }
    auto window = startWindow(std::make_unique<MemoryLinks>(sheets_));
    QVERIFY(!window->windowIcon().isNull());
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
