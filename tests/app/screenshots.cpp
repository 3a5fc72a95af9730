// Drives the window through a session on a bundled example and saves a picture of each
// page: the screenshots of the documentation. Run by scripts/screenshots under Xvfb.
// Usage: kwscreenshots EXAMPLE GROUP TEST OUTDIR

#include "exceldialogs.h"
#include "helpwindow.h"
#include "mainform.h"
#include "memorylink.h"
#include "settings.h"
#include "warningdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: kwscreenshots EXAMPLE GROUP TEST OUTDIR\n");
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true); // leave the user's stored setting alone
    kw::app::storeversion("10.3");
    const QString example = argv[1];
    const QString outdir = argv[4];
    kw::app::Tmainform window;
    window.setfilechooser([&](auto) { return example; });
    window.show();
    int status = 0;
    QTimer::singleShot(300, [&] {
        window.Open1Click();
        window.waitforwork();
        const auto& vars = window.session().variables();
        auto position = [&](const char* name) {
            for (std::size_t i = 0; i < vars.size(); ++i) {
                if (vars[i] == name) {
                    return static_cast<int>(i);
                }
            }
            return -1;
        };
        window.groupchoiceChange(position(argv[2]));
        window.testchoiceChange(position(argv[3]));
        window.calculateClick();
        window.waitforwork();
        auto* pages = window.findChild<QTabWidget*>("datapages");
        const char* names[5] = {"input", "groups", "ranked", "output", "counts"};
        for (int p = 0; p < 5; ++p) {
            pages->setCurrentIndex(p);
            QApplication::processEvents();
            if (!window.grab().save(outdir + "/window-" + names[p] + ".png")) {
                status = 1;
            }
        }
        // The help window and a warning, as they open over the window.
        kw::app::Thelppages help(&window);
        help.pages()->setCurrentIndex(5);
        help.show();
        QApplication::processEvents();
        status |= help.grab().save(outdir + "/help.png") ? 0 : 1;
        help.hide();
        kw::app::Twarningdialog warning("warning", "group variable must be discrete", 5, &window);
        warning.show();
        QApplication::processEvents();
        status |= warning.grab().save(outdir + "/warning.png") ? 0 : 1;
        warning.hide();
        // The two spreadsheet dialogs, over a spreadsheet application with two documents.
        kw::MemoryLink sheets;
        sheets.addbook("results.ods");
        sheets.newsheet(std::string("Summary"));
        sheets.addbook("insectsprays.ods");
        sheets.newsheet(std::string("Counts"));
        sheets.selectsheet("Sheet1");
        auto ignore = [](const kw::Failure&) {};
        kw::app::Treadexcelform reading(&sheets, ignore, &window);
        reading.show();
        QApplication::processEvents();
        reading.stopcolin()->setText("C");
        reading.stoprowin()->setText("73");
        QApplication::processEvents();
        status |= reading.grab().save(outdir + "/read-sheet.png") ? 0 : 1;
        reading.hide();
        kw::app::Tsaveexcelform saving(&sheets, ignore, &window);
        saving.show();
        QApplication::processEvents();
        status |= saving.grab().save(outdir + "/save-sheet.png") ? 0 : 1;
        saving.hide();
        window.close();
        app.quit();
    });
    const int rc = QApplication::exec();
    return status != 0 ? status : rc;
}
