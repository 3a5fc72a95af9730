#include "core/io/odsrewrite.h"

#include "core/base/failure.h"
#include "core/io/datetimetext.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace kw {

namespace {

// An ISO 8601 duration such as PT13H45M30S as hours:minutes:seconds.
std::optional<std::string> durationText(std::string_view d) {
    std::size_t i = 0;
    if (i < d.size() && d[i] == '-') {
        return std::nullopt;
    }
    if (i >= d.size() || d[i] != 'P') {
        return std::nullopt;
    }
    ++i;
    double seconds = 0;
    bool time = false;
    while (i < d.size()) {
        if (d[i] == 'T') {
            time = true;
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < d.size() && ((d[i] >= '0' && d[i] <= '9') || d[i] == '.')) {
            ++i;
        }
        if (i == start || i >= d.size() || i - start > 12) {
            return std::nullopt;
        }
        const double n = std::strtod(std::string(d.substr(start, i - start)).c_str(), nullptr);
        switch (d[i]) {
        case 'D':
            seconds += n * 86400;
            break;
        case 'H':
            seconds += n * 3600;
            break;
        case 'M':
            if (!time) {
                return std::nullopt; // months
            }
            seconds += n * 60;
            break;
        case 'S':
            seconds += n;
            break;
        default:
            return std::nullopt;
        }
        ++i;
    }
    const long long s = std::llround(seconds);
    return (s / 3600 < 10 ? "0" : "") + std::to_string(s / 3600) + timeText(s).substr(2);
}

// Whether a cell's content is plain: no markup copied as it is, no cells of a table inside.
bool plainContent(std::string_view content) {
    return content.find("<!") == std::string_view::npos &&
           content.find("<?") == std::string_view::npos &&
           content.find("<table:table-cell") == std::string_view::npos &&
           content.find("<table:covered-table-cell") == std::string_view::npos;
}

} // namespace

void hideStyles(std::string& content) {
    constexpr std::string_view name = "automatic-styles";
    auto nameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
    };
    for (std::size_t at = content.find(name); at != std::string::npos;
         at = content.find(name, at + name.size())) {
        std::size_t i = at;
        if (i > 0 && content[i - 1] == ':') {
            --i;
            while (i > 0 && nameChar(content[i - 1])) {
                --i;
            }
        }
        if (i > 0 && content[i - 1] == '/') {
            --i;
        }
        if (i > 0 && content[i - 1] == '<') {
            content[at + name.size() - 1] = 'z';
        }
    }
}

bool OdsRewrite::wanted(std::string_view content) {
    for (const char* mark :
         {"value-type=\"boolean\"", "value-type=\"percentage\"", "value-type=\"currency\"",
          "value-type=\"time\"",
          "table:formula=", "table:number-rows-repeated=", "table:covered-table-cell", "<text:s"}) {
        if (content.find(mark) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string OdsRewrite::run(std::string_view in) {
    std::string out;
    out.reserve(in.size() + in.size() / 16);
    walk(in, out, true);
    return out;
}

void OdsRewrite::grow(std::string& out, std::string_view text) {
    if (out.size() + text.size() > limit_) {
        throw Failure(Failure::Reason::badData,
                      "the workbook holds more cells than the program can read");
    }
    out += text;
}

void OdsRewrite::walk(std::string_view in, std::string& out, bool top) {
    constexpr std::string_view coveredEnd = "</table:covered-table-cell";
    std::size_t pos = 0;
    for (;;) {
        const std::size_t lt = in.find('<', pos);
        if (lt == std::string_view::npos) {
            grow(out, in.substr(pos));
            return;
        }
        if (top) {
            pacer_.tick(lt);
        }
        grow(out, in.substr(pos, lt - pos));
        pos = lt;
        std::optional<StartTag> tag;
        std::optional<std::size_t> markup;
        if ((markup = markupEnd(in, lt))) {
            grow(out, in.substr(lt, *markup - lt));
            pos = *markup;
        } else if (top && startsTag(in, lt, "table:table-row") && (tag = startTag(in, lt))) {
            pos = row(in, *tag, lt, out);
        } else if (startsTag(in, lt, "table:table-cell") && (tag = startTag(in, lt))) {
            pos = cell(in, *tag, lt, out, false);
        } else if (startsTag(in, lt, "table:covered-table-cell") && (tag = startTag(in, lt))) {
            pos = cell(in, *tag, lt, out, true);
        } else if (in.compare(lt, coveredEnd.size(), coveredEnd) == 0 &&
                   lt + coveredEnd.size() < in.size() &&
                   (xmlSpace(in[lt + coveredEnd.size()]) || in[lt + coveredEnd.size()] == '>')) {
            // The end of a covered cell, whose start cell() made a plain cell.
            grow(out, "</table:table-cell");
            pos = lt + coveredEnd.size();
            changed_ = true;
        } else if (startsTag(in, lt, "text:s") && (tag = startTag(in, lt)) && tag->selfClosing) {
            const std::string_view c = tag->get("text:c");
            const long long n = c.empty() ? 1 : std::strtoll(std::string(c).c_str(), nullptr, 10);
            grow(out, std::string(static_cast<std::size_t>(std::clamp(n, 1LL, 1000LL)), ' '));
            pos = tag->end;
            changed_ = true;
        } else {
            grow(out, "<");
            pos = lt + 1;
        }
    }
}

// A row: one repeated with cells holding values is written out as often as it stands.
std::size_t OdsRewrite::row(std::string_view in, const StartTag& tag, std::size_t lt,
                            std::string& out) {
    const std::string_view repeat = tag.get("table:number-rows-repeated");
    const long long times =
        repeat.empty() ? 1 : std::strtoll(std::string(repeat).c_str(), nullptr, 10);
    const auto close = tag.selfClosing ? std::nullopt : endTag(in, tag.end, "table:table-row");
    if (times <= 1 || !close) {
        grow(out, in.substr(lt, tag.end - lt));
        return tag.end;
    }
    const std::string_view body = in.substr(tag.end, close->first - tag.end);
    if (body.find("value-type") == std::string_view::npos ||
        body.find("<table:table-row") != std::string_view::npos) {
        grow(out, in.substr(lt, tag.end - lt));
        return tag.end;
    }
    std::string one = "<table:table-row";
    for (const auto& [k, v] : tag.attributes) {
        if (k != "table:number-rows-repeated") {
            one += attributeText(k, v);
        }
    }
    one += ">";
    walk(body, one, false);
    one += "</table:table-row>";
    for (long long i = 0; i < times; ++i) {
        grow(out, one);
    }
    changed_ = true;
    return close->second;
}

std::size_t OdsRewrite::cell(std::string_view in, const StartTag& tag, std::size_t lt,
                             std::string& out, bool covered) {
    const std::string_view type = tag.get("office:value-type");
    const bool formula = tag.has("table:formula");
    const bool error = tag.get("calcext:value-type") == "error";
    std::string newType;
    std::string text; // replaces the content when not empty
    if (!error) {
        if (type == "boolean") {
            newType = "string";
            const std::string_view b = tag.get("office:boolean-value");
            text = b == "true" || b == "1" ? "TRUE" : "FALSE";
        } else if (type == "percentage" || type == "currency") {
            newType = "float";
        } else if (type == "time") {
            if (const auto t = durationText(tag.get("office:time-value"))) {
                newType = "string";
                text = *t;
            }
        }
    }
    const bool dropFormula = formula && !error && !type.empty() && type != "float";
    if (newType.empty() && !dropFormula && !covered) {
        grow(out, in.substr(lt, tag.end - lt));
        return tag.end;
    }
    // The content the new text replaces, up to the cell's end; kept when it is not plain.
    std::optional<std::pair<std::size_t, std::size_t>> close;
    if (!text.empty() && !tag.selfClosing) {
        close = endTag(in, tag.end, covered ? "table:covered-table-cell" : "table:table-cell");
        if (!close || !plainContent(in.substr(tag.end, close->first - tag.end))) {
            close.reset();
            text.clear();
        }
    }
    changed_ = true;
    std::string start = "<table:table-cell";
    for (const auto& [k, v] : tag.attributes) {
        if ((dropFormula && k == "table:formula") ||
            (!newType.empty() && (k == "office:value-type" || k == "calcext:value-type" ||
                                  k == "office:boolean-value" || k == "office:time-value"))) {
            continue;
        }
        start += attributeText(k, v);
    }
    if (!newType.empty()) {
        start += " office:value-type=\"" + newType + "\"";
    }
    if (text.empty()) {
        start += tag.selfClosing ? "/>" : ">";
        grow(out, start);
        return tag.end; // the content follows as it is
    }
    grow(out, start + "><text:p>" + text + "</text:p></table:table-cell>");
    return close ? close->second : tag.end;
}

} // namespace kw
