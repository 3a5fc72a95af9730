#pragma once

#include "core/io/importoptions.h"

#include <QDialog>

namespace kw::app {

class ImportChoices;

// "Import SPSS or Stata file": the text that missing values receive (the file declares which
// values are missing) and the wide layout.
class StatisticsImportDialog final : public QDialog {
    Q_OBJECT
public:
    explicit StatisticsImportDialog(const QString& source, QWidget* parent = nullptr);

    ImportOptions options() const;

private slots:
    void confirm();

private:
    ImportChoices* choices_;
};

} // namespace kw::app
