#include "kestrix/tray.h"

#include "kestrix/selection.h"
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

uint32_t recent_command_id(size_t slot, RecentAction action) {
    return kMenuRecentFirst + uint32_t(slot) * kRecentActionCount + uint32_t(action);
}

// One item per recent capture, each opening its commands, then the clearing of them
// all. With none kept yet the item is there but cannot be opened.
TrayMenuItem recent_item(const Catalogue& catalogue, const std::vector<RecentMenuEntry>& entries) {
    const auto text = [&](Message message) { return std::string(catalogue[message]); };
    TrayMenuItem recent{0, text(Message::menu_recent_captures), !entries.empty()};
    for (size_t slot = 0; slot < entries.size(); ++slot) {
        const RecentMenuEntry& entry = entries[slot];
        TrayMenuItem capture{0, entry.label};
        capture.picture = entry.thumbnail;
        capture.submenu = {{recent_command_id(slot, RecentAction::CopyAgain), text(Message::menu_copy_again)},
                           {recent_command_id(slot, RecentAction::Pin), text(Message::toolbar_pin)},
                           {recent_command_id(slot, RecentAction::SaveAs), text(Message::toolbar_save_as)}};
        if (entry.editable)
            capture.submenu.push_back({recent_command_id(slot, RecentAction::EditAgain), text(Message::menu_edit_again)});
        recent.submenu.push_back(std::move(capture));
    }
    if (!entries.empty()) recent.submenu.push_back({0, {}});
    recent.submenu.push_back({kMenuClearRecentCaptures, text(Message::menu_clear_recent_captures), !entries.empty()});
    return recent;
}

std::string two_digits(uint8_t value) {
    return {char('0' + value / 10 % 10), char('0' + value % 10)};
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

    std::vector<TrayMenuItem> items = {
        {kMenuCaptureRegion, pick(Message::menu_capture_region_windows, Message::menu_capture_region)},
        {kMenuCaptureLastRegion, std::string(catalogue[Message::menu_capture_last_region]), state.last_region_available},
        {kMenuCaptureScreen, std::string(catalogue[Message::menu_capture_screen])},
        delay_item(catalogue, state.countdown_running),
        {kMenuCaptureAndSaveAs, pick(Message::menu_capture_and_save_as_windows, Message::menu_capture_and_save_as)},
    };
    if (state.recent) items.push_back(recent_item(catalogue, *state.recent));
    items.insert(items.end(), {
                                  {0, {}},
                                  {kMenuSettings, pick(Message::menu_settings_windows, Message::menu_settings)},
                                  {kMenuUpdates, updates},
                                  {kMenuAbout, about},
                                  {kMenuQuit, pick(Message::menu_exit_windows, Message::menu_quit)},
                              });
    return items;
}

std::optional<uint8_t> event_for_menu_command(uint64_t command) {
    static constexpr uint8_t kEvents[] = {0, 1, 2, 6, 3, 4, 7, 8, 10, 11, 12};  // 0x1001..0x100B
    if (command == kMenuClearRecentCaptures) return 15;
    if (command < kMenuCaptureRegion || command > kMenuCaptureAfter10Seconds) return std::nullopt;
    return kEvents[command - kMenuCaptureRegion];
}

std::optional<RecentCommand> recent_command_for_menu(uint64_t command, const std::vector<RecentMenuEntry>& entries) {
    if (command < kMenuRecentFirst) return std::nullopt;
    const uint64_t offset = command - kMenuRecentFirst;
    const uint64_t slot = offset / kRecentActionCount;
    if (slot >= entries.size()) return std::nullopt;
    const auto action = RecentAction(offset % kRecentActionCount);
    // Edit again is offered only for what the overlay made.
    if (action == RecentAction::EditAgain && !entries[slot].editable) return std::nullopt;
    return RecentCommand{entries[slot].id, action};
}

std::string recent_capture_label(const LocalTime& time, uint32_t width, uint32_t height) {
    return two_digits(time.hour) + ":" + two_digits(time.minute) + ":" + two_digits(time.second) + "   " +
           size_label(Rect{0, 0, int32_t(width), int32_t(height)});
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
