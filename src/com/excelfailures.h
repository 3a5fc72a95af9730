#pragma once

// Calls to Excel that fail: the messages the link gives, and what an error code says about
// the Excel the link is attached to.

#include <cstdint>
#include <string>
#include <string_view>

namespace kw::com {

// The message when no Excel is running: "Unable to retrieve a pointer to a running object
// registered with OLE for <progid>/<classid>".
std::string attachMessage(std::string_view progId, std::string_view classId);

// The message of a failed call of an Excel member (such as "Workbooks.Item"): Excel's own
// description, or the system's text of the error code, or the code itself.
std::string callMessage(std::string_view member, std::string_view description,
                        std::string_view systemText, std::uint32_t hresult);

// Whether an error code says that the Excel the link was attached to is gone (closed, or no
// longer answering), so that the link must attach afresh next time.
bool isDisconnection(std::uint32_t hresult);

// Whether it says that Excel refused the call because it is busy (a cell being edited, a
// dialog open).
bool isBusy(std::uint32_t hresult);

// The code as 0x followed by eight hexadecimal digits.
std::string hexCode(std::uint32_t hresult);

} // namespace kw::com
