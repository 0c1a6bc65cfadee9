#include "kestrix/capture_name.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "kestrix/utf8.h"

namespace kestrix {

namespace {

constexpr std::array<std::string_view, 3> kTokens = {"{date}", "{time}", "{counter}"};

bool is_token_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

// The "{word}" at `at`, if one starts there.
std::optional<std::string_view> token_at(std::string_view pattern, size_t at) {
    if (pattern[at] != '{') return std::nullopt;
    size_t end = at + 1;
    while (end < pattern.size() && is_token_letter(pattern[end])) ++end;
    if (end == at + 1 || end >= pattern.size() || pattern[end] != '}') return std::nullopt;
    return pattern.substr(at, end + 1 - at);
}

std::optional<size_t> known_token(std::string_view token) {
    const std::string lower = ascii_lower(token);
    for (size_t i = 0; i < kTokens.size(); ++i)
        if (lower == kTokens[i]) return i;
    return std::nullopt;
}

bool has_counter(std::string_view pattern) {
    for (size_t at = 0; at < pattern.size(); ++at)
        if (const auto token = token_at(pattern, at); token && known_token(*token) == 2) return true;
    return false;
}

std::string two_digits(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", value % 100);
    return text;
}

std::string expand(std::string_view pattern, const LocalTime& t, uint32_t counter) {
    std::string out;
    for (size_t at = 0; at < pattern.size();) {
        const auto token = token_at(pattern, at);
        const auto known = token ? known_token(*token) : std::nullopt;
        if (!known) {
            out += pattern[at++];
            continue;
        }
        if (*known == 0) {
            char date[16];
            std::snprintf(date, sizeof date, "%04u-", unsigned(t.year) % 10000);
            out += date + two_digits(t.month) + "-" + two_digits(t.day);
        } else if (*known == 1) {
            out += two_digits(t.hour) + two_digits(t.minute) + two_digits(t.second);
        } else {
            out += std::to_string(counter);
        }
        at += token->size();
    }
    return out;
}

bool forbidden_in_names(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'/' || c == u'\\' || c == u'|' ||
           c == u'?' || c == u'*';
}

bool end_trimmed(char16_t c) { return c == u' ' || c == u'.'; }

void trim_ends(std::u16string& name) {
    while (!name.empty() && end_trimmed(name.back())) name.pop_back();
    size_t front = 0;
    while (front < name.size() && end_trimmed(name[front]) && name[front] != u'.') ++front;  // leading dots stay
    name.erase(0, front);
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9 (also with a superscript digit), before any
// dot: such a name opens the device, not a file.
bool is_device_name(std::u16string_view name) {
    std::u16string base(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    for (char16_t& c : base)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL") return true;
    if (base.size() != 4 || (base.substr(0, 3) != u"COM" && base.substr(0, 3) != u"LPT")) return false;
    const char16_t digit = base[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

// At most `units` units, never half of a surrogate pair.
void cut_to(std::u16string& text, size_t units) {
    if (text.size() <= units) return;
    if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
    text.resize(units);
}

}  // namespace

std::optional<std::string> file_name_pattern_problem(std::string_view pattern) {
    if (trim_space(pattern).empty()) return std::string("expected a name such as `Kestrix {date} {time}`, got ``");
    for (size_t at = 0; at < pattern.size(); ++at) {
        const auto token = token_at(pattern, at);
        if (token && !known_token(*token))
            return "`" + std::string(*token) + "` is not one of {date}, {time}, {counter}";
    }
    return std::nullopt;
}

size_t file_name_budget(size_t folder_units) {
    constexpr size_t kPathUnits = 259, kNameUnits = 255, kLeast = 16;
    const size_t room = folder_units + 1 < kPathUnits ? kPathUnits - folder_units - 1 : 0;
    return std::clamp(room, kLeast, kNameUnits);
}

std::string capture_file_name(std::string_view pattern, const LocalTime& time, uint32_t attempt,
                              std::string_view extension, size_t max_units) {
    std::u16string stem = utf16_from_utf8(expand(pattern, time, attempt + 1));
    for (char16_t& c : stem)
        if (forbidden_in_names(c)) c = u'_';
    trim_ends(stem);
    if (stem.empty()) stem = u"Kestrix";

    // With {counter} the number itself makes the name new.
    const std::u16string suffix =
        has_counter(pattern) || attempt == 0 ? u"" : utf16_from_utf8(" (" + std::to_string(attempt + 1) + ")");
    const std::u16string ext = utf16_from_utf8(extension);
    const size_t fixed = suffix.size() + ext.size();
    const size_t stem_units = max_units > fixed ? max_units - fixed : 1;
    cut_to(stem, stem_units);
    trim_ends(stem);
    if (stem.empty()) stem = u"_";
    if (is_device_name(stem + suffix)) {
        stem.insert(stem.begin(), u'_');
        cut_to(stem, std::max<size_t>(stem_units, 2));
    }
    return utf8_from_utf16(stem + suffix + ext);
}

PictureFormat picture_format_for(std::string_view file_name) {
    const size_t dot = file_name.rfind('.');
    if (dot == std::string_view::npos) return PictureFormat::Png;
    const std::string ext = ascii_lower(file_name.substr(dot));
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") return PictureFormat::Jpeg;
    return PictureFormat::Png;
}

}  // namespace kestrix
