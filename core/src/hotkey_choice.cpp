#include "kestrix/hotkey_choice.h"

namespace kestrix {

namespace {

constexpr uint32_t kFirstWindows11Build = 22000;

bool types_nothing(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts) {
    return !character_taken(hotkey, layouts).has_value();
}

}  // namespace

StartHotkey start_hotkey(const Hotkey& configured, bool written, std::span<const KeyboardLayout> layouts) {
    StartHotkey start{configured, false, character_taken(configured, layouts)};
    if (written || !start.taken) return start;
    for (const Hotkey& fallback : kFallbackHotkeys) {
        if (!types_nothing(fallback, layouts)) continue;
        start.hotkey = fallback;
        start.fallback = true;
        return start;
    }
    return start;  // every stand-in types too: keep the default rather than have none
}

std::optional<std::string> start_notice(const StartHotkey& start, bool quiet, const Catalogue& catalogue) {
    if (quiet) return std::nullopt;
    if (start.fallback) return format_message(catalogue[Message::start_hotkey_fallback], start.hotkey.text());
    if (start.taken) return format_message(catalogue[Message::start_hotkey_types], character_text(*start.taken));
    return format_message(catalogue[Message::start_running], start.hotkey.text());
}

bool windows_claims_print_screen(std::optional<uint32_t> setting, uint32_t windows_build) {
    if (setting) return *setting != 0;
    return windows_build >= kFirstWindows11Build;
}

std::string hotkey_unavailable_text(const Hotkey& hotkey, bool windows_claims_print_screen, const Catalogue& catalogue) {
    const bool print_screen = std::holds_alternative<Hotkey::PrintScreen>(hotkey.key);
    const Message message = print_screen && windows_claims_print_screen ? Message::error_print_screen_windows
                                                                         : Message::error_hotkey_in_use;
    return format_message(catalogue[message], hotkey.text());
}

}  // namespace kestrix
