#pragma once

#include "spreadsheet.h"

#include <chrono>
#include <memory>
#include <string>

namespace kw::uno {

// The pipe name the program connects to unless told otherwise: KW_OFFICE_PIPE from the
// environment, else "kruskalwallis".
std::string defaultpipe();

// A link to a LibreOffice Calc that is already running and accepts connections on `pipe`.
// Nothing is contacted until the first operation; every operation waits at most `timeout`
// for Calc. The link never starts an office itself. One thread at a time may use it.
std::unique_ptr<kw::SpreadsheetLink>
makecalclink(const std::string& pipe, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The command that makes Calc accept the program's connection (for messages and README):
// soffice --calc "--accept=pipe,name=<pipe>;urp;StarOffice.ComponentContext"
std::string acceptcommand(const std::string& pipe);

// Hands the accept string to a running Calc, or starts Calc with it (same command), detached
// from this program. Returns false, with the reason in `message`, when soffice cannot be
// started; on success `message` says what to expect.
bool startaccepting(const std::string& pipe, std::string& message);

} // namespace kw::uno
