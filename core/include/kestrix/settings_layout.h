#pragma once
// Where the Settings window's controls go, worked out from the widths of their texts
// in the window's font, so that no language's text is clipped.
//
// Six labels stand in a left column as wide as the widest of them (L, at least 90);
// the four hotkey buttons and the two lists form a right column starting at X = L + 32, as
// wide as the confirmation check box's text (C, kept between 190 and 260) unless a
// button or list text needs more; the five check boxes and the note span both columns
// (E = C + L + 14, or more when a check box's text needs it, the right column then
// widening to match); under them the capture folder's row: its label across the row,
// then the folder, shortened to fit, beside "Choose…" and "Off" at the row's right
// end; Done sits under the note at the right column's right edge.
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "kestrix/i18n.h"
#include "kestrix/rect.h"

namespace kestrix {

// Measures text in the window's font, in pixels.
struct SettingsTextMeasure {
    // The width of the text on one line.
    std::function<int32_t(std::string_view text)> width;
    // The height of the text wrapped at word breaks to the given width.
    std::function<int32_t(std::string_view text, int32_t width)> wrapped_height;
};

struct SettingsLayout {
    int32_t label_width = 0;   // L
    int32_t column_width = 0;  // C
    int32_t column_x = 0;      // X
    int32_t row_width = 0;     // E

    Rect hotkey_label, language_label, dim_label;
    Rect hotkey_button, language_list, dim_list;  // the lists' heights include their drop-downs
    // The other modes' hotkeys, under the capture hotkey: last region, screen, window.
    std::array<Rect, 3> mode_labels;
    std::array<Rect, 3> mode_buttons;
    // Confirmation, sending, start at login, status icon, updates: top to bottom.
    std::array<Rect, 5> switches;
    Rect folder_label, folder_path, folder_choose, folder_off;
    Rect note, done;
    int32_t client_width = 0;
    int32_t client_height = 0;
};

// The window's font height (negative: a character height) at a scale in percent.
int32_t settings_font_height(uint32_t scale);

// Every rectangle, in client pixels, for a language's texts at a scale in percent (the
// measured widths are already at that scale). The button fits any hotkey and the note
// the longest thing it may say, so recording or a note never calls for a new layout.
SettingsLayout layout_settings(const Catalogue& catalogue, const SettingsTextMeasure& measure, uint32_t scale);

}  // namespace kestrix
