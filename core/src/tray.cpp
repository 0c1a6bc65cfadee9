#include "kestrix/tray.h"

#include "kestrix/utf8.h"

namespace kestrix {

namespace {

// The delay submenu, or in its place the cancel of the countdown that runs.
TrayMenuItem delay_item(const Catalogue& catalogue, bool countdown_running) {
    const auto text = [&](Message message) { return std::string(catalogue[message]); };
    if (countdown_running) return {kMenuCancelDelayedCapture, text(Message::menu_cancel_delayed_capture)};
    return {0,
            text(Message::menu_capture_after_delay),
            true,
            {{kMenuCaptureAfter3Seconds, text(Message::menu_delay_3_seconds)},
             {kMenuCaptureAfter5Seconds, text(Message::menu_delay_5_seconds)},
             {kMenuCaptureAfter10Seconds, text(Message::menu_delay_10_seconds)}}};
}

}  // namespace

std::vector<TrayMenuItem> tray_menu_items(const Catalogue& catalogue, const TrayMenuState& state,
                                          std::string_view version) {
    const std::optional<std::string>& available_update = state.available_update;
    // A language either has the whole menu set or none of it; its first message tells.
    const bool own_set = catalogue.find(Message::menu_settings_windows).has_value();
    const auto pick = [&](Message own, Message general) { return std::string(catalogue[own_set ? own : general]); };

    const std::string updates = available_update
                                    ? format_message(catalogue[Message::update_available], *available_update)
                                    : pick(Message::menu_check_for_updates_windows, Message::menu_check_for_updates);
    std::string about(catalogue[Message::menu_about]);
    about += ' ';
    about += version;

    return {
        {kMenuCaptureRegion, pick(Message::menu_capture_region_windows, Message::menu_capture_region)},
        {kMenuCaptureLastRegion, std::string(catalogue[Message::menu_capture_last_region]), state.last_region_available},
        {kMenuCaptureScreen, std::string(catalogue[Message::menu_capture_screen])},
        delay_item(catalogue, state.countdown_running),
        {kMenuCaptureAndSaveAs, pick(Message::menu_capture_and_save_as_windows, Message::menu_capture_and_save_as)},
        {0, {}},
        {kMenuSettings, pick(Message::menu_settings_windows, Message::menu_settings)},
        {kMenuUpdates, updates},
        {kMenuAbout, about},
        {kMenuQuit, pick(Message::menu_exit_windows, Message::menu_quit)},
    };
}

std::optional<uint8_t> event_for_menu_command(uint64_t command) {
    static constexpr uint8_t kEvents[] = {0, 1, 2, 6, 3, 4, 7, 8, 10, 11, 12};  // 0x1001..0x100B
    if (command < kMenuCaptureRegion || command > kMenuCaptureAfter10Seconds) return std::nullopt;
    return kEvents[command - kMenuCaptureRegion];
}

std::u16string tray_tooltip(const Catalogue& catalogue, std::string_view hotkey_text, size_t max_units) {
    std::u16string tip = utf16_from_utf8(format_message(catalogue[Message::tray_tooltip], hotkey_text));
    if (tip.size() > max_units) {
        size_t keep = max_units;
        // Do not leave a high surrogate without its partner.
        if (keep > 0 && tip[keep - 1] >= 0xD800 && tip[keep - 1] <= 0xDBFF) --keep;
        tip.resize(keep);
    }
    return tip;
}

std::string about_text(const Catalogue& catalogue, std::string_view hotkey_text, std::string_view version) {
    std::string text = "Kestrix ";
    text += version;
    text += '\n';
    text += catalogue[Message::about_tagline];
    text += "\n\n";
    text += format_message(catalogue[Message::about_hotkey], hotkey_text);
    return text;
}

}  // namespace kestrix
