#include "dialogs.h"

#include "helptexts.h"
#include "helpwindow.h"
#include "session.h"
#include "site.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kw::app {

namespace {

// A window without title-bar buttons: only its own buttons close it.
constexpr Qt::WindowFlags noclosebox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

QLabel* label(const QString& text, QWidget* parent, int points = 0, bool bold = false) {
    auto* l = new QLabel(text, parent);
    if (points > 0 || bold) {
        QFont f = l->font();
        if (points > 0) {
            f.setPointSize(points);
        }
        f.setBold(bold);
        l->setFont(f);
    }
    return l;
}

// A white panel with the icon at the left and the given lines at the right.
QFrame* whitepanel(QWidget* parent, QLayout* lines) {
    auto* panel = new QFrame(parent);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, Qt::white);
    panel->setPalette(p);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* icon = new QLabel(panel);
    icon->setPixmap(programicon(64));
    auto* row = new QHBoxLayout(panel);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    return panel;
}

// The strip at the bottom: the visit button at the left, OK at the right (with the focus).
QHBoxLayout* visitstrip(QDialog* dialog, QPushButton*& ok) {
    auto* visit = new QPushButton("visit Kruskal-Wallis test page", dialog);
    visit->setObjectName("VisitSiteButton");
    visit->setAutoDefault(false);
    ok = new QPushButton("OK", dialog);
    ok->setObjectName("OKbut");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    auto* strip = new QHBoxLayout;
    strip->addWidget(visit);
    strip->addStretch();
    strip->addWidget(ok);
    return strip;
}

} // namespace

QPixmap programicon(int size) {
    // Three groups as columns of ranked points, the middle one set apart.
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 90, 160));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    const double r = size / 14.0;
    const double heights[3][4] = {
        {0.30, 0.42, 0.55, 0.62}, {0.52, 0.66, 0.74, 0.86}, {0.22, 0.35, 0.40, 0.58}};
    const QColor colours[3] = {QColor(255, 255, 255), QColor(255, 200, 60), QColor(255, 255, 255)};
    for (int g = 0; g < 3; ++g) {
        painter.setBrush(colours[g]);
        for (double h : heights[g]) {
            painter.drawEllipse(QPointF(size * (0.25 + 0.25 * g), size * (1 - h)), r, r);
        }
    }
    return pixmap;
}

TNewVersionWarning::TNewVersionWarning(const QString& previous, QWidget* parent)
    : QDialog(parent, noclosebox) {
    setObjectName("TNewVersionWarning");
    setWindowTitle("Updated version was detected");
    setModal(true);
    auto* lines = new QVBoxLayout;
    lines->addWidget(label("Kruskal-Wallis test", this, 18, true));
    auto* previousline = label("Previous version: " + previous, this);
    previousline->setObjectName("previousversion");
    lines->addWidget(previousline);
    lines->addWidget(label(QString("Current version: ") + programversion, this));
    lines->addWidget(label(releasedate, this));
    auto* text = label("A new version of the Kruskal-Wallis test program was installed on your "
                       "computer since the last time you used the program.\n\n"
                       "To see what has changed in this version, please visit the "
                       "Kruskal-Wallis test page on our website.",
                       this);
    text->setWordWrap(true);
    lines->addWidget(text);
    QPushButton* ok = nullptr;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(whitepanel(this, lines), 1);
    layout->addLayout(visitstrip(this, ok));
    connect(findChild<QPushButton*>("VisitSiteButton"), &QPushButton::clicked, this,
            &TNewVersionWarning::VisitSiteButtonClick);
    setFixedSize(551, 243);
    ok->setFocus();
    siteaddress_ = siteaddress();
}

void TNewVersionWarning::VisitSiteButtonClick() {
    visitsite(siteaddress_, this);
}

Tdisclaimwindow::Tdisclaimwindow(QWidget* parent)
    : QDialog(parent, noclosebox | Qt::WindowStaysOnTopHint) {
    setObjectName("Tdisclaimwindow");
    setWindowTitle("Disclaimer");
    setModal(true);
    auto* text = new QPlainTextEdit(this);
    text->setReadOnly(true);
    text->setPlainText(QString::fromUtf8(disclaimertext()));
    auto* agree = new QPushButton("I agree", this);
    agree->setObjectName("agree");
    agree->setDefault(true);
    connect(agree, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(agree, 0, Qt::AlignHCenter);
    setFixedSize(400, 303);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent, noclosebox) {
    setObjectName("TAboutBox");
    setWindowTitle("About");
    setModal(true);
    auto* lines = new QVBoxLayout;
    auto* name = new QHBoxLayout;
    name->addWidget(label("KRUSKAL-WALLIS", this, 14, true));
    name->addWidget(label("TEST", this, 14));
    name->addStretch();
    lines->addLayout(name);
    auto* version = label(QString("Version: ") + programversion + " " + releasedate, this);
    version->setObjectName("version");
    lines->addWidget(version);
    for (const char* line : aboutreference()) {
        lines->addWidget(label(QString::fromUtf8(line), this));
    }
    lines->addSpacing(6);
    for (const char* line : aboutcontact()) {
        auto* l = label(QString::fromUtf8(line), this);
        l->setWordWrap(true);
        lines->addWidget(l);
    }
    lines->addStretch();
    QPushButton* ok = nullptr;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(whitepanel(this, lines), 1);
    layout->addLayout(visitstrip(this, ok));
    connect(findChild<QPushButton*>("VisitSiteButton"), &QPushButton::clicked, this,
            &TAboutBox::VisitSiteButtonClick);
    setFixedSize(371, 308);
    ok->setFocus();
    siteaddress_ = siteaddress();
}

void TAboutBox::VisitSiteButtonClick() {
    visitsite(siteaddress_, this);
}

Tmanual_in_dialog::Tmanual_in_dialog(QWidget* parent) : QDialog(parent, noclosebox) {
    setObjectName("Tmanual_in_dialog");
    setWindowTitle("manual input of data");
    setModal(true);
    nvarsin_ = new QLineEdit("2", this);
    nvarsin_->setObjectName("nvarsin");
    ntotvalin_ = new QLineEdit(this);
    ntotvalin_->setObjectName("ntotvalin");
    auto* form = new QFormLayout;
    form->addRow("number of variables: ", nvarsin_);
    form->addRow("total number of cases: ", ntotvalin_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
    ntotvalin_->setFocus();
}

} // namespace kw::app
