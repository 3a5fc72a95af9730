#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kw {

// A problem the program reports to the user. Warnings and errors of its own carry the
// caption and help page of the warning dialog; other failures (a text that is not a number,
// a file that cannot be read) are shown as a plain message.
class Failure : public std::runtime_error {
public:
    enum class Kind { Notice, Message };

    static Failure warning(std::string message, int helppage);
    static Failure error(std::string message, int helppage = -1);
    static Failure plain(std::string message);

    Kind kind() const { return kind_; }
    const std::string& caption() const { return caption_; }
    const std::string& message() const { return message_; }
    int helppage() const { return helppage_; }

private:
    Failure(Kind kind, std::string caption, std::string message, int helppage);

    Kind kind_;
    std::string caption_;
    std::string message_;
    int helppage_;
};

// Work that was stopped on request (the window closing while it runs).
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("cancelled") {}
};

// Help pages that warnings offer.
inline constexpr int helpvariables = 5; // "Grouping  and Test variables"
inline constexpr int helpselection = 6; // "Define Selection"
inline constexpr int helpexcelsave = 9; // "Save to Excel file"

// A value quoted for a message: 'text', or for a value longer than 200 bytes its first 60
// and its length ('1234...' (52428800 characters)), so that no message grows with the data.
std::string quotedvalue(std::string_view text);

Failure notrealfailure(std::string_view text);    // "'x' is not a valid floating point value"
Failure notintegerfailure(std::string_view text); // "'x' is not a valid integer value"

} // namespace kw
