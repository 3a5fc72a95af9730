#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kw {

// A problem the program reports to the user: why it happened (the reason, for callers that
// act on it), the text shown, and how it is shown. Refusals of the program's own are notices:
// they carry the caption ("WARNING" or "ERROR") and the help page of the warning dialog. All
// other failures (a text that is not a number, a file that cannot be read, a spreadsheet that
// does not answer) are shown as a plain message.
class Failure : public std::runtime_error {
public:
    enum class Reason {
        refusal,         // the program refuses a choice or an action (a notice)
        notANumber,      // a text that is not a number where a number is needed
        notAWholeNumber, // a text that is not a whole number where one is needed
        noStatistic,     // the data do not allow a statistic (all values tied, no df left)
        badData,         // a file, a block or a choice the program cannot use as it is
        fileAccess,      // a file or folder that cannot be read or written
        noSpreadsheet,   // no spreadsheet application answers the program's link
        spreadsheet,     // the spreadsheet application failed or refused an operation
        outOfMemory,     // not enough memory for the data
        unexpected,      // anything else that escaped an operation
    };

    // A plain message.
    Failure(Reason reason, std::string message);

    // Notices of the warning dialog; a help page of -1 offers no help.
    static Failure warning(std::string message, int helpPage);
    static Failure error(std::string message, int helpPage = -1);

    Reason reason() const { return reason_; }
    bool isNotice() const { return !caption_.empty(); }
    const std::string& caption() const { return caption_; } // empty for a plain message
    const std::string& message() const { return message_; }
    int helpPage() const { return helpPage_; }

private:
    Failure(Reason reason, std::string caption, std::string message, int helpPage);

    Reason reason_;
    std::string caption_;
    std::string message_;
    int helpPage_;
};

// Work that was stopped on request (the window closing while it runs). Not a failure: nothing
// is reported.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("cancelled") {}
};

// The exception in flight as a Failure: the one place where exceptions that are not failures
// of the program's own (no memory left, an I/O or a library error) become one. Call it only
// inside a catch block; Cancelled is the caller's to catch before.
Failure caughtFailure();

// Help pages that notices offer.
inline constexpr int helpVariables = 5; // "Grouping  and Test variables"
inline constexpr int helpSelection = 6; // "Define Selection"
inline constexpr int helpSheetSave = 9; // "Save to Excel file"

// A value quoted for a message: 'text', or for a value longer than 200 bytes its first 60
// and its length ('1234...' (52428800 characters)), so that no message grows with the data.
std::string quotedValue(std::string_view text);

Failure notANumber(std::string_view text);      // "'x' is not a valid floating point value"
Failure notAWholeNumber(std::string_view text); // "'x' is not a valid integer value"

} // namespace kw
