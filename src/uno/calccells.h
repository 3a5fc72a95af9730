#pragma once

// Cells between the link and Calc: values as Calc's block arrays hold them, and the number
// format the written blocks get.

#include "core/sheet/valuetable.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Reference.hxx>

namespace kw::uno {

// A cell's value from getDataArray: a number, a text (an empty text: an empty cell), or an
// error value (a void value), whose shown text the caller looks up.
CellValue cellValue(const css::uno::Any& value);

// A value for setDataArray: numbers as doubles, texts as texts, empty and error values as an
// empty text, which leaves an empty cell.
css::uno::Any cellAny(const CellValue& value);

// The key of the number format "0" + decimal + "000" in the document, created when it is not
// there yet. The locale fixes what the decimal mark means in the format code.
sal_Int32 threeDecimalsFormat(const css::uno::Reference<css::sheet::XSpreadsheetDocument>& book,
                              char decimal);

} // namespace kw::uno
