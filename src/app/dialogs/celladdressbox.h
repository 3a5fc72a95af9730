#pragma once

#include <QLineEdit>

namespace kw::app {

// A box for one part of a cell's address in the spreadsheet dialogs. On every change of its
// text a column box turns the text upper case and drops a last character that is not a letter
// A to Z; a row box drops a last character that is not a digit. The caret goes to the end.
class CellAddressBox final : public QLineEdit {
    Q_OBJECT
public:
    enum class Part { column, row };

    CellAddressBox(Part part, const QString& name, QWidget* parent = nullptr);

    QSize sizeHint() const override; // room for a row number of seven digits

private:
    void filter();

    Part part_;
};

} // namespace kw::app
