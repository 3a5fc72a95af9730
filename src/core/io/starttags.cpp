#include "core/io/starttags.h"

#include <algorithm>

namespace kw {

std::string_view StartTag::get(std::string_view key) const {
    for (const auto& [k, v] : attributes) {
        if (k == key) {
            return v;
        }
    }
    return {};
}

bool StartTag::has(std::string_view key) const {
    return std::any_of(attributes.begin(), attributes.end(),
                       [&](const auto& a) { return a.first == key; });
}

bool xmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::optional<StartTag> startTag(std::string_view s, std::size_t lt) {
    StartTag tag;
    std::size_t i = lt + 1;
    while (i < s.size() && !xmlSpace(s[i]) && s[i] != '>' && s[i] != '/') {
        ++i;
    }
    tag.name = s.substr(lt + 1, i - lt - 1);
    for (;;) {
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i >= s.size()) {
            return std::nullopt;
        }
        if (s[i] == '>' || (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '>')) {
            tag.selfClosing = s[i] == '/';
            tag.end = i + (tag.selfClosing ? 2 : 1);
            return tag;
        }
        const std::size_t nameStart = i;
        while (i < s.size() && s[i] != '=' && !xmlSpace(s[i]) && s[i] != '>') {
            ++i;
        }
        const std::string_view key = s.substr(nameStart, i - nameStart);
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i >= s.size() || s[i] != '=') {
            return std::nullopt;
        }
        ++i;
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) {
            return std::nullopt;
        }
        const std::size_t close = s.find(s[i], i + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        tag.attributes.emplace_back(key, s.substr(i + 1, close - i - 1));
        i = close + 1;
    }
}

bool startsTag(std::string_view s, std::size_t lt, std::string_view name) {
    if (s.compare(lt + 1, name.size(), name) != 0) {
        return false;
    }
    const std::size_t after = lt + 1 + name.size();
    return after < s.size() && (xmlSpace(s[after]) || s[after] == '>' || s[after] == '/');
}

std::optional<std::pair<std::size_t, std::size_t>> endTag(std::string_view s, std::size_t from,
                                                          std::string_view name) {
    const std::string open = "</" + std::string(name);
    for (std::size_t at = s.find(open, from); at != std::string_view::npos;
         at = s.find(open, at + open.size())) {
        std::size_t i = at + open.size();
        while (i < s.size() && xmlSpace(s[i])) {
            ++i;
        }
        if (i < s.size() && s[i] == '>') {
            return std::make_pair(at, i + 1);
        }
    }
    return std::nullopt;
}

std::string attributeText(std::string_view key, std::string_view value) {
    const char quote = value.find('"') == std::string_view::npos ? '"' : '\'';
    std::string out = " ";
    out.append(key).append(1, '=').append(1, quote).append(value).append(1, quote);
    return out;
}

std::optional<std::size_t> markupEnd(std::string_view s, std::size_t lt) {
    std::string_view close;
    std::size_t open = 2;
    if (s.compare(lt, 4, "<!--") == 0) {
        close = "-->";
        open = 4;
    } else if (s.compare(lt, 9, "<![CDATA[") == 0) {
        close = "]]>";
        open = 9;
    } else if (s.compare(lt, 2, "<?") == 0) {
        close = "?>";
    } else if (s.compare(lt, 2, "<!") == 0) {
        close = ">";
    } else {
        return std::nullopt;
    }
    const std::size_t at = s.find(close, lt + open);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return at + close.size();
}

} // namespace kw
