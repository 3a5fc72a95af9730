#pragma once

#include "core/sheet/spreadsheetlink.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kw::test {

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
        int activeSheet = 0;
    };

    std::vector<Book> books;
    int activeBook = -1;
    bool running = true;   // false: every operation fails as with no application running
    int maxColumns = 1024; // the sheet's size
    int maxRows = 1048576;
    bool connected = false; // attached since the last disconnect

    Book& addBook(const std::string& name); // a book with one sheet "Sheet1", made active
    Sheet& sheet(const std::string& book, const std::string& name);
    void set(const std::string& book, const std::string& sheetname, const std::string& cell,
             CellValue value); // cell as "B3"

    Listing listBooks() override;
    Listing listSheets() override;
    void newBook() override;
    std::string newSheet(const std::optional<std::string>& name) override;
    std::string appendSheet(const std::optional<std::string>& name) override;
    void selectBook(const std::string& name) override;
    void selectSheet(const std::string& name) override;
    void useActiveSheet() override;
    ValueTable readRange(int c1, int c2, int r1, int r2) override;
    void writeRange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal) override;
    void disconnect() override { connected = false; }

private:
    void attach();
    Book& active();
    Sheet& activeSheet();
    std::string freshName(const Book& book) const;
    void checkBlock(int c1, int c2, int r1, int r2) const;
};

} // namespace kw::test
