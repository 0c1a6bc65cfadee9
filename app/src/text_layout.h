#pragma once
// Fixed-width fields for the command-line answers (ASCII content, so one byte is one column).
#include <string>
#include <string_view>

namespace kestrix {

// The text, then blanks up to `width` characters; longer texts stay whole.
std::string pad_right(std::string_view text, size_t width);
// Blanks up to `width` characters, then the text.
std::string pad_left(std::string_view text, size_t width);

}  // namespace kestrix
