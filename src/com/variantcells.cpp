#include "com/variantcells.h"

#include "com/excelvalues.h"
#include "core/base/failure.h"

#include <cmath>
#include <cstdint>

namespace kw::com {

namespace {

// SAFEARRAY data is in column-major order: the first index (the row) varies fastest.
std::size_t offset(int row, int column, int rows) {
    return static_cast<std::size_t>(row) +
           static_cast<std::size_t>(column) * static_cast<std::size_t>(rows);
}

class ArrayData {
public:
    explicit ArrayData(SAFEARRAY* array) : array_(array) {
        if (FAILED(SafeArrayAccessData(array_, reinterpret_cast<void**>(&data_)))) {
            throw Failure(Failure::Reason::spreadsheet,
                          "the values of the block cannot be reached");
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

void setCell(VARIANT& cell, const CellValue& value) {
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
            cell.scode = static_cast<SCODE>(*errorCode("#NUM!"));
        }
        return;
    case CellValue::Kind::text:
        cell.bstrVal = newBstr(cellText(value.text));
        cell.vt = VT_BSTR;
        return;
    case CellValue::Kind::error:
        cell.vt = VT_ERROR;
        cell.scode = static_cast<SCODE>(errorCode(value.text).value_or(*errorCode("#N/A")));
        return;
    }
}

} // namespace

CellValue cellFrom(const VARIANT& v) {
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return CellValue::makeEmpty();
    case VT_R8:
        return CellValue::makeReal(v.dblVal);
    case VT_R4:
        return CellValue::makeReal(v.fltVal);
    case VT_I1:
        return CellValue::makeReal(v.cVal);
    case VT_UI1:
        return CellValue::makeReal(v.bVal);
    case VT_I2:
        return CellValue::makeReal(v.iVal);
    case VT_UI2:
        return CellValue::makeReal(v.uiVal);
    case VT_I4:
        return CellValue::makeReal(v.lVal);
    case VT_UI4:
        return CellValue::makeReal(v.ulVal);
    case VT_INT:
        return CellValue::makeReal(v.intVal);
    case VT_UINT:
        return CellValue::makeReal(v.uintVal);
    case VT_I8:
        return CellValue::makeReal(static_cast<double>(v.llVal));
    case VT_UI8:
        return CellValue::makeReal(static_cast<double>(v.ullVal));
    case VT_CY:
        return CellValue::makeReal(currencyValue(v.cyVal.int64));
    case VT_DATE:
        return CellValue::makeReal(serialFromDate(v.date));
    case VT_BOOL: // Excel's numeric value of TRUE is 1
        return CellValue::makeReal(v.boolVal != VARIANT_FALSE ? 1.0 : 0.0);
    case VT_BSTR:
        return CellValue::makeText(narrowText(v.bstrVal));
    case VT_ERROR:
        return CellValue::makeError(errorText(static_cast<std::uint32_t>(v.scode)));
    default:
        break;
    }
    // Anything else (a decimal, say): as a number if it is one, else as its text.
    Variant out;
    if (SUCCEEDED(VariantChangeType(&out.v, const_cast<VARIANT*>(&v), 0, VT_R8))) {
        return CellValue::makeReal(out.v.dblVal);
    }
    if (SUCCEEDED(VariantChangeType(&out.v, const_cast<VARIANT*>(&v), 0, VT_BSTR))) {
        return CellValue::makeText(narrowText(out.v.bstrVal));
    }
    return CellValue::makeError("value of variant type " + std::to_string(v.vt));
}

std::string blockShape(int rows, int columns) {
    return std::to_string(rows) + " rows and " + std::to_string(columns) + " columns";
}

ValueTable tableFrom(const VARIANT& value, int rows, int columns) {
    ValueTable table(rows, columns);
    if ((value.vt & VT_ARRAY) == 0) {
        if (rows != 1 || columns != 1) {
            throw Failure(Failure::Reason::spreadsheet,
                          "Excel gave a single value for a block of " + blockShape(rows, columns));
        }
        table.at(0, 0) = cellFrom(value);
        return table;
    }
    if (value.vt != (VT_ARRAY | VT_VARIANT) || value.parray == nullptr ||
        SafeArrayGetDim(value.parray) != 2) {
        throw Failure(Failure::Reason::spreadsheet,
                      "Excel gave the block's values in a form the program does not know "
                      "(variant type " +
                          std::to_string(value.vt) + ")");
    }
    SAFEARRAY* array = value.parray;
    LONG rowLow = 0, rowHigh = -1, columnLow = 0, columnHigh = -1;
    SafeArrayGetLBound(array, 1, &rowLow);
    SafeArrayGetUBound(array, 1, &rowHigh);
    SafeArrayGetLBound(array, 2, &columnLow);
    SafeArrayGetUBound(array, 2, &columnHigh);
    const long gotRows = rowHigh - rowLow + 1;
    const long gotColumns = columnHigh - columnLow + 1;
    if (gotRows != rows || gotColumns != columns) {
        throw Failure(Failure::Reason::spreadsheet,
                      "Excel gave a block of " +
                          blockShape(static_cast<int>(gotRows), static_cast<int>(gotColumns)) +
                          " for one of " + blockShape(rows, columns));
    }
    ArrayData data(array);
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            table.at(r, c) = cellFrom(data[offset(r, c, rows)]);
        }
    }
    return table;
}

Variant arrayFrom(const ValueTable& table) {
    SAFEARRAYBOUND bounds[2];
    bounds[0].cElements = static_cast<ULONG>(table.rowCount()); // the first index: rows, from 1
    bounds[0].lLbound = 1;
    bounds[1].cElements = static_cast<ULONG>(table.columnCount());
    bounds[1].lLbound = 1;
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (array == nullptr) {
        throw Failure(Failure::Reason::outOfMemory,
                      "out of memory for a block of " +
                          blockShape(table.rowCount(), table.columnCount()));
    }
    Variant out;
    out.v.vt = VT_ARRAY | VT_VARIANT;
    out.v.parray = array; // owned by `out` from here
    ArrayData data(array);
    for (int c = 0; c < table.columnCount(); ++c) {
        for (int r = 0; r < table.rowCount(); ++r) {
            setCell(data[offset(r, c, table.rowCount())], table.at(r, c));
        }
    }
    return out;
}

} // namespace kw::com
