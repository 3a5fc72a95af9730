#include "core/io/inlinestrings.h"

#include "core/io/starttags.h"

#include <algorithm>
#include <functional>

namespace kw {

namespace {

constexpr std::string_view mark = "inlineStr";

// Whether s holds t="inlineStr" or t='inlineStr'.
bool hasMark(std::string_view s) {
    static const std::boyer_moore_horspool_searcher search(mark.begin(), mark.end());
    for (auto at = std::search(s.begin(), s.end(), search); at != s.end();
         at = std::search(at + 1, s.end(), search)) {
        const auto i = static_cast<std::size_t>(at - s.begin());
        if (i >= 3 && s[i - 3] == 't' && s[i - 2] == '=' && (s[i - 1] == '"' || s[i - 1] == '\'') &&
            i + mark.size() < s.size() && s[i + mark.size()] == s[i - 1]) {
            return true;
        }
    }
    return false;
}

} // namespace

bool InlineStrings::in(std::string_view sheet) {
    return hasMark(sheet);
}

void InlineStrings::Search::feed(std::string_view piece) {
    constexpr std::size_t keep = 16; // longer than t="inlineStr"
    if (found_) {
        return;
    }
    std::string seam = tail_;
    seam.append(piece.substr(0, keep));
    found_ = hasMark(seam) || hasMark(piece);
    if (piece.size() >= keep) {
        tail_.assign(piece.substr(piece.size() - keep));
    } else {
        tail_ += piece;
        tail_.erase(0, tail_.size() > keep ? tail_.size() - keep : 0);
    }
}

std::optional<InlineStrings::Parts>
InlineStrings::rewrite(Parts parts, std::vector<std::string>& changed, Pacer& pacer) {
    auto part = [&](std::string_view name) -> std::string* {
        for (auto& p : parts) {
            if (p.first == name) {
                return &p.second;
            }
        }
        return nullptr;
    };

    std::string* shared = part("xl/sharedStrings.xml");
    std::string added;
    std::size_t next = 0;
    if (shared != nullptr) {
        next = count(*shared, "<si>") + count(*shared, "<si ") + count(*shared, "<si/>");
    }
    for (auto& [name, data] : parts) {
        if (name.rfind("xl/worksheets/", 0) == 0 && in(data)) {
            pacer.check(0);
            if (!share(data, added, next)) {
                return std::nullopt;
            }
            changed.push_back(name);
        }
    }
    if (shared != nullptr) {
        const std::size_t end = shared->rfind("</sst>");
        if (end == std::string::npos) {
            return std::nullopt;
        }
        shared->insert(end, added);
        changed.emplace_back("xl/sharedStrings.xml");
    } else {
        std::string* types = part("[Content_Types].xml");
        std::string* rels = part("xl/_rels/workbook.xml.rels");
        const std::size_t typesEnd = types ? types->rfind("</Types>") : std::string::npos;
        const std::size_t relsEnd = rels ? rels->rfind("</Relationships>") : std::string::npos;
        if (typesEnd == std::string::npos || relsEnd == std::string::npos) {
            return std::nullopt;
        }
        types->insert(typesEnd,
                      "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>");
        rels->insert(relsEnd,
                     "<Relationship Id=\"kwSharedStrings\" Type=\"http://schemas."
                     "openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
                     "Target=\"sharedStrings.xml\"/>");
        parts.emplace_back("xl/sharedStrings.xml",
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"http://"
                           "schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                               added + "</sst>");
        changed.insert(changed.end(), {"[Content_Types].xml", "xl/_rels/workbook.xml.rels",
                                       "xl/sharedStrings.xml"});
    }
    return parts;
}

std::size_t InlineStrings::count(std::string_view s, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string_view::npos;
         at = s.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

// The sheet's inline-string cells as references to the shared strings `added` gains.
bool InlineStrings::share(std::string& sheet, std::string& added, std::size_t& next) {
    // The cells are found by their tags alone, which markup copied as it is would hide.
    if (sheet.find("<!") != std::string::npos) {
        return false;
    }
    std::string out;
    out.reserve(sheet.size());
    std::size_t pos = 0;
    for (std::size_t lt = sheet.find("<c ", pos); lt != std::string::npos;
         lt = sheet.find("<c ", pos)) {
        const std::optional<StartTag> tag = startTag(sheet, lt);
        if (!tag) {
            return false;
        }
        if (tag->get("t") != "inlineStr" || tag->selfClosing) {
            out.append(sheet, pos, tag->end - pos);
            pos = tag->end;
            continue;
        }
        const auto close = endTag(sheet, tag->end, "c");
        const std::size_t is = sheet.find("<is", tag->end);
        if (!close || is == std::string::npos || is > close->first) {
            return false;
        }
        const std::optional<StartTag> isTag = startTag(sheet, is);
        if (!isTag || isTag->name != "is" || isTag->end > close->first) {
            return false;
        }
        std::string_view inner;
        if (!isTag->selfClosing) {
            const auto isEnd = endTag(sheet, isTag->end, "is");
            if (!isEnd || isEnd->first > close->first) {
                return false;
            }
            inner = std::string_view(sheet).substr(isTag->end, isEnd->first - isTag->end);
        }
        // An empty text becomes an empty cell: the document keeps no empty shared string.
        bool empty = true;
        for (std::size_t i = 0, depth = 0; i < inner.size() && empty; ++i) {
            depth += inner[i] == '<' ? 1 : 0;
            empty = depth > 0 || xmlSpace(inner[i]) ? empty : false;
            depth -= inner[i] == '>' && depth > 0 ? 1 : 0;
        }
        out.append(sheet, pos, lt - pos);
        out += "<c";
        for (const auto& [k, v] : tag->attributes) {
            if (k != "t") {
                out += attributeText(k, v);
            }
        }
        if (empty) {
            out += "/>";
        } else {
            out += " t=\"s\"><v>" + std::to_string(next++) + "</v></c>";
            added += "<si>";
            added += inner;
            added += "</si>";
        }
        pos = close->second;
    }
    out.append(sheet, pos);
    sheet = std::move(out);
    return true;
}

} // namespace kw
