#include "app/sheets/absentlink.h"

#include "core/base/failure.h"

namespace kw::app {

namespace {

[[noreturn]] void fail() {
    throw Failure(Failure::Reason::noSpreadsheet,
                  "This program was built without a link to a spreadsheet application: "
                  "LibreOffice and its SDK (libreoffice-dev) were not found when it was built.");
}

} // namespace

SpreadsheetLink::Listing AbsentLink::listBooks() {
    fail();
}

SpreadsheetLink::Listing AbsentLink::listSheets() {
    fail();
}

void AbsentLink::newBook() {
    fail();
}

std::string AbsentLink::newSheet(const std::optional<std::string>&) {
    fail();
}

std::string AbsentLink::appendSheet(const std::optional<std::string>&) {
    fail();
}

void AbsentLink::selectBook(const std::string&) {
    fail();
}

void AbsentLink::selectSheet(const std::string&) {
    fail();
}

void AbsentLink::useActiveSheet() {
    fail();
}

ValueTable AbsentLink::readRange(int, int, int, int) {
    fail();
}

void AbsentLink::writeRange(int, int, int, int, const ValueTable&, char) {
    fail();
}

} // namespace kw::app
