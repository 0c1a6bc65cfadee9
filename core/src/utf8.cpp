#include "kestrix/utf8.h"

#include <cstdint>
#include <optional>

namespace kestrix {

namespace {

struct Decoded {
    char32_t code;
    size_t length;
};

// The code point starting at text[at], or nothing when the bytes there are not strict UTF-8.
std::optional<Decoded> decode_at(std::string_view text, size_t at) {
    auto byte = [&](size_t i) { return uint8_t(text[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80) return Decoded{lead, 1};
    size_t length;
    char32_t code;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - at < length) return std::nullopt;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    return Decoded{code, length};
}

// The Unicode White_Space property.
bool is_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        auto decoded = decode_at(text, at);
        if (!decoded) return false;
        at += decoded->length;
    }
    return true;
}

std::string_view trim_space(std::string_view text) {
    while (!text.empty()) {
        auto decoded = decode_at(text, 0);
        if (!decoded || !is_space(decoded->code)) break;
        text.remove_prefix(decoded->length);
    }
    while (!text.empty()) {
        // Step back to the start of the last code point (at most three continuation bytes).
        size_t start = text.size() - 1;
        while (start > 0 && text.size() - start < 4 && (uint8_t(text[start]) & 0xC0) == 0x80) --start;
        auto decoded = decode_at(text, start);
        if (!decoded || start + decoded->length != text.size() || !is_space(decoded->code)) break;
        text.remove_suffix(decoded->length);
    }
    return text;
}

std::string ascii_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::string utf8_from_utf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            append_utf8(out, kReplacement);
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

std::u16string utf16_from_utf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        auto decoded = decode_at(text, at);
        // A bad sequence costs one byte and one replacement character.
        const char32_t c = decoded ? decoded->code : kReplacement;
        at += decoded ? decoded->length : 1;
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

std::filesystem::path path_from_utf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8_from_path(const std::filesystem::path& path) {
    // path::u8string() throws on Windows for an unpaired surrogate and passes invalid
    // bytes through elsewhere; a path shown to the user must do neither.
    const auto& native = path.native();
#ifdef _WIN32
    return utf8_from_utf16(std::u16string_view(reinterpret_cast<const char16_t*>(native.data()), native.size()));
#else
    if (is_valid_utf8(native)) return native;
    return utf8_from_utf16(utf16_from_utf8(native));
#endif
}

}  // namespace kestrix
