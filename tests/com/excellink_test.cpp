// The Excel link against a stand-in Excel (fakeexcel.h) registered as the running Excel: the
// operations' effects, the refusals, the messages, when the connection is kept or released,
// and the same calls from other threads, where every call, value and array crosses COM's
// marshaling as it does to a real Excel in its own process.

#include "fakeexcel.h"

#include "com/excelfailures.h"
#include "com/excellink.h"
#include "com/utf16.h"
#include "core/base/failure.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace {

using kw::CellValue;
using kw::ValueTable;
namespace fake = kw::com::fake;

const CLSID excelClass = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

using Reason = kw::Failure::Reason;

const char* reasonName(Reason reason) {
    switch (reason) {
    case Reason::noSpreadsheet:
        return "noSpreadsheet";
    case Reason::spreadsheet:
        return "spreadsheet";
    case Reason::outOfMemory:
        return "outOfMemory";
    default:
        return "another reason";
    }
}

// The operation fails with a kw::Failure of that reason whose text holds `part`.
void expectFailure(const std::function<void()>& operation, const std::string& part,
                   const std::string& what, Reason reason = Reason::spreadsheet) {
    try {
        operation();
        check(false, what + ": did not fail");
    } catch (const kw::Failure& e) {
        check(std::string(e.what()).find(part) != std::string::npos,
              what + ": message \"" + e.what() + "\" lacks \"" + part + "\"");
        check(e.reason() == reason,
              what + ": reason " + reasonName(e.reason()) + ", not " + reasonName(reason));
    } catch (const std::exception& e) {
        check(false, what + ": failed otherwise: " + e.what());
    }
}

std::string u8(const std::wstring& w) {
    return kw::com::utf8From(std::u16string(w.begin(), w.end()));
}

std::wstring text(const fake::Sheet& sheet, long row, long col) {
    const VARIANT* v = sheet.get(row, col);
    return v != nullptr && v->vt == VT_BSTR ? std::wstring(v->bstrVal) : L"<not a text>";
}

VARTYPE type(const fake::Sheet& sheet, long row, long col) {
    const VARIANT* v = sheet.get(row, col);
    return v == nullptr ? static_cast<VARTYPE>(VT_EMPTY) : v->vt;
}

void setCell(fake::Sheet& sheet, long row, long col, VARTYPE vt, double number,
             const wchar_t* text = nullptr) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    switch (vt) {
    case VT_R8:
        v.dblVal = number;
        break;
    case VT_I4:
        v.lVal = static_cast<LONG>(number);
        break;
    case VT_BOOL:
        v.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_DATE:
        v.date = number;
        break;
    case VT_CY:
        v.cyVal.int64 = static_cast<LONGLONG>(number);
        break;
    case VT_ERROR:
        v.scode = static_cast<SCODE>(static_cast<unsigned long>(number));
        break;
    case VT_BSTR:
        v.bstrVal = SysAllocString(text);
        break;
    default:
        break;
    }
    sheet.set(row, col, v);
    VariantClear(&v);
}

void checkMisuse(const fake::Excel& excel, const std::string& what) {
    for (const auto& m : excel.misuse) {
        check(false, what + ": the link called Excel wrongly: " + u8(m));
    }
}

// Excel with three books: the personal macro workbook, Book1.xlsx (active; worksheets Data
// (active), Results, Hidden (hidden), and the chart sheet Chart1 last) and Données.xlsx.
std::shared_ptr<fake::Excel> standardExcel() {
    auto excel = std::make_shared<fake::Excel>();
    excel->addBook(L"PERSONAL.XLSB", {L"Sheet1"});
    fake::Book& book = excel->addBook(L"Book1.xlsx", {L"Data", L"Results", L"Hidden"});
    book.find(L"Hidden")->visible = 0;
    book.addSheet(L"Chart1", true);
    excel->addBook(L"Donn\u00e9es.xlsx", {L"Feuil1"});
    excel->active = excel->find(L"Book1.xlsx");
    fake::Sheet& data = *book.find(L"Data");
    setCell(data, 1, 1, VT_BSTR, 0, L"group");
    setCell(data, 1, 2, VT_BSTR, 0, L"M\u00fcller \u20ac");
    setCell(data, 1, 3, VT_BSTR, 0, L"flag");
    setCell(data, 2, 1, VT_R8, 2.5);
    setCell(data, 2, 2, VT_BOOL, 1);
    setCell(data, 2, 3, VT_DATE, 40969.5);
    setCell(data, 3, 1, VT_CY, 12345);
    setCell(data, 3, 2, VT_ERROR, 0x800A07D7u);
    // (3, 3) empty
    return excel;
}

// Registers an Excel as the running one for as long as it lives.
class Running {
public:
    explicit Running(std::shared_ptr<fake::Excel> excel)
        : app_(fake::makeApplication(std::move(excel))) {
        const HRESULT hr = RegisterActiveObject(app_, excelClass, ACTIVEOBJECT_STRONG, &cookie_);
        check(SUCCEEDED(hr), "RegisterActiveObject");
    }
    ~Running() {
        RevokeActiveObject(cookie_, nullptr);
        app_->Release();
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    ULONG references() const { return fake::references(app_); }

private:
    IDispatch* app_;
    DWORD cookie_ = 0;
};

const std::string attachText =
    kw::com::attachMessage("Excel.Application", "{00024500-0000-0000-C000-000000000046}");

void testNotRunning() {
    const auto link = kw::com::makeExcelLink();
    try {
        link->listBooks();
        check(false, "no Excel: listBooks did not fail");
    } catch (const kw::Failure& e) {
        check(e.message() == attachText, std::string("no Excel: message is ") + e.message());
    }
    expectFailure([&] { link->readRange(1, 1, 1, 1); }, attachText, "no Excel: readRange",
                  Reason::noSpreadsheet);
    expectFailure([&] { link->newBook(); }, attachText, "no Excel: newBook", Reason::noSpreadsheet);
}

void testLists() {
    auto excel = standardExcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeExcelLink();

    const auto books = link->listBooks();
    check(books.names == std::vector<std::string>{"Book1.xlsx", "Donn\xc3\xa9"
                                                                "es.xlsx"},
          "listBooks leaves out the personal workbook and keeps Excel's order");
    check(books.active == 0, "listBooks selects the active book");
    check(running.references() == base, "listBooks releases Excel");
    check(link->listBooks().names.size() == 2, "listBooks twice gives the same list");

    const auto sheets = link->listSheets();
    check(sheets.names == std::vector<std::string>{"Data", "Results", "Hidden"},
          "listSheets lists the worksheets only");
    check(sheets.active == 0, "listSheets selects the active sheet");
    check(running.references() == base, "listSheets releases Excel");

    excel->active = excel->find(L"Donn\u00e9es.xlsx");
    check(link->listBooks().active == 1, "listBooks follows the active book");
    check(link->listSheets().names == std::vector<std::string>{"Feuil1"},
          "listSheets lists the active book's worksheets");

    excel->active = excel->find(L"PERSONAL.XLSB");
    check(link->listBooks().active == -1, "the personal workbook active: none selected");

    excel->books.clear();
    excel->active = nullptr;
    check(link->listBooks().names.empty(), "no book open: no books");
    const auto none = link->listSheets();
    check(none.names.empty() && none.active == -1, "no book open: no sheets");
    checkMisuse(*excel, "lists");
}

void testSelect() {
    auto excel = standardExcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeExcelLink();
    fake::Book& book = *excel->find(L"Book1.xlsx");

    link->selectSheet("results");
    check(book.active == book.find(L"Results"), "selectSheet activates the named sheet");
    check(running.references() == base, "selectSheet releases Excel");

    const int activations = excel->count(L"Worksheet.Activate") + excel->count(L"Chart.Activate");
    expectFailure([&] { link->selectSheet("Chart1"); }, "is a chart sheet", "selectSheet chart");
    expectFailure([&] { link->selectSheet("Nope"); }, "has no sheet named 'Nope'",
                  "selectSheet unknown");
    expectFailure([&] { link->selectSheet("Hidden"); }, "is hidden", "selectSheet hidden");
    expectFailure([&] { link->selectSheet(""); }, "no sheet is chosen", "selectSheet empty");
    check(excel->count(L"Worksheet.Activate") + excel->count(L"Chart.Activate") == activations,
          "a refused selectSheet activates nothing");
    check(book.active == book.find(L"Results"), "a refused selectSheet changes nothing");
    check(running.references() == base, "a refused selectSheet releases Excel");

    link->selectBook("DONN\xc3\x89"
                     "ES.XLSX"); // letter case ignored beyond ASCII too
    check(excel->active == excel->find(L"Donn\u00e9es.xlsx"),
          "selectBook activates the named book");
    expectFailure([&] { link->selectBook("Missing.xlsx"); },
                  "there is no open workbook named 'Missing.xlsx'", "selectBook unknown");
    expectFailure([&] { link->selectBook(""); }, "no workbook is chosen", "selectBook empty");

    // Excel's own refusal reaches the caller with Excel's description.
    excel->failMember = L"Workbook.Activate";
    excel->failCode = static_cast<HRESULT>(0x800A03ECu);
    excel->failDescription = L"Activate method of Workbook class failed";
    expectFailure([&] { link->selectBook("Book1.xlsx"); },
                  "Activate method of Workbook class failed", "Excel's description");
    check(running.references() == base, "a failed selectBook releases Excel");

    // Busy: the call is rejected.
    excel->failMember = L"Application.Workbooks";
    excel->failCode = RPC_E_CALL_REJECTED;
    excel->failDescription.clear();
    expectFailure([&] { link->listBooks(); }, "Excel is busy", "busy Excel");
    checkMisuse(*excel, "select");
}

void testCreate() {
    auto excel = standardExcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeExcelLink();
    fake::Book& book = *excel->find(L"Book1.xlsx");

    const std::string inserted = link->newSheet(std::nullopt);
    check(book.sheets.size() == 5 && u8(book.sheets[0]->name) == inserted,
          "newSheet inserts before the active sheet: " + inserted);
    check(book.active == book.sheets[0], "newSheet makes the new sheet active");

    const std::string appended = link->appendSheet(std::nullopt);
    check(book.sheets.size() == 6 && u8(book.sheets.back()->name) == appended &&
              book.sheets[4]->chart,
          "appendSheet places the sheet after the last one, a chart sheet");
    check(book.active == book.sheets.back(), "appendSheet makes the new sheet active");

    check(link->appendSheet(std::string("Kruskal W\xc3\xa4llis")) == "Kruskal W\xc3\xa4llis",
          "appendSheet names the sheet");
    check(u8(book.sheets.back()->name) == "Kruskal W\xc3\xa4llis", "the named sheet is last");

    const int adds = excel->count(L"Worksheets.Add");
    expectFailure([&] { link->newSheet(std::string("kruskal w\xc3\xa4llis")); }, "already",
                  "newSheet with a name taken");
    expectFailure([&] { link->appendSheet(std::string("a/b")); }, "does not allow",
                  "appendSheet with a bad name");
    expectFailure([&] { link->appendSheet(std::string(32, 'x')); }, "31 characters",
                  "appendSheet with a long name");
    check(excel->count(L"Worksheets.Add") == adds, "a refused name adds no sheet");
    check(running.references() == base, "the sheet operations release Excel");

    const std::size_t books = excel->books.size();
    link->newBook();
    check(excel->books.size() == books + 1 && excel->active == excel->books.back(),
          "newBook adds a book and makes it active");
    check(link->listSheets().names == std::vector<std::string>{"Sheet1"},
          "the new book's sheet is listed");

    excel->books.clear();
    excel->active = nullptr;
    expectFailure([&] { link->newSheet(std::nullopt); }, "no workbook is open",
                  "newSheet without a book");
    expectFailure([&] { link->useActiveSheet(); }, "no workbook is open",
                  "useActiveSheet without a book");
    checkMisuse(*excel, "create");
}

void testWrite() {
    auto excel = standardExcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeExcelLink();
    fake::Sheet& sheet = *excel->find(L"Book1.xlsx")->find(L"Data");

    setCell(sheet, 6, 2, VT_R8, 99); // inside the block: replaced by an empty cell
    setCell(sheet, 4, 2, VT_R8, 44); // above the block: stays
    setCell(sheet, 5, 4, VT_R8, 54); // right of the block: stays

    link->useActiveSheet();
    check(running.references() == base + 1, "useActiveSheet keeps the connection");

    ValueTable table(3, 2);
    table.at(0, 0) = CellValue::makeInteger(12);
    table.at(0, 1) = CellValue::makeReal(2.5);
    table.at(1, 0) = CellValue::makeText("NS");
    // (1, 1) empty
    table.at(2, 0) = CellValue::makeText("=1+1");
    table.at(2, 1) = CellValue::makeText("M\xc3\xbcller \xe2\x82\xac");
    link->writeRange(2, 3, 5, 7, table, '.');
    check(running.references() == base + 1, "writeRange keeps the connection");

    check(type(sheet, 5, 2) == VT_I4 && sheet.get(5, 2)->lVal == 12, "an integer as VT_I4 in B5");
    check(type(sheet, 5, 3) == VT_R8 && sheet.get(5, 3)->dblVal == 2.5, "a real as VT_R8 in C5");
    check(text(sheet, 6, 2) == L"NS" && sheet.prefixed.count({6, 2}) == 1, "a text in B6");
    check(type(sheet, 6, 3) == VT_EMPTY, "an empty value leaves C6 empty");
    check(text(sheet, 7, 2) == L"=1+1" && sheet.formulas.empty(),
          "a text like a formula stays a text");
    check(text(sheet, 7, 3) == L"M\u00fcller \u20ac", "a text beyond ASCII in C7");
    check(type(sheet, 4, 2) == VT_R8 && type(sheet, 5, 4) == VT_R8, "cells outside stay");
    bool formats = sheet.formats.size() == 6 && sheet.localFormats.empty();
    for (const auto& [at, format] : sheet.formats) {
        formats = formats && format == L"0.000" && at.first >= 5 && at.first <= 7 &&
                  at.second >= 2 && at.second <= 3;
    }
    check(formats, "every cell of B5:C7 and no other has the format 0.000");

    link->writeRange(1, 1, 10, 10, ValueTable(1, 1), ',');
    check(sheet.localFormats.size() == 1 && sheet.localFormats.begin()->second == L"0,000",
          "with a comma the format is written as the local format 0,000");

    // What was written reads back.
    const ValueTable back = link->readRange(2, 3, 5, 7);
    check(back.at(0, 0) == CellValue::makeReal(12) && back.at(0, 1) == CellValue::makeReal(2.5) &&
              back.at(1, 0) == CellValue::makeText("NS") &&
              back.at(1, 1) == CellValue::makeEmpty() &&
              back.at(2, 0) == CellValue::makeText("=1+1") &&
              back.at(2, 1) == CellValue::makeText("M\xc3\xbcller \xe2\x82\xac"),
          "the written block reads back");

    const std::size_t calls = excel->calls.size();
    expectFailure([&] { link->writeRange(2, 3, 5, 7, ValueTable(2, 2), '.'); }, "does not fit",
                  "a table of another shape");
    expectFailure([&] { link->writeRange(3, 2, 5, 7, ValueTable(3, 0), '.'); },
                  "are not a block of cells", "last column before the first");
    check(excel->calls.size() == calls, "refused shapes call nothing");
    expectFailure([&] { link->writeRange(60, 61, 1, 1, ValueTable(1, 2), '.'); },
                  "reaches past the sheet's last column, BH", "past the last column");
    expectFailure([&] { link->writeRange(1, 1, 1000, 1001, ValueTable(2, 1), '.'); },
                  "reaches past the sheet's last row, 1000", "past the last row");

    link->disconnect();
    check(running.references() == base, "disconnect releases Excel");
    checkMisuse(*excel, "write");
}

void testRead() {
    auto excel = standardExcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeExcelLink();

    const ValueTable t = link->readRange(1, 3, 1, 3);
    check(t.rowCount() == 3 && t.columnCount() == 3, "readRange gives the block's shape");
    check(t.at(0, 0) == CellValue::makeText("group"), "a text");
    check(t.at(0, 1) == CellValue::makeText("M\xc3\xbcller \xe2\x82\xac"), "a text beyond ASCII");
    check(t.at(1, 0) == CellValue::makeReal(2.5), "a number");
    check(t.at(1, 1) == CellValue::makeReal(1), "TRUE as 1");
    check(t.at(1, 2) == CellValue::makeReal(40969.5), "a date as its serial number");
    check(t.at(2, 0) == CellValue::makeReal(1.2345), "a currency amount as its value");
    check(t.at(2, 1) == CellValue::makeError("#DIV/0!"), "an error value");
    check(t.at(2, 2) == CellValue::makeEmpty(), "an empty cell");
    check(running.references() == base + 1, "readRange keeps the connection");

    const ValueTable one = link->readRange(2, 2, 1, 1);
    check(one.rowCount() == 1 && one.columnCount() == 1 &&
              one.at(0, 0) == CellValue::makeText("M\xc3\xbcller \xe2\x82\xac"),
          "a block of one cell");
    check(link->readRange(5, 5, 5, 5).at(0, 0) == CellValue::makeEmpty(), "one empty cell");

    // The part of a block off the data: a block of 2 x 2 at B2.
    const ValueTable part = link->readRange(2, 3, 2, 3);
    check(part.at(0, 0) == CellValue::makeReal(1) &&
              part.at(1, 0) == CellValue::makeError("#DIV/0!") &&
              part.at(0, 1) == CellValue::makeReal(40969.5),
          "rows and columns of the block in their places");

    expectFailure([&] { link->readRange(1, 1, 1, 1001); }, "last row, 1000", "past the last row");
    expectFailure([&] { link->readRange(0, 1, 1, 1); }, "not a block", "column 0");

    // The sheet active in Excel is read, whatever was selected before.
    fake::Book& book = *excel->find(L"Book1.xlsx");
    book.active = book.find(L"Results");
    setCell(*book.active, 1, 1, VT_BSTR, 0, L"results");
    check(link->readRange(1, 1, 1, 1).at(0, 0) == CellValue::makeText("results"),
          "readRange reads Excel's active sheet");

    // A chart sheet active: refused.
    book.active = book.find(L"Chart1");
    expectFailure([&] { link->readRange(1, 1, 1, 1); }, "is not a worksheet", "chart active");
    book.active = book.find(L"Data");

    // Excel gone while attached: the connection is given up, the next call attaches afresh.
    excel->failMember = L"Range.Value";
    excel->failCode = static_cast<HRESULT>(0x800706BAu); // RPC_S_SERVER_UNAVAILABLE
    excel->failDescription.clear();
    expectFailure([&] { link->readRange(1, 1, 1, 1); }, "closed", "Excel gone");
    check(running.references() == base, "a lost connection is released");
    check(link->readRange(1, 1, 1, 1).at(0, 0) == CellValue::makeText("group"),
          "the next call attaches afresh");
    link->disconnect();
    check(running.references() == base, "disconnect after a read releases Excel");
    checkMisuse(*excel, "read");
}

// Runs work on a thread of its own (which has not initialised COM) while this thread, Excel's
// apartment, serves the calls that come to it until that thread has ended: a thread that ends
// with the connection kept releases it as it ends, by a call to this apartment.
DWORD WINAPI runWork(void* work) {
    try {
        (*static_cast<const std::function<void()>*>(work))();
    } catch (const std::exception& e) {
        check(false, std::string("another thread: ") + e.what());
    }
    return 0;
}

void elsewhere(const std::function<void()>& work) {
    HANDLE thread =
        CreateThread(nullptr, 0, runWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    const ULONGLONG deadline = GetTickCount64() + 120000;
    for (;;) {
        const DWORD r =
            MsgWaitForMultipleObjectsEx(1, &thread, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) {
            break;
        }
        if (GetTickCount64() > deadline) {
            std::printf("FAILED: the other thread did not finish\n");
            std::fflush(stdout);
            std::_Exit(1);
        }
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    CloseHandle(thread);
}

void testThreads() {
    auto excel = standardExcel();
    Running running(excel);
    const auto link = kw::com::makeExcelLink();
    fake::Sheet& sheet = *excel->find(L"Book1.xlsx")->find(L"Data");

    elsewhere([&] {
        const auto books = link->listBooks();
        check(books.names.size() == 2 && books.active == 0, "listBooks across apartments");
        const ValueTable t = link->readRange(1, 3, 1, 3);
        check(t.at(0, 1) == CellValue::makeText("M\xc3\xbcller \xe2\x82\xac") &&
                  t.at(1, 2) == CellValue::makeReal(40969.5) &&
                  t.at(2, 1) == CellValue::makeError("#DIV/0!"),
              "readRange across apartments");
    });
    // The connection kept by that thread is given up here, and Excel attached afresh.
    elsewhere([&] {
        ValueTable table(2, 3);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c) {
                table.at(r, c) = CellValue::makeInteger(10 * (r + 1) + c + 1);
            }
        }
        link->writeRange(5, 7, 10, 11, table, '.');
        link->appendSheet(std::string("Other thread"));
        link->useActiveSheet();
        link->writeRange(1, 1, 1, 1, ValueTable(1, 1), '.');
    });
    bool placed = true;
    for (long r = 10; r <= 11; ++r) {
        for (long c = 5; c <= 7; ++c) {
            const VARIANT* v = sheet.get(r, c);
            placed = placed && v != nullptr && v->vt == VT_I4 && v->lVal == 10 * (r - 9) + (c - 4);
        }
    }
    check(placed, "writeRange across apartments puts every value in its cell");
    check(u8(excel->find(L"Book1.xlsx")->sheets.back()->name) == "Other thread",
          "appendSheet across apartments");
    checkMisuse(*excel, "threads");
}

} // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::printf("FAILED: COM cannot be initialised\n");
        return 1;
    }
    const std::pair<const char*, void (*)()> tests[] = {
        {"not running", testNotRunning}, {"lists", testLists}, {"select", testSelect},
        {"create", testCreate},          {"write", testWrite}, {"read", testRead},
        {"threads", testThreads},
    };
    for (const auto& [name, test] : tests) {
        if (std::getenv("KWONLY") && std::string(std::getenv("KWONLY")) != name)
            continue;
        const int before = failed;
        try {
            test();
        } catch (const std::exception& e) {
            check(false, std::string(name) + ": " + e.what());
        }
        std::printf("%s %s\n", failed == before ? "ok    " : "FAILED", name);
    }
    CoUninitialize();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
