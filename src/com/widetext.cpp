#include "com/widetext.h"

#include "com/utf16.h"
#include "core/base/failure.h"

namespace kw::com {

std::wstring wideText(std::string_view text) {
    if (const auto utf16 = utf16From(text)) {
        return std::wstring(utf16->begin(), utf16->end());
    }
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    }
    return out;
}

std::string narrowText(const wchar_t* text, std::size_t length) {
    return utf8From(std::u16string(text, text + length));
}

std::string narrowText(BSTR text) {
    return text != nullptr ? narrowText(text, SysStringLen(text)) : std::string();
}

BSTR newBstr(std::string_view text) {
    const std::wstring wide = wideText(text);
    BSTR out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (out == nullptr) {
        throw Failure(Failure::Reason::outOfMemory, "out of memory for a text to give to Excel");
    }
    return out;
}

std::string systemText(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::string out;
    if (n > 0 && buffer != nullptr) {
        out = narrowText(buffer, n);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
            out.pop_back();
        }
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    return out;
}

} // namespace kw::com
