#include "core/io/xmlcheck.h"

#include "core/base/failure.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace kw {

struct XmlCheck::Parser {
    XML_Parser parser = nullptr;
    Watch watch;
    bool faulty = false; // the first fault is kept; later pieces are not parsed
    std::string reason;  // expat's, or the check's own
    bool doctype = false;
    unsigned long long line = 0;
    unsigned long long column = 0;
    std::exception_ptr error; // thrown by the watch

    void stopHere() {
        line = XML_GetCurrentLineNumber(parser);
        column = XML_GetCurrentColumnNumber(parser) + 1;
        XML_StopParser(parser, XML_FALSE);
    }

    static void onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        auto* p = static_cast<Parser*>(self);
        p->doctype = true;
        p->stopHere();
    }

    static void onStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        auto* p = static_cast<Parser*>(self);
        try {
            p->watch(name, attributes);
        } catch (...) { // nothing may leave through expat's C frames
            p->error = std::current_exception();
            p->stopHere();
        }
    }

    void fault() {
        faulty = true;
        if (doctype || error) {
            return;
        }
        if (XML_GetErrorCode(parser) == XML_ERROR_NO_MEMORY) {
            error = std::make_exception_ptr(std::bad_alloc());
            return;
        }
        reason = XML_ErrorString(XML_GetErrorCode(parser));
        line = XML_GetCurrentLineNumber(parser);
        column = XML_GetCurrentColumnNumber(parser) + 1;
    }

    void parse(std::string_view piece, bool last) {
        do {
            const std::size_t n = std::min<std::size_t>(piece.size(), std::size_t{1} << 24);
            const bool final = last && n == piece.size();
            if (XML_Parse(parser, piece.data(), static_cast<int>(n),
                          final ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
                fault();
                return;
            }
            piece.remove_prefix(n);
        } while (!piece.empty());
    }
};

XmlCheck::XmlCheck(std::string file, std::string part, Source source)
    : file_(std::move(file)), part_(std::move(part)), source_(source),
      parser_(std::make_unique<Parser>()) {
    // Orcus reads every part as UTF-8 whatever it declares; so does the check.
    parser_->parser = XML_ParserCreate("UTF-8");
    if (parser_->parser == nullptr) {
        throw std::bad_alloc();
    }
    XML_SetUserData(parser_->parser, parser_.get());
    XML_SetStartDoctypeDeclHandler(parser_->parser, &Parser::onDoctype);
}

XmlCheck::~XmlCheck() {
    XML_ParserFree(parser_->parser);
}

void XmlCheck::watch(Watch watch) {
    parser_->watch = std::move(watch);
    XML_SetStartElementHandler(parser_->parser, parser_->watch ? &Parser::onStart : nullptr);
}

void XmlCheck::feed(std::string_view piece) {
    if (!parser_->faulty && !piece.empty()) {
        parser_->parse(piece, false);
    }
}

void XmlCheck::finish() {
    if (!parser_->faulty) {
        parser_->parse({}, true);
    }
    if (parser_->error) {
        std::rethrow_exception(parser_->error);
    }
    if (parser_->faulty) {
        refuse();
    }
}

void XmlCheck::refuse() {
    const Parser& p = *parser_;
    const std::string where =
        "line " + std::to_string(p.line) + ", column " + std::to_string(p.column);
    const std::string part = quotedValue(part_);
    if (source_ == Source::rewritten) {
        throw Failure(Failure::Reason::badData,
                      file_ + " cannot be read: the reader's rewriting of its part " + part +
                          " went wrong (" + where + ": " + p.reason + ")");
    }
    if (p.doctype) {
        throw Failure(Failure::Reason::badData,
                      file_ + " cannot be read: its part " + part +
                          " holds a document type declaration, which workbooks do not have (" +
                          where + ")");
    }
    throw Failure(Failure::Reason::badData, file_ + " is damaged: its part " + part +
                                                " is not well-formed XML at " + where + ": " +
                                                p.reason);
}

XmlCheckBeside::XmlCheckBeside(XmlCheck& check, bool beside)
    : check_(check), buffers_(new char[beside ? slots * slotSize : slotSize]) {
    if (beside) {
        thread_ = std::thread([this] { run(); });
    }
}

XmlCheckBeside::~XmlCheckBeside() {
    stop();
}

void XmlCheckBeside::stop() {
    if (thread_.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void XmlCheckBeside::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || ending_ || !queue_.empty(); });
        if (stopping_ || error_ || queue_.empty()) {
            break;
        }
        const std::string_view piece = queue_.front();
        lock.unlock();
        try {
            check_.feed(piece);
        } catch (...) {
            lock.lock();
            error_ = std::current_exception();
            break;
        }
        lock.lock();
        queue_.pop_front();
        ++checked_;
        changed_.notify_all();
    }
    done_ = true;
    changed_.notify_all();
}

char* XmlCheckBeside::slot() {
    if (!thread_.joinable()) {
        return buffers_.get();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return fed_ - checked_ < slots || done_; });
    return buffers_.get() + (fed_ % slots) * slotSize;
}

void XmlCheckBeside::feed(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    if (!thread_.joinable()) {
        check_.feed(piece);
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(piece);
        ++fed_;
    }
    changed_.notify_all();
}

void XmlCheckBeside::finish() {
    if (thread_.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ending_ = true;
        }
        changed_.notify_all();
        thread_.join();
        if (error_) {
            std::rethrow_exception(error_);
        }
    }
    check_.finish();
}

namespace {

constexpr std::size_t longestName = 256;
constexpr std::size_t deepest = 10000;

} // namespace

bool XmlOpenElements::startElement(std::string_view name) {
    if (starts_.size() >= deepest) {
        gaveUp_ = true;
        return false;
    }
    starts_.push_back(static_cast<std::uint32_t>(names_.size()));
    names_.append(name);
    return true;
}

void XmlOpenElements::endElement() {
    if (starts_.empty()) {
        gaveUp_ = true;
        return;
    }
    names_.resize(starts_.back());
    starts_.pop_back();
}

std::vector<std::string> XmlOpenElements::open() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < starts_.size(); ++i) {
        const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : names_.size();
        out.push_back(names_.substr(starts_[i], end - starts_[i]));
    }
    return out;
}

namespace {

bool nameEnd(char c) {
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

std::size_t XmlOpenElements::wholeTag(const char* p, std::size_t n, std::size_t lt) {
    const char first = p[lt + 1];
    if (first == '!' || first == '?') {
        return 0;
    }
    if (first == '/') {
        const void* close = std::memchr(p + lt + 2, '>', n - lt - 2);
        if (close == nullptr) {
            return 0;
        }
        endElement();
        return static_cast<std::size_t>(static_cast<const char*>(close) - p) + 1;
    }
    std::size_t k = lt + 1;
    while (k < n && !nameEnd(p[k])) {
        ++k;
    }
    const std::string_view name(p + lt + 1, k - lt - 1);
    if (name.size() > longestName) {
        gaveUp_ = true;
        return 0;
    }
    for (; k < n; ++k) {
        const char c = p[k];
        if (c == '>') {
            if (p[k - 1] != '/') {
                startElement(name);
            }
            return k + 1;
        }
        if (c == '"' || c == '\'') {
            const void* close = std::memchr(p + k + 1, c, n - k - 1);
            if (close == nullptr) {
                return 0;
            }
            k = static_cast<std::size_t>(static_cast<const char*>(close) - p);
        }
    }
    return 0;
}

std::optional<std::size_t> XmlOpenElements::feed(std::string_view piece, std::uint64_t from) {
    const char* p = piece.data();
    const std::size_t n = piece.size();
    for (std::size_t i = 0; i < n && !gaveUp_; ++i) {
        const char c = p[i];
        switch (state_) {
        case State::text: {
            const void* lt = std::memchr(p + i, '<', n - i);
            if (lt == nullptr) {
                i = n;
                break;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(lt) - p);
            if (i + 1 >= n) {
                state_ = State::lt;
                break;
            }
            // A start tag whose '<' and name both lie in this piece may be the cut.
            if (at_ + i >= from && !starts_.empty() && p[i + 1] != '/' && p[i + 1] != '!' &&
                p[i + 1] != '?') {
                at_ += n;
                return i;
            }
            // Most tags lie whole in the piece; the others go through the states.
            if (const std::size_t end = wholeTag(p, n, i); end > 0) {
                i = end - 1;
            } else {
                state_ = State::lt;
            }
            break;
        }
        case State::lt:
            if (c == '/') {
                state_ = State::endTag;
            } else if (c == '!') {
                bang_.clear();
                state_ = State::bang;
            } else if (c == '?') {
                last_ = 0;
                state_ = State::instruction;
            } else {
                name_.assign(1, c);
                state_ = State::name;
            }
            break;
        case State::bang:
            bang_ += c;
            if (bang_ == "--") {
                run_ = 0;
                state_ = State::comment;
            } else if (bang_ == "[CDATA[") {
                run_ = 0;
                state_ = State::cdata;
            } else if (std::string_view("[CDATA[").substr(0, bang_.size()) != bang_ &&
                       std::string_view("--").substr(0, bang_.size()) != bang_) {
                state_ = c == '>' ? State::text : State::declaration;
            }
            break;
        case State::name:
            if (c == '>') {
                startElement(name_);
                state_ = State::text;
            } else if (nameEnd(c)) {
                last_ = c;
                state_ = State::tag;
            } else if (name_.size() < longestName) {
                name_ += c;
            } else {
                gaveUp_ = true;
            }
            break;
        case State::tag:
            if (c == '"' || c == '\'') {
                quote_ = c;
                state_ = State::quoted;
            } else if (c == '>') {
                if (last_ != '/') {
                    startElement(name_);
                }
                state_ = State::text;
            } else {
                last_ = c;
            }
            break;
        case State::quoted: {
            const void* close = std::memchr(p + i, quote_, n - i);
            if (close == nullptr) {
                i = n;
                break;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(close) - p);
            last_ = quote_;
            state_ = State::tag;
            break;
        }
        case State::endTag:
            if (c == '>') {
                endElement();
                state_ = State::text;
            }
            break;
        case State::comment:
        case State::cdata:
            if (c == (state_ == State::comment ? '-' : ']')) {
                ++run_;
            } else {
                if (c == '>' && run_ >= 2) {
                    state_ = State::text;
                }
                run_ = 0;
            }
            break;
        case State::instruction:
            if (c == '>' && last_ == '?') {
                state_ = State::text;
            }
            last_ = c;
            break;
        case State::declaration:
            if (c == '>') {
                state_ = State::text;
            }
            break;
        }
    }
    at_ += n;
    return std::nullopt;
}

std::string openingTags(const std::vector<std::string>& elements) {
    std::string out;
    for (const std::string& e : elements) {
        out.append(1, '<').append(e).append(1, '>');
    }
    return out;
}

std::string closingTags(const std::vector<std::string>& elements) {
    std::string out;
    for (auto e = elements.rbegin(); e != elements.rend(); ++e) {
        out.append("</").append(*e).append(1, '>');
    }
    return out;
}

} // namespace kw
