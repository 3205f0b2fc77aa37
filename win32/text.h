#pragma once

// The edge between app/'s UTF-8 texts and the wide Win32 calls.

#include <string>
#include <string_view>

namespace tarnwick::win32 {

std::wstring Wide(std::string_view utf8);
// A lone surrogate, which has no UTF-8 form, becomes U+FFFD.
std::string Narrow(std::wstring_view text);

// The system's description of an error code (GetLastError, a registry call's result), without the final full stop.
std::string ErrorText(unsigned long code);

} // namespace tarnwick::win32
