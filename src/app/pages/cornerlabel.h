#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;
class QTableView;

namespace kw::app {

// A text on the corner button of a table view, the top-left cell of a grid: painted like a
// header (elided at its end where the row headers are narrower than it), the button's
// accessible name and, whole, its tooltip.
class CornerLabel final : public QObject {
public:
    explicit CornerLabel(QTableView* view);

    void setText(const QString& text);
    const QString& text() const { return text_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* corner_;
    QString text_;
};

} // namespace kw::app
