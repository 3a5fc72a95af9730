#include "app/dialogs/helpwindow.h"

#include "app/dialogs/dialogparts.h"
#include "app/texts.h"

#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace kw::app {

namespace {

struct Topic {
    const char* caption;
    const char* text; // under resources/
};

// In the order of the page numbers that the help menu and the warnings' "Help" open.
constexpr Topic topics[] = {
    {"General Information", "help/general.html"},
    {"Practice", "help/practice.html"},
    {"Manual Input", "help/manualinput.html"},
    {"Read Text file", "help/readtext.html"},
    {"Read Excel file", "help/readsheet.html"},
    {"Grouping  and Test variables", "help/variables.html"},
    {"Define Selection", "help/selection.html"},
    {"Missing Values", "help/missingvalues.html"},
    {"Save to Text file", "help/savetext.html"},
    {"Save to Excel file", "help/savesheet.html"},
    {"References", "help/references.html"},
    {"Open other files", "help/openfiles.html"},
};
constexpr int practicePage = 1;

// The inner tabs of "Practice", one for each page of the main window.
constexpr Topic practiceTabs[] = {
    {"input", "practice/input.html"},   {"groups", "practice/groups.html"},
    {"ranked", "practice/ranked.html"}, {"output", "practice/output.html"},
    {"counts", "practice/counts.html"},
};

QWidget* practice(QWidget* parent) {
    // The steps of use above the tabs that explain the pages.
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(textView(resourceText(topics[practicePage].text), page), 2);
    auto* tabs = new QTabWidget(page);
    tabs->setObjectName("practicetabs");
    tabs->setStyleSheet("QTabBar::tab { min-width: 7em; }");
    for (const Topic& tab : practiceTabs) {
        tabs->addTab(textView(resourceText(tab.text), tabs), tab.caption);
    }
    tabs->setCurrentIndex(tabs->count() - 1); // "counts" in front
    layout->addWidget(tabs, 3);
    return page;
}

} // namespace

HelpWindow::HelpWindow(int page, QWidget* parent) : QDialog(parent) {
    setObjectName("Thelppages");
    setWindowTitle("KRUSKAL-WALLIS TEST HELP");
    setModal(true);

    auto* pages = new QTabWidget(this);
    pages->setObjectName("helppages");
    pages->tabBar()->setExpanding(false);
    for (int p = 0; p < static_cast<int>(std::size(topics)); ++p) {
        QWidget* content =
            p == practicePage ? practice(pages) : textView(resourceText(topics[p].text), pages);
        pages->addTab(content, topics[p].caption);
    }
    pages->setCurrentIndex(page);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(visitStrip(this, false));
    // Lines of about a hundred characters, in whatever font; no smaller than the window was.
    const QFontMetrics metrics = fontMetrics();
    resize(std::max(878, metrics.averageCharWidth() * 125),
           std::max(516, metrics.lineSpacing() * 32));
}

void HelpWindow::showPage(int page, QWidget* parent) {
    HelpWindow help(page, parent);
    help.exec();
}

} // namespace kw::app
