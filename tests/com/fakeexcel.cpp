#include "fakeexcel.h"

#include <algorithm>

namespace kw::com::fake {

namespace {

constexpr HRESULT xlError = static_cast<HRESULT>(0x800A03ECu); // Excel's generic failure

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool isMissing(const VARIANT* v) {
    return v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
}

// What a member call did; an HRESULT and, for DISP_E_EXCEPTION, the description.
struct Outcome {
    Outcome() = default;
    Outcome(HRESULT h) : hr(h) {} // NOLINT: a plain failure code
    Outcome(HRESULT h, std::wstring d, HRESULT s) : hr(h), description(std::move(d)), scode(s) {}
    HRESULT hr = S_OK;
    std::wstring description;
    HRESULT scode = S_OK;
};

Outcome exception(const std::wstring& description, HRESULT scode = xlError) {
    return {DISP_E_EXCEPTION, description, scode};
}

struct Call {
    std::wstring member;
    WORD flags;
    std::vector<VARIANT*> args; // natural order; for a property put, the value is last
    VARIANT* result;
    bool get() const { return (flags & DISPATCH_PROPERTYGET) != 0; }
    bool put() const { return (flags & DISPATCH_PROPERTYPUT) != 0; }
    bool method() const { return (flags & DISPATCH_METHOD) != 0; }
};

class Disp : public IDispatch {
public:
    explicit Disp(std::shared_ptr<Excel> excel) : excel_(std::move(excel)) {}
    virtual ~Disp() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) {
            delete this;
        }
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        if (lcid != 0) {
            misuse(L"GetIDsOfNames with locale " + std::to_wstring(lcid));
        }
        HRESULT hr = S_OK;
        const auto known = members();
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (std::size_t k = 0; k < known.size(); ++k) {
                if (sameName(known[k], names[i])) {
                    ids[i] = static_cast<DISPID>(k + 1);
                }
            }
            if (ids[i] == DISPID_UNKNOWN) {
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        const auto known = members();
        if (id < 1 || static_cast<std::size_t>(id) > known.size()) {
            return DISP_E_MEMBERNOTFOUND;
        }
        Call call{known[static_cast<std::size_t>(id) - 1], flags, {}, result};
        const std::wstring full = className() + L"." + call.member;
        excel_->calls.push_back(full);
        if (lcid != 0) {
            misuse(full + L" with locale " + std::to_wstring(lcid));
        }
        if (params == nullptr) {
            return E_INVALIDARG;
        }
        if (call.put()) {
            if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1) {
                misuse(full + L" put without the DISPID_PROPERTYPUT argument");
                return DISP_E_PARAMNOTOPTIONAL;
            }
        } else if (params->cNamedArgs != 0) {
            misuse(full + L" with named arguments");
            return DISP_E_NONAMEDARGS;
        }
        for (UINT i = params->cArgs; i > 0; --i) {
            call.args.push_back(&params->rgvarg[i - 1]);
        }
        if (excel_->failMember == full) {
            excel_->failMember.clear();
            if (excel_->failDescription.empty()) {
                return excel_->failCode;
            }
            return fill(info, exception(excel_->failDescription, excel_->failCode));
        }
        if (result != nullptr) {
            VariantInit(result);
        }
        return fill(info, invoke(call));
    }

protected:
    virtual std::vector<std::wstring> members() const = 0;
    virtual std::wstring className() const = 0;
    virtual Outcome invoke(Call& call) = 0;

    void misuse(const std::wstring& what) { excel_->misuse.push_back(what); }

    // The result of a get: an object (whose reference passes to the caller) or a value.
    static Outcome give(Call& call, IDispatch* object) {
        if (call.result == nullptr) {
            if (object != nullptr) {
                object->Release();
            }
            return {};
        }
        call.result->vt = VT_DISPATCH;
        call.result->pdispVal = object;
        return {};
    }
    static Outcome give(Call& call, long value) {
        if (call.result != nullptr) {
            call.result->vt = VT_I4;
            call.result->lVal = value;
        }
        return {};
    }
    static Outcome give(Call& call, const std::wstring& text) {
        if (call.result != nullptr) {
            call.result->vt = VT_BSTR;
            call.result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
        return {};
    }

    Outcome wrongArguments(const Call& call, const std::wstring& what) {
        misuse(className() + L"." + call.member + L": " + what);
        return {DISP_E_TYPEMISMATCH};
    }

    // An index argument: a number from 1, or a name.
    static bool number(const VARIANT* v, long& out) {
        VARIANT c;
        VariantInit(&c);
        if (v->vt == VT_BSTR || FAILED(VariantChangeType(&c, const_cast<VARIANT*>(v), 0, VT_I4))) {
            return false;
        }
        out = c.lVal;
        return true;
    }

    std::shared_ptr<Excel> excel_;

private:
    static HRESULT fill(EXCEPINFO* info, const Outcome& o) {
        if (o.hr == DISP_E_EXCEPTION && info != nullptr) {
            *info = EXCEPINFO{};
            info->bstrSource = SysAllocString(L"Microsoft Excel");
            info->bstrDescription =
                o.description.empty() ? nullptr
                                      : SysAllocStringLen(o.description.data(),
                                                          static_cast<UINT>(o.description.size()));
            info->scode = o.scode;
        }
        return o.hr;
    }

    LONG refs_ = 1;
};

class RangeDisp;

class SheetDisp final : public Disp {
public:
    SheetDisp(std::shared_ptr<Excel> e, std::shared_ptr<Book> b, std::shared_ptr<Sheet> s)
        : Disp(std::move(e)), book(std::move(b)), sheet(std::move(s)) {}
    std::shared_ptr<Book> book;
    std::shared_ptr<Sheet> sheet;

protected:
    std::vector<std::wstring> members() const override {
        if (sheet->chart) { // a chart sheet has no cells
            return {L"Name", L"Activate", L"Visible"};
        }
        return {L"Name", L"Activate", L"Visible", L"Cells", L"Range", L"Rows", L"Columns"};
    }
    std::wstring className() const override { return sheet->chart ? L"Chart" : L"Worksheet"; }
    Outcome invoke(Call& call) override;
};

class RangeDisp final : public Disp {
public:
    enum class Kind { cells, rows, columns, block };
    RangeDisp(std::shared_ptr<Excel> e, std::shared_ptr<Sheet> s, Kind k, long r1, long c1, long r2,
              long c2)
        : Disp(std::move(e)), sheet(std::move(s)), kind(k), r1(r1), c1(c1), r2(r2), c2(c2) {}
    std::shared_ptr<Sheet> sheet;
    Kind kind;
    long r1, c1, r2, c2;

protected:
    std::vector<std::wstring> members() const override {
        return {L"Item", L"Count", L"Value", L"NumberFormat", L"NumberFormatLocal"};
    }
    std::wstring className() const override { return L"Range"; }
    Outcome invoke(Call& call) override;

private:
    Outcome getValue(Call& call);
    Outcome putValue(const VARIANT& value);
    void putCell(long row, long col, const VARIANT& v);
};

class SheetsDisp final : public Disp {
public:
    SheetsDisp(std::shared_ptr<Excel> e, std::shared_ptr<Book> b, bool worksheetsOnly)
        : Disp(std::move(e)), book(std::move(b)), worksheets(worksheetsOnly) {}
    std::shared_ptr<Book> book;
    bool worksheets;

protected:
    std::vector<std::wstring> members() const override { return {L"Count", L"Item", L"Add"}; }
    std::wstring className() const override { return worksheets ? L"Worksheets" : L"Sheets"; }
    Outcome invoke(Call& call) override;

private:
    std::vector<std::shared_ptr<Sheet>> items() const {
        std::vector<std::shared_ptr<Sheet>> out;
        for (const auto& s : book->sheets) {
            if (!worksheets || !s->chart) {
                out.push_back(s);
            }
        }
        return out;
    }
};

class BookDisp final : public Disp {
public:
    BookDisp(std::shared_ptr<Excel> e, std::shared_ptr<Book> b)
        : Disp(std::move(e)), book(std::move(b)) {}
    std::shared_ptr<Book> book;

protected:
    std::vector<std::wstring> members() const override {
        return {L"Name", L"Activate", L"ActiveSheet", L"Sheets", L"Worksheets"};
    }
    std::wstring className() const override { return L"Workbook"; }
    Outcome invoke(Call& call) override {
        if (call.member == L"Name") {
            return give(call, book->name);
        }
        if (call.member == L"Activate") {
            excel_->active = book;
            return {};
        }
        if (call.member == L"ActiveSheet") {
            return give(call, book->active ? new SheetDisp(excel_, book, book->active) : nullptr);
        }
        return give(call, new SheetsDisp(excel_, book, call.member == L"Worksheets"));
    }
};

class BooksDisp final : public Disp {
public:
    using Disp::Disp;

protected:
    std::vector<std::wstring> members() const override { return {L"Count", L"Item", L"Add"}; }
    std::wstring className() const override { return L"Workbooks"; }
    Outcome invoke(Call& call) override {
        if (call.member == L"Count") {
            return give(call, static_cast<long>(excel_->books.size()));
        }
        if (call.member == L"Add") {
            if (call.args.size() > 1 || (call.args.size() == 1 && !isMissing(call.args[0]))) {
                return wrongArguments(call, L"a template given");
            }
            ++excel_->added;
            Book& b = excel_->addBook(L"Book" + std::to_wstring(excel_->added), {L"Sheet1"});
            return give(call, new BookDisp(excel_, excel_->find(b.name)));
        }
        if (call.args.size() != 1) {
            return wrongArguments(call, L"not one argument");
        }
        long index = 0;
        if (number(call.args[0], index)) {
            if (index < 1 || index > static_cast<long>(excel_->books.size())) {
                return {DISP_E_BADINDEX};
            }
            return give(call,
                        new BookDisp(excel_, excel_->books[static_cast<std::size_t>(index - 1)]));
        }
        if (call.args[0]->vt != VT_BSTR) {
            return wrongArguments(call, L"an index neither a number nor a name");
        }
        auto b = excel_->find(call.args[0]->bstrVal);
        if (!b) {
            return {DISP_E_BADINDEX};
        }
        return give(call, new BookDisp(excel_, b));
    }
};

class AppDisp final : public Disp {
public:
    using Disp::Disp;

protected:
    std::vector<std::wstring> members() const override {
        return {L"Workbooks", L"ActiveWorkbook", L"ActiveSheet"};
    }
    std::wstring className() const override { return L"Application"; }
    Outcome invoke(Call& call) override {
        if (call.member == L"Workbooks") {
            return give(call, new BooksDisp(excel_));
        }
        if (!excel_->active) {
            return give(call, static_cast<IDispatch*>(nullptr));
        }
        if (call.member == L"ActiveWorkbook") {
            return give(call, new BookDisp(excel_, excel_->active));
        }
        const auto& b = excel_->active;
        return give(call, b->active ? new SheetDisp(excel_, b, b->active) : nullptr);
    }
};

Outcome SheetsDisp::invoke(Call& call) {
    const auto list = items();
    if (call.member == L"Count") {
        return give(call, static_cast<long>(list.size()));
    }
    if (call.member == L"Item") {
        if (call.args.size() != 1) {
            return wrongArguments(call, L"not one argument");
        }
        long index = 0;
        std::shared_ptr<Sheet> s;
        if (number(call.args[0], index)) {
            if (index < 1 || index > static_cast<long>(list.size())) {
                return {DISP_E_BADINDEX};
            }
            s = list[static_cast<std::size_t>(index - 1)];
        } else if (call.args[0]->vt == VT_BSTR) {
            for (const auto& x : list) {
                if (sameName(x->name, call.args[0]->bstrVal)) {
                    s = x;
                }
            }
            if (!s) {
                return {DISP_E_BADINDEX};
            }
        } else {
            return wrongArguments(call, L"an index neither a number nor a name");
        }
        return give(call, new SheetDisp(excel_, book, s));
    }
    // Add(Before, After, Count, Type)
    if (!worksheets) {
        return wrongArguments(call, L"Sheets.Add used");
    }
    if (call.args.size() != 4) {
        return wrongArguments(call,
                              L"Add with " + std::to_wstring(call.args.size()) + L" arguments");
    }
    long type = 0;
    if (!isMissing(call.args[2]) || !number(call.args[3], type) || type != -4167) {
        return wrongArguments(call, L"Count given or Type not xlWorksheet");
    }
    auto sheetOf = [&](const VARIANT* v) -> std::shared_ptr<Sheet> {
        if (v->vt != VT_DISPATCH || v->pdispVal == nullptr) {
            return nullptr;
        }
        auto* d = dynamic_cast<SheetDisp*>(static_cast<Disp*>(v->pdispVal));
        return d != nullptr && d->book == book ? d->sheet : nullptr;
    };
    auto& sheets = book->sheets;
    auto at = std::find(sheets.begin(), sheets.end(), book->active);
    if (!isMissing(call.args[0])) {
        auto before = sheetOf(call.args[0]);
        if (!before || !isMissing(call.args[1])) {
            return wrongArguments(call, L"Before not a sheet of the book, or with After");
        }
        at = std::find(sheets.begin(), sheets.end(), before);
    } else if (!isMissing(call.args[1])) {
        auto after = sheetOf(call.args[1]);
        if (!after) {
            return wrongArguments(call, L"After not a sheet of the book");
        }
        at = std::find(sheets.begin(), sheets.end(), after) + 1;
    }
    int n = static_cast<int>(sheets.size()) + 1;
    while (book->find(L"Sheet" + std::to_wstring(n))) {
        ++n;
    }
    auto s = std::make_shared<Sheet>();
    s->name = L"Sheet" + std::to_wstring(n);
    sheets.insert(at, s);
    book->active = s;
    return give(call, new SheetDisp(excel_, book, s));
}

Outcome SheetDisp::invoke(Call& call) {
    if (call.member == L"Name") {
        if (call.put()) {
            const VARIANT* v = call.args.back();
            if (v->vt != VT_BSTR) {
                return wrongArguments(call, L"a name not a text");
            }
            for (const auto& s : book->sheets) {
                if (s != sheet && sameName(s->name, v->bstrVal)) {
                    return exception(L"That name is already taken. Try a different one.");
                }
            }
            sheet->name = v->bstrVal;
            return {};
        }
        return give(call, sheet->name);
    }
    if (call.member == L"Activate") {
        if (sheet->visible != -1) {
            return exception(L"Activate method of Worksheet class failed");
        }
        book->active = sheet;
        return {};
    }
    if (call.member == L"Visible") {
        return give(call, sheet->visible);
    }
    const long rows = excel_->rows;
    const long cols = excel_->columns;
    if (call.member == L"Cells") {
        return give(call, new RangeDisp(excel_, sheet, RangeDisp::Kind::cells, 1, 1, rows, cols));
    }
    if (call.member == L"Rows") {
        return give(call, new RangeDisp(excel_, sheet, RangeDisp::Kind::rows, 1, 1, rows, cols));
    }
    if (call.member == L"Columns") {
        return give(call, new RangeDisp(excel_, sheet, RangeDisp::Kind::columns, 1, 1, rows, cols));
    }
    // Range(Cell1, Cell2), both ranges of this sheet
    if (call.args.size() != 2) {
        return wrongArguments(call, L"Range without two cells");
    }
    RangeDisp* corner[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
        const VARIANT* v = call.args[static_cast<std::size_t>(i)];
        if (v->vt == VT_DISPATCH && v->pdispVal != nullptr) {
            corner[i] = dynamic_cast<RangeDisp*>(static_cast<Disp*>(v->pdispVal));
        }
        if (corner[i] == nullptr || corner[i]->sheet != sheet) {
            return wrongArguments(call, L"Range with an argument not a range of the sheet");
        }
    }
    return give(call, new RangeDisp(excel_, sheet, RangeDisp::Kind::block,
                                    std::min(corner[0]->r1, corner[1]->r1),
                                    std::min(corner[0]->c1, corner[1]->c1),
                                    std::max(corner[0]->r2, corner[1]->r2),
                                    std::max(corner[0]->c2, corner[1]->c2)));
}

Outcome RangeDisp::invoke(Call& call) {
    if (call.member == L"Count") {
        if (kind == Kind::rows) {
            return give(call, r2 - r1 + 1);
        }
        if (kind == Kind::columns) {
            return give(call, c2 - c1 + 1);
        }
        return give(call, (r2 - r1 + 1) * (c2 - c1 + 1));
    }
    if (call.member == L"Item") {
        long row = 0, col = 0;
        if (kind != Kind::cells) {
            return wrongArguments(call, L"Item on a range other than Cells");
        }
        if (call.args.size() != 2 || call.args[0]->vt != VT_I4 || call.args[1]->vt != VT_I4 ||
            !number(call.args[0], row) || !number(call.args[1], col)) {
            return wrongArguments(call, L"Item without a row and a column");
        }
        if (row < 1 || col < 1 || row > r2 || col > c2) {
            return exception(L"", xlError);
        }
        return give(call, new RangeDisp(excel_, sheet, Kind::block, row, col, row, col));
    }
    if (call.member == L"NumberFormat" || call.member == L"NumberFormatLocal") {
        if (!call.put() || call.args.size() != 1 || call.args[0]->vt != VT_BSTR) {
            return wrongArguments(call, L"not a put of a text");
        }
        auto& target = call.member == L"NumberFormat" ? sheet->formats : sheet->localFormats;
        for (long r = r1; r <= r2; ++r) {
            for (long c = c1; c <= c2; ++c) {
                target[{r, c}] = call.args[0]->bstrVal;
            }
        }
        return {};
    }
    // Value
    if (call.put()) {
        if (call.args.size() != 1) {
            return wrongArguments(call, L"Value put with arguments");
        }
        return putValue(*call.args[0]);
    }
    if (!call.args.empty()) {
        return wrongArguments(call, L"Value with arguments");
    }
    return getValue(call);
}

Outcome RangeDisp::getValue(Call& call) {
    if (call.result == nullptr) {
        return {};
    }
    if (r1 == r2 && c1 == c2) {
        if (const VARIANT* v = sheet->get(r1, c1)) {
            VariantCopy(call.result, const_cast<VARIANT*>(v));
        }
        return {};
    }
    SAFEARRAYBOUND bounds[2];
    bounds[0].cElements = static_cast<ULONG>(r2 - r1 + 1);
    bounds[0].lLbound = 1;
    bounds[1].cElements = static_cast<ULONG>(c2 - c1 + 1);
    bounds[1].lLbound = 1;
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    for (long r = r1; r <= r2; ++r) {
        for (long c = c1; c <= c2; ++c) {
            if (const VARIANT* v = sheet->get(r, c)) {
                LONG index[2] = {r - r1 + 1, c - c1 + 1}; // row, then column
                SafeArrayPutElement(array, index, const_cast<VARIANT*>(v));
            }
        }
    }
    call.result->vt = VT_ARRAY | VT_VARIANT;
    call.result->parray = array;
    return {};
}

void RangeDisp::putCell(long row, long col, const VARIANT& v) {
    const std::pair<long, long> at{row, col};
    sheet->prefixed.erase(at);
    sheet->formulas.erase(at);
    if (v.vt == VT_EMPTY) {
        sheet->erase(row, col);
        return;
    }
    if (v.vt == VT_BSTR && v.bstrVal != nullptr && v.bstrVal[0] == L'\'') {
        // Excel keeps the apostrophe out of the value and shows the rest as a text.
        VARIANT text;
        VariantInit(&text);
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(v.bstrVal + 1);
        sheet->set(row, col, text);
        VariantClear(&text);
        sheet->prefixed.insert(at);
        return;
    }
    if (v.vt == VT_BSTR && v.bstrVal != nullptr && v.bstrVal[0] == L'=') {
        sheet->formulas.insert(at);
    }
    sheet->set(row, col, v);
}

Outcome RangeDisp::putValue(const VARIANT& value) {
    if ((value.vt & VT_ARRAY) == 0) {
        for (long r = r1; r <= r2; ++r) {
            for (long c = c1; c <= c2; ++c) {
                putCell(r, c, value);
            }
        }
        return {};
    }
    if (value.vt != (VT_ARRAY | VT_VARIANT) || SafeArrayGetDim(value.parray) != 2) {
        misuse(L"Range.Value put with an array not of two dimensions of variants");
        return {DISP_E_TYPEMISMATCH};
    }
    LONG l1 = 0, u1 = 0, l2 = 0, u2 = 0;
    SafeArrayGetLBound(value.parray, 1, &l1);
    SafeArrayGetUBound(value.parray, 1, &u1);
    SafeArrayGetLBound(value.parray, 2, &l2);
    SafeArrayGetUBound(value.parray, 2, &u2);
    if (u1 - l1 + 1 != r2 - r1 + 1 || u2 - l2 + 1 != c2 - c1 + 1) {
        misuse(L"Range.Value put with an array of " + std::to_wstring(u1 - l1 + 1) + L"x" +
               std::to_wstring(u2 - l2 + 1) + L" for a block of " + std::to_wstring(r2 - r1 + 1) +
               L"x" + std::to_wstring(c2 - c1 + 1));
        return {DISP_E_TYPEMISMATCH};
    }
    for (long r = r1; r <= r2; ++r) {
        for (long c = c1; c <= c2; ++c) {
            LONG index[2] = {l1 + (r - r1), l2 + (c - c1)}; // row, then column
            VARIANT v;
            VariantInit(&v);
            SafeArrayGetElement(value.parray, index, &v);
            putCell(r, c, v);
            VariantClear(&v);
        }
    }
    return {};
}

} // namespace

Sheet::~Sheet() {
    for (auto& [at, v] : cells) {
        VariantClear(&v);
    }
}

void Sheet::set(long row, long column, const VARIANT& value) {
    erase(row, column);
    VARIANT& v = cells[{row, column}];
    VariantInit(&v);
    VariantCopy(&v, const_cast<VARIANT*>(&value));
}

void Sheet::erase(long row, long column) {
    const auto it = cells.find({row, column});
    if (it != cells.end()) {
        VariantClear(&it->second);
        cells.erase(it);
    }
}

const VARIANT* Sheet::get(long row, long column) const {
    const auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

Sheet& Book::addSheet(const std::wstring& sheetName, bool chart) {
    auto s = std::make_shared<Sheet>();
    s->name = sheetName;
    s->chart = chart;
    sheets.push_back(s);
    if (!active) {
        active = s;
    }
    return *s;
}

std::shared_ptr<Sheet> Book::find(const std::wstring& sheetName) const {
    for (const auto& s : sheets) {
        if (sameName(s->name, sheetName)) {
            return s;
        }
    }
    return nullptr;
}

Book& Excel::addBook(const std::wstring& name, const std::vector<std::wstring>& sheetNames) {
    auto b = std::make_shared<Book>();
    b->name = name;
    for (const auto& s : sheetNames) {
        b->addSheet(s);
    }
    books.push_back(b);
    active = b;
    return *b;
}

std::shared_ptr<Book> Excel::find(const std::wstring& name) const {
    for (const auto& b : books) {
        if (sameName(b->name, name)) {
            return b;
        }
    }
    return nullptr;
}

int Excel::count(const std::wstring& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

IDispatch* makeApplication(std::shared_ptr<Excel> excel) {
    return new AppDisp(std::move(excel));
}

ULONG references(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

} // namespace kw::com::fake
