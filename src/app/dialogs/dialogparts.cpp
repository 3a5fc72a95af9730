#include "app/dialogs/dialogparts.h"

#include "app/programicon.h"
#include "app/site.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace kw::app {

QLabel* makeLabel(const QString& text, QWidget* parent, int points, bool bold) {
    auto* label = new QLabel(text, parent);
    if (points > 0 || bold) {
        QFont f = label->font();
        if (points > 0 && f.pointSizeF() > 0) {
            f.setPointSizeF(f.pointSizeF() * points / 9.0);
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

int besideIcon(const QWidget* dialog) {
    // The icon, the margins of the dialog, the panel and its row, and the spacing between.
    const int spacing = dialog->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    const int margin = dialog->style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    return screenArea(dialog).width() * 9 / 10 - 64 - 6 * margin - 2 * spacing;
}

QHBoxLayout* visitStrip(QDialog* dialog, bool focusOk) {
    auto* visit = new QPushButton(
        QCoreApplication::translate("kw::app::DialogParts", "visit Kruskal-Wallis test page"),
        dialog);
    visit->setObjectName("VisitSiteButton");
    visit->setAutoDefault(false);
    QObject::connect(visit, &QPushButton::clicked, dialog, [dialog] { visitSite(dialog); });
    auto* ok = new QPushButton(QCoreApplication::translate("kw::app::DialogParts", "OK"), dialog);
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

QRect screenArea(const QWidget* widget) {
    const QScreen* screen = widget->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void fitRichText(QLabel* label, int widest) {
    // Measured on a document of the label's font: the label's own size hint may fall short of
    // lines that it breaks itself, and would not wrap them on a narrow screen.
    QTextDocument measured;
    measured.setDefaultFont(label->font());
    measured.setDocumentMargin(0);
    measured.setHtml(label->text());
    const int slack = label->fontMetrics().averageCharWidth();
    const int natural = static_cast<int>(std::ceil(measured.idealWidth())) + slack;
    const int width = std::min(natural, std::max(widest, slack * 12));
    measured.setTextWidth(width - slack);
    const int height =
        static_cast<int>(std::ceil(measured.size().height())) + label->fontMetrics().descent();
    const QMargins margins = label->contentsMargins();
    label->setWordWrap(width < natural);
    label->setMinimumSize(width + margins.left() + margins.right() + 2 * label->margin(),
                          height + margins.top() + margins.bottom() + 2 * label->margin());
}

void fitToScreen(QWidget* dialog, QSize wanted) {
    const QRect area = screenArea(dialog);
    if (!wanted.isValid()) {
        wanted = dialog->sizeHint();
    }
    QSize size = wanted.boundedTo(area.size() * 9 / 10);
    if (dialog->hasHeightForWidth()) {
        size.setHeight(std::max(size.height(), dialog->heightForWidth(size.width())));
    }
    dialog->resize(size.boundedTo(area.size()).expandedTo(dialog->minimumSizeHint()));
}

} // namespace kw::app
