#include "core/io/workbook.h"

#include "core/base/failure.h"

namespace kw {

// Being written: these stand in until the reader lands.

struct Workbook::Contents {};

Workbook::Workbook(std::unique_ptr<Contents> contents) : contents_(std::move(contents)) {}
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::load(const std::string&, Feedback*) {
    throw Failure(Failure::Reason::badData, "workbooks cannot be read yet");
}

std::vector<std::string> Workbook::sheetNames() const {
    return {};
}

std::string Workbook::usedRange(const std::string&) const {
    return {};
}

std::vector<std::vector<std::string>> Workbook::preview(const ImportOptions&, int) const {
    return {};
}

DataTable Workbook::table(const ImportOptions&, char, Feedback*) const {
    return {};
}

DataTable readWorkbookFile(const std::string& path, const ImportOptions& options, char decimal,
                           Feedback* feedback) {
    return Workbook::load(path, feedback).table(options, decimal, feedback);
}

} // namespace kw
