#pragma once

#include <QDialog>

class QLineEdit;

namespace kw::app {

// "manual input of data": the number of variables and the number of cases, as typed.
class ManualInputDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ManualInputDialog(QWidget* parent = nullptr);

    QString variablesText() const;
    QString casesText() const;

private:
    QLineEdit* variablesEdit_;
    QLineEdit* casesEdit_;
};

} // namespace kw::app
