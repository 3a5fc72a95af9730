#pragma once

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/Reference.hxx>

#include <string>
#include <vector>

namespace kw::test {

// The tests' own connection to the office, beside the link under test: it fills cells one
// by one and looks at what the link did, through other UNO calls than the link makes (it
// shares only the process's UNO runtime with the link).
class CalcProbe {
public:
    // Connects; throws std::runtime_error when nothing accepts on `pipe`.
    explicit CalcProbe(const std::string& pipe);

    // Closes every open document.
    void closeAll();
    std::vector<std::string> titles(); // of the spreadsheet documents, in window order

    // What a test puts into a cell: a number, a text as typed (setString), or a formula.
    struct Input {
        enum class Kind { number, text, formula } kind;
        double number = 0;
        std::string text;
    };
    static Input num(double v) { return {Input::Kind::number, v, {}}; }
    static Input txt(std::string t) { return {Input::Kind::text, 0, std::move(t)}; }
    static Input fx(std::string f) { return {Input::Kind::formula, 0, std::move(f)}; }

    // Puts `cell` at column `col`, row `row` (1-based) of the named sheet of the named book.
    void put(const std::string& book, const std::string& sheet, int col, int row,
             const Input& cell);

    // A cell as Calc holds it.
    struct Cell {
        std::string type; // "empty", "value", "text" or "formula"
        double value = 0;
        std::string text;   // what it shows
        std::string format; // its number format code
    };
    Cell cell(const std::string& book, const std::string& sheet, int col, int row);

    std::vector<std::string> sheets(const std::string& book);
    int columns(const std::string& book, const std::string& sheet); // the sheet's size
    int rows(const std::string& book, const std::string& sheet);
    std::string activeSheet(const std::string& book);
    bool visible(const std::string& book); // its window is shown

private:
    css::uno::Reference<css::sheet::XSpreadsheetDocument> book(const std::string& title);
    css::uno::Reference<css::sheet::XSpreadsheet> sheet(const std::string& book,
                                                        const std::string& name);

    css::uno::Reference<css::frame::XDesktop2> desktop_;
};

} // namespace kw::test
