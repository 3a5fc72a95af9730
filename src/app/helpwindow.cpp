#include "helpwindow.h"

#include "helptexts.h"
#include "site.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kw::app {

namespace {

QPlainTextEdit* textarea(const char* text, QWidget* parent) {
    auto* area = new QPlainTextEdit(parent);
    area->setReadOnly(true);
    area->setPlainText(QString::fromUtf8(text));
    return area;
}

} // namespace

Thelppages::Thelppages(QWidget* parent) : QDialog(parent) {
    setObjectName("Thelppages");
    setWindowTitle("KRUSKAL-WALLIS TEST HELP");
    setModal(true);
    resize(878, 516);

    pages_ = new QTabWidget(this);
    pages_->setObjectName("helppages");
    pages_->tabBar()->setExpanding(false);
    const auto& topics = helppages();
    for (std::size_t p = 0; p < topics.size(); ++p) {
        if (p == 1) {
            // "Practice": the steps of use above one inner tab for each page of the window.
            auto* page = new QWidget;
            auto* layout = new QVBoxLayout(page);
            layout->addWidget(textarea(topics[p].text, page), 2);
            practice_ = new QTabWidget(page);
            practice_->setObjectName("practicetabs");
            practice_->setStyleSheet("QTabBar::tab { width: 110px; }");
            for (const auto& tab : kw::app::practicetabs()) {
                practice_->addTab(textarea(tab.text, practice_), QString::fromUtf8(tab.caption));
            }
            practice_->setCurrentIndex(practice_->count() - 1); // "counts" in front
            layout->addWidget(practice_, 3);
            pages_->addTab(page, QString::fromUtf8(topics[p].caption));
        } else {
            pages_->addTab(textarea(topics[p].text, pages_), QString::fromUtf8(topics[p].caption));
        }
    }

    auto* visit = new QPushButton("visit Kruskal-Wallis test page", this);
    visit->setObjectName("VisitSiteButton");
    visit->setAutoDefault(false);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKbut");
    ok->setDefault(true);
    connect(visit, &QPushButton::clicked, this, &Thelppages::VisitSiteButtonClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* strip = new QHBoxLayout;
    strip->addWidget(visit);
    strip->addStretch();
    strip->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(strip);
    siteaddress_ = siteaddress();
}

void Thelppages::VisitSiteButtonClick() {
    visitsite(siteaddress_, this);
}

void openhelp(int page, QWidget* parent) {
    Thelppages help(parent);
    help.pages()->setCurrentIndex(page);
    help.setsiteaddress(siteaddress());
    help.exec();
}

void visitsite(const QUrl& address, QDialog* window) {
    if (!QDesktopServices::openUrl(address)) {
        QMessageBox::warning(window, "Kruskal-Wallis",
                             "The page " + address.toString() + " could not be opened.");
        return;
    }
    window->reject();
}

} // namespace kw::app
