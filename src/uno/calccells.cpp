#include "uno/calccells.h"

#include "core/base/failure.h"
#include "uno/unotext.h"

#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

namespace kw::uno {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using rtl::OUString;

CellValue cellValue(const Any& value) {
    switch (value.getValueTypeClass()) {
    case css::uno::TypeClass_DOUBLE:
        return CellValue::makeReal(*static_cast<const double*>(value.getValue()));
    case css::uno::TypeClass_STRING: {
        std::string text = fromOUString(*static_cast<const OUString*>(value.getValue()));
        return text.empty() ? CellValue::makeEmpty() : CellValue::makeText(std::move(text));
    }
    case css::uno::TypeClass_VOID:
        return CellValue::makeError(); // what a cell with an error value gives
    default: {
        double number = 0;
        if (value >>= number) { // other number types widen to double
            return CellValue::makeReal(number);
        }
        return CellValue::makeError();
    }
    }
}

Any cellAny(const CellValue& value) {
    switch (value.kind) {
    case CellValue::Kind::integer:
        return Any(static_cast<double>(value.integer));
    case CellValue::Kind::real:
        return Any(value.real);
    case CellValue::Kind::text:
        return Any(toOUString(value.text));
    case CellValue::Kind::empty:
    case CellValue::Kind::error:
        break;
    }
    // Never a void Any: Calc 7.4 crashes on one outside column A. An empty text leaves an
    // empty cell.
    return Any(OUString());
}

sal_Int32 threeDecimalsFormat(const Reference<css::sheet::XSpreadsheetDocument>& book,
                              char decimal) {
    Reference<css::util::XNumberFormatsSupplier> supplier(book, UNO_QUERY);
    Reference<css::util::XNumberFormats> formats =
        supplier.is() ? supplier->getNumberFormats() : Reference<css::util::XNumberFormats>();
    if (!formats.is()) {
        throw Failure(Failure::Reason::spreadsheet,
                      "LibreOffice Calc gave no number formats for the document");
    }
    const bool comma = decimal == ',';
    const css::lang::Locale locale =
        comma ? css::lang::Locale("de", "DE", "") : css::lang::Locale("en", "US", "");
    const OUString code = comma ? OUString("0,000") : OUString("0.000");
    sal_Int32 key = formats->queryKey(code, locale, false);
    if (key == -1) {
        key = formats->addNew(code, locale);
    }
    return key;
}

} // namespace kw::uno
