#pragma once

#include "app/pages/gridview.h"
#include "core/session/session.h"

#include <mutex>

class QLineEdit;

namespace kw::app {

class CornerLabel;
class DataTableModel;

// The "input" page: the session's data table, its cells editable, its label ("no data",
// "input") in the corner, the case numbers as row headers. The names of a typed table are
// edited in place too: a double-click on a column's header opens an editor over it (Enter
// takes the name, Escape keeps the old).
class DataTableView final : public GridView {
    Q_OBJECT
public:
    explicit DataTableView(Session& session, QWidget* parent = nullptr);
    ~DataTableView() override;

    // After the session's table was replaced, reordered or relabelled.
    void reload();
    // Whether a cell may be edited (not while work runs on a copy of the table).
    void setEditable(bool editable);
    // Whether the names may be edited (a typed table's).
    void setNamesEditable(bool editable);
    // Opens the editor of variable col's name (col 0-based), where names may be edited.
    void editName(int col);
    // The lock that edits of cells take (see DataTableModel::setCellsLock).
    void setCellsLock(std::mutex* lock);

signals:
    // The user typed a value other than the cell's into a cell (its editor committed).
    void cellTyped();
    // The user gave variable `col` (1..V) a new name; the window asks the session.
    void nameEdited(int col, const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void commitData(QWidget* editor) override;

private:
    void finishNameEdit(bool take);

    Session& session_;
    DataTableModel* model_;
    CornerLabel* corner_;
    bool editable_ = true;
    bool namesEditable_ = false;
    QLineEdit* nameEditor_ = nullptr;
    int nameColumn_ = -1;
    bool committing_ = false;      // an editor's text is going into the table
    bool committedChange_ = false; // and it changed the cell
};

} // namespace kw::app
