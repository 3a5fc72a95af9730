#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kw {

// Whether the XML of a part of a workbook is well formed, checked with expat as the part
// arrives in pieces, before orcus reads it: orcus 0.17's own parser, built with its
// assertions as Debian builds it, ends the whole program on some malformed XML instead of
// failing. A document type declaration is refused too: no workbook part has one, and it could
// have entities expanded without bound.
class XmlCheck {
public:
    // Where the XML came from: the file, or the reader's own rewriting of a part of it (then a
    // fault is the reader's).
    enum class Source { file, rewritten };

    // `file` and `part` name the file ("the file x.xlsx") and the part in messages.
    XmlCheck(std::string file, std::string part, Source source = Source::file);
    XmlCheck(const XmlCheck&) = delete;
    XmlCheck& operator=(const XmlCheck&) = delete;
    ~XmlCheck();

    // Called with the name and the attributes (expat's array of names and values, ended by a
    // null) of each start tag.
    using Watch = std::function<void(const char* name, const char** attributes)>;
    void watch(Watch watch);

    // The next piece of the part. A fault is kept for finish(), which tells it: a part whose
    // bytes are damaged is refused for that, not for the XML it then holds.
    void feed(std::string_view piece);

    // The end of the part: throws kw::Failure naming the part, the line, the column and why,
    // for XML that is not well formed.
    void finish();

private:
    struct Parser;
    [[noreturn]] void refuse();
    std::string file_;
    std::string part_;
    Source source_;
    std::unique_ptr<Parser> parser_;
};

// An XmlCheck on a thread beside the one that unpacks the part, which hands it the pieces: the
// check takes about twice as long as the unpacking. On one core, or when asked, it checks
// each piece at once.
class XmlCheckBeside {
public:
    static constexpr std::size_t slotSize = std::size_t{1} << 18;

    XmlCheckBeside(XmlCheck& check, bool beside);
    XmlCheckBeside(const XmlCheckBeside&) = delete;
    XmlCheckBeside& operator=(const XmlCheckBeside&) = delete;
    ~XmlCheckBeside();

    // A buffer of slotSize bytes for the next piece; it waits while the check still needs the
    // piece that had the buffer last.
    char* slot();

    // Hands over a piece: in the buffer slot() gave, or in memory that stays as it is until
    // finish().
    void feed(std::string_view piece);

    // Waits for the check of every piece, then ends it (XmlCheck::finish()).
    void finish();

private:
    static constexpr std::size_t slots = 4;
    void run();
    void stop();

    XmlCheck& check_;
    std::unique_ptr<char[]> buffers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string_view> queue_;
    std::size_t fed_ = 0;
    std::size_t checked_ = 0;
    bool ending_ = false;
    bool stopping_ = false;
    bool done_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

// The elements open at a start tag of XML that arrives in pieces, found by a quick scan that
// checks nothing: where a large part may be cut in two, for two XmlChecks at once. The second
// then reads openingTags(open()) and the XML from the cut on, the first the XML before the cut
// and closingTags(open()): when both are well formed, so is the whole, whatever the scan
// found.
class XmlOpenElements {
public:
    // Scans the next piece. Returns where in it a start tag begins at `from` or after (counted
    // from the start of the XML) with an element open; nothing when none does in this piece, or
    // when the scan gave up (an element name over 256 bytes, more than 10000 elements open).
    std::optional<std::size_t> feed(std::string_view piece, std::uint64_t from);

    std::vector<std::string> open() const;
    bool gaveUp() const { return gaveUp_; }

private:
    enum class State : std::uint8_t {
        text,
        lt,
        bang,
        name,
        tag,
        quoted,
        endTag,
        comment,
        cdata,
        instruction,
        declaration
    };
    bool startElement(std::string_view name);
    void endElement();
    // A tag from p[lt] == '<' that ends in the piece, taken in one go: where it ends; 0 for
    // one that does not end there (or a comment, instruction, declaration).
    std::size_t wholeTag(const char* p, std::size_t n, std::size_t lt);

    State state_ = State::text;
    std::string name_; // of a start tag read in states
    std::string bang_; // what follows <! so far
    char quote_ = 0;
    char last_ = 0; // the last character inside a tag or instruction
    int run_ = 0;   // of '-' in a comment, ']' in a CDATA section
    std::uint64_t at_ = 0;
    std::string names_;                 // of the open elements, one after the other
    std::vector<std::uint32_t> starts_; // where each begins in names_
    bool gaveUp_ = false;
};

// Start tags opening the elements, and end tags closing them again.
std::string openingTags(const std::vector<std::string>& elements);
std::string closingTags(const std::vector<std::string>& elements);

} // namespace kw
