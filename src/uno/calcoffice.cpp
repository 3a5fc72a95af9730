#include "uno/calcoffice.h"

#include "core/base/failure.h"
#include "core/sheet/cellvalues.h"
#include "uno/calccells.h"
#include "uno/calclink.h"
#include "uno/unoruntime.h"
#include "uno/unotext.h"

#include <com/sun/star/awt/SystemDependentXWindow.hpp>
#include <com/sun/star/awt/Toolkit.hpp>
#include <com/sun/star/awt/WindowClass.hpp>
#include <com/sun/star/awt/WindowDescriptor.hpp>
#include <com/sun/star/awt/XSystemDependentWindowPeer.hpp>
#include <com/sun/star/awt/XToolkit2.hpp>
#include <com/sun/star/awt/XWindowPeer.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/ConnectionSetupException.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/SystemDependent.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <cppuhelper/exc_hlp.hxx>
#include <rtl/process.h>

#include <algorithm>
#include <cctype>

namespace kw::uno {

using namespace css;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using rtl::OUString;

namespace {

bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The position of `name` in `names`: an exact match first, else one that differs only in the
// case of its letters (as the office itself compares sheet names); -1 if none.
int findName(const std::vector<std::string>& names, const std::string& name) {
    const auto exact = std::find(names.begin(), names.end(), name);
    if (exact != names.end()) {
        return static_cast<int>(exact - names.begin());
    }
    const auto loose = std::find_if(names.begin(), names.end(),
                                    [&](const std::string& n) { return sameText(n, name); });
    return loose == names.end() ? -1 : static_cast<int>(loose - names.begin());
}

bool validPipe(const std::string& pipe) {
    return !pipe.empty() && std::all_of(pipe.begin(), pipe.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.';
    });
}

// An exception's message without the source position that LibreOffice appends to it ("...
// at ./sc/source/ui/unoobj/docuno.cxx:3682"); may be empty.
std::string describe(const css::uno::Exception& e) {
    std::string message = fromOUString(e.Message);
    const auto at = message.rfind("at ");
    if (at != std::string::npos && (at == 0 || message[at - 1] == ' ') &&
        message.find(' ', at + 3) == std::string::npos &&
        message.find('/', at) != std::string::npos && message.find(':', at) != std::string::npos) {
        message.erase(at == 0 ? 0 : at - 1);
    }
    return message;
}

// What to say when Calc turned a request down, from within the catch block.
std::string refusal(const css::uno::Exception& e) {
    const std::string message = describe(e);
    if (!message.empty()) {
        return "LibreOffice Calc refused: " + message;
    }
    return "LibreOffice Calc refused the request (" +
           fromOUString(cppu::getCaughtException().getValueTypeName()) + ")";
}

// Calc's rule for sheet names, checked here so that a bad name gets a message that says why.
void checkSheetName(const std::string& name) {
    if (name.empty()) {
        throw Failure(Failure::Reason::spreadsheet, "a sheet needs a name");
    }
    if (name.find_first_of("[]*?:/\\") != std::string::npos || name.front() == '\'' ||
        name.back() == '\'') {
        throw Failure(Failure::Reason::spreadsheet,
                      "'" + name +
                          "' cannot name a sheet: it may not hold [ ] * ? : / \\ nor begin or "
                          "end with an apostrophe");
    }
}

std::string quoted(const std::string& name) {
    return "'" + name + "'";
}

std::vector<std::string> sheetNames(const Reference<container::XIndexAccess>& sheets) {
    std::vector<std::string> names;
    const sal_Int32 n = sheets->getCount();
    names.reserve(static_cast<std::size_t>(n));
    for (sal_Int32 i = 0; i < n; ++i) {
        Reference<container::XNamed> named(sheets->getByIndex(i), UNO_QUERY);
        names.push_back(named.is() ? fromOUString(named->getName()) : std::string());
    }
    return names;
}

Reference<container::XIndexAccess> sheetsOf(const Reference<sheet::XSpreadsheetDocument>& book) {
    Reference<container::XIndexAccess> sheets(book->getSheets(), UNO_QUERY);
    if (!sheets.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "LibreOffice Calc gave no sheets for the document");
    }
    return sheets;
}

std::string sheetName(const Reference<sheet::XSpreadsheet>& sheet) {
    Reference<container::XNamed> named(sheet, UNO_QUERY);
    return named.is() ? fromOUString(named->getName()) : std::string();
}

std::string freshName(const std::vector<std::string>& names) {
    for (std::size_t n = names.size() + 1;; ++n) {
        const std::string name = "Sheet" + std::to_string(n);
        if (findName(names, name) < 0) {
            return name;
        }
    }
}

Reference<frame::XController> controllerOf(const Reference<sheet::XSpreadsheetDocument>& book) {
    Reference<frame::XModel> model(book, UNO_QUERY);
    return model.is() ? model->getCurrentController() : Reference<frame::XController>();
}

// Rows of `rows` x `columns` elements, as getDataArray gives and setDataArray takes them.
bool hasShape(const Sequence<Sequence<Any>>& data, int rows, int columns) {
    if (data.getLength() != rows) {
        return false;
    }
    return std::all_of(data.begin(), data.end(),
                       [&](const Sequence<Any>& row) { return row.getLength() == columns; });
}

// Error cells are looked up one by one for the text they show; a block full of them is
// rare, and the first few are enough for a message.
constexpr int maxShownErrors = 64;

} // namespace

CalcOffice::CalcOffice(std::string pipe) : pipe_(std::move(pipe)) {}

CalcOffice::~CalcOffice() = default;

Reference<frame::XDesktop2> CalcOffice::desktop() {
    if (desktop_.is()) {
        return desktop_;
    }
    if (!validPipe(pipe_)) {
        // The name the user gave (KW_OFFICE_PIPE, kwtest's --office) cannot be used as it is.
        throw Failure(Failure::Reason::badData,
                      "'" + pipe_ +
                          "' cannot name the pipe to LibreOffice Calc: use letters, digits, "
                          "'_', '-' and '.' only");
    }
    const Reference<css::uno::XComponentContext> local = localContext();
    const Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
    Reference<css::uno::XInterface> remote;
    try {
        remote = resolver->resolve(
            toOUString("uno:pipe,name=" + pipe_ + ";urp;StarOffice.ComponentContext"));
    } catch (const connection::NoConnectException&) {
        throw Failure(Failure::Reason::noSpreadsheet,
                      "No LibreOffice Calc accepts the program's connection (pipe '" + pipe_ +
                          "'). Start Calc with: " + acceptCommand(pipe_) +
                          " (with Calc already open, the same command makes it accept)");
    } catch (const connection::ConnectionSetupException& e) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the connection to LibreOffice Calc (pipe '" + pipe_ +
                          "') could not be set up: " + fromOUString(e.Message));
    }
    Reference<css::uno::XComponentContext> context(remote, UNO_QUERY);
    if (!context.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the program on pipe '" + pipe_ + "' is not LibreOffice Calc");
    }
    desktop_ = frame::Desktop::create(context);
    context_ = context;
    return desktop_;
}

void CalcOffice::drop() {
    chosen_.clear();
    desktop_.clear();
    context_.clear();
    headless_.reset();
}

bool CalcOffice::answers() {
    if (!desktop_.is()) {
        return false;
    }
    try {
        desktop_->getCurrentComponent();
        return true;
    } catch (...) {
        return false;
    }
}

void CalcOffice::rethrow() {
    try {
        throw;
    } catch (const Failure&) {
        throw;
    } catch (const css::uno::RuntimeException& e) {
        // Also what a document closed under the link's feet gives; only an office that no
        // longer answers at all means the connection is gone.
        if (!answers()) {
            drop();
            std::string why = describe(e);
            if (why.empty()) {
                why = fromOUString(cppu::getCaughtException().getValueTypeName());
            }
            throw Failure(Failure::Reason::spreadsheet,
                          "the connection to LibreOffice Calc was lost: " + why);
        }
        throw Failure(Failure::Reason::spreadsheet, refusal(e));
    } catch (const css::uno::Exception& e) {
        throw Failure(Failure::Reason::spreadsheet, refusal(e));
    } catch (const std::exception& e) {
        // Not the office's doing (no memory left, say): the reason is the program's usual one
        // for the exception, the message the link's.
        throw Failure(caughtFailure().reason(),
                      std::string("the link to LibreOffice Calc failed: ") + e.what());
    } catch (...) {
        throw Failure(Failure::Reason::unexpected,
                      "the link to LibreOffice Calc failed for an unknown reason");
    }
}

// The spreadsheet documents, each once, in the order of the desktop's frames, which is the
// order they were opened in (the desktop's component list runs the other way). Every document
// Calc shows has a frame, and the active sheet is a matter of its view.
std::vector<CalcOffice::OpenBook> CalcOffice::books() {
    std::vector<OpenBook> out;
    const Reference<frame::XFrames> frames = desktop()->getFrames();
    if (!frames.is()) {
        return out;
    }
    const sal_Int32 n = frames->getCount();
    for (sal_Int32 i = 0; i < n; ++i) {
        Reference<frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY);
        const Reference<frame::XController> controller =
            frame.is() ? frame->getController() : Reference<frame::XController>();
        Book book(controller.is() ? controller->getModel() : Reference<frame::XModel>(), UNO_QUERY);
        if (!book.is() || std::any_of(out.begin(), out.end(),
                                      [&](const OpenBook& b) { return b.book == book; })) {
            continue;
        }
        Reference<frame::XTitle> title(book, UNO_QUERY);
        out.push_back({book, title.is() ? fromOUString(title->getTitle()) : std::string()});
    }
    return out;
}

// The document Calc has active; when that is none of the spreadsheets (a hidden document is
// never the current one), the one this link last chose, else the first.
CalcOffice::OpenBook CalcOffice::activeBook() {
    const std::vector<OpenBook> list = books();
    if (list.empty()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "no spreadsheet document is open in LibreOffice Calc");
    }
    const Reference<lang::XComponent> current = desktop()->getCurrentComponent();
    for (const Book& wanted : {Book(current, UNO_QUERY), chosen_}) {
        if (!wanted.is()) {
            continue;
        }
        const auto found = std::find_if(list.begin(), list.end(),
                                        [&](const OpenBook& b) { return b.book == wanted; });
        if (found != list.end()) {
            return *found;
        }
    }
    return list.front();
}

CalcOffice::Sheet CalcOffice::activeSheet(const Book& book) {
    Reference<sheet::XSpreadsheetView> view(controllerOf(book), UNO_QUERY);
    if (view.is()) {
        Sheet sheet = view->getActiveSheet();
        if (sheet.is()) {
            return sheet;
        }
    }
    const Reference<container::XIndexAccess> sheets = sheetsOf(book);
    if (sheets->getCount() == 0) {
        throw Failure(Failure::Reason::spreadsheet, "the document has no sheets");
    }
    return Sheet(sheets->getByIndex(0), UNO_QUERY);
}

void CalcOffice::activate(const Book& book) {
    const Reference<frame::XController> controller = controllerOf(book);
    const Reference<frame::XFrame> frame =
        controller.is() ? controller->getFrame() : Reference<frame::XFrame>();
    if (frame.is()) {
        frame->activate(); // makes it the desktop's current component, hidden or not
    }
    chosen_ = book;
}

void CalcOffice::activate(const Book& book, const Sheet& sheet) {
    activate(book);
    Reference<sheet::XSpreadsheetView> view(controllerOf(book), UNO_QUERY);
    if (!view.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the document has no window in which a sheet could be made active");
    }
    view->setActiveSheet(sheet);
}

// Whether the office runs without a display (--headless): its windows then have no display
// connection. Asked once per connection through a window that is never shown. A visible
// document in a headless office brings it down, so the answer decides how books are opened.
bool CalcOffice::headless() {
    if (headless_) {
        return *headless_;
    }
    desktop(); // connected
    bool noDisplay = false;
    try {
        const Reference<awt::XToolkit2> toolkit = awt::Toolkit::create(context_);
        awt::WindowDescriptor descriptor;
        descriptor.Type = awt::WindowClass_TOP;
        descriptor.WindowServiceName = "workwindow";
        descriptor.ParentIndex = -1;
        descriptor.Bounds = awt::Rectangle(0, 0, 1, 1);
        descriptor.WindowAttributes = 0; // not shown
        const Reference<awt::XWindowPeer> window = toolkit->createWindow(descriptor);
        if (const Reference<awt::XSystemDependentWindowPeer> peer{window, UNO_QUERY}; peer.is()) {
            Sequence<sal_Int8> process(16);
            rtl_getGlobalProcessId(reinterpret_cast<sal_uInt8*>(process.getArray()));
            awt::SystemDependentXWindow system;
            // Only X11-like systems answer this; elsewhere the office has a display.
            if (peer->getWindowHandle(process, lang::SystemDependent::SYSTEM_XWINDOW) >>= system) {
                noDisplay = system.DisplayPointer == 0;
            }
        }
        if (window.is()) {
            window->dispose();
        }
    } catch (const css::uno::Exception&) {
        if (!answers()) {
            throw;
        }
        noDisplay = false; // an office that cannot tell has windows of the usual kind
    }
    headless_ = noDisplay;
    return noDisplay;
}

SpreadsheetLink::Listing CalcOffice::listBooks() {
    SpreadsheetLink::Listing out;
    const std::vector<OpenBook> list = books();
    if (list.empty()) {
        return out;
    }
    const Book active = activeBook().book;
    for (std::size_t i = 0; i < list.size(); ++i) {
        out.names.push_back(list[i].title);
        if (list[i].book == active) {
            out.active = static_cast<int>(i);
        }
    }
    return out;
}

SpreadsheetLink::Listing CalcOffice::listSheets() {
    SpreadsheetLink::Listing out;
    if (books().empty()) {
        return out;
    }
    const Book book = activeBook().book;
    out.names = sheetNames(sheetsOf(book));
    out.active = findName(out.names, sheetName(activeSheet(book)));
    return out;
}

void CalcOffice::newBook() {
    Sequence<beans::PropertyValue> properties;
    if (headless()) {
        beans::PropertyValue hidden;
        hidden.Name = "Hidden";
        hidden.Value <<= true;
        properties = Sequence<beans::PropertyValue>(&hidden, 1);
    }
    const Reference<lang::XComponent> component =
        desktop()->loadComponentFromURL("private:factory/scalc", "_blank", 0, properties);
    const Book book(component, UNO_QUERY);
    if (!book.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "LibreOffice Calc did not create a spreadsheet document");
    }
    activate(book);
}

std::string CalcOffice::newSheet(const std::optional<std::string>& name, bool append) {
    const OpenBook open = activeBook();
    const Reference<container::XIndexAccess> sheets = sheetsOf(open.book);
    const std::vector<std::string> names = sheetNames(sheets);
    if (name) {
        checkSheetName(*name);
    }
    if (name && findName(names, *name) >= 0) {
        throw Failure(Failure::Reason::spreadsheet, "the document " + quoted(open.title) +
                                                        " already has a sheet named " +
                                                        quoted(*name));
    }
    const std::string given = name ? *name : freshName(names);
    const int active = findName(names, sheetName(activeSheet(open.book)));
    const auto position =
        static_cast<sal_Int16>(append || active < 0 ? static_cast<int>(names.size()) : active);
    const Reference<sheet::XSpreadsheets> all = open.book->getSheets();
    all->insertNewByName(toOUString(given), position);
    activate(open.book, Sheet(all->getByName(toOUString(given)), UNO_QUERY));
    return given;
}

void CalcOffice::selectBook(const std::string& name) {
    const std::vector<OpenBook> list = books();
    std::vector<std::string> titles;
    for (const OpenBook& b : list) {
        titles.push_back(b.title);
    }
    const int found = findName(titles, name);
    if (found < 0) {
        throw Failure(Failure::Reason::spreadsheet, "there is no open spreadsheet document named " +
                                                        quoted(name) + " in LibreOffice Calc");
    }
    activate(list[static_cast<std::size_t>(found)].book);
}

void CalcOffice::selectSheet(const std::string& name) {
    const OpenBook open = activeBook();
    const Reference<container::XIndexAccess> sheets = sheetsOf(open.book);
    const int found = findName(sheetNames(sheets), name);
    if (found < 0) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the document " + quoted(open.title) + " has no sheet named " + quoted(name));
    }
    activate(open.book, Sheet(sheets->getByIndex(found), UNO_QUERY));
}

void CalcOffice::useActiveSheet() {
    const OpenBook open = activeBook();
    (void)activeSheet(open.book);
    chosen_ = open.book;
}

// The active book and sheet, once the block c1..c2 x r1..r2 is known to be a block that fits
// that sheet.
CalcOffice::Target CalcOffice::block(int c1, int c2, int r1, int r2) {
    if (c1 < 1 || r1 < 1) {
        throw Failure(Failure::Reason::spreadsheet, "columns and rows are numbered from 1");
    }
    if (c2 < c1) {
        throw Failure(Failure::Reason::spreadsheet, "the last column (" + columnLetters(c2) +
                                                        ") comes before the first (" +
                                                        columnLetters(c1) + ")");
    }
    if (r2 < r1) {
        throw Failure(Failure::Reason::spreadsheet, "the last row (" + std::to_string(r2) +
                                                        ") comes before the first (" +
                                                        std::to_string(r1) + ")");
    }
    const Book book = activeBook().book;
    const Sheet sheet = activeSheet(book);
    Reference<table::XColumnRowRange> size(sheet, UNO_QUERY);
    if (!size.is()) {
        throw Failure(Failure::Reason::spreadsheet, "LibreOffice Calc gave no size for the sheet");
    }
    const sal_Int32 columns = size->getColumns()->getCount();
    const sal_Int32 rows = size->getRows()->getCount();
    if (c2 > columns) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the block reaches past the last column of the sheet: it ends at "
                      "column " +
                          columnLetters(c2) + ", the sheet at column " + columnLetters(columns));
    }
    if (r2 > rows) {
        throw Failure(Failure::Reason::spreadsheet,
                      "the block reaches past the last row of the sheet: it ends at row " +
                          std::to_string(r2) + ", the sheet at row " + std::to_string(rows));
    }
    return {book, sheet};
}

ValueTable CalcOffice::readRange(int c1, int c2, int r1, int r2) {
    const Reference<table::XCellRange> range =
        block(c1, c2, r1, r2).sheet->getCellRangeByPosition(c1 - 1, r1 - 1, c2 - 1, r2 - 1);
    const Reference<sheet::XCellRangeData> data(range, UNO_QUERY);
    if (!data.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "LibreOffice Calc gave no values for the block");
    }
    const Sequence<Sequence<Any>> values = data->getDataArray();
    const int rows = r2 - r1 + 1;
    const int columns = c2 - c1 + 1;
    if (!hasShape(values, rows, columns)) {
        throw Failure(Failure::Reason::spreadsheet,
                      "LibreOffice Calc gave a block of another size than was asked for");
    }
    ValueTable table(rows, columns);
    int errors = 0;
    for (int r = 0; r < rows; ++r) {
        const Sequence<Any>& row = values[r];
        for (int c = 0; c < columns; ++c) {
            CellValue value = cellValue(row[c]);
            if (value.kind == CellValue::Kind::error && errors++ < maxShownErrors) {
                Reference<text::XTextRange> shown(range->getCellByPosition(c, r), UNO_QUERY);
                if (shown.is()) {
                    value.text = fromOUString(shown->getString());
                }
            }
            table.at(r, c) = std::move(value);
        }
    }
    return table;
}

void CalcOffice::writeRange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal) {
    const int rows = r2 - r1 + 1;
    const int columns = c2 - c1 + 1;
    if (c2 >= c1 && r2 >= r1 && (table.rowCount() != rows || table.columnCount() != columns)) {
        throw Failure(Failure::Reason::spreadsheet,
                      "a table of " + std::to_string(table.rowCount()) + " rows and " +
                          std::to_string(table.columnCount()) +
                          " columns does not fit a block of " + std::to_string(rows) +
                          " rows and " + std::to_string(columns) + " columns");
    }
    const Target target = block(c1, c2, r1, r2);
    const Reference<table::XCellRange> range =
        target.sheet->getCellRangeByPosition(c1 - 1, r1 - 1, c2 - 1, r2 - 1);
    const Reference<beans::XPropertySet> properties(range, UNO_QUERY);
    const Reference<sheet::XCellRangeData> data(range, UNO_QUERY);
    if (!properties.is() || !data.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "LibreOffice Calc does not let the block be written");
    }
    properties->setPropertyValue("NumberFormat", Any(threeDecimalsFormat(target.book, decimal)));

    Sequence<Sequence<Any>> values(rows);
    Sequence<Any>* out = values.getArray();
    for (int r = 0; r < rows; ++r) {
        out[r].realloc(columns);
        Any* cells = out[r].getArray();
        for (int c = 0; c < columns; ++c) {
            cells[c] = cellAny(table.at(r, c));
        }
    }
    data->setDataArray(values);
}

} // namespace kw::uno
