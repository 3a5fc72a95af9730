#pragma once

#include <QDialog>
#include <QUrl>

class QTabWidget;

namespace kw::app {

// The help window: eleven topic pages, "visit Kruskal-Wallis test page" and "OK".
class Thelppages final : public QDialog {
    Q_OBJECT
public:
    explicit Thelppages(QWidget* parent = nullptr);

    QTabWidget* pages() const { return pages_; }
    QTabWidget* practicetabs() const { return practice_; }
    void setsiteaddress(QUrl address) { siteaddress_ = std::move(address); }

public slots:
    void VisitSiteButtonClick();

private:
    QTabWidget* pages_;
    QTabWidget* practice_;
    QUrl siteaddress_;
};

// Opens a new help window at page p (0 to 10), modally over `parent`.
void openhelp(int page, QWidget* parent);

// Hands `address` to the web browser and closes `window`; a refusal is shown as a message and
// the window stays open.
void visitsite(const QUrl& address, QDialog* window);

} // namespace kw::app
