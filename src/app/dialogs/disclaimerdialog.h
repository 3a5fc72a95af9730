#pragma once

#include <QDialog>

namespace kw::app {

// "Disclaimer": what the user takes on by using the program, and "I agree".
class DisclaimerDialog final : public QDialog {
    Q_OBJECT
public:
    explicit DisclaimerDialog(QWidget* parent = nullptr);
};

} // namespace kw::app
