// Drives the window through a session on a bundled example and saves a picture of each
// page: the screenshots of the documentation. Run by scripts/screenshots under Xvfb.
// Usage: kwscreenshots EXAMPLE GROUP TEST OUTDIR [WIDTHxHEIGHT]
// (the window at another size than the one it opens with, to see how the pages fit).

#include "app/dialogs/aboutdialog.h"
#include "app/dialogs/helpwindow.h"
#include "app/dialogs/manualwindow.h"
#include "app/dialogs/readsheetdialog.h"
#include "app/dialogs/savesheetdialog.h"
#include "app/dialogs/warningdialog.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "app/work/workrunner.h"
#include "support/memorylink.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

// Picks `item` in the window's chooser as the user does.
void pick(QWidget& window, const char* chooser, const QString& item) {
    auto* box = window.findChild<QComboBox*>(chooser);
    const int position = box->findText(item);
    box->setCurrentIndex(position);
    emit box->activated(position);
}

bool save(QWidget& widget, const QString& path) {
    QApplication::processEvents();
    return widget.grab().save(path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList size = argc == 6 ? QString(argv[5]).split('x') : QStringList();
    if ((argc != 5 && argc != 6) || (argc == 6 && size.size() != 2)) {
        std::fprintf(stderr, "usage: kwscreenshots EXAMPLE GROUP TEST OUTDIR [WIDTHxHEIGHT]\n");
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true); // leave the user's stored setting alone
    kw::app::storeVersion("10.3");
    const QString outdir = argv[4];
    kw::app::MainWindow window;
    window.openAtStart(argv[1]);
    if (!size.isEmpty()) {
        window.resize(size[0].toInt(), size[1].toInt());
    }
    window.show();
    int status = 0;
    QTimer::singleShot(300, [&] {
        auto* work = window.findChild<kw::app::WorkRunner*>();
        work->waitForFinished(); // the example read at start
        pick(window, "groupchoice", argv[2]);
        pick(window, "testchoice", argv[3]);
        window.findChild<QPushButton*>("calculate")->click();
        work->waitForFinished();
        auto* pages = window.findChild<QTabWidget*>("datapages");
        const char* names[7] = {"input",  "groups",  "ranked", "output",
                                "counts", "details", "plots"};
        for (int p = 0; p < 7; ++p) {
            pages->setCurrentIndex(p);
            work->waitForFinished(); // the details, computed as the page is turned to
            status |= save(window, outdir + "/window-" + names[p] + ".png") ? 0 : 1;
        }
        // The help window and a warning, as they open over the window.
        kw::app::HelpWindow help(5, &window);
        help.show();
        status |= save(help, outdir + "/help.png") ? 0 : 1;
        help.hide();
        kw::app::AboutDialog about(&window);
        about.show();
        status |= save(about, outdir + "/about.png") ? 0 : 1;
        about.hide();
        kw::app::ManualWindow manual(&window);
        manual.show();
        status |= save(manual, outdir + "/manual.png") ? 0 : 1;
        manual.hide();
        kw::app::WarningDialog warning("warning", "group variable must be discrete", 5, &window);
        warning.show();
        status |= save(warning, outdir + "/warning.png") ? 0 : 1;
        warning.hide();
        // The two spreadsheet dialogs, over a spreadsheet application with two documents.
        kw::test::MemoryLink sheets;
        sheets.addBook("results.ods");
        sheets.newSheet(std::string("Summary"));
        sheets.addBook("insectsprays.ods");
        sheets.newSheet(std::string("Counts"));
        sheets.selectSheet("Sheet1");
        auto ignore = [](const kw::Failure&) {};
        kw::app::ReadSheetDialog reading(&sheets, ignore, &window);
        reading.show();
        QApplication::processEvents();
        reading.findChild<QLineEdit*>("stopcolin")->setText("C");
        reading.findChild<QLineEdit*>("stoprowin")->setText("73");
        status |= save(reading, outdir + "/read-sheet.png") ? 0 : 1;
        reading.hide();
        kw::app::SaveSheetDialog saving(&sheets, ignore, &window);
        saving.show();
        status |= save(saving, outdir + "/save-sheet.png") ? 0 : 1;
        saving.hide();
        window.close();
        app.quit();
    });
    const int rc = QApplication::exec();
    return status != 0 ? status : rc;
}
