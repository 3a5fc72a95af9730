#pragma once

// The window's spreadsheet in the tests: one held in memory, and a start of the spreadsheet
// application that the tests can follow.

#include "app/sheets/linkfactory.h"
#include "core/base/failure.h"
#include "support/memorylink.h"

#include <QString>

#include <memory>
#include <utility>

namespace kw::test {

class MemoryLinks final : public kw::app::LinkFactory {
public:
    explicit MemoryLinks(std::shared_ptr<MemoryLink> link) : link_(std::move(link)) {}

    std::shared_ptr<kw::SpreadsheetLink> makeLink() override { return link_; }
    QString startQuestion() const override { return question; }
    QString startSpreadsheet() override {
        ++starts;
        if (!startable) {
            throw kw::Failure(kw::Failure::Reason::spreadsheet, "soffice cannot be started");
        }
        link_->running = true;
        return "The spreadsheet starts.";
    }

    QString question; // empty: no offer to start the spreadsheet
    bool startable = true;
    int starts = 0;

private:
    std::shared_ptr<MemoryLink> link_;
};

} // namespace kw::test
