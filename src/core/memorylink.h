#pragma once

#include "spreadsheet.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kw {

// A spreadsheet application held in memory: books of sheets of cells, an active book and an
// active sheet in each. It behaves as the link promises, fast and without an office; the
// tests of the dialogs and of the blocks use it.
class MemoryLink final : public SpreadsheetLink {
public:
    struct Sheet {
        std::string name;
        std::map<std::pair<int, int>, CellValue> cells; // (row, column), 1-based
        std::map<std::pair<int, int>, std::string> formats;
    };
    struct Book {
        std::string name;
        std::vector<Sheet> sheets;
        int activesheet = 0;
    };

    std::vector<Book> books;
    int activebook = -1;
    bool running = true;   // false: every operation fails as with no application running
    int maxcolumns = 1024; // the sheet's size
    int maxrows = 1048576;
    bool connected = false; // attached since the last disconnect

    Book& addbook(const std::string& name); // a book with one sheet "Sheet1", made active
    Sheet& sheet(const std::string& book, const std::string& name);
    void set(const std::string& book, const std::string& sheetname, const std::string& cell,
             CellValue value); // cell as "B3"

    Listing listbooks() override;
    Listing listsheets() override;
    void newbook() override;
    std::string newsheet(const std::optional<std::string>& name) override;
    std::string appendsheet(const std::optional<std::string>& name) override;
    void selectbook(const std::string& name) override;
    void selectsheet(const std::string& name) override;
    void useactivesheet() override;
    ValueTable readrange(int c1, int c2, int r1, int r2) override;
    void writerange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal) override;
    void disconnect() override { connected = false; }

private:
    void attach();
    Book& active();
    Sheet& activesheet();
    std::string freshname(const Book& book) const;
    void checkblock(int c1, int c2, int r1, int r2) const;
};

} // namespace kw
