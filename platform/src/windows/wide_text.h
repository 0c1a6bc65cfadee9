#pragma once
// UTF-8 to and from the wide strings of the Windows API.
#include <string>
#include <string_view>

#include "kestrix/utf8.h"

namespace kestrix::win {

inline std::wstring wide(std::string_view text) {
    const std::u16string u16 = utf16_from_utf8(text);
    return std::wstring(u16.begin(), u16.end());
}

inline std::string narrow(std::wstring_view text) {
    return utf8_from_utf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace kestrix::win
