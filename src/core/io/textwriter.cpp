#include "core/io/textwriter.h"

#include "core/io/safefile.h"

namespace kw {

void writeTextTable(std::ostream& out, const DataTable& table) {
    std::string line;
    for (int row = 0; row <= table.caseCount(); ++row) {
        line.clear();
        for (int col = 1; col <= table.variableCount(); ++col) {
            line += ' ';
            if (row == 0) {
                line += table.name(col);
            } else {
                line += table.value(col, row);
            }
        }
        line += "\r\n";
        out << line;
    }
}

void saveTextTable(const std::string& path, const DataTable& table) {
    writeFileSafely(path, [&](std::ostream& out) { writeTextTable(out, table); });
}

} // namespace kw
