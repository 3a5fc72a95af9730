// The Excel link against a stand-in Excel (fakeexcel.h) registered as the running Excel: the
// operations' effects, the refusals, the messages, when the connection is kept or released,
// and the same calls from other threads, where every call, value and array crosses COM's
// marshaling as it does to a real Excel in its own process.

#include "excellink.h"
#include "excelparts.h"
#include "failure.h"
#include "fakeexcel.h"

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

const CLSID excelclass = {
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

// The operation fails with a kw::Failure whose text holds `part`.
void expectfailure(const std::function<void()>& operation, const std::string& part,
                   const std::string& what) {
    try {
        operation();
        check(false, what + ": did not fail");
    } catch (const kw::Failure& e) {
        check(std::string(e.what()).find(part) != std::string::npos,
              what + ": message \"" + e.what() + "\" lacks \"" + part + "\"");
    } catch (const std::exception& e) {
        check(false, what + ": failed otherwise: " + e.what());
    }
}

std::string u8(const std::wstring& w) {
    return kw::com::utf8from(std::u16string(w.begin(), w.end()));
}

std::wstring text(const fake::Sheet& sheet, long row, long col) {
    const VARIANT* v = sheet.get(row, col);
    return v != nullptr && v->vt == VT_BSTR ? std::wstring(v->bstrVal) : L"<not a text>";
}

VARTYPE type(const fake::Sheet& sheet, long row, long col) {
    const VARIANT* v = sheet.get(row, col);
    return v == nullptr ? static_cast<VARTYPE>(VT_EMPTY) : v->vt;
}

void setcell(fake::Sheet& sheet, long row, long col, VARTYPE vt, double number,
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

void checkmisuse(const fake::Excel& excel, const std::string& what) {
    for (const auto& m : excel.misuse) {
        check(false, what + ": the link called Excel wrongly: " + u8(m));
    }
}

// Excel with three books: the personal macro workbook, Book1.xlsx (active; worksheets Data
// (active), Results, Hidden (hidden), and the chart sheet Chart1 last) and Données.xlsx.
std::shared_ptr<fake::Excel> standardexcel() {
    auto excel = std::make_shared<fake::Excel>();
    excel->addbook(L"PERSONAL.XLSB", {L"Sheet1"});
    fake::Book& book = excel->addbook(L"Book1.xlsx", {L"Data", L"Results", L"Hidden"});
    book.find(L"Hidden")->visible = 0;
    book.addsheet(L"Chart1", true);
    excel->addbook(L"Donn\u00e9es.xlsx", {L"Feuil1"});
    excel->active = excel->find(L"Book1.xlsx");
    fake::Sheet& data = *book.find(L"Data");
    setcell(data, 1, 1, VT_BSTR, 0, L"group");
    setcell(data, 1, 2, VT_BSTR, 0, L"M\u00fcller \u20ac");
    setcell(data, 1, 3, VT_BSTR, 0, L"flag");
    setcell(data, 2, 1, VT_R8, 2.5);
    setcell(data, 2, 2, VT_BOOL, 1);
    setcell(data, 2, 3, VT_DATE, 40969.5);
    setcell(data, 3, 1, VT_CY, 12345);
    setcell(data, 3, 2, VT_ERROR, 0x800A07D7u);
    // (3, 3) empty
    return excel;
}

// Registers an Excel as the running one for as long as it lives.
class Running {
public:
    explicit Running(std::shared_ptr<fake::Excel> excel)
        : app_(fake::makeapplication(std::move(excel))) {
        const HRESULT hr = RegisterActiveObject(app_, excelclass, ACTIVEOBJECT_STRONG, &cookie_);
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

const std::string attachtext =
    kw::com::attachmessage("Excel.Application", "{00024500-0000-0000-C000-000000000046}");

void testnotrunning() {
    const auto link = kw::com::makeexcellink();
    try {
        link->listbooks();
        check(false, "no Excel: listbooks did not fail");
    } catch (const kw::Failure& e) {
        check(e.message() == attachtext, std::string("no Excel: message is ") + e.message());
    }
    expectfailure([&] { link->readrange(1, 1, 1, 1); }, attachtext, "no Excel: readrange");
    expectfailure([&] { link->newbook(); }, attachtext, "no Excel: newbook");
}

void testlists() {
    auto excel = standardexcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeexcellink();

    const auto books = link->listbooks();
    check(books.names == std::vector<std::string>{"Book1.xlsx", "Donn\xc3\xa9"
                                                                "es.xlsx"},
          "listbooks leaves out the personal workbook and keeps Excel's order");
    check(books.active == 0, "listbooks selects the active book");
    check(running.references() == base, "listbooks releases Excel");
    check(link->listbooks().names.size() == 2, "listbooks twice gives the same list");

    const auto sheets = link->listsheets();
    check(sheets.names == std::vector<std::string>{"Data", "Results", "Hidden"},
          "listsheets lists the worksheets only");
    check(sheets.active == 0, "listsheets selects the active sheet");
    check(running.references() == base, "listsheets releases Excel");

    excel->active = excel->find(L"Donn\u00e9es.xlsx");
    check(link->listbooks().active == 1, "listbooks follows the active book");
    check(link->listsheets().names == std::vector<std::string>{"Feuil1"},
          "listsheets lists the active book's worksheets");

    excel->active = excel->find(L"PERSONAL.XLSB");
    check(link->listbooks().active == -1, "the personal workbook active: none selected");

    excel->books.clear();
    excel->active = nullptr;
    check(link->listbooks().names.empty(), "no book open: no books");
    const auto none = link->listsheets();
    check(none.names.empty() && none.active == -1, "no book open: no sheets");
    checkmisuse(*excel, "lists");
}

void testselect() {
    auto excel = standardexcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeexcellink();
    fake::Book& book = *excel->find(L"Book1.xlsx");

    link->selectsheet("results");
    check(book.active == book.find(L"Results"), "selectsheet activates the named sheet");
    check(running.references() == base, "selectsheet releases Excel");

    const int activations = excel->count(L"Worksheet.Activate") + excel->count(L"Chart.Activate");
    expectfailure([&] { link->selectsheet("Chart1"); }, "is a chart sheet", "selectsheet chart");
    expectfailure([&] { link->selectsheet("Nope"); }, "has no sheet named 'Nope'",
                  "selectsheet unknown");
    expectfailure([&] { link->selectsheet("Hidden"); }, "is hidden", "selectsheet hidden");
    expectfailure([&] { link->selectsheet(""); }, "no sheet is chosen", "selectsheet empty");
    check(excel->count(L"Worksheet.Activate") + excel->count(L"Chart.Activate") == activations,
          "a refused selectsheet activates nothing");
    check(book.active == book.find(L"Results"), "a refused selectsheet changes nothing");
    check(running.references() == base, "a refused selectsheet releases Excel");

    link->selectbook("DONN\xc3\x89"
                     "ES.XLSX"); // letter case ignored beyond ASCII too
    check(excel->active == excel->find(L"Donn\u00e9es.xlsx"),
          "selectbook activates the named book");
    expectfailure([&] { link->selectbook("Missing.xlsx"); },
                  "there is no open workbook named 'Missing.xlsx'", "selectbook unknown");
    expectfailure([&] { link->selectbook(""); }, "no workbook is chosen", "selectbook empty");

    // Excel's own refusal reaches the caller with Excel's description.
    excel->failmember = L"Workbook.Activate";
    excel->failcode = static_cast<HRESULT>(0x800A03ECu);
    excel->faildescription = L"Activate method of Workbook class failed";
    expectfailure([&] { link->selectbook("Book1.xlsx"); },
                  "Activate method of Workbook class failed", "Excel's description");
    check(running.references() == base, "a failed selectbook releases Excel");

    // Busy: the call is rejected.
    excel->failmember = L"Application.Workbooks";
    excel->failcode = RPC_E_CALL_REJECTED;
    excel->faildescription.clear();
    expectfailure([&] { link->listbooks(); }, "Excel is busy", "busy Excel");
    checkmisuse(*excel, "select");
}

void testcreate() {
    auto excel = standardexcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeexcellink();
    fake::Book& book = *excel->find(L"Book1.xlsx");

    const std::string inserted = link->newsheet(std::nullopt);
    check(book.sheets.size() == 5 && u8(book.sheets[0]->name) == inserted,
          "newsheet inserts before the active sheet: " + inserted);
    check(book.active == book.sheets[0], "newsheet makes the new sheet active");

    const std::string appended = link->appendsheet(std::nullopt);
    check(book.sheets.size() == 6 && u8(book.sheets.back()->name) == appended &&
              book.sheets[4]->chart,
          "appendsheet places the sheet after the last one, a chart sheet");
    check(book.active == book.sheets.back(), "appendsheet makes the new sheet active");

    check(link->appendsheet(std::string("Kruskal W\xc3\xa4llis")) == "Kruskal W\xc3\xa4llis",
          "appendsheet names the sheet");
    check(u8(book.sheets.back()->name) == "Kruskal W\xc3\xa4llis", "the named sheet is last");

    const int adds = excel->count(L"Worksheets.Add");
    expectfailure([&] { link->newsheet(std::string("kruskal w\xc3\xa4llis")); }, "already",
                  "newsheet with a name taken");
    expectfailure([&] { link->appendsheet(std::string("a/b")); }, "does not allow",
                  "appendsheet with a bad name");
    expectfailure([&] { link->appendsheet(std::string(32, 'x')); }, "31 characters",
                  "appendsheet with a long name");
    check(excel->count(L"Worksheets.Add") == adds, "a refused name adds no sheet");
    check(running.references() == base, "the sheet operations release Excel");

    const std::size_t books = excel->books.size();
    link->newbook();
    check(excel->books.size() == books + 1 && excel->active == excel->books.back(),
          "newbook adds a book and makes it active");
    check(link->listsheets().names == std::vector<std::string>{"Sheet1"},
          "the new book's sheet is listed");

    excel->books.clear();
    excel->active = nullptr;
    expectfailure([&] { link->newsheet(std::nullopt); }, "no workbook is open",
                  "newsheet without a book");
    expectfailure([&] { link->useactivesheet(); }, "no workbook is open",
                  "useactivesheet without a book");
    checkmisuse(*excel, "create");
}

void testwrite() {
    auto excel = standardexcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeexcellink();
    fake::Sheet& sheet = *excel->find(L"Book1.xlsx")->find(L"Data");

    setcell(sheet, 6, 2, VT_R8, 99); // inside the block: replaced by an empty cell
    setcell(sheet, 4, 2, VT_R8, 44); // above the block: stays
    setcell(sheet, 5, 4, VT_R8, 54); // right of the block: stays

    link->useactivesheet();
    check(running.references() == base + 1, "useactivesheet keeps the connection");

    ValueTable table(3, 2);
    table.at(0, 0) = CellValue::makeinteger(12);
    table.at(0, 1) = CellValue::makereal(2.5);
    table.at(1, 0) = CellValue::maketext("NS");
    // (1, 1) empty
    table.at(2, 0) = CellValue::maketext("=1+1");
    table.at(2, 1) = CellValue::maketext("M\xc3\xbcller \xe2\x82\xac");
    link->writerange(2, 3, 5, 7, table, '.');
    check(running.references() == base + 1, "writerange keeps the connection");

    check(type(sheet, 5, 2) == VT_I4 && sheet.get(5, 2)->lVal == 12, "an integer as VT_I4 in B5");
    check(type(sheet, 5, 3) == VT_R8 && sheet.get(5, 3)->dblVal == 2.5, "a real as VT_R8 in C5");
    check(text(sheet, 6, 2) == L"NS" && sheet.prefixed.count({6, 2}) == 1, "a text in B6");
    check(type(sheet, 6, 3) == VT_EMPTY, "an empty value leaves C6 empty");
    check(text(sheet, 7, 2) == L"=1+1" && sheet.formulas.empty(),
          "a text like a formula stays a text");
    check(text(sheet, 7, 3) == L"M\u00fcller \u20ac", "a text beyond ASCII in C7");
    check(type(sheet, 4, 2) == VT_R8 && type(sheet, 5, 4) == VT_R8, "cells outside stay");
    bool formats = sheet.formats.size() == 6 && sheet.localformats.empty();
    for (const auto& [at, format] : sheet.formats) {
        formats = formats && format == L"0.000" && at.first >= 5 && at.first <= 7 &&
                  at.second >= 2 && at.second <= 3;
    }
    check(formats, "every cell of B5:C7 and no other has the format 0.000");

    link->writerange(1, 1, 10, 10, ValueTable(1, 1), ',');
    check(sheet.localformats.size() == 1 && sheet.localformats.begin()->second == L"0,000",
          "with a comma the format is written as the local format 0,000");

    // What was written reads back.
    const ValueTable back = link->readrange(2, 3, 5, 7);
    check(back.at(0, 0) == CellValue::makereal(12) && back.at(0, 1) == CellValue::makereal(2.5) &&
              back.at(1, 0) == CellValue::maketext("NS") &&
              back.at(1, 1) == CellValue::makeempty() &&
              back.at(2, 0) == CellValue::maketext("=1+1") &&
              back.at(2, 1) == CellValue::maketext("M\xc3\xbcller \xe2\x82\xac"),
          "the written block reads back");

    const std::size_t calls = excel->calls.size();
    expectfailure([&] { link->writerange(2, 3, 5, 7, ValueTable(2, 2), '.'); }, "does not fit",
                  "a table of another shape");
    expectfailure([&] { link->writerange(3, 2, 5, 7, ValueTable(3, 0), '.'); },
                  "are not a block of cells", "last column before the first");
    check(excel->calls.size() == calls, "refused shapes call nothing");
    expectfailure([&] { link->writerange(60, 61, 1, 1, ValueTable(1, 2), '.'); },
                  "reaches past the sheet's last column, BH", "past the last column");
    expectfailure([&] { link->writerange(1, 1, 1000, 1001, ValueTable(2, 1), '.'); },
                  "reaches past the sheet's last row, 1000", "past the last row");

    link->disconnect();
    check(running.references() == base, "disconnect releases Excel");
    checkmisuse(*excel, "write");
}

void testread() {
    auto excel = standardexcel();
    Running running(excel);
    const ULONG base = running.references();
    const auto link = kw::com::makeexcellink();

    const ValueTable t = link->readrange(1, 3, 1, 3);
    check(t.rows() == 3 && t.cols() == 3, "readrange gives the block's shape");
    check(t.at(0, 0) == CellValue::maketext("group"), "a text");
    check(t.at(0, 1) == CellValue::maketext("M\xc3\xbcller \xe2\x82\xac"), "a text beyond ASCII");
    check(t.at(1, 0) == CellValue::makereal(2.5), "a number");
    check(t.at(1, 1) == CellValue::makereal(1), "TRUE as 1");
    check(t.at(1, 2) == CellValue::makereal(40969.5), "a date as its serial number");
    check(t.at(2, 0) == CellValue::makereal(1.2345), "a currency amount as its value");
    check(t.at(2, 1) == CellValue::makeerror("#DIV/0!"), "an error value");
    check(t.at(2, 2) == CellValue::makeempty(), "an empty cell");
    check(running.references() == base + 1, "readrange keeps the connection");

    const ValueTable one = link->readrange(2, 2, 1, 1);
    check(one.rows() == 1 && one.cols() == 1 &&
              one.at(0, 0) == CellValue::maketext("M\xc3\xbcller \xe2\x82\xac"),
          "a block of one cell");
    check(link->readrange(5, 5, 5, 5).at(0, 0) == CellValue::makeempty(), "one empty cell");

    // The part of a block off the data: a block of 2 x 2 at B2.
    const ValueTable part = link->readrange(2, 3, 2, 3);
    check(part.at(0, 0) == CellValue::makereal(1) &&
              part.at(1, 0) == CellValue::makeerror("#DIV/0!") &&
              part.at(0, 1) == CellValue::makereal(40969.5),
          "rows and columns of the block in their places");

    expectfailure([&] { link->readrange(1, 1, 1, 1001); }, "last row, 1000", "past the last row");
    expectfailure([&] { link->readrange(0, 1, 1, 1); }, "not a block", "column 0");

    // The sheet active in Excel is read, whatever was selected before.
    fake::Book& book = *excel->find(L"Book1.xlsx");
    book.active = book.find(L"Results");
    setcell(*book.active, 1, 1, VT_BSTR, 0, L"results");
    check(link->readrange(1, 1, 1, 1).at(0, 0) == CellValue::maketext("results"),
          "readrange reads Excel's active sheet");

    // A chart sheet active: refused.
    book.active = book.find(L"Chart1");
    expectfailure([&] { link->readrange(1, 1, 1, 1); }, "is not a worksheet", "chart active");
    book.active = book.find(L"Data");

    // Excel gone while attached: the connection is given up, the next call attaches afresh.
    excel->failmember = L"Range.Value";
    excel->failcode = static_cast<HRESULT>(0x800706BAu); // RPC_S_SERVER_UNAVAILABLE
    excel->faildescription.clear();
    expectfailure([&] { link->readrange(1, 1, 1, 1); }, "closed", "Excel gone");
    check(running.references() == base, "a lost connection is released");
    check(link->readrange(1, 1, 1, 1).at(0, 0) == CellValue::maketext("group"),
          "the next call attaches afresh");
    link->disconnect();
    check(running.references() == base, "disconnect after a read releases Excel");
    checkmisuse(*excel, "read");
}

// Runs work on a thread of its own (which has not initialised COM) while this thread, Excel's
// apartment, serves the calls that come to it until that thread has ended: a thread that ends
// with the connection kept releases it as it ends, by a call to this apartment.
DWORD WINAPI runwork(void* work) {
    try {
        (*static_cast<const std::function<void()>*>(work))();
    } catch (const std::exception& e) {
        check(false, std::string("another thread: ") + e.what());
    }
    return 0;
}

void elsewhere(const std::function<void()>& work) {
    HANDLE thread =
        CreateThread(nullptr, 0, runwork, const_cast<std::function<void()>*>(&work), 0, nullptr);
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

void testthreads() {
    auto excel = standardexcel();
    Running running(excel);
    const auto link = kw::com::makeexcellink();
    fake::Sheet& sheet = *excel->find(L"Book1.xlsx")->find(L"Data");

    elsewhere([&] {
        const auto books = link->listbooks();
        check(books.names.size() == 2 && books.active == 0, "listbooks across apartments");
        const ValueTable t = link->readrange(1, 3, 1, 3);
        check(t.at(0, 1) == CellValue::maketext("M\xc3\xbcller \xe2\x82\xac") &&
                  t.at(1, 2) == CellValue::makereal(40969.5) &&
                  t.at(2, 1) == CellValue::makeerror("#DIV/0!"),
              "readrange across apartments");
    });
    // The connection kept by that thread is given up here, and Excel attached afresh.
    elsewhere([&] {
        ValueTable table(2, 3);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c) {
                table.at(r, c) = CellValue::makeinteger(10 * (r + 1) + c + 1);
            }
        }
        link->writerange(5, 7, 10, 11, table, '.');
        link->appendsheet(std::string("Other thread"));
        link->useactivesheet();
        link->writerange(1, 1, 1, 1, ValueTable(1, 1), '.');
    });
    bool placed = true;
    for (long r = 10; r <= 11; ++r) {
        for (long c = 5; c <= 7; ++c) {
            const VARIANT* v = sheet.get(r, c);
            placed = placed && v != nullptr && v->vt == VT_I4 && v->lVal == 10 * (r - 9) + (c - 4);
        }
    }
    check(placed, "writerange across apartments puts every value in its cell");
    check(u8(excel->find(L"Book1.xlsx")->sheets.back()->name) == "Other thread",
          "appendsheet across apartments");
    checkmisuse(*excel, "threads");
}

} // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::printf("FAILED: COM cannot be initialised\n");
        return 1;
    }
    const std::pair<const char*, void (*)()> tests[] = {
        {"not running", testnotrunning}, {"lists", testlists}, {"select", testselect},
        {"create", testcreate},          {"write", testwrite}, {"read", testread},
        {"threads", testthreads},
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
