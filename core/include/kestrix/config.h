#pragma once
// The optional, hand-editable settings file kestrix.toml: where it lives, how it
// is read (never failing, one warning per unusable line) and how it is written.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/capture_name.h"
#include "kestrix/capture_hotkeys.h"
#include "kestrix/hotkey.h"
#include "kestrix/i18n.h"
#include "kestrix/recent.h"
#include "kestrix/result.h"

namespace kestrix {

struct Config {
    Hotkey hotkey;                          // Ctrl+Alt+A
    uint8_t overlay_dim_percent = 45;       // 0..100
    Language language = kAutomaticLanguage; // 0..18, or 255 to follow the system
    bool show_confirmation = true;
    bool transfer_enabled = false;
    bool show_tray_icon = true;
    bool check_for_updates = true;
    // The other capture modes' hotkeys; absent is off, the default.
    std::optional<Hotkey> hotkey_last_region;
    std::optional<Hotkey> hotkey_screen;
    std::optional<Hotkey> hotkey_window;
    std::string save_folder;                // every copy is also saved here; empty: off
    std::string file_name_pattern{kDefaultFileNamePattern};
    uint32_t recent_captures = kRecentCapturesDefaultCount;  // 0..kRecentCapturesMaxCount

    friend bool operator==(const Config&, const Config&) = default;
};

struct ConfigWarning {
    std::string message;
    uint32_t line = 0;  // 1-based

    // "line 3: unknown key `theme`"
    std::string text() const;

    friend bool operator==(const ConfigWarning&, const ConfigWarning&) = default;
};

enum class ConfigSource { BesideProgram, PerUser, None };

struct LoadedConfig {
    ConfigSource source = ConfigSource::None;
    std::optional<std::filesystem::path> path;  // present unless source is None
    Config values;
    std::vector<ConfigWarning> warnings;        // in line order; empty when source is None
    bool hotkey_written = false;                // a valid `hotkey` line chose the hotkey
};

// The two directories the file may live under. Tests point them at temporary directories.
struct ConfigDirs {
    std::filesystem::path program_dir;                // the executable's directory, "." if unknown
    std::optional<std::filesystem::path> appdata;     // the APPDATA directory, absent when unset
};

// The running process's directories. Linked from the core on POSIX systems and from the
// Windows platform library on Windows (it needs the module path of the executable).
ConfigDirs process_config_dirs();

// "<program_dir>/kestrix.toml" and "<APPDATA>/Kestrix/kestrix.toml".
std::filesystem::path beside_program_path(const ConfigDirs& dirs);
std::optional<std::filesystem::path> per_user_path(const ConfigDirs& dirs);

// Reads the file beside the program, else the per-user one. Never fails: a missing,
// unreadable or non-UTF-8 file gives the defaults with source None.
LoadedConfig load_config(const ConfigDirs& dirs);
inline LoadedConfig load_config() { return load_config(process_config_dirs()); }

// The settings in a file's text, starting from the defaults; later lines win.
struct ParsedConfig {
    Config values;
    std::vector<ConfigWarning> warnings;
    bool hotkey_written = false;  // a valid `hotkey` line was read; the default gives way only without one
};
ParsedConfig parse_config(std::string_view text);
// The same for a file's raw bytes: nothing when they are not UTF-8; a leading
// byte-order mark (editors' "UTF-8 with signature") is skipped.
std::optional<ParsedConfig> parse_config_file(std::string_view bytes);

// The complete commented file for these settings (also what --print-config prints).
std::string render_config(const Config& config);

// Writes render_config to the file beside the program if one exists, else to the
// per-user file (creating its directory). The earlier file stays whole if writing fails.
Result<void, std::string> save_config(const Config& config, const ConfigDirs& dirs);
inline Result<void, std::string> save_config(const Config& config) {
    return save_config(config, process_config_dirs());
}

// "true", "yes", "on", "1" / "false", "no", "off", "0", in any ASCII case.
std::optional<bool> parse_bool(std::string_view text);
// Digits with one optional leading "+", 0 to 100.
std::optional<uint8_t> parse_percent(std::string_view text);
// Digits with one optional leading "+", 0 to `most`.
std::optional<uint32_t> parse_count(std::string_view text, uint32_t most);
// A folder given from a drive (D:\Shots), a network share (\\server\share) or the
// root (/Users/ana): one that does not depend on the folder Kestrix was started in.
bool is_full_folder_path(std::string_view text);

}  // namespace kestrix
