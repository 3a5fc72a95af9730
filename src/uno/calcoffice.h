#pragma once

#include "core/sheet/spreadsheetlink.h"

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kw::uno {

// The link's conversation with one running Calc, through UNO. Not thread-safe: the link
// runs every call on its worker thread. Connects on first use and again after the connection
// was dropped; every failure leaves as kw::Failure (see `rethrow`).
class CalcOffice {
public:
    explicit CalcOffice(std::string pipe);
    ~CalcOffice();
    CalcOffice(const CalcOffice&) = delete;
    CalcOffice& operator=(const CalcOffice&) = delete;

    SpreadsheetLink::Listing listBooks();
    SpreadsheetLink::Listing listSheets();
    void newBook();
    std::string newSheet(const std::optional<std::string>& name, bool append);
    void selectBook(const std::string& name);
    void selectSheet(const std::string& name);
    void useActiveSheet();
    ValueTable readRange(int c1, int c2, int r1, int r2);
    void writeRange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal);

    // Lets go of the office: references released, connection closed when nothing holds it.
    void drop();

    // Called in a catch block: throws the exception in flight as kw::Failure, the office's
    // refusals and a lost connection with Reason::spreadsheet. A runtime failure after which
    // the office no longer answers counts as a lost connection, and the connection is dropped
    // so that the next call connects afresh.
    [[noreturn]] void rethrow();

private:
    using Book = css::uno::Reference<css::sheet::XSpreadsheetDocument>;
    using Sheet = css::uno::Reference<css::sheet::XSpreadsheet>;
    struct OpenBook {
        Book book;
        std::string title;
    };

    struct Target {
        Book book;
        Sheet sheet;
    };

    css::uno::Reference<css::frame::XDesktop2> desktop();
    std::vector<OpenBook> books();
    OpenBook activeBook();
    Sheet activeSheet(const Book& book);
    void activate(const Book& book);
    void activate(const Book& book, const Sheet& sheet);
    bool headless();
    Target block(int c1, int c2, int r1, int r2);
    bool answers();

    std::string pipe_;
    css::uno::Reference<css::uno::XComponentContext> context_; // the office's
    css::uno::Reference<css::frame::XDesktop2> desktop_;
    Book chosen_; // the book this link last selected or created
    std::optional<bool> headless_;
};

} // namespace kw::uno
