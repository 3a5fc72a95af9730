#pragma once

#include "core/sheet/spreadsheetlink.h"

namespace kw::app {

// The link of a build without one: every operation fails, as with no spreadsheet application
// to talk to (Failure::Reason::noSpreadsheet), saying why.
class AbsentLink final : public SpreadsheetLink {
public:
    Listing listBooks() override;
    Listing listSheets() override;
    void newBook() override;
    std::string newSheet(const std::optional<std::string>& name) override;
    std::string appendSheet(const std::optional<std::string>& name) override;
    void selectBook(const std::string& name) override;
    void selectSheet(const std::string& name) override;
    void useActiveSheet() override;
    ValueTable readRange(int c1, int c2, int r1, int r2) override;
    void writeRange(int c1, int c2, int r1, int r2, const ValueTable& table, char decimal) override;
    void disconnect() override {}
};

} // namespace kw::app
