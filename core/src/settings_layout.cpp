#include "kestrix/settings_layout.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "kestrix/settings.h"

namespace kestrix {

namespace {

// The widest text the hotkey button can be asked to show.
const Hotkey kLongestHotkey{Hotkey::PrintScreen{}, Hotkey::kCtrl | Hotkey::kAlt | Hotkey::kShift | Hotkey::kWin};

class Scaled {
public:
    explicit Scaled(uint32_t scale) : scale_(std::max<uint32_t>(scale, 50)) {}
    int32_t operator()(int32_t pixels) const { return int32_t(int64_t(pixels) * scale_ / 100); }

private:
    uint32_t scale_;
};

int32_t widest(const SettingsTextMeasure& measure, std::initializer_list<std::string_view> texts) {
    int32_t width = 0;
    for (std::string_view text : texts) width = std::max(width, measure.width(text));
    return width;
}

// The refusal of a combination another row has, naming the row with the widest label.
std::string longest_kestrix_clash(const Catalogue& catalogue, const SettingsTextMeasure& measure) {
    std::string longest;
    int32_t width = -1;
    for (CaptureMode mode : kHotkeyModes) {
        std::string note = format_message(catalogue[Message::settings_hotkey_used_by_kestrix],
                                          catalogue[hotkey_row_label(mode)]);
        if (const int32_t w = measure.width(note); w > width) width = w, longest = std::move(note);
    }
    return longest;
}

}  // namespace

int32_t settings_font_height(uint32_t scale) { return -std::max<int32_t>(9, Scaled(scale)(15)); }

SettingsLayout layout_settings(const Catalogue& catalogue, const SettingsTextMeasure& measure, uint32_t scale) {
    const Scaled px(scale);
    const auto text = [&](Message message) { return catalogue[message]; };
    SettingsLayout layout;

    const int32_t label_width =
        widest(measure, {text(Message::settings_hotkey_label), text(Message::settings_last_region_hotkey),
                         text(Message::settings_screen_hotkey), text(Message::settings_window_hotkey),
                         text(Message::settings_language_label), text(Message::settings_dim)});
    layout.label_width = std::max(px(90), label_width);

    // The right column: as wide as the confirmation's text within bounds, and never
    // narrower than what its button and lists show plus their padding and drop-down arrow.
    int32_t column = std::clamp(measure.width(text(Message::settings_confirmation)), px(190), px(260));
    const std::string longest_hotkey = kLongestHotkey.text();
    int32_t column_text = widest(measure, {text(Message::settings_recording), longest_hotkey,
                                           text(Message::settings_hotkey_off), dim_choice_text(100)});
    for (const std::string& item : language_list_items(catalogue)) column_text = std::max(column_text, measure.width(item));
    column = std::max(column, column_text + px(36));

    // Full-width rows: their check boxes' texts with room for the box before them.
    const int32_t switch_text =
        widest(measure, {text(Message::settings_confirmation), text(Message::send_allow),
                         text(Message::settings_start_at_login), text(Message::settings_show_icon),
                         text(Message::settings_check_updates)});
    // The folder's row: both buttons, a folder of some length beside them, and its label.
    const int32_t choose_width = std::max(px(88), measure.width(text(Message::settings_choose_folder)) + px(24));
    const int32_t off_width = std::max(px(72), measure.width(text(Message::settings_save_folder_off)) + px(24));
    const int32_t folder_row = std::max({choose_width + off_width + px(14) + px(120),
                                         measure.width(text(Message::settings_save_folder)),
                                         measure.width(text(Message::settings_save_folder_unset)) + choose_width +
                                             off_width + px(14)});
    layout.row_width = std::max({column + layout.label_width + px(14), switch_text + px(24), folder_row});
    layout.column_width = layout.row_width - layout.label_width - px(14);
    layout.column_x = layout.label_width + px(32);

    const int32_t left = px(18);
    const int32_t L = layout.label_width, C = layout.column_width, X = layout.column_x, E = layout.row_width;
    constexpr int32_t kRow = 34;
    const int32_t below = int32_t(layout.mode_buttons.size()) * kRow;  // what the other modes' rows push down
    layout.hotkey_label = {left, px(23), L, px(20)};
    layout.hotkey_button = {X, px(18), C, px(26)};
    for (size_t row = 0; row < layout.mode_buttons.size(); ++row) {
        const int32_t down = kRow * int32_t(row + 1);
        layout.mode_labels[row] = {left, px(23 + down), L, px(20)};
        layout.mode_buttons[row] = {X, px(18 + down), C, px(26)};
    }
    layout.language_label = {left, px(57 + below), L, px(20)};
    layout.dim_label = {left, px(91 + below), L, px(20)};
    layout.language_list = {X, px(52 + below), C, px(226)};
    layout.dim_list = {X, px(86 + below), C, px(186)};
    for (size_t row = 0; row < layout.switches.size(); ++row)
        layout.switches[row] = {left, px(124 + below + 26 * int32_t(row)), E, px(22)};

    layout.folder_label = {left, px(258 + below), E, px(20)};
    layout.folder_off = {left + E - off_width, px(280 + below), off_width, px(26)};
    layout.folder_choose = {layout.folder_off.x - px(6) - choose_width, px(280 + below), choose_width, px(26)};
    layout.folder_path = {left, px(283 + below), layout.folder_choose.x - px(8) - left, px(20)};

    // The note holds the longest thing it may say, so Done never covers its last line.
    const int32_t note_text = std::max({
        measure.wrapped_height(format_message(text(Message::settings_icon_hidden_note), longest_hotkey), E),
        measure.wrapped_height(plain_key_refusal(catalogue), E),
        measure.wrapped_height(text(Message::settings_login_disabled_elsewhere), E),
        measure.wrapped_height(text(Message::settings_hotkey_off_hint), E),
        measure.wrapped_height(text(Message::settings_hotkey_taken), E),
        measure.wrapped_height(longest_kestrix_clash(catalogue, measure), E),
    });
    layout.note = {left, px(316 + below), E, std::max(px(52), note_text)};

    const int32_t done_width = std::max(px(96), measure.width(text(Message::settings_done)) + px(24));
    layout.done = {X + C - done_width, int32_t(layout.note.bottom()) + px(8), done_width, px(30)};

    layout.client_width = E + 2 * left;
    layout.client_height = int32_t(layout.done.bottom()) + px(16);
    return layout;
}

}  // namespace kestrix
