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
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "General Information"), "help/general.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Practice"), "help/practice.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Manual Input"), "help/manualinput.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Read Text file"), "help/readtext.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Read Excel file"), "help/readsheet.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Grouping  and Test variables"),
     "help/variables.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Define Selection"), "help/selection.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Missing Values"), "help/missingvalues.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Save to Text file"), "help/savetext.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Save to Excel file"), "help/savesheet.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "References"), "help/references.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "Open other files"), "help/openfiles.html"},
};
constexpr int practicePage = 1;

// The inner tabs of "Practice", one for each page of the main window.
constexpr Topic practiceTabs[] = {
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "input"), "practice/input.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "groups"), "practice/groups.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "ranked"), "practice/ranked.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "output"), "practice/output.html"},
    {QT_TRANSLATE_NOOP("kw::app::HelpWindow", "counts"), "practice/counts.html"},
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
        tabs->addTab(textView(resourceText(tab.text), tabs), HelpWindow::tr(tab.caption));
    }
    tabs->setCurrentIndex(tabs->count() - 1); // "counts" in front
    layout->addWidget(tabs, 3);
    return page;
}

} // namespace

HelpWindow::HelpWindow(int page, QWidget* parent) : QDialog(parent) {
    setObjectName("helpWindow");
    setWindowTitle(tr("KRUSKAL-WALLIS TEST HELP"));
    setModal(true);

    auto* pages = new QTabWidget(this);
    pages->setObjectName("helppages");
    pages->tabBar()->setExpanding(false);
    for (int p = 0; p < static_cast<int>(std::size(topics)); ++p) {
        QWidget* content =
            p == practicePage ? practice(pages) : textView(resourceText(topics[p].text), pages);
        pages->addTab(content, tr(topics[p].caption));
    }
    pages->setCurrentIndex(page);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(visitStrip(this, false));
    // Lines of about a hundred characters, in whatever font; no smaller than the window was, and
    // on the screen.
    const QFontMetrics metrics = fontMetrics();
    fitToScreen(this, QSize(std::max(878, metrics.averageCharWidth() * 125),
                            std::max(516, metrics.lineSpacing() * 32)));
}

void HelpWindow::showPage(int page, QWidget* parent) {
    HelpWindow help(page, parent);
    help.exec();
}

} // namespace kw::app
