#pragma once
// Interface languages, their compiled-in message catalogues, the process-wide
// current language and the one substitution rule for a message's "{}".
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrix {

// An index into the language table; kAutomaticLanguage (in the configuration only) means
// "follow the system" and is never the current language.
using Language = uint8_t;
inline constexpr Language kEnglish = 0;
inline constexpr Language kLanguageCount = 19;
inline constexpr Language kAutomaticLanguage = 255;

// Every user-visible text, by name. Every message exists in every language but the five
// "_windows" menu labels, which exist in English only. New messages go at the end.
enum class Message : uint8_t {
    menu_settings = 0,
    menu_capture_region = 1,
    menu_capture_and_save_as = 2,
    menu_check_for_updates = 3,
    menu_about = 4,
    menu_quit = 5,
    tray_tooltip = 6,
    overlay_hint = 7,
    colour_hint = 8,
    save_as = 9,
    toast_copied = 10,
    toast_copied_and_saved = 11,
    save_dialog_title = 12,
    tool_rectangle = 13,
    tool_ellipse = 14,
    tool_arrow = 15,
    tool_pen = 16,
    tool_mosaic = 17,
    tool_text = 18,
    tool_number = 19,
    toolbar_cancel = 20,
    toolbar_undo = 21,
    toolbar_backdrop = 22,
    toolbar_save_as = 23,
    toolbar_copy = 24,
    toolbar_pin = 25,
    property_colour = 26,
    property_thickness = 27,
    property_block_size = 28,
    property_text_size = 29,
    property_marker_size = 30,
    error_capture_failed = 31,
    error_clipboard_busy = 32,
    error_write_failed = 33,
    error_cannot_capture = 34,
    screen_recording_explanation = 35,
    screen_recording_relaunch = 36,
    screen_recording_open_settings = 37,
    screen_recording_later = 38,
    error_hotkey_in_use = 39,
    about_tagline = 40,
    about_privacy = 41,
    about_hotkey = 42,
    about_no_config = 43,
    about_config_file = 44,
    config_warnings_heading = 45,
    error_settings_not_saved = 46,
    settings_title = 47,
    settings_hotkey_label = 48,
    settings_record = 49,
    settings_recording = 50,
    settings_language_label = 51,
    settings_follow_system = 52,
    settings_dim = 53,
    settings_confirmation = 54,
    menu_bar_tooltip = 55,
    settings_start_at_login = 56,
    settings_login_disabled_elsewhere = 57,
    settings_show_icon = 58,
    settings_check_updates = 59,
    settings_icon_hidden_note = 60,
    settings_done = 61,
    settings_plain_key_refused = 62,
    settings_hotkey_taken = 63,
    update_checking = 64,
    update_up_to_date = 65,
    update_available = 66,
    update_downloading = 67,
    update_installing = 68,
    update_failed = 69,
    update_no_feed = 70,
    update_install_and_restart = 71,
    update_not_now = 72,
    update_restarting = 73,
    update_old_copy_running = 74,
    send_title = 75,
    send_allow = 76,
    send_panel_title = 77,
    send_scan = 78,
    send_not_encrypted = 79,
    send_waiting = 80,
    send_delivered = 81,
    send_closed = 82,
    send_airdrop = 83,
    send_copy_link = 84,
    send_stop = 85,
    page_save_hint = 86,
    send_no_network = 87,
    menu_settings_windows = 88,
    menu_capture_region_windows = 89,
    menu_capture_and_save_as_windows = 90,
    menu_check_for_updates_windows = 91,
    menu_exit_windows = 92,
    // The installer's and uninstaller's own texts (tools/package/kestrix.nsi).
    setup_options_title = 93,
    setup_options_subtitle = 94,
    setup_folder = 95,
    setup_start_at_sign_in = 96,
    setup_still_running = 97,
    setup_remove_settings = 98,
    settings_hotkey_types = 99,
    start_running = 100,
    start_hotkey_fallback = 101,
    start_hotkey_types = 102,
    error_print_screen_windows = 103,
    send_vpn_note = 104,
    send_no_device_yet = 105,
    send_public_network = 106,
    send_firewall_settings = 107,
    update_error_name_not_resolved = 108,
    update_error_cannot_connect = 109,
    update_error_timed_out = 110,
    update_error_secure_channel = 111,
    update_error_proxy_credentials = 112,
    update_error_not_found = 113,
    update_cannot_update_here = 114,
    // The capture modes: the tray menu's items and the Settings window's rows.
    menu_capture_last_region = 115,
    menu_capture_screen = 116,
    menu_capture_after_delay = 117,
    menu_delay_3_seconds = 118,
    menu_delay_5_seconds = 119,
    menu_delay_10_seconds = 120,
    menu_cancel_delayed_capture = 121,
    settings_last_region_hotkey = 122,
    settings_screen_hotkey = 123,
    settings_window_hotkey = 124,
    settings_hotkey_off = 125,
    settings_hotkey_off_hint = 126,
    settings_hotkey_used_by_kestrix = 127,
    tool_line = 128,
    tool_highlighter = 129,
    tool_redact = 130,
    property_text_background = 131,
    tooltip_shortcut = 132,  // a key after a name in a tooltip, as in "Rectangle (R)"
    error_capture_folder = 133,
    settings_save_folder = 134,
    settings_choose_folder = 135,
    settings_save_folder_off = 136,
    settings_save_folder_unset = 137,
    // The tray's Recent captures submenu.
    menu_recent_captures = 138,
    menu_copy_again = 139,
    menu_edit_again = 140,
    menu_clear_recent_captures = 141,
    // Settings: a capture folder the settings file cannot hold.
    settings_save_folder_hash = 142,
};
inline constexpr size_t kMessageCount = 143;

// The Windows wording of the tray menu: English only, other languages use the general labels.
constexpr bool is_english_only(Message message) {
    return message >= Message::menu_settings_windows && message <= Message::menu_exit_windows;
}

// The name used in code, e.g. "toast_copied".
std::string_view message_name(Message message);

// One language's texts. An absent message (data() == nullptr) is distinct from an empty one.
struct Catalogue {
    std::array<std::string_view, kMessageCount> texts{};

    std::optional<std::string_view> find(Message message) const {
        const std::string_view text = texts[size_t(message)];
        if (text.data() == nullptr) return std::nullopt;
        return text;
    }
    // The text, or an empty one when this catalogue lacks the message.
    std::string_view operator[](Message message) const { return texts[size_t(message)]; }
};

// Makes a language current; anything outside the table (kAutomaticLanguage included) makes English current.
void set_language(Language language);
Language current_language();

// The current language's catalogue, and any language's (English for an index outside the table).
const Catalogue& catalogue();
const Catalogue& catalogue_for(Language language);

// The two text columns of the language table: "zh-Hans" / "简体中文". Empty outside the table.
std::string_view language_tag(Language language);
std::string_view language_display_name(Language language);

// True for a language written from right to left (Arabic). Its texts need the system's
// right-to-left reading flags wherever they are drawn; false outside the table.
bool is_right_to_left(Language language);
inline bool current_language_is_right_to_left() { return is_right_to_left(current_language()); }

// A run that must read left to right wherever it stands, such as "640 × 480": in
// right-to-left text the bidirectional algorithm would show "480 × 640", so in a
// right-to-left language it starts with a left-to-right mark. Unchanged otherwise.
std::string keep_left_to_right(std::string run);

// A BCP 47-like tag ("en-US", "zh_TW", "pt-BR") to a language, or kAutomaticLanguage when none matches.
Language match_language_tag(std::string_view tag);

// The first of the system's preferred languages (most preferred first) that Kestrix has; English otherwise.
Language preferred_language(std::span<const std::string> system_languages);

// Puts the argument in place of the first "{}" (later ones stay as they are); without an
// argument the braces stay. The argument itself is never scanned.
std::string format_message(std::string_view message, std::optional<std::string_view> argument = std::nullopt);

// Shorthands for the current catalogue: msg(Message::toast_copied), msg(Message::toast_copied, name).
inline std::string_view msg(Message message) { return catalogue()[message]; }
inline std::string msg(Message message, std::string_view argument) {
    return format_message(catalogue()[message], argument);
}

}  // namespace kestrix
