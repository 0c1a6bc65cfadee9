// The settings file is edited by hand: any bytes must read without throwing, give
// values in range (no two hotkeys the same), and read the same with CRLF line ends.
// What was read renders to a file that reads back to the same values without a
// warning. The first line is also tried as a language tag. Whether a hotkey line chose
// the hotkey is told apart from the default. Folders, name patterns and counts read
// are always usable ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fuzz_support.h"
#include "kestrix/config.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using kestrix::fuzz::escaped;

namespace {

void check_hotkey(const Hotkey& hotkey, std::string_view input) {
    const auto where = [&] { return "input: " + escaped(input); };
    FUZZ_CHECK((hotkey.modifiers & ~uint32_t(0xF)) == 0, where());
    if (const auto* ch = std::get_if<Hotkey::Char>(&hotkey.key))
        FUZZ_CHECK((ch->code >= U'A' && ch->code <= U'Z') || (ch->code >= U'0' && ch->code <= U'9'), where());
    if (const auto* f = std::get_if<Hotkey::Function>(&hotkey.key))
        FUZZ_CHECK(f->number >= 1 && f->number <= 24, where());
}

void check_in_range(const Config& c, std::string_view input) {
    const auto where = [&] { return "input: " + escaped(input); };
    FUZZ_CHECK(c.overlay_dim_percent <= 100, where());
    FUZZ_CHECK(c.language < kLanguageCount || c.language == kAutomaticLanguage, where());
    FUZZ_CHECK(c.recent_captures <= kRecentCapturesMaxCount, where());
    FUZZ_CHECK(c.save_folder.empty() || is_full_folder_path(c.save_folder), where());
    FUZZ_CHECK(!file_name_pattern_problem(c.file_name_pattern), where());
    for (CaptureMode mode : kHotkeyModes) {
        const std::optional<Hotkey> hotkey = capture_hotkey(c, mode);
        if (!hotkey) continue;
        check_hotkey(*hotkey, input);
        FUZZ_CHECK(!capture_hotkey_owner(c, *hotkey, mode), where() + " two keys share " + hotkey->text());
    }
}

// "hotkey_screen: F9 is already taken by `hotkey_window`; turned off": decided by the
// values the file ends with, so a later file's lines can take it away.
bool is_shared_hotkey_warning(const ConfigWarning& warning) {
    const std::string_view text = warning.message;
    for (CaptureMode mode : kHotkeyModes) {
        const std::string prefix = std::string(capture_hotkey_key(mode)) + ": ";
        if (!text.starts_with(prefix)) continue;
        const size_t taken = text.find(" is already taken by `", prefix.size());
        if (taken == std::string_view::npos || !text.ends_with("`; turned off")) return false;
        const std::string_view combination = text.substr(prefix.size(), taken - prefix.size());
        const auto hotkey = parse_hotkey(combination);
        return hotkey && hotkey->text() == combination;
    }
    return false;
}

size_t line_count(std::string_view text) {
    size_t lines = 0;
    for (size_t at = 0; at < text.size(); ++lines) {
        const size_t end = text.find('\n', at);
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    return lines;
}

// Every LF becomes CRLF, as a Windows editor saves it.
std::string with_crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Some valid settings picked by the input, to append as a whole rendered file.
Config settings_from(std::string_view input) {
    uint32_t h = 2166136261u;
    for (unsigned char c : input) h = (h ^ c) * 16777619u;
    Config c;
    const Hotkey::Key keys[] = {Hotkey::Char{char32_t('A' + h % 26)}, Hotkey::Char{char32_t('0' + h % 10)},
                                Hotkey::Function{uint8_t(1 + h % 24)}, Hotkey::PrintScreen{}, Hotkey::Insert{}};
    c.hotkey = Hotkey{keys[(h >> 5) % 5], (h >> 8) & 0xF};
    c.overlay_dim_percent = uint8_t((h >> 12) % 101);
    c.language = (h >> 19) % 20 == 19 ? kAutomaticLanguage : Language((h >> 19) % 20);
    c.show_confirmation = h >> 24 & 1;
    c.transfer_enabled = h >> 25 & 1;
    c.show_tray_icon = h >> 26 & 1;
    c.check_for_updates = h >> 27 & 1;
    // The other hotkeys: off, or a function key with modifiers that none of the others has.
    uint32_t bits = h >> 28 ^ h;
    for (CaptureMode mode : {CaptureMode::LastRegion, CaptureMode::Screen, CaptureMode::Window}) {
        const Hotkey hotkey{Hotkey::Function{uint8_t(1 + bits % 24)}, (bits >> 5) & 0xF};
        if (bits & 0x200 && !capture_hotkey_owner(c, hotkey, mode)) set_capture_hotkey(c, mode, hotkey);
        bits = bits * 2654435761u + 1;
    }
    // Folder and pattern texts taken from the input itself, as far as a file can hold them.
    std::string text(input.substr(0, input.find_first_of("#\r\n")));
    if (h >> 28 & 1) c.save_folder = "D:\\" + text;
    if (!file_name_pattern_problem(text)) c.file_name_pattern = text;
    c.recent_captures = (h >> 3) % (kRecentCapturesMaxCount + 1);
    return c;
}

// The "language" value is matched as a language tag: ASCII case and "_" against "-"
// do not matter, and a match other than Chinese names the tag's first subtag.
void check_language_tag(std::string_view tag) {
    const auto where = [&] { return "tag: " + escaped(tag); };
    const Language language = match_language_tag(tag);
    FUZZ_CHECK(language < kLanguageCount || language == kAutomaticLanguage, where());
    std::string folded = ascii_lower(tag);
    for (char& c : folded)
        if (c == '_') c = '-';
    std::string shouted = folded;
    for (char& c : shouted)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    FUZZ_CHECK(match_language_tag(folded) == language && match_language_tag(shouted) == language, where());
    const std::string_view primary = std::string_view(folded).substr(0, folded.find('-'));
    if (primary == "zh") {
        FUZZ_CHECK(language == 1 || language == 2, where());
    } else if (language != kAutomaticLanguage) {
        FUZZ_CHECK(ascii_lower(language_tag(language)) == primary, where());
    }
}

void check(std::string_view input) {
    const auto where = [&] { return "input: " + escaped(input); };
    ParsedConfig parsed;
    try {
        parsed = parse_config(input);
    } catch (...) {
        fuzz::property_failed("parse_config does not throw", __FILE__, __LINE__, where());
    }
    check_in_range(parsed.values, input);

    // One warning at most per line, in line order, each naming a line of the file.
    const size_t lines = line_count(input);
    uint32_t previous = 0;
    for (const ConfigWarning& w : parsed.warnings) {
        FUZZ_CHECK(w.line > previous && w.line <= lines, where() + " warning: " + escaped(w.text()));
        FUZZ_CHECK(w.text() == "line " + std::to_string(w.line) + ": " + w.message, where());
        previous = w.line;
        if (is_valid_utf8(input)) FUZZ_CHECK(is_valid_utf8(w.message), where() + " warning: " + escaped(w.text()));
    }

    // Without a usable hotkey line the built-in default is in charge (it may give way to a
    // fallback at start-up); a rendered file always chooses its hotkey.
    if (!parsed.hotkey_written) FUZZ_CHECK(parsed.values.hotkey == Hotkey{}, where());

    // CRLF files read the same, warnings included.
    const ParsedConfig crlf = parse_config(with_crlf(input));
    FUZZ_CHECK(crlf.values == parsed.values, where());
    FUZZ_CHECK(crlf.warnings == parsed.warnings, where());
    FUZZ_CHECK(crlf.hotkey_written == parsed.hotkey_written, where());

    // What was read renders to a file that reads back the same, with no warning.
    const std::string rendered = render_config(parsed.values);
    const ParsedConfig again = parse_config(rendered);
    FUZZ_CHECK(again.values == parsed.values,
               where() + "\nrendered:\n" + rendered + "read back:\n" + render_config(again.values));
    FUZZ_CHECK(again.warnings.empty(), where() + " warning: " + escaped(again.warnings[0].text()));
    FUZZ_CHECK(again.hotkey_written, where());
    FUZZ_CHECK(render_config(again.values) == rendered, where());

    // A whole rendered file appended after the text sets every value (later lines win)
    // and leaves the text's own warnings as they were, but for shared hotkeys: the
    // appended lines give every hotkey a combination of its own.
    const Config later = settings_from(input);
    const ParsedConfig appended = parse_config(std::string(input) + "\n" + render_config(later));
    FUZZ_CHECK(appended.values == later, where());
    std::vector<ConfigWarning> own = parsed.warnings;
    std::erase_if(own, is_shared_hotkey_warning);
    FUZZ_CHECK(appended.warnings == own, where());

    // The file's bytes: not UTF-8 gives nothing; a byte-order mark changes nothing.
    const auto from_file = parse_config_file(input);
    FUZZ_CHECK(from_file.has_value() == is_valid_utf8(input), where());
    if (from_file) {
        const ParsedConfig unmarked =
            parse_config(input.starts_with("\xEF\xBB\xBF") ? input.substr(3) : input);
        FUZZ_CHECK(from_file->values == unmarked.values && from_file->warnings == unmarked.warnings, where());
        const auto marked = parse_config_file("\xEF\xBB\xBF" + std::string(input));
        FUZZ_CHECK(marked && marked->values == parsed.values && marked->warnings == parsed.warnings, where());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    check(input);
    check_language_tag(input.substr(0, input.find('\n')));
    return 0;
}
