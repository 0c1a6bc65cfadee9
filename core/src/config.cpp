#include "kestrix/config.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "kestrix/file_io.h"
#include "kestrix/utf8.h"

namespace kestrix {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileName = "kestrix.toml";

bool path_exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The mode of one of the hotkeys that may be off, by its key.
std::optional<CaptureMode> optional_hotkey_mode(std::string_view key) {
    for (CaptureMode mode : kHotkeyModes)
        if (mode != CaptureMode::Region && capture_hotkey_key(mode) == key) return mode;
    return std::nullopt;
}

// A hotkey that may be off: a combination, or "off"; anything else turns it off too.
std::optional<std::string> apply_optional_hotkey(Config& config, CaptureMode mode, std::string_view value) {
    const std::string_view key = capture_hotkey_key(mode);
    value = trim_space(value);
    if (ascii_lower(value) == "off") {
        set_capture_hotkey(config, mode, std::nullopt);
        return std::nullopt;
    }
    auto parsed = parse_hotkey(value);
    set_capture_hotkey(config, mode, parsed ? std::optional<Hotkey>(*parsed) : std::nullopt);
    if (!parsed) return std::string(key) + ": " + parsed.error().text() + "; turned off";
    return std::nullopt;
}

// Applies one "key = value" line to the settings, or says why it could not.
std::optional<std::string> apply_setting(Config& config, std::string_view key, std::string_view value) {
    if (key == "hotkey") {
        auto parsed = parse_hotkey(trim_space(value));
        if (!parsed) return "hotkey: " + parsed.error().text() + "; keeping " + config.hotkey.text();
        config.hotkey = *parsed;
        return std::nullopt;
    }
    if (key == "overlay_dim_percent") {
        auto percent = parse_percent(value);
        if (!percent) return format_message("overlay_dim_percent: expected 0-100, got `{}`", value);
        config.overlay_dim_percent = *percent;
        return std::nullopt;
    }
    struct Switch {
        std::string_view key;
        bool Config::*field;
    };
    static constexpr Switch kSwitches[] = {
        {"show_confirmation", &Config::show_confirmation},
        {"transfer_enabled", &Config::transfer_enabled},
        {"check_for_updates", &Config::check_for_updates},
        {"show_tray_icon", &Config::show_tray_icon},
    };
    for (const Switch& s : kSwitches) {
        if (key != s.key) continue;
        auto flag = parse_bool(value);
        if (!flag) return std::string(s.key) + format_message(": expected true/false, got `{}`", value);
        config.*s.field = *flag;
        return std::nullopt;
    }
    if (key == "save_folder") {
        if (!value.empty() && !is_full_folder_path(value))
            return format_message("save_folder: expected a full path such as D:\\Captures, got `{}`", value);
        config.save_folder = std::string(value);
        return std::nullopt;
    }
    if (key == "file_name_pattern") {
        if (auto problem = file_name_pattern_problem(value))
            return "file_name_pattern: " + *problem + "; keeping `" + config.file_name_pattern + "`";
        config.file_name_pattern = std::string(value);
        return std::nullopt;
    }
    if (key == "recent_captures") {
        auto count = parse_count(value, kRecentCapturesMaxCount);
        if (!count)
            return "recent_captures: expected 0-" + std::to_string(kRecentCapturesMaxCount) +
                   format_message(", got `{}`", value);
        config.recent_captures = *count;
        return std::nullopt;
    }
    if (key == "language") {
        if (value.empty() || value == "auto" || value == "system") {
            config.language = kAutomaticLanguage;
            return std::nullopt;
        }
        const Language language = match_language_tag(value);
        if (language == kAutomaticLanguage) return format_message("language: `{}` is not one Kestrix has", value);
        config.language = language;
        return std::nullopt;
    }
    if (const auto mode = optional_hotkey_mode(key)) return apply_optional_hotkey(config, *mode, value);
    return format_message("unknown key `{}`", key);
}

// Two modes cannot share a combination: of two hotkeys that are the same, the one set
// on the later line is turned off. The capture hotkey always keeps its combination.
// `set_on` holds the line that gave each mode its hotkey (0: the default).
void turn_off_shared_hotkeys(ParsedConfig& parsed, const std::array<uint32_t, kCaptureModeCount>& set_on) {
    std::array<CaptureMode, kCaptureModeCount - 1> later{CaptureMode::LastRegion, CaptureMode::Screen,
                                                         CaptureMode::Window};
    std::stable_sort(later.begin(), later.end(),
                     [&](CaptureMode a, CaptureMode b) { return set_on[size_t(a)] < set_on[size_t(b)]; });
    std::vector<CaptureMode> kept{CaptureMode::Region};
    for (CaptureMode mode : later) {
        const std::optional<Hotkey> hotkey = capture_hotkey(parsed.values, mode);
        if (!hotkey) continue;
        const auto owner = std::find_if(kept.begin(), kept.end(), [&](CaptureMode earlier) {
            return capture_hotkey(parsed.values, earlier) == hotkey;
        });
        if (owner == kept.end()) {
            kept.push_back(mode);
            continue;
        }
        set_capture_hotkey(parsed.values, mode, std::nullopt);
        const uint32_t line = set_on[size_t(mode)];
        ConfigWarning warning{std::string(capture_hotkey_key(mode)) + ": " + hotkey->text() +
                                  " is already taken by `" + std::string(capture_hotkey_key(*owner)) +
                                  "`; turned off",
                              line};
        // In line order with the others; that line set the hotkey, so it had no warning of its own.
        const auto at = std::upper_bound(parsed.warnings.begin(), parsed.warnings.end(), line,
                                         [](uint32_t l, const ConfigWarning& w) { return l < w.line; });
        parsed.warnings.insert(at, std::move(warning));
    }
}

const char* bool_text(bool value) { return value ? "true" : "false"; }

std::string optional_hotkey_text(const std::optional<Hotkey>& hotkey) {
    return hotkey ? "\"" + hotkey->text() + "\"" : std::string("off");
}

}  // namespace

std::string ConfigWarning::text() const { return "line " + std::to_string(line) + ": " + message; }

std::optional<bool> parse_bool(std::string_view text) {
    const std::string lower = ascii_lower(text);
    if (lower == "true" || lower == "yes" || lower == "on" || lower == "1") return true;
    if (lower == "false" || lower == "no" || lower == "off" || lower == "0") return false;
    return std::nullopt;
}

std::optional<uint32_t> parse_count(std::string_view text, uint32_t most) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + unsigned(c - '0');
        if (number > most) return std::nullopt;
    }
    return uint32_t(number);
}

std::optional<uint8_t> parse_percent(std::string_view text) {
    const auto number = parse_count(text, 100);
    if (!number) return std::nullopt;
    return uint8_t(*number);
}

bool is_full_folder_path(std::string_view text) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = text.size() >= 3 && ((text[0] | 0x20) >= 'a' && (text[0] | 0x20) <= 'z') && text[1] == ':' &&
                       separator(text[2]);
    const bool share = text.size() >= 3 && text[0] == '\\' && text[1] == '\\' && !separator(text[2]);
    const bool root = text.size() >= 2 && text[0] == '/' && !separator(text[1]);
    return drive || share || root;
}

ParsedConfig parse_config(std::string_view text) {
    ParsedConfig parsed;
    std::array<uint32_t, kCaptureModeCount> hotkey_set_on{};
    uint32_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;

        // Everything from the first "#" is a comment, even inside quotes. A CR left
        // over from a CRLF line end is white space and goes with the trim.
        line = trim_space(line.substr(0, line.find('#')));
        if (line.empty()) continue;

        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            parsed.warnings.push_back({format_message("ignored, expected `key = value`: `{}`", line), number});
            continue;
        }
        const std::string key = ascii_lower(trim_space(line.substr(0, equals)));
        const std::string_view value = unquote(trim_space(line.substr(equals + 1)));
        if (auto warning = apply_setting(parsed.values, key, value))
            parsed.warnings.push_back({std::move(*warning), number});
        else if (key == "hotkey")
            parsed.hotkey_written = true;
        else if (const auto mode = optional_hotkey_mode(key))
            hotkey_set_on[size_t(*mode)] = number;
    }
    turn_off_shared_hotkeys(parsed, hotkey_set_on);
    return parsed;
}

std::optional<ParsedConfig> parse_config_file(std::string_view bytes) {
    if (!is_valid_utf8(bytes)) return std::nullopt;
    // The byte-order mark is not part of the first key.
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return parse_config(bytes);
}

std::string render_config(const Config& config) {
    const std::string_view language =
        config.language < kLanguageCount ? language_tag(config.language) : std::string_view("auto");
    std::string out;
    out += "# Kestrix configuration. Every key is optional.\n"
           "# Kestrix only writes it when you change a setting in the app;\n"
           "# delete it to return to defaults.\n"
           "\n"
           "# Global capture hotkey. Written the same way on both platforms so\n"
           "# one file can be carried between them: Ctrl, Alt, Shift, Win.\n"
           "# On a Mac those are Control, Option, Shift and Command; the\n"
           "# Mac names are accepted here too. Without this line Kestrix uses\n"
           "# Ctrl+Alt+A, unless that types a character on one of your keyboard\n"
           "# layouts (AltGr is Ctrl+Alt: AltGr+A is \"\xC4\x85\" on a Polish keyboard); it\n"
           "# then uses Ctrl+Shift+A, or Ctrl+Shift+F12 where that types too.\n"
           "hotkey = \"";
    out += config.hotkey.text();
    out += "\"\n"
           "\n"
           "# How much the overlay darkens the un-selected area (0-100).\n"
           "overlay_dim_percent = ";
    out += std::to_string(config.overlay_dim_percent);
    out += "\n"
           "\n"
           "# Show the brief confirmation after copying.\n"
           "show_confirmation = ";
    out += bool_text(config.show_confirmation);
    out += "\n"
           "\n"
           "# Interface language: a BCP 47 tag such as en, zh-Hans, ja, de.\n"
           "# \"auto\" follows the system.\n"
           "language = \"";
    out += language;
    out += "\"\n"
           "\n"
           "# Offer \"Send to a device\" after a capture. When it is used, Kestrix\n"
           "# serves that one image on your local network for two minutes,\n"
           "# unencrypted, at an unguessable address. Off unless you say so.\n"
           "transfer_enabled = ";
    out += bool_text(config.transfer_enabled);
    out += "\n"
           "\n"
           "# Show the status icon. With it hidden the capture hotkey is the\n"
           "# only way in; starting Kestrix again opens Settings.\n"
           "show_tray_icon = ";
    out += bool_text(config.show_tray_icon);
    out += "\n"
           "\n"
           "# Look for a new version now and then, and say so in the menu when\n"
           "# there is one. It never installs anything on its own. Turn this\n"
           "# off and Kestrix only ever checks when you ask it to.\n"
           "check_for_updates = ";
    out += bool_text(config.check_for_updates);
    out += "\n"
           "\n"
           "# More capture hotkeys, written like hotkey above, or off: the last\n"
           "# region captured again, the whole screen under the pointer, and the\n"
           "# active window. Each opens with that area selected, ready to adjust,\n"
           "# mark up, or copy with Enter. Two keys cannot share a combination.\n"
           "hotkey_last_region = ";
    out += optional_hotkey_text(config.hotkey_last_region);
    out += "\nhotkey_screen = ";
    out += optional_hotkey_text(config.hotkey_screen);
    out += "\nhotkey_window = ";
    out += optional_hotkey_text(config.hotkey_window);
    out += "\n"
           "\n"
           "# Also save every capture you copy in this folder, as a PNG under a\n"
           "# new name (an existing file is never replaced). Empty: off.\n"
           "save_folder = '";
    out += config.save_folder;
    out += "'\n"
           "\n"
           "# The name of a saved capture: {date} is 2026-12-09, {time} 201530,\n"
           "# {counter} a number that makes the name new. Characters Windows does\n"
           "# not allow in a name become \"_\".\n"
           "file_name_pattern = '";
    out += config.file_name_pattern;
    out += "'\n"
           "\n"
           "# How many of this session's captures the menu keeps at hand (0-";
    out += std::to_string(kRecentCapturesMaxCount);
    out += ").\n"
           "# They stay in memory only and are gone when Kestrix exits.\n"
           "recent_captures = ";
    out += std::to_string(config.recent_captures);
    out += "\n";
    return out;
}

fs::path beside_program_path(const ConfigDirs& dirs) {
    const fs::path dir = dirs.program_dir.empty() ? fs::path(".") : dirs.program_dir;
    return dir / kFileName;
}

std::optional<fs::path> per_user_path(const ConfigDirs& dirs) {
    if (!dirs.appdata || dirs.appdata->empty()) return std::nullopt;
    return *dirs.appdata / "Kestrix" / kFileName;
}

LoadedConfig load_config(const ConfigDirs& dirs) {
    LoadedConfig loaded;
    fs::path path = beside_program_path(dirs);
    ConfigSource source = ConfigSource::BesideProgram;
    if (!path_exists(path)) {
        auto per_user = per_user_path(dirs);
        if (!per_user || !path_exists(*per_user)) return loaded;
        path = *per_user;
        source = ConfigSource::PerUser;
    }

    auto text = read_file(path);
    if (!text) return loaded;
    auto parsed = parse_config_file(*text);
    if (!parsed) return loaded;
    loaded.source = source;
    loaded.path = path;
    loaded.values = parsed->values;
    loaded.warnings = std::move(parsed->warnings);
    loaded.hotkey_written = parsed->hotkey_written;
    return loaded;
}

Result<void, std::string> save_config(const Config& config, const ConfigDirs& dirs) {
    fs::path target = beside_program_path(dirs);
    if (!path_exists(target)) {
        auto per_user = per_user_path(dirs);
        if (!per_user) return fail(std::string("no writable configuration directory"));
        target = *per_user;
    }
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) return fail(ec.message());
    return write_file_atomically(target, render_config(config));
}

}  // namespace kestrix
