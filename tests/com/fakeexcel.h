#pragma once

// A stand-in for Excel's automation objects, for testing the link where no Excel is
// installed: the members the link uses (Workbooks, Worksheets, Sheets, Cells, Range, Value,
// NumberFormat...) on books and sheets held in memory, behind real IDispatch objects that a
// test registers as the running Excel. It checks how it is called (argument types and counts,
// the property-put convention, locale 0) and refuses a wrong call as Excel would.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kw::com::fake {

struct Sheet {
    std::wstring name;
    bool chart = false;
    long visible = -1;                                          // xlSheetVisible; 0 hidden
    std::map<std::pair<long, long>, VARIANT> cells;             // (row, column) from 1; owned
    std::map<std::pair<long, long>, std::wstring> formats;      // NumberFormat
    std::map<std::pair<long, long>, std::wstring> localFormats; // NumberFormatLocal
    std::set<std::pair<long, long>> prefixed; // texts written with Excel's apostrophe prefix
    std::set<std::pair<long, long>> formulas; // texts written that Excel would take as formulas

    Sheet() = default;
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;
    ~Sheet();
    void set(long row, long column, const VARIANT& value); // copies
    void erase(long row, long column);
    const VARIANT* get(long row, long column) const;
};

struct Book {
    std::wstring name;
    std::vector<std::shared_ptr<Sheet>> sheets;
    std::shared_ptr<Sheet> active;
    Sheet& addSheet(const std::wstring& name, bool chart = false);
    std::shared_ptr<Sheet> find(const std::wstring& name) const;
};

struct Excel {
    std::vector<std::shared_ptr<Book>> books;
    std::shared_ptr<Book> active;
    long rows = 1000; // the sheets' size
    long columns = 60;
    int added = 0; // books added by Workbooks.Add

    // Every member called, as "Class.Member" (Application.Workbooks, Range.Value...).
    std::vector<std::wstring> calls;
    // Every call that broke the calling convention, with what was wrong.
    std::vector<std::wstring> misuse;

    // The next call of this member ("Range.Value") fails: with DISP_E_EXCEPTION carrying the
    // description and code when a description is given, else with the code itself.
    std::wstring failMember;
    HRESULT failCode = S_OK;
    std::wstring failDescription;

    Book& addBook(const std::wstring& name, const std::vector<std::wstring>& sheetNames);
    std::shared_ptr<Book> find(const std::wstring& name) const;
    int count(const std::wstring& call) const;
};

// Excel's Application object over the given state, with one reference for the caller.
IDispatch* makeApplication(std::shared_ptr<Excel> excel);

// How many references an object has now.
ULONG references(IUnknown* object);

} // namespace kw::com::fake
