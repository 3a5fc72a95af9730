#pragma once

#include "core/sheet/spreadsheetlink.h"

#include <QString>

#include <memory>

namespace kw::app {

// Where the main window's spreadsheet link comes from, and how the spreadsheet application is
// started when none answers. The window asks for the link when it first needs it and keeps it.
class LinkFactory {
public:
    virtual ~LinkFactory() = default;

    virtual std::shared_ptr<SpreadsheetLink> makeLink() = 0;

    // The question that offers to start the spreadsheet application, ready for the program's
    // link, when none answered; empty when this build cannot start one.
    virtual QString startQuestion() const { return {}; }
    // Starts it; says what the user is to expect. Throws kw::Failure when it cannot be done.
    virtual QString startSpreadsheet() { return {}; }
};

// The link of this build: to LibreOffice Calc where the program was built with the Calc link,
// else a link whose every operation says that there is none.
std::unique_ptr<LinkFactory> defaultLinkFactory();

} // namespace kw::app
