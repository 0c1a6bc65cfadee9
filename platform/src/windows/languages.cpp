#include "languages.h"

#include <windows.h>

#include "kestrix/utf8.h"

namespace kestrix::win {

std::vector<std::string> preferred_languages() {
    ULONG count = 0;
    ULONG length = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &length) || length == 0) return {};
    std::wstring buffer(length, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &length)) return {};

    // NUL-terminated names, the list ended by an empty one.
    std::vector<std::string> tags;
    for (size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const size_t end = buffer.find(L'\0', at);
        const std::wstring_view name(buffer.data() + at, (end == std::wstring::npos ? buffer.size() : end) - at);
        tags.push_back(utf8_from_utf16(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size())));
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
    return tags;
}

}  // namespace kestrix::win
