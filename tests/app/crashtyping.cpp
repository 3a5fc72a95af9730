// kwcrashtyping: the program's window in a process of its own, driven from inside for the
// test of a crash (recovery_test.cpp), under the program's name, so that its copy of the
// table goes where the program's goes.
//
//   kwcrashtyping type      types a table through Manual Input, prints "written" once its
//                           copy is on disk, and waits to be killed
//   kwcrashtyping restore   starts the window, answers the offer of the copy with Restore,
//                           and prints the offer, the title and the table as JSON

#include "windowsteps.h"

#include "app/mainwindow.h"
#include "app/recovery/recoverykeeper.h"
#include "app/settings.h"
#include "core/base/version.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include <cstdio>

namespace {

int type(kw::app::MainWindow& window, kw::test::Answerer& answers) {
    answers.then([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("nvarsin")->setText("2");
        dialog->findChild<QLineEdit*>("ntotvalin")->setText("3");
        kw::test::pressOk(dialog);
    });
    window.findChild<QAction*>("ManualInput1")->trigger();
    auto* grid = window.findChild<QTableView*>("inputgrid");
    auto* keeper = window.findChild<kw::app::RecoveryKeeper*>("recovery");
    QSignalSpy written(keeper, &kw::app::RecoveryKeeper::written);
    // The last case's first cell stays empty, as in a table typed halfway.
    const bool typed = kw::test::typeCell(grid, 0, 0, "1") &&
                       kw::test::typeCell(grid, 0, 1, "4,5") &&
                       kw::test::typeCell(grid, 1, 0, "2") && kw::test::typeCell(grid, 1, 1, "ä") &&
                       kw::test::typeCell(grid, 2, 1, "7");
    if (!typed || !written.wait(10000)) {
        return 1;
    }
    std::printf("written\n");
    std::fflush(stdout);
    return QApplication::exec();
}

int restore(kw::app::MainWindow& window, kw::test::Answerer& answers) {
    QString offer;
    answers.then([&offer](QWidget* box) {
        offer = qobject_cast<QMessageBox*>(box)->text();
        kw::test::pressText("Restore")(box);
    });
    if (!kw::test::showStartedAnswered(window, answers)) {
        return 1;
    }
    const QJsonArray table =
        QJsonArray::fromStringList(kw::test::gridRows(window.findChild<QTableView*>("inputgrid")));
    const QJsonObject shown{{"offer", offer}, {"title", window.windowTitle()}, {"table", table}};
    std::fputs(QJsonDocument(shown).toJson().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kruskal-Wallis"); // as the program names itself
    QApplication::setQuitOnLastWindowClosed(false);
    kw::app::storeVersion(kw::programVersion); // no notice of a new version
    const QString mode = argc > 1 ? QString(argv[1]) : QString();
    kw::test::Answerer answers;
    kw::app::MainWindow window;
    if (mode == "type") {
        return kw::test::showStartedAnswered(window, answers) ? type(window, answers) : 1;
    }
    if (mode == "restore") {
        return restore(window, answers);
    }
    std::fprintf(stderr, "usage: kwcrashtyping type|restore\n");
    return 2;
}
