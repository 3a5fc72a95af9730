#include "excellink.h"

#include "excelparts.h"
#include "failure.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw::com {

namespace {

// Excel's application class, and the program identifier it is registered under.
const CLSID excelclass = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr char excelclassid[] = "{00024500-0000-0000-C000-000000000046}";
constexpr char excelprogid[] = "Excel.Application";

constexpr long xlWorksheet = -4167; // XlSheetType: the type of sheet Worksheets.Add makes
constexpr long xlSheetVisible = -1; // XlSheetVisibility
constexpr LCID neutrallocale = 0;   // the locale argument of every call

// --- Texts

std::wstring wide(std::string_view text) {
    if (const auto utf16 = utf16from(text)) {
        return std::wstring(utf16->begin(), utf16->end());
    }
    // Not UTF-8: a text that came from a file in the system's code page.
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    }
    return out;
}

std::string narrow(const wchar_t* text, std::size_t length) {
    return utf8from(std::u16string(text, text + length));
}

std::string narrow(BSTR text) {
    return text != nullptr ? narrow(text, SysStringLen(text)) : std::string();
}

std::string quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

// The system's text for an error code; empty when it has none (Excel's own codes).
std::string systemtext(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::string out;
    if (n > 0 && buffer != nullptr) {
        out = narrow(buffer, n);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
            out.pop_back();
        }
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    return out;
}

// Names compared as Excel compares book and sheet names: letter case ignored, in all scripts.
bool samename(std::string_view a, std::string_view b) {
    const std::wstring x = wide(a);
    const std::wstring y = wide(b);
    return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

// --- COM for the calling thread

class ComScope {
public:
    ComScope() {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (hr == S_OK || hr == S_FALSE) {
            owns_ = true;
        } else if (hr != RPC_E_CHANGED_MODE) { // RPC_E_CHANGED_MODE: a multithreaded apartment
            throw Failure::plain("COM cannot be used on this thread: " + systemtext(hr) + " (" +
                                 hexcode(static_cast<std::uint32_t>(hr)) + ")");
        }
    }
    ~ComScope() {
        if (owns_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // For a scope that belongs to another thread, which alone could end it.
    void abandon() { owns_ = false; }

private:
    bool owns_ = false;
};

// --- Calls

// A failed call of an Excel member: what the operation turns into a kw::Failure.
struct CallError {
    HRESULT hr;
    std::string message;
};

// An IDispatch reference of Excel's object model and the members that reached it (for
// messages: "ActiveWorkbook.Worksheets").
class Object {
public:
    Object() = default;
    Object(IDispatch* p, std::string path) : p_(p), path_(std::move(path)) {} // takes the reference
    Object(const Object& o) : p_(o.p_), path_(o.path_) {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    Object(Object&& o) noexcept : p_(std::exchange(o.p_, nullptr)), path_(std::move(o.path_)) {}
    Object& operator=(Object o) noexcept {
        std::swap(p_, o.p_);
        std::swap(path_, o.path_);
        return *this;
    }
    ~Object() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    IDispatch* get() const { return p_; }
    const std::string& path() const { return path_; }
    std::string member(std::wstring_view name) const {
        const std::string n = narrow(name.data(), name.size());
        return path_.empty() ? n : path_ + "." + n;
    }
    // Forgets the reference without releasing it (it belongs to another thread's apartment).
    void abandon() { p_ = nullptr; }

private:
    IDispatch* p_ = nullptr;
    std::string path_;
};

class Variant {
public:
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(Variant&& o) noexcept : v(o.v) { VariantInit(&o.v); }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            VariantClear(&v);
            v = o.v;
            VariantInit(&o.v);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

Variant arg(long value) {
    Variant a;
    a.v.vt = VT_I4;
    a.v.lVal = value;
    return a;
}

BSTR bstr(std::string_view text) {
    const std::wstring w = wide(text);
    BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (b == nullptr) {
        throw Failure::plain("out of memory for a text to give to Excel");
    }
    return b;
}

Variant arg(std::string_view text) {
    Variant a;
    a.v.bstrVal = bstr(text);
    a.v.vt = VT_BSTR;
    return a;
}

Variant arg(const Object& object) {
    Variant a;
    a.v.vt = VT_DISPATCH;
    a.v.pdispVal = object.get();
    if (a.v.pdispVal != nullptr) {
        a.v.pdispVal->AddRef();
    }
    return a;
}

// An optional argument not given.
Variant missing() {
    Variant a;
    a.v.vt = VT_ERROR;
    a.v.scode = DISP_E_PARAMNOTFOUND;
    return a;
}

template <class... A> std::vector<Variant> args(A&&... a) {
    std::vector<Variant> out;
    out.reserve(sizeof...(a));
    (out.push_back(std::forward<A>(a)), ...);
    return out;
}

[[noreturn]] void callfailed(const std::string& member, HRESULT hr, const EXCEPINFO* info) {
    std::string description;
    HRESULT code = hr;
    if (info != nullptr) {
        description = narrow(info->bstrDescription);
        if (FAILED(info->scode)) {
            code = info->scode;
        }
    }
    throw CallError{
        code, callmessage(member, description, systemtext(code), static_cast<std::uint32_t>(code))};
}

// One call of a member by name: GetIDsOfNames, then Invoke with the arguments (given here in
// their natural order) in reverse order, as IDispatch takes them.
Variant invoke(const Object& object, std::wstring_view name, WORD flags,
               std::vector<Variant> arguments) {
    const std::string member = object.member(name);
    std::wstring namez(name);
    LPOLESTR names[] = {namez.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object.get()->GetIDsOfNames(IID_NULL, names, 1, neutrallocale, &id);
    if (FAILED(hr)) {
        callfailed(member, hr, nullptr);
    }
    std::vector<VARIANTARG> reversed(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        reversed[i] = arguments[arguments.size() - 1 - i].v; // still owned by `arguments`
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
        params.rgdispidNamedArgs = &named; // the value put is the named argument rgvarg[0]
        params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO info{};
    UINT argerror = 0;
    hr = object.get()->Invoke(id, IID_NULL, neutrallocale, flags, &params,
                              (flags & DISPATCH_PROPERTYPUT) != 0 ? nullptr : &result.v, &info,
                              &argerror);
    if (FAILED(hr)) {
        if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn != nullptr) {
            info.pfnDeferredFillIn(&info);
        }
        struct Clear {
            EXCEPINFO& info;
            ~Clear() {
                SysFreeString(info.bstrSource);
                SysFreeString(info.bstrDescription);
                SysFreeString(info.bstrHelpFile);
            }
        } clear{info};
        callfailed(member, hr, hr == DISP_E_EXCEPTION ? &info : nullptr);
    }
    return result;
}

Variant getvalue(const Object& object, std::wstring_view name,
                 std::vector<Variant> arguments = {}) {
    return invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(arguments));
}

// The object a member gives, or nothing (Excel's Nothing, or no value).
std::optional<Object> optionalobject(const Object& object, std::wstring_view name,
                                     std::vector<Variant> arguments = {}) {
    Variant r = getvalue(object, name, std::move(arguments));
    if (r.v.vt == VT_DISPATCH) {
        if (r.v.pdispVal == nullptr) {
            return std::nullopt;
        }
        return Object(std::exchange(r.v.pdispVal, nullptr), object.member(name));
    }
    if (r.v.vt == VT_UNKNOWN && r.v.punkVal != nullptr) {
        IDispatch* d = nullptr;
        if (SUCCEEDED(r.v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) {
            return Object(d, object.member(name));
        }
    }
    if (r.v.vt == VT_EMPTY || r.v.vt == VT_NULL || r.v.vt == VT_UNKNOWN) {
        return std::nullopt;
    }
    throw CallError{DISP_E_TYPEMISMATCH,
                    "Excel gave a value and not an object for " + object.member(name)};
}

Object getobject(const Object& object, std::wstring_view name,
                 std::vector<Variant> arguments = {}) {
    auto o = optionalobject(object, name, std::move(arguments));
    if (!o) {
        throw CallError{E_POINTER, "Excel gave nothing for " + object.member(name)};
    }
    return std::move(*o);
}

Variant converted(const Object& object, std::wstring_view name, VARTYPE type) {
    Variant r = getvalue(object, name);
    Variant out;
    const HRESULT hr = VariantChangeType(&out.v, &r.v, 0, type);
    if (FAILED(hr)) {
        callfailed(object.member(name), hr, nullptr);
    }
    return out;
}

long getlong(const Object& object, std::wstring_view name) {
    return converted(object, name, VT_I4).v.lVal;
}

std::string gettext(const Object& object, std::wstring_view name) {
    return narrow(converted(object, name, VT_BSTR).v.bstrVal);
}

void put(const Object& object, std::wstring_view name, Variant value) {
    invoke(object, name, DISPATCH_PROPERTYPUT, args(std::move(value)));
}

void call(const Object& object, std::wstring_view name, std::vector<Variant> arguments = {}) {
    invoke(object, name, DISPATCH_METHOD, std::move(arguments));
}

bool hasmember(const Object& object, std::wstring_view name) {
    std::wstring namez(name);
    LPOLESTR names[] = {namez.data()};
    DISPID id = DISPID_UNKNOWN;
    return SUCCEEDED(object.get()->GetIDsOfNames(IID_NULL, names, 1, neutrallocale, &id));
}

// The names of the items of a collection (Workbooks, Sheets, Worksheets), in its order.
std::vector<std::string> namesof(const Object& collection) {
    const long n = getlong(collection, L"Count");
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
    for (long i = 1; i <= n; ++i) {
        names.push_back(gettext(getobject(collection, L"Item", args(arg(i))), L"Name"));
    }
    return names;
}

// --- Excel's objects as the operations need them

Object activebook(const Object& app) {
    auto book = optionalobject(app, L"ActiveWorkbook");
    if (!book) {
        throw Failure::plain("no workbook is open in Excel (a workbook shown in Protected View "
                             "counts only after its editing is enabled)");
    }
    return std::move(*book);
}

Object activeworksheet(const Object& app) {
    const Object book = activebook(app);
    auto sheet = optionalobject(book, L"ActiveSheet");
    if (!sheet) {
        throw Failure::plain("the workbook " + quoted(gettext(book, L"Name")) +
                             " has no active sheet in Excel");
    }
    if (!hasmember(*sheet, L"Cells")) {
        throw Failure::plain("the active sheet " + quoted(gettext(*sheet, L"Name")) +
                             " is not a worksheet (a chart sheet has no cells): make a worksheet "
                             "the active sheet");
    }
    return std::move(*sheet);
}

void checkblock(int c1, int c2, int r1, int r2) {
    if (c1 < 1 || r1 < 1 || c2 < c1 || r2 < r1) {
        throw Failure::plain("columns " + std::to_string(c1) + " to " + std::to_string(c2) +
                             " and rows " + std::to_string(r1) + " to " + std::to_string(r2) +
                             " are not a block of cells");
    }
}

// Range(Cells.Item(r1, c1), Cells.Item(r2, c2)) of a worksheet, refused beforehand when it
// reaches past the sheet's last column or row.
Object blockof(const Object& sheet, int c1, int c2, int r1, int r2) {
    const long lastcolumn = getlong(getobject(sheet, L"Columns"), L"Count");
    const long lastrow = getlong(getobject(sheet, L"Rows"), L"Count");
    if (c2 > lastcolumn) {
        throw Failure::plain("the block " + colletters(c1) + std::to_string(r1) + ":" +
                             colletters(c2) + std::to_string(r2) +
                             " reaches past the sheet's last column, " + colletters(lastcolumn));
    }
    if (r2 > lastrow) {
        throw Failure::plain("the block " + colletters(c1) + std::to_string(r1) + ":" +
                             colletters(c2) + std::to_string(r2) +
                             " reaches past the sheet's last row, " + std::to_string(lastrow));
    }
    const Object cells = getobject(sheet, L"Cells");
    const Object first = getobject(cells, L"Item", args(arg(long{r1}), arg(long{c1})));
    const Object last = getobject(cells, L"Item", args(arg(long{r2}), arg(long{c2})));
    return getobject(sheet, L"Range", args(arg(first), arg(last)));
}

// --- Values

CellValue cellfrom(const VARIANT& v) {
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return CellValue::makeempty();
    case VT_R8:
        return CellValue::makereal(v.dblVal);
    case VT_R4:
        return CellValue::makereal(v.fltVal);
    case VT_I1:
        return CellValue::makereal(v.cVal);
    case VT_UI1:
        return CellValue::makereal(v.bVal);
    case VT_I2:
        return CellValue::makereal(v.iVal);
    case VT_UI2:
        return CellValue::makereal(v.uiVal);
    case VT_I4:
        return CellValue::makereal(v.lVal);
    case VT_UI4:
        return CellValue::makereal(v.ulVal);
    case VT_INT:
        return CellValue::makereal(v.intVal);
    case VT_UINT:
        return CellValue::makereal(v.uintVal);
    case VT_I8:
        return CellValue::makereal(static_cast<double>(v.llVal));
    case VT_UI8:
        return CellValue::makereal(static_cast<double>(v.ullVal));
    case VT_CY:
        return CellValue::makereal(currencyvalue(v.cyVal.int64));
    case VT_DATE:
        return CellValue::makereal(serialfromdate(v.date));
    case VT_BOOL: // Excel's numeric value of TRUE is 1
        return CellValue::makereal(v.boolVal != VARIANT_FALSE ? 1.0 : 0.0);
    case VT_BSTR:
        return CellValue::maketext(narrow(v.bstrVal));
    case VT_ERROR:
        return CellValue::makeerror(errortext(static_cast<std::uint32_t>(v.scode)));
    default:
        break;
    }
    // Anything else (a decimal, say): as a number if it is one, else as its text.
    Variant out;
    if (SUCCEEDED(VariantChangeType(&out.v, const_cast<VARIANT*>(&v), 0, VT_R8))) {
        return CellValue::makereal(out.v.dblVal);
    }
    if (SUCCEEDED(VariantChangeType(&out.v, const_cast<VARIANT*>(&v), 0, VT_BSTR))) {
        return CellValue::maketext(narrow(out.v.bstrVal));
    }
    return CellValue::makeerror("value of variant type " + std::to_string(v.vt));
}

// SAFEARRAY data is in column-major order: the first index (the row) varies fastest.
std::size_t offset(int row, int col, int rows) {
    return static_cast<std::size_t>(row) +
           static_cast<std::size_t>(col) * static_cast<std::size_t>(rows);
}

class ArrayData {
public:
    explicit ArrayData(SAFEARRAY* array) : array_(array) {
        if (FAILED(SafeArrayAccessData(array_, reinterpret_cast<void**>(&data_)))) {
            throw Failure::plain("the values of the block cannot be reached");
        }
    }
    ~ArrayData() { SafeArrayUnaccessData(array_); }
    ArrayData(const ArrayData&) = delete;
    ArrayData& operator=(const ArrayData&) = delete;
    VARIANT& operator[](std::size_t i) { return data_[i]; }

private:
    SAFEARRAY* array_;
    VARIANT* data_ = nullptr;
};

std::string shape(int rows, int cols) {
    return std::to_string(rows) + " rows and " + std::to_string(cols) + " columns";
}

// The Value of a block: a two-dimensional array of variants (rows first), or for a block of
// one cell that cell's value alone.
ValueTable tablefrom(const VARIANT& value, int rows, int cols) {
    ValueTable table(rows, cols);
    if ((value.vt & VT_ARRAY) == 0) {
        if (rows != 1 || cols != 1) {
            throw Failure::plain("Excel gave a single value for a block of " + shape(rows, cols));
        }
        table.at(0, 0) = cellfrom(value);
        return table;
    }
    if (value.vt != (VT_ARRAY | VT_VARIANT) || value.parray == nullptr ||
        SafeArrayGetDim(value.parray) != 2) {
        throw Failure::plain("Excel gave the block's values in a form the program does not know "
                             "(variant type " +
                             std::to_string(value.vt) + ")");
    }
    SAFEARRAY* array = value.parray;
    LONG rowlow = 0, rowhigh = -1, collow = 0, colhigh = -1;
    SafeArrayGetLBound(array, 1, &rowlow);
    SafeArrayGetUBound(array, 1, &rowhigh);
    SafeArrayGetLBound(array, 2, &collow);
    SafeArrayGetUBound(array, 2, &colhigh);
    const long gotrows = rowhigh - rowlow + 1;
    const long gotcols = colhigh - collow + 1;
    if (gotrows != rows || gotcols != cols) {
        throw Failure::plain("Excel gave a block of " +
                             shape(static_cast<int>(gotrows), static_cast<int>(gotcols)) +
                             " for one of " + shape(rows, cols));
    }
    ArrayData data(array);
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            table.at(r, c) = cellfrom(data[offset(r, c, rows)]);
        }
    }
    return table;
}

void setcell(VARIANT& cell, const CellValue& value) {
    switch (value.kind) {
    case CellValue::Kind::empty:
        return; // SafeArrayCreate left it VT_EMPTY
    case CellValue::Kind::integer:
        cell.vt = VT_I4;
        cell.lVal = value.integer;
        return;
    case CellValue::Kind::real:
        if (std::isfinite(value.real)) {
            cell.vt = VT_R8;
            cell.dblVal = value.real;
        } else { // Excel has no infinities or NaN: its #NUM! stands for them
            cell.vt = VT_ERROR;
            cell.scode = static_cast<SCODE>(*errorcode("#NUM!"));
        }
        return;
    case CellValue::Kind::text:
        cell.bstrVal = bstr(celltext(value.text));
        cell.vt = VT_BSTR;
        return;
    case CellValue::Kind::error:
        cell.vt = VT_ERROR;
        cell.scode = static_cast<SCODE>(errorcode(value.text).value_or(*errorcode("#N/A")));
        return;
    }
}

Variant arrayfrom(const ValueTable& table) {
    SAFEARRAYBOUND bounds[2];
    bounds[0].cElements = static_cast<ULONG>(table.rows()); // the first index: rows, from 1
    bounds[0].lLbound = 1;
    bounds[1].cElements = static_cast<ULONG>(table.cols());
    bounds[1].lLbound = 1;
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (array == nullptr) {
        throw Failure::plain("out of memory for a block of " + shape(table.rows(), table.cols()));
    }
    Variant out;
    out.v.vt = VT_ARRAY | VT_VARIANT;
    out.v.parray = array; // owned by `out` from here
    ArrayData data(array);
    for (int c = 0; c < table.cols(); ++c) {
        for (int r = 0; r < table.rows(); ++r) {
            setcell(data[offset(r, c, table.rows())], table.at(r, c));
        }
    }
    return out;
}

// --- The link

std::string progid() {
    LPOLESTR id = nullptr;
    std::string out = excelprogid;
    if (SUCCEEDED(ProgIDFromCLSID(excelclass, &id)) && id != nullptr) {
        out = narrow(id, wcslen(id));
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

    Listing listbooks() override {
        return run(false, [&](const Object& app) {
            const Object books = getobject(app, L"Workbooks");
            std::vector<std::string> names = namesof(books);
            std::optional<std::string> active;
            if (const auto book = optionalobject(app, L"ActiveWorkbook")) {
                active = gettext(*book, L"Name");
            }
            return booklisting(std::move(names), active, samename);
        });
    }

    Listing listsheets() override {
        return run(false, [&](const Object& app) {
            const auto book = optionalobject(app, L"ActiveWorkbook");
            if (!book) {
                return Listing{};
            }
            std::vector<std::string> names = namesof(getobject(*book, L"Worksheets"));
            std::optional<std::string> active;
            if (const auto sheet = optionalobject(*book, L"ActiveSheet")) {
                active = gettext(*sheet, L"Name");
            }
            return sheetlisting(std::move(names), active, samename);
        });
    }

    void newbook() override {
        run(false, [&](const Object& app) {
            call(getobject(app, L"Workbooks"), L"Add", args(missing()));
        });
    }

    std::string newsheet(const std::optional<std::string>& name) override {
        return addsheet(name, false);
    }

    std::string appendsheet(const std::optional<std::string>& name) override {
        return addsheet(name, true);
    }

    void selectbook(const std::string& name) override {
        if (name.empty()) {
            throw Failure::plain(
                "no workbook is chosen: choose one of the workbooks open in Excel");
        }
        run(false, [&](const Object& app) {
            const Object books = getobject(app, L"Workbooks");
            const std::vector<std::string> names = namesof(books);
            const auto at = findname(names, name, samename);
            if (!at) {
                throw Failure::plain("there is no open workbook named " + quoted(name) +
                                     " in Excel");
            }
            call(getobject(books, L"Item", args(arg(names[*at]))), L"Activate");
        });
    }

    void selectsheet(const std::string& name) override {
        if (name.empty()) {
            throw Failure::plain(
                "no sheet is chosen: choose one of the worksheets of the workbook");
        }
        run(false, [&](const Object& app) {
            const Object book = activebook(app);
            const std::vector<std::string> names = namesof(getobject(book, L"Worksheets"));
            const Object sheets = getobject(book, L"Sheets");
            const auto at = findname(names, name, samename);
            if (!at) {
                const std::string bookname = gettext(book, L"Name");
                if (findname(namesof(sheets), name, samename)) {
                    throw Failure::plain("the sheet " + quoted(name) + " of the workbook " +
                                         quoted(bookname) + " is a chart sheet, not a worksheet");
                }
                throw Failure::plain("the workbook " + quoted(bookname) + " has no sheet named " +
                                     quoted(name));
            }
            const Object sheet = getobject(sheets, L"Item", args(arg(names[*at])));
            if (getlong(sheet, L"Visible") != xlSheetVisible) {
                throw Failure::plain("the sheet " + quoted(names[*at]) + " of the workbook " +
                                     quoted(gettext(book, L"Name")) +
                                     " is hidden: unhide it in Excel first");
            }
            call(sheet, L"Activate");
        });
    }

    void useactivesheet() override {
        run(true, [&](const Object& app) { (void)activeworksheet(app); });
    }

    ValueTable readrange(int c1, int c2, int r1, int r2) override {
        checkblock(c1, c2, r1, r2);
        return run(true, [&](const Object& app) {
            const Object block = blockof(activeworksheet(app), c1, c2, r1, r2);
            const Variant value = getvalue(block, L"Value");
            return tablefrom(value.v, r2 - r1 + 1, c2 - c1 + 1);
        });
    }

    void writerange(int c1, int c2, int r1, int r2, const ValueTable& table,
                    char decimal) override {
        checkblock(c1, c2, r1, r2);
        if (table.rows() != r2 - r1 + 1 || table.cols() != c2 - c1 + 1) {
            throw Failure::plain("a table of " + shape(table.rows(), table.cols()) +
                                 " does not fit a block of " + shape(r2 - r1 + 1, c2 - c1 + 1));
        }
        run(true, [&](const Object& app) {
            const Object block = blockof(activeworksheet(app), c1, c2, r1, r2);
            const NumberFormatWrite format = threedecimals(decimal);
            put(block, std::wstring(format.property.begin(), format.property.end()),
                arg(format.format));
            put(block, L"Value", arrayfrom(table));
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
        if (conn_ && conn_->thread != GetCurrentThreadId()) {
            detach();
        }
        if (conn_) {
            return conn_->app;
        }
        auto com = std::make_unique<ComScope>();
        IUnknown* unknown = nullptr;
        const HRESULT hr = GetActiveObject(excelclass, nullptr, &unknown);
        if (FAILED(hr) || unknown == nullptr) {
            std::string message = attachmessage(progid(), excelclassid);
            if (hr != MK_E_UNAVAILABLE && FAILED(hr)) {
                const std::string text = systemtext(hr);
                message +=
                    " (" + (text.empty() ? hexcode(static_cast<std::uint32_t>(hr)) : text) + ")";
            }
            throw Failure::plain(message);
        }
        IDispatch* app = nullptr;
        const HRESULT qi = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&app));
        unknown->Release();
        if (FAILED(qi) || app == nullptr) {
            throw Failure::plain("the running Excel offers no automation interface: " +
                                 systemtext(qi));
        }
        conn_.emplace(Connection{Object(app, {}), GetCurrentThreadId(), std::move(com)});
        return conn_->app;
    }

    void detach() noexcept {
        if (!conn_) {
            return;
        }
        if (conn_->thread != GetCurrentThreadId()) {
            // Kept by another thread: its references can be released only there (ending that
            // thread's COM releases them).
            conn_->app.abandon();
            conn_->com->abandon();
        }
        conn_.reset(); // the reference first, then the thread's COM
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
            if (isdisconnection(static_cast<std::uint32_t>(e.hr))) {
                detach();
            }
            throw Failure::plain(e.message);
        }
    }

    std::string addsheet(const std::optional<std::string>& name, bool append) {
        if (name) {
            if (const auto problem = sheetnameproblem(*name)) {
                throw Failure::plain(*problem);
            }
        }
        return run(false, [&](const Object& app) {
            const Object book = activebook(app);
            const Object sheets = getobject(book, L"Sheets");
            if (name && findname(namesof(sheets), *name, samename)) {
                throw Failure::plain("the workbook " + quoted(gettext(book, L"Name")) +
                                     " has a sheet named " + quoted(*name) + " already");
            }
            Variant after = missing();
            if (append) { // after the last sheet, whatever its kind
                after = arg(getobject(sheets, L"Item", args(arg(getlong(sheets, L"Count")))));
            }
            call(getobject(book, L"Worksheets"), L"Add",
                 args(missing(), std::move(after), missing(), arg(xlWorksheet)));
            // Excel makes the new worksheet the active sheet of the active workbook.
            const Object sheet = getobject(activebook(app), L"ActiveSheet");
            if (name) {
                put(sheet, L"Name", arg(*name));
            }
            return gettext(sheet, L"Name");
        });
    }

    std::optional<Connection> conn_;
};

} // namespace

std::unique_ptr<kw::SpreadsheetLink> makeexcellink() {
    return std::make_unique<ExcelLink>();
}

} // namespace kw::com
