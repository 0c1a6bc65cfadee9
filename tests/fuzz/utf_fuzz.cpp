// The UTF-8 and UTF-16 helpers carry file contents, window texts and paths. They
// must agree with a decoder written from the Unicode tables of well-formed byte
// sequences, turn whatever is not well formed into U+FFFD, and give well-formed
// output for any input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using kestrix::fuzz::escaped;

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One code point of the input as the reference reads it: where it starts, how many
// bytes it takes, and whether those bytes were well formed.
struct Unit {
    size_t at, length;
    char32_t code;
    bool ok;
};

// The ranges of well-formed UTF-8 byte sequences (Unicode, table 3-7). A byte that
// does not start a well-formed sequence is one U+FFFD, and reading goes on after it.
std::vector<Unit> decode_utf8(std::string_view text) {
    struct Row {
        uint8_t lead_lo, lead_hi;
        uint8_t second_lo, second_hi;
        int length;
    };
    static constexpr Row kRows[] = {
        {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEC, 0x80, 0xBF, 3},
        {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
        {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
    };
    std::vector<Unit> out;
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    for (size_t i = 0; i < text.size();) {
        if (s[i] < 0x80) {
            out.push_back({i, 1, s[i], true});
            ++i;
            continue;
        }
        bool ok = false;
        for (const Row& row : kRows) {
            if (s[i] < row.lead_lo || s[i] > row.lead_hi) continue;
            const size_t n = size_t(row.length);
            if (text.size() - i < n || s[i + 1] < row.second_lo || s[i + 1] > row.second_hi) break;
            bool tail_ok = true;
            for (size_t k = 2; k < n; ++k) tail_ok = tail_ok && s[i + k] >= 0x80 && s[i + k] <= 0xBF;
            if (!tail_ok) break;
            // The value: the lead's payload bits, then six bits per following byte.
            char32_t code = s[i] & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
            for (size_t k = 1; k < n; ++k) code = code * 64 + (s[i + k] & 0x3F);
            out.push_back({i, n, code, true});
            i += n;
            ok = true;
            break;
        }
        if (!ok) {
            out.push_back({i, 1, kReplacement, false});
            ++i;
        }
    }
    return out;
}

// UTF-16 code units to code points; a surrogate without its partner is U+FFFD.
std::vector<char32_t> decode_utf16(std::u16string_view text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t u = text[i];
        const bool high = u >= 0xD800 && u < 0xDC00, low = u >= 0xDC00 && u < 0xE000;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out.push_back(0x10000 + (u - 0xD800) * 0x400 + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            out.push_back(high || low ? kReplacement : u);
        }
    }
    return out;
}

std::string encode_utf8(const std::vector<char32_t>& codes) {
    std::string out;
    for (char32_t c : codes) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += {char(0xC0 + c / 64), char(0x80 + c % 64)};
        } else if (c < 0x10000) {
            out += {char(0xE0 + c / 4096), char(0x80 + c / 64 % 64), char(0x80 + c % 64)};
        } else {
            out += {char(0xF0 + c / 262144), char(0x80 + c / 4096 % 64), char(0x80 + c / 64 % 64), char(0x80 + c % 64)};
        }
    }
    return out;
}

std::u16string encode_utf16(const std::vector<char32_t>& codes) {
    std::u16string out;
    for (char32_t c : codes) {
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + (c - 0x10000) / 0x400);
            out += char16_t(0xDC00 + (c - 0x10000) % 0x400);
        }
    }
    return out;
}

std::vector<char32_t> codes_of(const std::vector<Unit>& units) {
    std::vector<char32_t> out;
    for (const Unit& u : units) out.push_back(u.code);
    return out;
}

bool well_formed_utf8(std::string_view text) {
    for (const Unit& u : decode_utf8(text))
        if (!u.ok) return false;
    return true;
}

bool well_formed_utf16(std::u16string_view text) { return encode_utf16(decode_utf16(text)) == text; }

// Unicode's White_Space property.
bool white_space(char32_t c) {
    switch (c) {
        case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0: case 0x1680:
        case 0x2000: case 0x2001: case 0x2002: case 0x2003: case 0x2004: case 0x2005: case 0x2006: case 0x2007:
        case 0x2008: case 0x2009: case 0x200A: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
            return true;
        default:
            return false;
    }
}

bool is_space_unit(const Unit& u) { return u.ok && white_space(u.code); }

void check_utf8_input(std::string_view text) {
    const auto where = [&] { return "input: " + escaped(text); };
    const std::vector<Unit> units = decode_utf8(text);
    bool all_ok = true;
    for (const Unit& u : units) all_ok = all_ok && u.ok;
    FUZZ_CHECK(is_valid_utf8(text) == all_ok, where());

    const std::u16string wide = utf16_from_utf8(text);
    FUZZ_CHECK(wide == encode_utf16(codes_of(units)), where());
    FUZZ_CHECK(well_formed_utf16(wide), where());

    // Back to UTF-8: the text itself when it was well formed, else its repaired form.
    const std::string narrow = utf8_from_utf16(wide);
    FUZZ_CHECK(narrow == encode_utf8(codes_of(units)), where());
    FUZZ_CHECK(well_formed_utf8(narrow), where());
    if (all_ok) FUZZ_CHECK(narrow == text, where());

    // A path made from the text shows as the same repaired text.
    FUZZ_CHECK(utf8_from_path(path_from_utf8(text)) == narrow, where());

    // trim_space cuts whole white-space code points at both ends and nothing else.
    const std::string_view trimmed = trim_space(text);
    FUZZ_CHECK(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size(), where());
    const size_t first = size_t(trimmed.data() - text.data()), end = first + trimmed.size();
    bool start_seen = first == 0 || first == text.size(), end_seen = end == text.size() || trimmed.empty();
    const Unit* first_kept = nullptr;
    const Unit* last_kept = nullptr;
    for (const Unit& u : units) {
        if (u.at == first) start_seen = true;
        if (u.at == end) end_seen = true;
        const bool kept = u.at >= first && u.at < end;
        if (kept) {
            FUZZ_CHECK(u.at + u.length <= end, where());  // no code point is cut in two
            if (!first_kept) first_kept = &u;
            last_kept = &u;
        } else {
            FUZZ_CHECK(is_space_unit(u), where() + " trimmed: " + escaped(trimmed));
        }
    }
    FUZZ_CHECK(start_seen && end_seen, where() + " trimmed: " + escaped(trimmed));
    if (first_kept)
        FUZZ_CHECK(!is_space_unit(*first_kept) && !is_space_unit(*last_kept),
                   where() + " trimmed: " + escaped(trimmed));

    // ascii_lower changes A to Z and nothing else.
    const std::string lower = ascii_lower(text);
    FUZZ_CHECK(lower.size() == text.size(), where());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        FUZZ_CHECK(lower[i] == (c >= 'A' && c <= 'Z' ? char(c + 32) : c), where());
    }
}

void check_utf16_input(std::u16string_view wide) {
    const auto where = [&] {
        std::string text = "UTF-16 input:";
        for (char16_t u : wide) text += " " + std::to_string(unsigned(u));
        return text;
    };
    const std::vector<char32_t> codes = decode_utf16(wide);
    const std::string narrow = utf8_from_utf16(wide);
    FUZZ_CHECK(narrow == encode_utf8(codes), where());
    FUZZ_CHECK(is_valid_utf8(narrow) && well_formed_utf8(narrow), where());
    const std::u16string again = utf16_from_utf8(narrow);
    FUZZ_CHECK(again == encode_utf16(codes), where());
    if (well_formed_utf16(wide)) FUZZ_CHECK(again == wide, where());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    check_utf8_input(std::string_view(reinterpret_cast<const char*>(data), size));
    // The same bytes as little-endian UTF-16 code units.
    std::u16string wide;
    for (size_t i = 0; i + 1 < size; i += 2) wide += char16_t(data[i] | data[i + 1] << 8);
    check_utf16_input(wide);
    return 0;
}
