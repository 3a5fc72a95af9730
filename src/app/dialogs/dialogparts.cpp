#include "app/dialogs/dialogparts.h"

#include "app/programicon.h"
#include "app/site.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

namespace kw::app {

QLabel* makeLabel(const QString& text, QWidget* parent, int points, bool bold) {
    auto* label = new QLabel(text, parent);
    if (points > 0 || bold) {
        QFont f = label->font();
        if (points > 0) {
            f.setPointSize(points);
        }
        f.setBold(bold);
        label->setFont(f);
    }
    return label;
}

QFrame* whitePanel(QWidget* parent, QLayout* lines) {
    auto* panel = new QFrame(parent);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(p);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* icon = new QLabel(panel);
    icon->setPixmap(programIcon(64, parent->devicePixelRatioF()));
    auto* row = new QHBoxLayout(panel);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    return panel;
}

QHBoxLayout* visitStrip(QDialog* dialog, bool focusOk) {
    auto* visit = new QPushButton("visit Kruskal-Wallis test page", dialog);
    visit->setObjectName("VisitSiteButton");
    visit->setAutoDefault(false);
    QObject::connect(visit, &QPushButton::clicked, dialog, [dialog] { visitSite(dialog); });
    auto* ok = new QPushButton("OK", dialog);
    ok->setObjectName("OKbut");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    if (focusOk) {
        ok->setFocus();
    }
    auto* strip = new QHBoxLayout;
    strip->addWidget(visit);
    strip->addStretch();
    strip->addWidget(ok);
    return strip;
}

QTextBrowser* textView(const QString& html, QWidget* parent) {
    auto* view = new QTextBrowser(parent);
    view->setOpenLinks(false);
    // Paragraphs and list items spaced as in a letter, headings a little apart.
    view->document()->setDefaultStyleSheet("p { margin-top: 0px; margin-bottom: 8px; }"
                                           "li { margin-top: 0px; margin-bottom: 4px; }"
                                           "ul, ol { margin-top: 0px; margin-bottom: 8px; }"
                                           "h3 { margin-top: 10px; margin-bottom: 6px; }"
                                           "p.formula { margin-left: 24px; }");
    view->document()->setDocumentMargin(8);
    view->setHtml(html);
    return view;
}

} // namespace kw::app
