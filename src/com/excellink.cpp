#include "com/excellink.h"

#include "com/comscope.h"
#include "com/dispatch.h"
#include "com/excelfailures.h"
#include "com/excelnames.h"
#include "com/excelvalues.h"
#include "com/variantcells.h"
#include "com/widetext.h"
#include "core/base/failure.h"
#include "core/sheet/cellvalues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw::com {

namespace {

// Excel's application class, and the program identifier it is registered under.
const CLSID excelClass = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr char excelClassId[] = "{00024500-0000-0000-C000-000000000046}";
constexpr char excelProgId[] = "Excel.Application";

constexpr long xlWorksheet = -4167; // XlSheetType: the type of sheet Worksheets.Add makes
constexpr long xlSheetVisible = -1; // XlSheetVisibility

std::string quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

// Names compared as Excel compares book and sheet names: letter case ignored, in all scripts.
bool sameName(std::string_view a, std::string_view b) {
    const std::wstring x = wideText(a);
    const std::wstring y = wideText(b);
    return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

// --- Excel's objects as the operations need them

Object activeBook(const Object& app) {
    auto book = optionalObject(app, L"ActiveWorkbook");
    if (!book) {
        throw Failure(Failure::Reason::spreadsheet,
                      "no workbook is open in Excel (a workbook shown in Protected View "
                      "counts only after its editing is enabled)");
    }
    return std::move(*book);
}

Object activeWorksheet(const Object& app) {
    const Object book = activeBook(app);
    auto sheet = optionalObject(book, L"ActiveSheet");
    if (!sheet) {
        throw Failure(Failure::Reason::spreadsheet, "the workbook " +
                                                        quoted(getText(book, L"Name")) +
                                                        " has no active sheet in Excel");
    }
    if (!hasMember(*sheet, L"Cells")) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the active sheet " + quoted(getText(*sheet, L"Name")) +
                          " is not a worksheet (a chart sheet has no cells): make a worksheet "
                          "the active sheet");
    }
    return std::move(*sheet);
}

void checkBlock(int c1, int c2, int r1, int r2) {
    if (c1 < 1 || r1 < 1 || c2 < c1 || r2 < r1) {
        throw Failure(Failure::Reason::spreadsheet,
                      "columns " + std::to_string(c1) + " to " + std::to_string(c2) + " and rows " +
                          std::to_string(r1) + " to " + std::to_string(r2) +
                          " are not a block of cells");
    }
}

// Range(Cells.Item(r1, c1), Cells.Item(r2, c2)) of a worksheet, refused beforehand when it
// reaches past the sheet's last column or row.
Object blockOf(const Object& sheet, int c1, int c2, int r1, int r2) {
    const long lastColumn = getLong(getObject(sheet, L"Columns"), L"Count");
    const long lastRow = getLong(getObject(sheet, L"Rows"), L"Count");
    if (c2 > lastColumn) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the block " + columnLetters(c1) + std::to_string(r1) + ":" +
                          columnLetters(c2) + std::to_string(r2) +
                          " reaches past the sheet's last column, " + columnLetters(lastColumn));
    }
    if (r2 > lastRow) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the block " + columnLetters(c1) + std::to_string(r1) + ":" +
                          columnLetters(c2) + std::to_string(r2) +
                          " reaches past the sheet's last row, " + std::to_string(lastRow));
    }
    const Object cells = getObject(sheet, L"Cells");
    const Object first = getObject(cells, L"Item", args(arg(long{r1}), arg(long{c1})));
    const Object last = getObject(cells, L"Item", args(arg(long{r2}), arg(long{c2})));
    return getObject(sheet, L"Range", args(arg(first), arg(last)));
}

// --- The link

std::string progId() {
    LPOLESTR id = nullptr;
    std::string out = excelProgId;
    if (SUCCEEDED(ProgIDFromCLSID(excelClass, &id)) && id != nullptr) {
        out = narrowText(id, wcslen(id));
    }
    if (id != nullptr) {
        CoTaskMemFree(id);
    }
    return out;
}

class ExcelLink final : public SpreadsheetLink {
public:
    ExcelLink() = default;
    ~ExcelLink() override { detach(); }
    ExcelLink(const ExcelLink&) = delete;
    ExcelLink& operator=(const ExcelLink&) = delete;

    Listing listBooks() override {
        return run(false, [&](const Object& app) {
            const Object books = getObject(app, L"Workbooks");
            std::vector<std::string> names = namesOf(books);
            std::optional<std::string> active;
            if (const auto book = optionalObject(app, L"ActiveWorkbook")) {
                active = getText(*book, L"Name");
            }
            return bookListing(std::move(names), active, sameName);
        });
    }

    Listing listSheets() override {
        return run(false, [&](const Object& app) {
            const auto book = optionalObject(app, L"ActiveWorkbook");
            if (!book) {
                return Listing{};
            }
            std::vector<std::string> names = namesOf(getObject(*book, L"Worksheets"));
            std::optional<std::string> active;
            if (const auto sheet = optionalObject(*book, L"ActiveSheet")) {
                active = getText(*sheet, L"Name");
            }
            return sheetListing(std::move(names), active, sameName);
        });
    }

    void newBook() override {
        run(false, [&](const Object& app) {
            call(getObject(app, L"Workbooks"), L"Add", args(missing()));
        });
    }

    std::string newSheet(const std::optional<std::string>& name) override {
        return addSheet(name, false);
    }

    std::string appendSheet(const std::optional<std::string>& name) override {
        return addSheet(name, true);
    }

    void selectBook(const std::string& name) override {
        if (name.empty()) {
            throw Failure(Failure::Reason::spreadsheet,
                          "no workbook is chosen: choose one of the workbooks open in Excel");
        }
        run(false, [&](const Object& app) {
            const Object books = getObject(app, L"Workbooks");
            const std::vector<std::string> names = namesOf(books);
            const auto at = findName(names, name, sameName);
            if (!at) {
                throw Failure(Failure::Reason::spreadsheet,
                              "there is no open workbook named " + quoted(name) + " in Excel");
            }
            call(getObject(books, L"Item", args(arg(names[*at]))), L"Activate");
        });
    }

    void selectSheet(const std::string& name) override {
        if (name.empty()) {
            throw Failure(Failure::Reason::spreadsheet,
                          "no sheet is chosen: choose one of the worksheets of the workbook");
        }
        run(false, [&](const Object& app) {
            const Object book = activeBook(app);
            const std::vector<std::string> names = namesOf(getObject(book, L"Worksheets"));
            const Object sheets = getObject(book, L"Sheets");
            const auto at = findName(names, name, sameName);
            if (!at) {
                const std::string bookName = getText(book, L"Name");
                if (findName(namesOf(sheets), name, sameName)) {
                    throw Failure(Failure::Reason::spreadsheet,
                                  "the sheet " + quoted(name) + " of the workbook " +
                                      quoted(bookName) + " is a chart sheet, not a worksheet");
                }
                throw Failure(Failure::Reason::spreadsheet, "the workbook " + quoted(bookName) +
                                                                " has no sheet named " +
                                                                quoted(name));
            }
            const Object sheet = getObject(sheets, L"Item", args(arg(names[*at])));
            if (getLong(sheet, L"Visible") != xlSheetVisible) {
                throw Failure(Failure::Reason::spreadsheet,
                              "the sheet " + quoted(names[*at]) + " of the workbook " +
                                  quoted(getText(book, L"Name")) +
                                  " is hidden: unhide it in Excel first");
            }
            call(sheet, L"Activate");
        });
    }

    void useActiveSheet() override {
        run(true, [&](const Object& app) { (void)activeWorksheet(app); });
    }

    ValueTable readRange(int c1, int c2, int r1, int r2) override {
        checkBlock(c1, c2, r1, r2);
        return run(true, [&](const Object& app) {
            const Object block = blockOf(activeWorksheet(app), c1, c2, r1, r2);
            const Variant value = getValue(block, L"Value");
            return tableFrom(value.v, r2 - r1 + 1, c2 - c1 + 1);
        });
    }

    void writeRange(int c1, int c2, int r1, int r2, const ValueTable& table,
                    char decimal) override {
        checkBlock(c1, c2, r1, r2);
        if (table.rowCount() != r2 - r1 + 1 || table.columnCount() != c2 - c1 + 1) {
            throw Failure(Failure::Reason::spreadsheet,
                          "a table of " + blockShape(table.rowCount(), table.columnCount()) +
                              " does not fit a block of " + blockShape(r2 - r1 + 1, c2 - c1 + 1));
        }
        run(true, [&](const Object& app) {
            const Object block = blockOf(activeWorksheet(app), c1, c2, r1, r2);
            const NumberFormatWrite format = threeDecimals(decimal);
            put(block, std::wstring(format.property.begin(), format.property.end()),
                arg(format.format));
            put(block, L"Value", arrayFrom(table));
        });
    }

    void disconnect() override { detach(); }

private:
    struct Connection {
        Object app;
        DWORD thread = 0;
        std::unique_ptr<ComScope> com; // the thread's COM, kept while attached
    };

    const Object& attach() {
        if (connection_ && connection_->thread != GetCurrentThreadId()) {
            detach();
        }
        if (connection_) {
            return connection_->app;
        }
        auto com = std::make_unique<ComScope>();
        IUnknown* unknown = nullptr;
        const HRESULT hr = GetActiveObject(excelClass, nullptr, &unknown);
        if (FAILED(hr) || unknown == nullptr) {
            std::string message = attachMessage(progId(), excelClassId);
            if (hr != MK_E_UNAVAILABLE && FAILED(hr)) {
                const std::string text = systemText(hr);
                message +=
                    " (" + (text.empty() ? hexCode(static_cast<std::uint32_t>(hr)) : text) + ")";
            }
            throw Failure(Failure::Reason::noSpreadsheet, message);
        }
        IDispatch* app = nullptr;
        const HRESULT qi = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&app));
        unknown->Release();
        if (FAILED(qi) || app == nullptr) {
            throw Failure(Failure::Reason::spreadsheet,
                          "the running Excel offers no automation interface: " + systemText(qi));
        }
        connection_.emplace(Connection{Object(app, {}), GetCurrentThreadId(), std::move(com)});
        return connection_->app;
    }

    void detach() noexcept {
        if (!connection_) {
            return;
        }
        if (connection_->thread != GetCurrentThreadId()) {
            // Kept by another thread: its references can be released only there (ending that
            // thread's COM releases them).
            connection_->app.abandon();
            connection_->com->abandon();
        }
        connection_.reset(); // the reference first, then the thread's COM
    }

    // Runs an operation on the attached Excel; `keep` leaves the connection attached at the
    // end, otherwise it is released, also when the operation fails.
    template <class Body>
    auto run(bool keep, Body&& body) -> decltype(body(std::declval<const Object&>())) {
        const ComScope com;
        try {
            const Object& app = attach();
            struct Release {
                ExcelLink& link;
                bool keep;
                ~Release() {
                    if (!keep) {
                        link.detach();
                    }
                }
            } release{*this, keep};
            return body(app);
        } catch (const CallError& e) {
            if (isDisconnection(static_cast<std::uint32_t>(e.hr))) {
                detach();
            }
            throw Failure(Failure::Reason::spreadsheet, e.message);
        }
    }

    std::string addSheet(const std::optional<std::string>& name, bool append) {
        if (name) {
            if (const auto problem = sheetNameProblem(*name)) {
                throw Failure(Failure::Reason::spreadsheet, *problem);
            }
        }
        return run(false, [&](const Object& app) {
            const Object book = activeBook(app);
            const Object sheets = getObject(book, L"Sheets");
            if (name && findName(namesOf(sheets), *name, sameName)) {
                throw Failure(Failure::Reason::spreadsheet,
                              "the workbook " + quoted(getText(book, L"Name")) +
                                  " has a sheet named " + quoted(*name) + " already");
            }
            Variant after = missing();
            if (append) { // after the last sheet, whatever its kind
                after = arg(getObject(sheets, L"Item", args(arg(getLong(sheets, L"Count")))));
            }
            call(getObject(book, L"Worksheets"), L"Add",
                 args(missing(), std::move(after), missing(), arg(xlWorksheet)));
            // Excel makes the new worksheet the active sheet of the active workbook.
            const Object sheet = getObject(activeBook(app), L"ActiveSheet");
            if (name) {
                put(sheet, L"Name", arg(*name));
            }
            return getText(sheet, L"Name");
        });
    }

    std::optional<Connection> connection_;
};

} // namespace

std::unique_ptr<kw::SpreadsheetLink> makeExcelLink() {
    return std::make_unique<ExcelLink>();
}

} // namespace kw::com
