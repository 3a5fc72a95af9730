// kruskalwallis: the window program. "kruskalwallis FILE" opens FILE at start.

#include "app/dialogs/messagebox.h"
#include "app/mainwindow.h"
#include "app/qtlocale.h"
#include "app/translation.h"
#include "core/base/failure.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

namespace {

// A failure that no handler caught ends the command that raised it; its text is shown and
// the window stays usable.
class Application final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            const kw::Failure failure = kw::caughtFailure();
            kw::app::showFailure(kw::app::qText(failure.message()), activeWindow());
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    // The window's texts in the user's language, where the program has that language.
    kw::app::installTranslations(app);
    QApplication::setApplicationName("Kruskal-Wallis");
    // The desktop entry the package installs, so that a Wayland compositor or a task bar shows
    // the window with that entry's name and icon.
    QGuiApplication::setDesktopFileName("org.kruskalwallis.KruskalWallis");
    QCommandLineParser options;
    options.setApplicationDescription("Kruskal-Wallis test with multiple comparison of groups.");
    options.addHelpOption();
    options.addPositionalArgument("FILE", "a data file to read at start: the program's own text, "
                                          "CSV, a workbook or an SPSS or Stata file");
    options.process(app);

    kw::app::MainWindow window;
    if (!options.positionalArguments().isEmpty()) {
        window.openAtStart(QFileInfo(options.positionalArguments().front()).absoluteFilePath());
    }
    window.show();
    return QApplication::exec();
}
