#include "app/dialogs/manualwindow.h"

#include "app/site.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

// The manual lives in a static library: naming its initialiser here links it into every
// program that shows it.
static void initialiseManual() {
    Q_INIT_RESOURCE(manual);
}

namespace kw::app {

namespace {

// The manual's pages and places stay in the window; addresses on the web go to the browser.
class ManualBrowser final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
        if (name.scheme() != "qrc" && !name.isRelative()) {
            openInBrowser(name, this);
            return;
        }
        QTextBrowser::doSetSource(name, type);
    }
};

} // namespace

ManualWindow::ManualWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName("manualWindow");
    setModal(true);
    browser_ = new ManualBrowser(this);
    browser_->setObjectName("manualText");
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    browser_->setAccessibleName(tr("manual"));
    browser_->setSource(address());
    setWindowTitle(browser_->documentTitle());

    // "OK" closes, as in the help window and the about box.
    auto* back = new QPushButton(tr("Back"), this);
    back->setObjectName("manualBack");
    back->setEnabled(false);
    back->setAutoDefault(false);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("OKbut");
    ok->setAutoDefault(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addLayout(buttons);
    // Room for the manual's lines (its text is set in pixels) and its examples of commands,
    // or for lines of a hundred characters in a larger font; on the screen whatever its size.
    const QFontMetrics metrics = fontMetrics();
    QSize size(std::max(820, metrics.averageCharWidth() * 100),
               std::max(700, metrics.lineSpacing() * 44));
    if (const QScreen* screen = parent != nullptr ? parent->screen() : this->screen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    resize(size);
    browser_->setFocus();
}

void ManualWindow::showManual(QWidget* parent) {
    ManualWindow manual(parent);
    manual.exec();
}

QUrl ManualWindow::address() {
    static const bool initialised = (initialiseManual(), true);
    (void)initialised;
    return QUrl("qrc:/manual/manual.html");
}

} // namespace kw::app
