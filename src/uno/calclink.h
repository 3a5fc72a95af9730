#pragma once

#include "core/sheet/spreadsheetlink.h"

#include <chrono>
#include <memory>
#include <string>

namespace kw::uno {

// The pipe name the program connects to unless told otherwise: KW_OFFICE_PIPE from the
// environment, else "kruskalwallis".
std::string defaultPipe();

// A link to a LibreOffice Calc that is already running and accepts connections on `pipe`.
// Nothing is contacted until the first operation; every operation waits at most `timeout`
// for Calc. The link never starts an office itself. One thread at a time may use it.
//
// Its failures: no office accepting on the pipe is Reason::noSpreadsheet (startAccepting
// helps there); a pipe name that cannot be one is Reason::badData; everything the office
// does wrong (a refusal, a lost connection, no answer in time, a missing book or sheet) is
// Reason::spreadsheet.
std::unique_ptr<kw::SpreadsheetLink>
makeCalcLink(const std::string& pipe, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The command that makes Calc accept the program's connection (for messages and README):
// soffice --calc "--accept=pipe,name=<pipe>;urp;StarOffice.ComponentContext"
std::string acceptCommand(const std::string& pipe);

// Hands the accept string to a running Calc, or starts Calc with it (same command), detached
// from this program. Returns false, with the reason in `message`, when soffice cannot be
// started; on success `message` says what to expect.
bool startAccepting(const std::string& pipe, std::string& message);

} // namespace kw::uno
