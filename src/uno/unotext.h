#pragma once

// Texts between the program (UTF-8) and UNO (OUString, UTF-16).

#include <rtl/string.hxx>
#include <rtl/ustring.hxx>

#include <string>

namespace kw::uno {

inline rtl::OUString toOUString(const std::string& text) {
    return rtl::OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

inline std::string fromOUString(const rtl::OUString& text) {
    const rtl::OString utf8 = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(utf8.getStr(), static_cast<std::size_t>(utf8.getLength()));
}

} // namespace kw::uno
