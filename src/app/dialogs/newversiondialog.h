#pragma once

#include <QDialog>

namespace kw::app {

// Shown at start when another version of the program, or none, ran last for this user.
class NewVersionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit NewVersionDialog(const QString& previousVersion, QWidget* parent = nullptr);
};

} // namespace kw::app
