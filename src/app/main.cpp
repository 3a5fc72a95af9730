// kruskalwallis: the window program. "kruskalwallis FILE" opens FILE at start.

#include "mainform.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kruskal-Wallis");
    QCommandLineParser options;
    options.setApplicationDescription("Kruskal-Wallis test with multiple comparison of groups.");
    options.addHelpOption();
    options.addPositionalArgument("FILE", "a space-delimited data file to read at start");
    options.process(app);

    kw::app::Tmainform window;
    if (!options.positionalArguments().isEmpty()) {
        window.openatstart(options.positionalArguments().front());
    }
    window.show();
    return QApplication::exec();
}
