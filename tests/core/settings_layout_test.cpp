#include "kestrix/settings_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "kestrix/settings.h"

namespace kestrix {
namespace {

size_t code_points(std::string_view text) {
    size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
}

// A stand-in font: every character `advance` pixels wide, lines `line` pixels high,
// wrapping only by width (enough to tell whether a note fits its box).
SettingsTextMeasure even_font(int32_t advance, int32_t line) {
    return {
        [advance](std::string_view text) { return int32_t(code_points(text)) * advance; },
        [advance, line](std::string_view text, int32_t width) {
            const int32_t total = int32_t(code_points(text)) * advance;
            return line * std::max<int32_t>(1, (total + width - 1) / width);
        },
    };
}

// Fixed widths for the texts a test cares about, 10 pixels for any other.
SettingsTextMeasure table_font(std::map<std::string, int32_t> widths) {
    return {
        [widths](std::string_view text) {
            const auto found = widths.find(std::string(text));
            return found == widths.end() ? 10 : found->second;
        },
        [](std::string_view, int32_t) { return 17; },
    };
}

bool overlap(const Rect& a, const Rect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

TEST(SettingsLayout, TheColumnsFollowTheMeasuredTexts) {
    const Catalogue english = catalogue_for(kEnglish);
    const SettingsLayout layout =
        layout_settings(english,
                        table_font({{"Capture hotkey", 100}, {"Language", 60}, {"Dim outside the selection", 170},
                                    {"Show a confirmation after copying", 220}}),
                        100);
    EXPECT_EQ(layout.label_width, 170);
    EXPECT_EQ(layout.column_width, 220);
    EXPECT_EQ(layout.column_x, 202);
    EXPECT_EQ(layout.row_width, 404);

    EXPECT_EQ(layout.hotkey_label, (Rect{18, 23, 170, 20}));
    EXPECT_EQ(layout.hotkey_button, (Rect{202, 18, 220, 26}));
    // The other modes' hotkeys in rows of their own under it; everything else moves down by them.
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(layout.mode_labels[i], (Rect{18, 57 + 34 * int32_t(i), 170, 20})) << i;
        EXPECT_EQ(layout.mode_buttons[i], (Rect{202, 52 + 34 * int32_t(i), 220, 26})) << i;
    }
    EXPECT_EQ(layout.language_label, (Rect{18, 159, 170, 20}));
    EXPECT_EQ(layout.dim_label, (Rect{18, 193, 170, 20}));
    EXPECT_EQ(layout.language_list, (Rect{202, 154, 220, 226}));
    EXPECT_EQ(layout.dim_list, (Rect{202, 188, 220, 186}));
    const int32_t rows[] = {226, 252, 278, 304, 330};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(layout.switches[i], (Rect{18, rows[i], 404, 22})) << i;
    // The folder's row: "Off" (10 + 24, at least 72) at the row's end, "Choose…" (at
    // least 88) 6 before it, the folder 8 before that; under the five check boxes.
    EXPECT_EQ(layout.folder_label, (Rect{18, 360, 404, 20}));
    EXPECT_EQ(layout.folder_off, (Rect{350, 382, 72, 26}));
    EXPECT_EQ(layout.folder_choose, (Rect{256, 382, 88, 26}));
    EXPECT_EQ(layout.folder_path, (Rect{18, 385, 230, 20}));
    EXPECT_EQ(layout.note, (Rect{18, 418, 404, 52}));
    // Done: right-aligned with the column (at C + L − 64), below the note.
    EXPECT_EQ(layout.done, (Rect{326, 478, 96, 30}));
    EXPECT_EQ(layout.client_width, 440);
    EXPECT_EQ(layout.client_height, 524);
}

TEST(SettingsLayout, BoundsOfTheLabelAndColumnWidths) {
    const Catalogue english = catalogue_for(kEnglish);
    // Short texts: the least widths.
    SettingsLayout layout = layout_settings(english, table_font({}), 100);
    EXPECT_EQ(layout.label_width, 90);
    EXPECT_EQ(layout.column_width, 190);
    EXPECT_EQ(layout.row_width, 294);
    // A long confirmation text widens the column only up to 260; its row is wider anyway.
    layout = layout_settings(english, table_font({{"Show a confirmation after copying", 300}}), 100);
    EXPECT_EQ(layout.column_width, 260);
    EXPECT_EQ(layout.row_width, 364);
    // A check box text longer than the row widens the row and the column with it.
    layout = layout_settings(english, table_font({{"Allow sending to devices on this network", 500}}), 100);
    EXPECT_EQ(layout.row_width, 524);
    EXPECT_EQ(layout.column_width, 524 - 90 - 14);
    // The button's recording text with its padding.
    layout = layout_settings(english, table_font({{"Press a combination…", 250}}), 100);
    EXPECT_EQ(layout.column_width, 286);
    // A note longer than three lines pushes Done down.
    layout = layout_settings(english, SettingsTextMeasure{table_font({}).width, [](std::string_view, int32_t) { return 85; }},
                             100);
    EXPECT_EQ(layout.note.height, 85);
    EXPECT_EQ(layout.done.y, 418 + 85 + 8);
    // Long button texts widen the row so that a folder still has room beside them.
    layout = layout_settings(english, table_font({{"Choose…", 200}, {"Off", 150}}), 100);
    EXPECT_EQ(layout.row_width, 224 + 174 + 14 + 120);
    EXPECT_EQ(layout.folder_path.width, 120);
    // The widest label may be one of the other modes'.
    layout = layout_settings(english, table_font({{"Capture active window", 210}}), 100);
    EXPECT_EQ(layout.label_width, 210);
}

// Every language, at two scales and with a narrow and a wide stand-in font: nothing
// overlaps, nothing leaves the window, and every text has the room it measures.
TEST(SettingsLayout, EveryLanguageFitsWithoutOverlapOrClipping) {
    for (uint32_t scale : {100u, 150u}) {
        for (int32_t advance : {6, 11}) {
            const SettingsTextMeasure font = even_font(advance * int32_t(scale) / 100, 17 * int32_t(scale) / 100);
            const auto px = [scale](int32_t v) { return v * int32_t(scale) / 100; };
            for (Language language = 0; language < kLanguageCount; ++language) {
                SCOPED_TRACE(std::string(language_tag(language)) + " at " + std::to_string(scale) + "%, advance " +
                             std::to_string(advance));
                const Catalogue& texts = catalogue_for(language);
                const SettingsLayout layout = layout_settings(texts, font, scale);

                // The lists are laid out with their drop-downs; closed they are as high as the button.
                Rect language_list = layout.language_list, dim_list = layout.dim_list;
                language_list.height = dim_list.height = px(26);
                std::vector<Rect> controls = {layout.hotkey_label, layout.language_label, layout.dim_label,
                                              layout.hotkey_button, language_list, dim_list, layout.note, layout.done,
                                              layout.folder_label, layout.folder_path, layout.folder_choose,
                                              layout.folder_off};
                controls.insert(controls.end(), layout.switches.begin(), layout.switches.end());
                controls.insert(controls.end(), layout.mode_labels.begin(), layout.mode_labels.end());
                controls.insert(controls.end(), layout.mode_buttons.begin(), layout.mode_buttons.end());
                for (size_t i = 0; i < controls.size(); ++i) {
                    EXPECT_GE(controls[i].x, px(18)) << i;
                    EXPECT_LE(controls[i].right(), layout.client_width - px(18)) << i;
                    EXPECT_GE(controls[i].y, px(18)) << i;
                    EXPECT_LE(controls[i].bottom(), layout.client_height - px(16)) << i;
                    for (size_t j = i + 1; j < controls.size(); ++j) EXPECT_FALSE(overlap(controls[i], controls[j])) << i << " " << j;
                }
                // The list drop-downs are the only things allowed to cover what lies below.
                EXPECT_GT(layout.language_list.height, language_list.height);

                for (Message label : {Message::settings_hotkey_label, Message::settings_last_region_hotkey,
                                      Message::settings_screen_hotkey, Message::settings_window_hotkey,
                                      Message::settings_language_label, Message::settings_dim})
                    EXPECT_GE(layout.label_width, font.width(texts[label]));
                for (const Rect& button : layout.mode_buttons) {
                    EXPECT_EQ(button.width, layout.hotkey_button.width);
                    EXPECT_GE(button.width, font.width(texts[Message::settings_hotkey_off]) + px(36));
                }
                EXPECT_GE(layout.column_x, px(18) + layout.label_width + px(14));
                const Message switches[] = {Message::settings_confirmation, Message::send_allow,
                                            Message::settings_start_at_login, Message::settings_show_icon,
                                            Message::settings_check_updates};
                for (size_t row = 0; row < 5; ++row)
                    EXPECT_GE(layout.switches[row].width, font.width(texts[switches[row]]) + px(24)) << row;
                EXPECT_GE(layout.hotkey_button.width, font.width(texts[Message::settings_recording]) + px(36));
                EXPECT_GE(layout.hotkey_button.width, font.width("Ctrl+Alt+Shift+Win+PrintScreen") + px(36));
                for (const std::string& item : language_list_items(texts))
                    EXPECT_GE(layout.language_list.width, font.width(item) + px(36)) << item;
                EXPECT_GE(layout.done.width, font.width(texts[Message::settings_done]) + px(24));
                EXPECT_GE(layout.folder_label.width, font.width(texts[Message::settings_save_folder]));
                EXPECT_GE(layout.folder_path.width, font.width(texts[Message::settings_save_folder_unset]));
                EXPECT_GE(layout.folder_choose.width, font.width(texts[Message::settings_choose_folder]) + px(24));
                EXPECT_GE(layout.folder_off.width, font.width(texts[Message::settings_save_folder_off]) + px(24));
                EXPECT_EQ(layout.folder_off.right(), layout.switches[0].right());
                std::vector<std::string> notes = {
                    format_message(texts[Message::settings_icon_hidden_note], "Ctrl+Alt+Shift+Win+PrintScreen"),
                    plain_key_refusal(texts), std::string(texts[Message::settings_login_disabled_elsewhere]),
                    std::string(texts[Message::settings_hotkey_off_hint]),
                    std::string(texts[Message::settings_hotkey_taken])};
                for (CaptureMode mode : kHotkeyModes)
                    notes.push_back(format_message(texts[Message::settings_hotkey_used_by_kestrix],
                                                   texts[hotkey_row_label(mode)]));
                for (const std::string& note : notes)
                    EXPECT_GE(layout.note.height, font.wrapped_height(note, layout.note.width)) << note;

                // The right column, the rows and Done end on one line.
                EXPECT_EQ(layout.hotkey_button.right(), layout.switches[0].right());
                EXPECT_EQ(layout.done.right(), layout.switches[0].right());
            }
        }
    }
}

TEST(SettingsLayout, FontHeightFollowsTheScale) {
    EXPECT_EQ(settings_font_height(100), -15);
    EXPECT_EQ(settings_font_height(150), -22);
    EXPECT_EQ(settings_font_height(200), -30);
    EXPECT_EQ(settings_font_height(0), -9);  // a scale that cannot be read is taken as 50%
}

}  // namespace
}  // namespace kestrix
