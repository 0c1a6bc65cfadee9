#include "kestrix/i18n.h"

#include <atomic>
#include <vector>

#include "kestrix/utf8.h"

namespace kestrix {

namespace {

struct LanguageRow {
    std::string_view tag;
    std::string_view display_name;
    bool right_to_left = false;
};

constexpr std::array<LanguageRow, kLanguageCount> kLanguages = {{
    {"en", "English"},
    {"zh-Hans", "简体中文"},
    {"zh-Hant", "繁體中文"},
    {"ja", "日本語"},
    {"ko", "한국어"},
    {"es", "Español"},
    {"fr", "Français"},
    {"de", "Deutsch"},
    {"pt", "Português"},
    {"ru", "Русский"},
    {"it", "Italiano"},
    {"nl", "Nederlands"},
    {"pl", "Polski"},
    {"tr", "Türkçe"},
    {"vi", "Tiếng Việt"},
    {"th", "ไทย"},
    {"id", "Bahasa Indonesia"},
    {"hi", "हिन्दी"},
    {"ar", "العربية", true},
}};

constexpr std::array<std::string_view, kMessageCount> kMessageNames = {
    "menu_settings",
    "menu_capture_region",
    "menu_capture_and_save_as",
    "menu_check_for_updates",
    "menu_about",
    "menu_quit",
    "tray_tooltip",
    "overlay_hint",
    "colour_hint",
    "save_as",
    "toast_copied",
    "toast_copied_and_saved",
    "save_dialog_title",
    "tool_rectangle",
    "tool_ellipse",
    "tool_arrow",
    "tool_pen",
    "tool_mosaic",
    "tool_text",
    "tool_number",
    "toolbar_cancel",
    "toolbar_undo",
    "toolbar_backdrop",
    "toolbar_save_as",
    "toolbar_copy",
    "toolbar_pin",
    "property_colour",
    "property_thickness",
    "property_block_size",
    "property_text_size",
    "property_marker_size",
    "error_capture_failed",
    "error_clipboard_busy",
    "error_write_failed",
    "error_cannot_capture",
    "screen_recording_explanation",
    "screen_recording_relaunch",
    "screen_recording_open_settings",
    "screen_recording_later",
    "error_hotkey_in_use",
    "about_tagline",
    "about_privacy",
    "about_hotkey",
    "about_no_config",
    "about_config_file",
    "config_warnings_heading",
    "error_settings_not_saved",
    "settings_title",
    "settings_hotkey_label",
    "settings_record",
    "settings_recording",
    "settings_language_label",
    "settings_follow_system",
    "settings_dim",
    "settings_confirmation",
    "menu_bar_tooltip",
    "settings_start_at_login",
    "settings_login_disabled_elsewhere",
    "settings_show_icon",
    "settings_check_updates",
    "settings_icon_hidden_note",
    "settings_done",
    "settings_plain_key_refused",
    "settings_hotkey_taken",
    "update_checking",
    "update_up_to_date",
    "update_available",
    "update_downloading",
    "update_installing",
    "update_failed",
    "update_no_feed",
    "update_install_and_restart",
    "update_not_now",
    "update_restarting",
    "update_old_copy_running",
    "send_title",
    "send_allow",
    "send_panel_title",
    "send_scan",
    "send_not_encrypted",
    "send_waiting",
    "send_delivered",
    "send_closed",
    "send_airdrop",
    "send_copy_link",
    "send_stop",
    "page_save_hint",
    "send_no_network",
    "menu_settings_windows",
    "menu_capture_region_windows",
    "menu_capture_and_save_as_windows",
    "menu_check_for_updates_windows",
    "menu_exit_windows",
    "setup_options_title",
    "setup_options_subtitle",
    "setup_folder",
    "setup_start_at_sign_in",
    "setup_still_running",
    "setup_remove_settings",
    "settings_hotkey_types",
    "start_running",
    "start_hotkey_fallback",
    "start_hotkey_types",
    "error_print_screen_windows",
    "send_vpn_note",
    "send_no_device_yet",
    "send_public_network",
    "send_firewall_settings",
    "update_error_name_not_resolved",
    "update_error_cannot_connect",
    "update_error_timed_out",
    "update_error_secure_channel",
    "update_error_proxy_credentials",
    "update_error_not_found",
    "update_cannot_update_here",
    "menu_capture_last_region",
    "menu_capture_screen",
    "menu_capture_after_delay",
    "menu_delay_3_seconds",
    "menu_delay_5_seconds",
    "menu_delay_10_seconds",
    "menu_cancel_delayed_capture",
    "settings_last_region_hotkey",
    "settings_screen_hotkey",
    "settings_window_hotkey",
    "settings_hotkey_off",
    "settings_hotkey_off_hint",
    "settings_hotkey_used_by_kestrix",
    "tool_line",
    "tool_highlighter",
    "tool_redact",
    "property_text_background",
    "tooltip_shortcut",
    "error_capture_folder",
    "settings_save_folder",
    "settings_choose_folder",
    "settings_save_folder_off",
    "settings_save_folder_unset",
    "menu_recent_captures",
    "menu_copy_again",
    "menu_edit_again",
    "menu_clear_recent_captures",
    "settings_save_folder_hash",
};

// The catalogues are constant data, one file per language, one entry per message in
// message order: a string literal, or nullptr for the English-only menu labels.
constexpr const char* kEn[] = {
#include "catalogue/en.inc"
};

constexpr const char* kZhHans[] = {
#include "catalogue/zh-Hans.inc"
};
constexpr const char* kZhHant[] = {
#include "catalogue/zh-Hant.inc"
};
constexpr const char* kJa[] = {
#include "catalogue/ja.inc"
};
constexpr const char* kKo[] = {
#include "catalogue/ko.inc"
};
constexpr const char* kEs[] = {
#include "catalogue/es.inc"
};
constexpr const char* kFr[] = {
#include "catalogue/fr.inc"
};
constexpr const char* kDe[] = {
#include "catalogue/de.inc"
};
constexpr const char* kPt[] = {
#include "catalogue/pt.inc"
};
constexpr const char* kRu[] = {
#include "catalogue/ru.inc"
};
constexpr const char* kIt[] = {
#include "catalogue/it.inc"
};
constexpr const char* kNl[] = {
#include "catalogue/nl.inc"
};
constexpr const char* kPl[] = {
#include "catalogue/pl.inc"
};
constexpr const char* kTr[] = {
#include "catalogue/tr.inc"
};
constexpr const char* kVi[] = {
#include "catalogue/vi.inc"
};
constexpr const char* kTh[] = {
#include "catalogue/th.inc"
};
constexpr const char* kId[] = {
#include "catalogue/id.inc"
};
constexpr const char* kHi[] = {
#include "catalogue/hi.inc"
};
constexpr const char* kAr[] = {
#include "catalogue/ar.inc"
};

template <size_t N>
constexpr Catalogue make_catalogue(const char* const (&texts)[N]) {
    static_assert(N == kMessageCount, "a catalogue file holds every message, in message order");
    Catalogue catalogue{};
    for (size_t i = 0; i < N; ++i)
        if (texts[i] != nullptr) catalogue.texts[i] = std::string_view(texts[i]);
    return catalogue;
}


constexpr std::array<Catalogue, kLanguageCount> kCatalogues = {
    make_catalogue(kEn), make_catalogue(kZhHans), make_catalogue(kZhHant), make_catalogue(kJa), make_catalogue(kKo), make_catalogue(kEs), make_catalogue(kFr), make_catalogue(kDe), make_catalogue(kPt), make_catalogue(kRu), make_catalogue(kIt), make_catalogue(kNl), make_catalogue(kPl), make_catalogue(kTr), make_catalogue(kVi), make_catalogue(kTh), make_catalogue(kId), make_catalogue(kHi), make_catalogue(kAr),
};

// Written only by the user-interface thread, read by any thread while it builds a text;
// each catalogue is complete in itself, so either value is fine to see.
std::atomic<Language> g_current{kEnglish};

}  // namespace

std::string_view message_name(Message message) {
    const size_t index = size_t(message);
    return index < kMessageCount ? kMessageNames[index] : std::string_view{};
}

void set_language(Language language) {
    g_current.store(language < kLanguageCount ? language : kEnglish, std::memory_order_relaxed);
}

Language current_language() { return g_current.load(std::memory_order_relaxed); }

const Catalogue& catalogue() { return catalogue_for(current_language()); }

const Catalogue& catalogue_for(Language language) {
    return kCatalogues[language < kLanguageCount ? language : kEnglish];
}

std::string_view language_tag(Language language) {
    return language < kLanguageCount ? kLanguages[language].tag : std::string_view{};
}

std::string_view language_display_name(Language language) {
    return language < kLanguageCount ? kLanguages[language].display_name : std::string_view{};
}

bool is_right_to_left(Language language) { return language < kLanguageCount && kLanguages[language].right_to_left; }

Language match_language_tag(std::string_view tag) {
    std::string text = ascii_lower(tag);
    for (char& c : text)
        if (c == '_') c = '-';
    std::vector<std::string_view> pieces;
    for (size_t start = 0;;) {
        const size_t dash = text.find('-', start);
        pieces.push_back(std::string_view(text).substr(start, dash - start));
        if (dash == std::string::npos) break;
        start = dash + 1;
    }

    if (pieces[0] == "zh") {
        // A Traditional script or region anywhere after the primary subtag wins, even after "hans".
        for (size_t i = 1; i < pieces.size(); ++i)
            if (pieces[i] == "hant" || pieces[i] == "tw" || pieces[i] == "hk" || pieces[i] == "mo") return 2;
        return 1;
    }
    // Only the tags without a dash can equal a primary subtag.
    for (Language i = 0; i < kLanguageCount; ++i)
        if (ascii_lower(kLanguages[i].tag) == pieces[0]) return i;
    return kAutomaticLanguage;
}

std::string keep_left_to_right(std::string run) {
    if (!current_language_is_right_to_left()) return run;
    return "\u200E" + run;
}

Language preferred_language(std::span<const std::string> system_languages) {
    for (const std::string& tag : system_languages) {
        const Language language = match_language_tag(tag);
        if (language != kAutomaticLanguage) return language;
    }
    return kEnglish;
}

std::string format_message(std::string_view message, std::optional<std::string_view> argument) {
    std::string out;
    out.reserve(message.size() + 16);
    const size_t braces = message.find("{}");
    if (braces == std::string_view::npos) {
        out.append(message);
        return out;
    }
    out.append(message.substr(0, braces));
    out.append(argument ? *argument : std::string_view("{}"));
    out.append(message.substr(braces + 2));
    return out;
}

}  // namespace kestrix
