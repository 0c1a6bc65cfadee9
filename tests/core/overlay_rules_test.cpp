#include <gtest/gtest.h>

#include <set>

#include "kestrix/overlay_input.h"
#include "kestrix/overlay_layout.h"

using namespace kestrix;

namespace {

KeyAction key(OverlayKey k, bool ctrl, bool shift, bool editing, std::optional<Tool> tool = std::nullopt) {
    return overlay_key_action(k, ctrl, shift, editing, tool);
}

}  // namespace

TEST(OverlayKeys, SelectingPhaseOnlyCancelsTogglesAndCopiesColour) {
    EXPECT_EQ(key(OverlayKey::Escape, false, false, false).command, KeyCommand::Cancel);
    EXPECT_EQ(key(OverlayKey::Enter, false, false, false).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::C, true, false, false).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::P, true, false, false).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::Z, true, false, false).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::Left, false, false, false).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::S, true, false, false).command, KeyCommand::ToggleSaveAs);
    EXPECT_EQ(key(OverlayKey::C, false, false, false).command, KeyCommand::CopyColour);
    EXPECT_EQ(key(OverlayKey::C, false, true, false).command, KeyCommand::ToggleColourFormat);
    EXPECT_EQ(key(OverlayKey::S, false, false, false).command, KeyCommand::None);
}

TEST(OverlayKeys, EditingPhaseCommandsAndArrows) {
    EXPECT_EQ(key(OverlayKey::Enter, false, false, true).command, KeyCommand::Confirm);
    EXPECT_EQ(key(OverlayKey::C, true, false, true).command, KeyCommand::Confirm);
    EXPECT_EQ(key(OverlayKey::C, false, false, true).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::P, true, false, true).command, KeyCommand::Pin);
    EXPECT_EQ(key(OverlayKey::S, true, false, true).command, KeyCommand::Save);
    EXPECT_EQ(key(OverlayKey::Z, true, false, true).command, KeyCommand::Undo);
    EXPECT_EQ(key(OverlayKey::Z, true, true, true).command, KeyCommand::Redo);
    EXPECT_EQ(key(OverlayKey::Y, true, false, true).command, KeyCommand::Redo);
    EXPECT_EQ(key(OverlayKey::Z, false, false, true).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::Left, false, false, true), (KeyAction{KeyCommand::Nudge, -1, 0}));
    EXPECT_EQ(key(OverlayKey::Down, false, true, true), (KeyAction{KeyCommand::Shrink, 0, 1}));
    EXPECT_EQ(key(OverlayKey::Up, true, false, true), (KeyAction{KeyCommand::Grow, 0, -1}));
    EXPECT_EQ(key(OverlayKey::Other, true, true, true).command, KeyCommand::None);
}

TEST(OverlayKeys, OneLetterForEveryToolWhileEditing) {
    const std::pair<OverlayKey, Tool> letters[] = {
        {OverlayKey::R, Tool::Rectangle}, {OverlayKey::E, Tool::Ellipse}, {OverlayKey::A, Tool::Arrow},
        {OverlayKey::L, Tool::Line},      {OverlayKey::P, Tool::Pen},     {OverlayKey::H, Tool::Highlighter},
        {OverlayKey::M, Tool::Mosaic},    {OverlayKey::X, Tool::Redact},  {OverlayKey::T, Tool::Text},
        {OverlayKey::N, Tool::Number},
    };
    std::set<char> shown;
    for (const auto& [letter, tool] : letters) {
        const KeyAction chosen{KeyCommand::ChooseTool, 0, 0, int(tool)};
        EXPECT_EQ(key(letter, false, false, true), chosen) << int(tool);
        EXPECT_EQ(key(letter, false, true, true), chosen) << int(tool) << ": with Shift too";
        EXPECT_EQ(overlay_key_action(letter, false, false, true, tool), chosen) << "the current tool's key: put down";
        EXPECT_EQ(key(letter, false, false, false).command, KeyCommand::None) << int(tool) << ": not while selecting";
        shown.insert(tool_key(tool));
    }
    EXPECT_EQ(shown, (std::set<char>{'R', 'E', 'A', 'L', 'P', 'H', 'M', 'X', 'T', 'N'}));
    // Ctrl (also AltGr, which holds it) keeps a letter from choosing a tool, and
    // the Ctrl combinations keep their meaning.
    EXPECT_EQ(key(OverlayKey::P, true, false, true).command, KeyCommand::Pin);
    EXPECT_EQ(key(OverlayKey::R, true, false, true).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::X, true, true, true).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::C, false, false, true, Tool::Pen).command, KeyCommand::None) << "C is no tool";
    EXPECT_EQ(key(OverlayKey::C, false, true, true, Tool::Pen).command, KeyCommand::ToggleColourFormat);
    EXPECT_EQ(key(OverlayKey::Left, false, false, true, Tool::Pen), (KeyAction{KeyCommand::Nudge, -1, 0}));
    EXPECT_EQ(key(OverlayKey::Enter, false, false, true, Tool::Pen).command, KeyCommand::Confirm);
    EXPECT_EQ(key(OverlayKey::Escape, false, false, true, Tool::Pen).command, KeyCommand::Cancel);
}

TEST(OverlayKeys, TheExistingKeysMeanTheSameWhateverToolIsCurrent) {
    const struct {
        OverlayKey key;
        bool ctrl, shift;
        KeyAction editing;
    } map[] = {
        {OverlayKey::Enter, false, false, {KeyCommand::Confirm}},  {OverlayKey::Escape, false, false, {KeyCommand::Cancel}},
        {OverlayKey::C, true, false, {KeyCommand::Confirm}},       {OverlayKey::C, false, true, {KeyCommand::ToggleColourFormat}},
        {OverlayKey::P, true, false, {KeyCommand::Pin}},           {OverlayKey::S, true, false, {KeyCommand::Save}},
        {OverlayKey::Z, true, false, {KeyCommand::Undo}},          {OverlayKey::Z, true, true, {KeyCommand::Redo}},
        {OverlayKey::Y, true, false, {KeyCommand::Redo}},          {OverlayKey::Right, false, false, {KeyCommand::Nudge, 1, 0}},
        {OverlayKey::Up, false, true, {KeyCommand::Shrink, 0, -1}}, {OverlayKey::Down, true, false, {KeyCommand::Grow, 0, 1}},
        {OverlayKey::C, false, false, {KeyCommand::None}},         {OverlayKey::Z, false, false, {KeyCommand::None}},
    };
    for (const auto& m : map) {
        EXPECT_EQ(key(m.key, m.ctrl, m.shift, true), m.editing) << int(m.key) << " " << m.ctrl << m.shift;
        for (int t = 0; t < TOOL_COUNT; ++t) {
            EXPECT_EQ(key(m.key, m.ctrl, m.shift, true, Tool(t)), m.editing) << int(m.key) << " with tool " << t;
            EXPECT_EQ(key(m.key, m.ctrl, m.shift, false, Tool(t)), key(m.key, m.ctrl, m.shift, false)) << int(m.key);
        }
    }
}

TEST(OverlayKeys, DigitsAndBracketsSetTheCurrentToolsColourAndSize) {
    const OverlayKey digits[] = {OverlayKey::Digit1, OverlayKey::Digit2, OverlayKey::Digit3, OverlayKey::Digit4,
                                 OverlayKey::Digit5, OverlayKey::Digit6, OverlayKey::Digit7, OverlayKey::Digit8};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(key(digits[i], false, false, true, Tool::Pen), (KeyAction{KeyCommand::ChooseColour, 0, 0, i}));
        EXPECT_EQ(key(digits[i], false, false, true, Tool::Redact).index, i);
        EXPECT_EQ(key(digits[i], false, false, true).command, KeyCommand::None) << "no tool, no colour to set";
        EXPECT_EQ(key(digits[i], false, false, true, Tool::Mosaic).command, KeyCommand::None) << "a mosaic has none";
        EXPECT_EQ(key(digits[i], true, false, true, Tool::Pen).command, KeyCommand::None) << "AltGr+digit types";
        EXPECT_EQ(key(digits[i], false, false, false, Tool::Pen).command, KeyCommand::None);
    }
    EXPECT_EQ(key(OverlayKey::OpenBracket, false, false, true, Tool::Mosaic).command, KeyCommand::SmallerSize);
    EXPECT_EQ(key(OverlayKey::CloseBracket, false, false, true, Tool::Text).command, KeyCommand::LargerSize);
    EXPECT_EQ(key(OverlayKey::CloseBracket, false, false, true, Tool::Redact).command, KeyCommand::None)
        << "a redaction has no size";
    EXPECT_EQ(key(OverlayKey::OpenBracket, true, false, true, Tool::Pen).command, KeyCommand::SmallerSize)
        << "AltGr types the brackets on many layouts";
    EXPECT_EQ(key(OverlayKey::OpenBracket, false, false, true).command, KeyCommand::None);
    EXPECT_EQ(key(OverlayKey::OpenBracket, false, false, false, Tool::Pen).command, KeyCommand::None);
}

TEST(OverlayCursorRule, FollowsPhaseToolbarGestureAndWhatIsUnderThePoint) {
    EXPECT_EQ(overlay_cursor(nullptr, true, {5, 5}), OverlayCursor::Cross);

    Editor editor({100, 100, 200, 100}, {0, 0, 1000, 800});
    EXPECT_EQ(overlay_cursor(&editor, true, {150, 150}), OverlayCursor::Arrow);
    EXPECT_EQ(overlay_cursor(&editor, false, {100, 100}), OverlayCursor::SizeNwse);
    EXPECT_EQ(overlay_cursor(&editor, false, {300, 100}), OverlayCursor::SizeNesw);
    EXPECT_EQ(overlay_cursor(&editor, false, {200, 200}), OverlayCursor::SizeNs);
    EXPECT_EQ(overlay_cursor(&editor, false, {100, 150}), OverlayCursor::SizeWe);
    EXPECT_EQ(overlay_cursor(&editor, false, {500, 500}), OverlayCursor::Arrow);
    EXPECT_EQ(overlay_cursor(&editor, false, {150, 150}), OverlayCursor::Move);  // no tool: moves the selection

    editor.select_tool(int(Tool::Text));
    EXPECT_EQ(overlay_cursor(&editor, false, {150, 150}), OverlayCursor::TextBeam);
    editor.select_tool(int(Tool::Rectangle));
    EXPECT_EQ(overlay_cursor(&editor, false, {150, 150}), OverlayCursor::Cross);

    // A drawn rectangle is selected afterwards: its corner handle resizes, its outline moves it.
    editor.pointer_down(130, 120);
    editor.pointer_move(200, 170, false);
    EXPECT_EQ(overlay_cursor(&editor, false, {500, 500}), OverlayCursor::Cross);  // drawing
    editor.pointer_up(200, 170, false);
    EXPECT_EQ(overlay_cursor(&editor, false, {200, 170}), OverlayCursor::SizeNwse);
    EXPECT_EQ(overlay_cursor(&editor, false, {165, 120}), OverlayCursor::SizeNs);
    EXPECT_EQ(overlay_cursor(&editor, false, {130, 160}), OverlayCursor::Move);
    EXPECT_EQ(overlay_cursor(&editor, false, {165, 145}), OverlayCursor::Cross);  // its middle falls through
}

TEST(OverlayMouse, ClientPositionIsSignedAndOffsetByTheDesktopOrigin) {
    const Rect desktop{-1280, 0, 3200, 1080};
    EXPECT_EQ(client_to_desktop(0, desktop), (DesktopPoint{-1280, 0}));
    EXPECT_EQ(client_to_desktop((20u << 16) | 1290u, desktop), (DesktopPoint{10, 20}));
    // Captured moves outside the window come as negative 16-bit values.
    EXPECT_EQ(client_to_desktop((0xFFFEu << 16) | 0xFFFFu, desktop), (DesktopPoint{-1281, -2}));
}

TEST(OverlayToolbarHover, KindAndIndexMatterButNotPosition) {
    const ToolbarItem tool0{ToolbarItemKind::Tool, 0, {8, 8, 32, 32}};
    ToolbarItem tool1 = tool0;
    tool1.index = 1;
    ToolbarItem moved = tool0;
    moved.rect.x = 100;
    EXPECT_FALSE(toolbar_hover_changed(std::nullopt, std::nullopt));
    EXPECT_TRUE(toolbar_hover_changed(std::nullopt, tool0));
    EXPECT_TRUE(toolbar_hover_changed(tool0, std::nullopt));
    EXPECT_TRUE(toolbar_hover_changed(tool0, tool1));
    EXPECT_FALSE(toolbar_hover_changed(tool0, moved));
    EXPECT_TRUE(toolbar_hover_changed(tool0, ToolbarItem{ToolbarItemKind::Undo, 0, {}}));
}

TEST(OverlayLayout, UiScaleComesFromThePrimaryMonitorAndIsAtLeastFifty) {
    EXPECT_EQ(overlay_ui_scale({}), 100u);
    std::vector<Monitor> monitors(2);
    monitors[0].ui_scale = 150;
    monitors[1].ui_scale = 125;
    EXPECT_EQ(overlay_ui_scale(monitors), 150u);  // none primary: the first
    monitors[1].primary = true;
    EXPECT_EQ(overlay_ui_scale(monitors), 125u);
    monitors[1].ui_scale = 20;
    EXPECT_EQ(overlay_ui_scale(monitors), 50u);
    EXPECT_EQ(size_label_font_height(50), 12);
    EXPECT_EQ(size_label_font_height(150), 21);
    EXPECT_EQ(hint_font_height(100), 13);
}

TEST(OverlayLayout, SizeLabelSitsAboveAndMovesInsideAtTheTopEdge) {
    // Room above: box above the selection's top-left corner.
    const Rect client{0, 0, 3200, 1080};
    EXPECT_EQ(size_label_placement({200, 300, 100, 100}, 2, 60, 16, client),
              (TextPlacement{{198, 272, 72, 22}, 204, 275}));
    // At the desktop's top edge the label goes just inside the selection.
    EXPECT_EQ(size_label_placement({200, 0, 100, 100}, 2, 60, 16, client).box, (Rect{198, 6, 72, 22}));
    // Near the right edge the box is kept inside the client area.
    EXPECT_EQ(size_label_placement({3190, 300, 10, 10}, 2, 60, 16, client).box.x, 3128);
}

TEST(OverlayLayout, SizeLabelStaysOnTheMonitorOfItsSelection) {
    // A 1920 x 1080 primary and a 1280 x 1024 monitor at (-1280, 200): client
    // coordinates start at the desktop's corner (-1280, 0), so the left monitor is
    // (0, 200, 1280, 1024) and the primary (1280, 0, 1920, 1080).
    const std::vector<Monitor> monitors{{1, {0, 0, 1920, 1080}, 100, 100, true},
                                        {2, {-1280, 200, 1280, 1024}, 100, 100, false}};
    const Rect left_monitor{-1280, 200, 1280, 1024};
    const Rect area = *monitor_of(monitors, left_monitor);
    ASSERT_EQ(area, left_monitor);
    const Rect client_area{area.x + 1280, area.y, area.width, area.height};
    // The whole left monitor highlighted: above it is a corner no monitor shows, so
    // the label goes inside, not at y 175 as the desktop's own edge would allow.
    const TextPlacement label = size_label_placement({0, 200, 1280, 1024}, 2, 60, 16, client_area);
    EXPECT_EQ(label.box, (Rect{0, 206, 72, 22}));
    // The whole primary: its label stays right of the left monitor's column.
    const Rect primary_area{1280, 0, 1920, 1080};
    EXPECT_EQ(size_label_placement({1280, 0, 1920, 1080}, 2, 60, 16, primary_area).box.x, 1280);
}

TEST(OverlayLayout, HintCentredOnItsMonitorAndBorderFollowsTheCursorsMonitor) {
    const TextPlacement hint = hint_placement({1280, 0, 1920, 1080}, 100, 300, 16);
    EXPECT_EQ(hint.box, (Rect{1280 + (1920 - 328) / 2, 90, 328, 30}));
    EXPECT_EQ(hint.text_x, hint.box.x + 14);
    EXPECT_EQ(hint.text_y, 97);

    std::vector<Monitor> monitors(2);
    monitors[0].rect = {0, 0, 1920, 1080};
    monitors[0].ui_scale = 150;
    monitors[1].rect = {-1280, 0, 1280, 1024};
    monitors[1].ui_scale = 40;
    EXPECT_EQ(border_thickness(monitors, 10, 10), 3);
    EXPECT_EQ(border_thickness(monitors, -10, 10), 1);
    EXPECT_EQ(border_thickness(monitors, -10, 1050), 2);
}

TEST(OverlayLayout, TextBoxWidthFollowsTheRoomAndHeightTheFont) {
    const Rect desktop{-1280, 0, 3200, 1080};
    const Rect selection{0, 0, 1000, 500};
    // 30 from the right edge: the minimum width.
    EXPECT_EQ(text_box_rect({970, 40.5}, selection, desktop, text_size(2), 1.0), (Rect{2250, 41, 80, 53}));
    // Far left in a wide selection: the maximum width.
    EXPECT_EQ(text_box_rect({10, 10}, selection, desktop, text_size(0), 1.0), (Rect{1290, 10, 420, 27}));
    EXPECT_EQ(text_box_rect({700, 10}, selection, desktop, text_size(1), 1.0).width, 300);
}
