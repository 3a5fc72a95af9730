#include "calcprobe.h"

#include "uno/unoruntime.h"
#include "uno/unotext.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <stdexcept>

namespace kw::test {

using namespace css;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using kw::uno::fromOUString;
using kw::uno::toOUString;
using rtl::OUString;

namespace {

std::vector<Reference<frame::XModel>> models(const Reference<frame::XDesktop2>& desktop) {
    std::vector<Reference<frame::XModel>> out;
    const Reference<frame::XFrames> frames = desktop->getFrames();
    for (sal_Int32 i = 0; i < frames->getCount(); ++i) {
        Reference<frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY);
        if (frame.is() && frame->getController().is()) {
            out.push_back(frame->getController()->getModel());
        }
    }
    return out;
}

} // namespace

CalcProbe::CalcProbe(const std::string& pipe) {
    try {
        const Reference<bridge::XUnoUrlResolver> resolver =
            bridge::UnoUrlResolver::create(kw::uno::localContext());
        Reference<css::uno::XComponentContext> remote(
            resolver->resolve(
                toOUString("uno:pipe,name=" + pipe + ";urp;StarOffice.ComponentContext")),
            UNO_QUERY_THROW);
        desktop_ = frame::Desktop::create(remote);
    } catch (const css::uno::Exception& e) {
        throw std::runtime_error("no office on pipe " + pipe + ": " + fromOUString(e.Message));
    }
}

void CalcProbe::closeAll() {
    for (const auto& model : models(desktop_)) {
        Reference<util::XCloseable> closeable(model, UNO_QUERY);
        if (closeable.is()) {
            closeable->close(true);
        }
    }
}

std::vector<std::string> CalcProbe::titles() {
    std::vector<std::string> out;
    for (const auto& model : models(desktop_)) {
        Reference<sheet::XSpreadsheetDocument> doc(model, UNO_QUERY);
        Reference<frame::XTitle> title(model, UNO_QUERY);
        if (doc.is() && title.is()) {
            out.push_back(fromOUString(title->getTitle()));
        }
    }
    return out;
}

Reference<sheet::XSpreadsheetDocument> CalcProbe::book(const std::string& title) {
    for (const auto& model : models(desktop_)) {
        Reference<frame::XTitle> t(model, UNO_QUERY);
        if (t.is() && fromOUString(t->getTitle()) == title) {
            return Reference<sheet::XSpreadsheetDocument>(model, UNO_QUERY_THROW);
        }
    }
    throw std::runtime_error("no document " + title);
}

Reference<sheet::XSpreadsheet> CalcProbe::sheet(const std::string& bookName,
                                                const std::string& name) {
    return Reference<sheet::XSpreadsheet>(book(bookName)->getSheets()->getByName(toOUString(name)),
                                          UNO_QUERY_THROW);
}

void CalcProbe::put(const std::string& bookName, const std::string& sheetName, int col, int row,
                    const Input& input) {
    const Reference<table::XCell> cell =
        sheet(bookName, sheetName)->getCellByPosition(col - 1, row - 1);
    switch (input.kind) {
    case Input::Kind::number:
        cell->setValue(input.number);
        break;
    case Input::Kind::text:
        Reference<text::XTextRange>(cell, UNO_QUERY_THROW)->setString(toOUString(input.text));
        break;
    case Input::Kind::formula:
        cell->setFormula(toOUString(input.text));
        break;
    }
}

CalcProbe::Cell CalcProbe::cell(const std::string& bookName, const std::string& sheetName, int col,
                                int row) {
    const Reference<table::XCell> cell =
        sheet(bookName, sheetName)->getCellByPosition(col - 1, row - 1);
    Cell out;
    switch (cell->getType()) {
    case table::CellContentType_EMPTY:
        out.type = "empty";
        break;
    case table::CellContentType_VALUE:
        out.type = "value";
        break;
    case table::CellContentType_TEXT:
        out.type = "text";
        break;
    default:
        out.type = "formula";
        break;
    }
    out.value = cell->getValue();
    out.text = fromOUString(Reference<text::XTextRange>(cell, UNO_QUERY_THROW)->getString());
    sal_Int32 key = 0;
    Reference<beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= key;
    const Reference<util::XNumberFormatsSupplier> formats(book(bookName), UNO_QUERY_THROW);
    OUString code;
    formats->getNumberFormats()->getByKey(key)->getPropertyValue("FormatString") >>= code;
    out.format = fromOUString(code);
    return out;
}

std::vector<std::string> CalcProbe::sheets(const std::string& bookName) {
    std::vector<std::string> out;
    const Reference<container::XIndexAccess> all(book(bookName)->getSheets(), UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < all->getCount(); ++i) {
        out.push_back(fromOUString(
            Reference<container::XNamed>(all->getByIndex(i), UNO_QUERY_THROW)->getName()));
    }
    return out;
}

int CalcProbe::columns(const std::string& bookName, const std::string& sheetName) {
    return Reference<table::XColumnRowRange>(sheet(bookName, sheetName), UNO_QUERY_THROW)
        ->getColumns()
        ->getCount();
}

int CalcProbe::rows(const std::string& bookName, const std::string& sheetName) {
    return Reference<table::XColumnRowRange>(sheet(bookName, sheetName), UNO_QUERY_THROW)
        ->getRows()
        ->getCount();
}

std::string CalcProbe::activeSheet(const std::string& bookName) {
    const Reference<frame::XModel> model(book(bookName), UNO_QUERY_THROW);
    const Reference<sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY_THROW);
    return fromOUString(
        Reference<container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName());
}

bool CalcProbe::visible(const std::string& bookName) {
    const Reference<frame::XModel> model(book(bookName), UNO_QUERY_THROW);
    const Reference<awt::XWindow2> window(
        model->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY_THROW);
    return window->isVisible();
}

} // namespace kw::test
