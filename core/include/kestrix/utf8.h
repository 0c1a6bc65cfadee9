#pragma once
// Small helpers for the UTF-8 text every part of Kestrix passes around.
#include <filesystem>
#include <string>
#include <string_view>

namespace kestrix {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view text);

// Drops Unicode white space (tabs, line ends, no-break and ideographic spaces, ...) at
// both ends. Bytes that are not valid UTF-8 are never treated as space.
std::string_view trim_space(std::string_view text);

// Lower-cases A to Z only; every other byte is kept as it is.
std::string ascii_lower(std::string_view text);

// UTF-16 (the Windows wide strings) to and from UTF-8. Unpaired surrogates and
// invalid UTF-8 sequences become U+FFFD.
std::string utf8_from_utf16(std::u16string_view text);
std::u16string utf16_from_utf8(std::string_view text);

// Paths to and from UTF-8 text, correct on Windows too (where the narrow path
// encoding would otherwise be the ANSI code page).
std::filesystem::path path_from_utf8(std::string_view text);
// For showing a path: whatever in it is not valid Unicode becomes U+FFFD.
std::string utf8_from_path(const std::filesystem::path& path);

}  // namespace kestrix
