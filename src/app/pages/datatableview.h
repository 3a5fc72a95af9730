#pragma once

#include "core/session/session.h"

#include <QTableView>

namespace kw::app {

class CornerLabel;
class DataTableModel;

// The "input" page: the session's data table, its cells editable, its label ("no data",
// "input") in the corner.
class DataTableView final : public QTableView {
    Q_OBJECT
public:
    explicit DataTableView(Session& session, QWidget* parent = nullptr);

    // After the session's table was replaced, reordered or relabelled.
    void reload();
    // Whether a cell may be edited (not while work runs on a copy of the table).
    void setEditable(bool editable);

private:
    Session& session_;
    DataTableModel* model_;
    CornerLabel* corner_;
};

} // namespace kw::app
