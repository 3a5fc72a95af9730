#pragma once

#include <QDialog>

namespace kw::app {

// "About": the program's name and version, the textbook it follows and its makers.
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace kw::app
