#include "app/pages/gridcopy.h"

#include "app/pages/gridmodel.h"

#include <QHeaderView>
#include <QIODevice>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>
#include <climits>
#include <vector>

namespace kw::app {

namespace {

// The texts of a grid's cells and headers, as copies and files take them.
class GridTexts {
public:
    explicit GridTexts(const QTableView& view)
        : view_(view), model_(*view.model()), root_(view.rootIndex()) {
        for (int c = 0; c < model_.columnCount(root_); ++c) {
            if (!view.isColumnHidden(c)) {
                columns_.push_back(c);
            }
        }
        rowHeaders_ = !view.verticalHeader()->isHidden() && !rowNumbers();
    }

    const std::vector<int>& columns() const { return columns_; }
    bool rowHeaders() const { return rowHeaders_; }
    int rowCount() const { return model_.rowCount(root_); }

    QString cell(int row, int col) const {
        const QModelIndex index = model_.index(row, col, root_);
        // An editable cell holds its whole value for the editor; the shown text of a huge
        // one is cut.
        const int role =
            model_.flags(index).testFlag(Qt::ItemIsEditable) ? Qt::EditRole : Qt::DisplayRole;
        return model_.data(index, role).toString();
    }
    QString columnHeader(int col) const {
        return model_.headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    QString rowHeader(int row) const {
        return model_.headerData(row, Qt::Vertical, Qt::DisplayRole).toString();
    }
    // The text above the row headers ("grouped_by", "values").
    QString corner() const {
        const auto* grid = qobject_cast<const GridModel*>(&model_);
        return grid != nullptr ? grid->cellText(0, 0) : QString();
    }

private:
    // Row headers that only number the rows (the case numbers of the data) add nothing.
    bool rowNumbers() const {
        const int rows = model_.rowCount(root_);
        return rows == 0 || (rowHeader(0) == "1" && rowHeader(rows - 1) == QString::number(rows));
    }

    const QTableView& view_;
    const QAbstractItemModel& model_;
    QModelIndex root_;
    std::vector<int> columns_;
    bool rowHeaders_ = false;
};

QString tsvField(const QString& text) {
    if (!text.contains('\t') && !text.contains('\n') && !text.contains('\r') &&
        !text.startsWith('"')) {
        return text;
    }
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QString htmlCell(const QString& text, bool header) {
    QString escaped = text.toHtmlEscaped();
    escaped.replace("\r\n", "<br>");
    escaped.replace('\n', "<br>");
    return header ? "<th>" + escaped + "</th>" : "<td>" + escaped + "</td>";
}

} // namespace

QString csvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') &&
        !text.contains('\r')) {
        return text;
    }
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

CopiedCells copiedCells(const QTableView& view, bool withHeaders, qsizetype cellLimit) {
    CopiedCells copied;
    const QAbstractItemModel* model = view.model();
    const QItemSelectionModel* selection = view.selectionModel();
    if (model == nullptr || selection == nullptr) {
        return copied;
    }
    const GridTexts texts(view);
    // The selection's bounding block; the current cell where nothing is selected.
    const QItemSelection ranges = selection->selection();
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    for (const QItemSelectionRange& range : ranges) {
        top = std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
        left = std::min(left, range.left());
        right = std::max(right, range.right());
    }
    const bool whole = ranges.size() <= 1; // no test of each cell
    if (bottom < 0) {
        const QModelIndex current = view.currentIndex();
        if (!current.isValid()) {
            return copied;
        }
        top = bottom = current.row();
        left = right = current.column();
    }
    std::vector<int> columns;
    for (const int c : texts.columns()) {
        if (c >= left && c <= right) {
            columns.push_back(c);
        }
    }
    std::vector<int> rows;
    const qsizetype width = std::max<qsizetype>(1, static_cast<qsizetype>(columns.size()));
    const qsizetype rowLimit = std::max<qsizetype>(1, cellLimit / width);
    for (int r = top; r <= bottom; ++r) {
        if (!view.isRowHidden(r)) {
            ++copied.allRows;
            if (static_cast<qsizetype>(rows.size()) < rowLimit) {
                rows.push_back(r);
            }
        }
    }
    copied.rows = static_cast<int>(rows.size());
    const bool html = static_cast<qsizetype>(rows.size()) * width <= maxHtmlCells;
    const bool rowHeaders = withHeaders && texts.rowHeaders();

    QString& text = copied.text;
    QString table;
    if (html) {
        table = "<html><head><meta charset=\"utf-8\"></head><body><table>\n";
    }
    bool firstLine = true;
    auto line = [&](const QString& head, bool headerRow, const auto& cellOf) {
        if (!firstLine) {
            text += '\n';
        }
        firstLine = false;
        if (html) {
            table += "<tr>";
        }
        bool first = true;
        auto add = [&](const QString& cell, bool header) {
            if (!first) {
                text += '\t';
            }
            first = false;
            text += tsvField(cell);
            if (html) {
                table += htmlCell(cell, header);
            }
        };
        if (rowHeaders) {
            add(head, true);
        }
        for (const int c : columns) {
            add(cellOf(c), headerRow);
        }
        if (html) {
            table += "</tr>\n";
        }
    };
    if (withHeaders) {
        line(texts.corner(), true, [&](int c) { return texts.columnHeader(c); });
    }
    for (const int r : rows) {
        line(rowHeaders ? texts.rowHeader(r) : QString(), false, [&](int c) {
            if (!whole && !selection->isSelected(model->index(r, c, view.rootIndex()))) {
                return QString();
            }
            return texts.cell(r, c);
        });
    }
    if (html) {
        table += "</table></body></html>\n";
        copied.html = table;
    }
    return copied;
}

bool writeGridCsv(const QTableView& view, QIODevice& out,
                  const std::function<bool(int done, int rows)>& progress) {
    if (view.model() == nullptr) {
        return true;
    }
    const GridTexts texts(view);
    QString record;
    auto flush = [&] {
        const QByteArray bytes = record.toUtf8();
        record.clear();
        return out.write(bytes) == bytes.size();
    };
    auto add = [&](const QString& field, bool first) {
        if (!first) {
            record += ',';
        }
        record += csvField(field);
    };
    bool first = true;
    if (texts.rowHeaders()) {
        add(texts.corner(), first);
        first = false;
    }
    for (const int c : texts.columns()) {
        add(texts.columnHeader(c), first);
        first = false;
    }
    record += "\r\n";
    const int rows = texts.rowCount();
    for (int r = 0; r < rows; ++r) {
        if (view.isRowHidden(r)) {
            continue;
        }
        first = true;
        if (texts.rowHeaders()) {
            add(texts.rowHeader(r), first);
            first = false;
        }
        for (const int c : texts.columns()) {
            add(texts.cell(r, c), first);
            first = false;
        }
        record += "\r\n";
        if (record.size() > (1 << 16) || r + 1 == rows) {
            if (!flush()) {
                return false;
            }
        }
        if (progress && (r % 4096 == 0) && !progress(r, rows)) {
            return false;
        }
    }
    return flush();
}

std::vector<std::vector<std::string>> gridTexts(const QTableView& view) {
    std::vector<std::vector<std::string>> rows;
    if (view.model() == nullptr) {
        return rows;
    }
    const GridTexts texts(view);
    std::vector<std::string> head;
    if (texts.rowHeaders()) {
        head.push_back(texts.corner().toStdString());
    }
    for (const int c : texts.columns()) {
        head.push_back(texts.columnHeader(c).toStdString());
    }
    rows.push_back(std::move(head));
    for (int r = 0; r < texts.rowCount(); ++r) {
        if (view.isRowHidden(r)) {
            continue;
        }
        std::vector<std::string> row;
        if (texts.rowHeaders()) {
            row.push_back(texts.rowHeader(r).toStdString());
        }
        for (const int c : texts.columns()) {
            row.push_back(texts.cell(r, c).toStdString());
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace kw::app
