#pragma once

// Texts between the program (UTF-8) and Windows' wide-character calls, and the system's texts
// for error codes.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace kw::com {

// A text as UTF-16: UTF-8 when it is that, otherwise read in the system's code page (a text
// that came from a file written on this machine).
std::wstring wideText(std::string_view text);

// UTF-16 as UTF-8.
std::string narrowText(const wchar_t* text, std::size_t length);
std::string narrowText(BSTR text); // a null BSTR is empty

// A BSTR of the text, for the caller to free; no memory for it is a kw::Failure.
BSTR newBstr(std::string_view text);

// The system's text for an error code; empty when it has none (Excel's own codes).
std::string systemText(HRESULT hr);

} // namespace kw::com
