// The overlay's window procedure: mouse, keys, cursors, the colour copy and
// finishing with an outcome.
#include <windowsx.h>

#include "clipboard.h"
#include "gdiplus_canvas.h"
#include "kestrix/export.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/overlay_input.h"
#include "kestrix/ui_scale.h"
#include "overlay_state.h"

namespace kestrix::win {

namespace {

thread_local ToolSettings last_tools;

bool key_held(int key) { return GetKeyState(key) < 0; }

// Letters and digits by the key that types them (a layout's own letters), the
// keypad's digits as well.
OverlayKey overlay_key(WPARAM vk) {
    if (vk >= '1' && vk <= '8') return OverlayKey(int(OverlayKey::Digit1) + int(vk - '1'));
    if (vk >= VK_NUMPAD1 && vk <= VK_NUMPAD8) return OverlayKey(int(OverlayKey::Digit1) + int(vk - VK_NUMPAD1));
    switch (vk) {
        case VK_RETURN: return OverlayKey::Enter;
        case VK_ESCAPE: return OverlayKey::Escape;
        case 'A': return OverlayKey::A;
        case 'C': return OverlayKey::C;
        case 'E': return OverlayKey::E;
        case 'H': return OverlayKey::H;
        case 'L': return OverlayKey::L;
        case 'M': return OverlayKey::M;
        case 'N': return OverlayKey::N;
        case 'P': return OverlayKey::P;
        case 'R': return OverlayKey::R;
        case 'S': return OverlayKey::S;
        case 'T': return OverlayKey::T;
        case 'X': return OverlayKey::X;
        case 'Z': return OverlayKey::Z;
        case 'Y': return OverlayKey::Y;
        case VK_LEFT: return OverlayKey::Left;
        case VK_UP: return OverlayKey::Up;
        case VK_RIGHT: return OverlayKey::Right;
        case VK_DOWN: return OverlayKey::Down;
        default: return OverlayKey::Other;
    }
}

// The brackets by the character they type: layouts put them on different keys,
// some behind AltGr.
OverlayKey overlay_char(WPARAM ch) {
    if (ch == L'[') return OverlayKey::OpenBracket;
    if (ch == L']') return OverlayKey::CloseBracket;
    return OverlayKey::Other;
}

const wchar_t* cursor_resource(OverlayCursor cursor) {
    switch (cursor) {
        case OverlayCursor::Arrow: return IDC_ARROW;
        case OverlayCursor::Cross: return IDC_CROSS;
        case OverlayCursor::Move: return IDC_SIZEALL;
        case OverlayCursor::TextBeam: return IDC_IBEAM;
        case OverlayCursor::SizeNwse: return IDC_SIZENWSE;
        case OverlayCursor::SizeNesw: return IDC_SIZENESW;
        case OverlayCursor::SizeNs: return IDC_SIZENS;
        case OverlayCursor::SizeWe: return IDC_SIZEWE;
    }
    return IDC_ARROW;
}

void apply_cursor_rule(const OverlayState& state, DesktopPoint p) {
    const bool over_toolbar = state.editing() && toolbar_contains(state.toolbar, state.toolbar_at, p.x, p.y);
    const OverlayCursor cursor =
        overlay_cursor(state.editing() ? &*state.editor : nullptr, over_toolbar, Point{double(p.x), double(p.y)});
    SetCursor(LoadCursorW(nullptr, cursor_resource(cursor)));
}

void cancel(OverlayState& state) { state.outcome = OverlayOutcome{}; }

enum class FinishKind { Copy, Save, Send, Pin };

// Builds the finished picture; the loop ends once the outcome is set.
void finish(OverlayState& state, FinishKind kind) {
    if (!state.editing()) return;
    const Editor& editor = *state.editor;
    BitmapCanvasFactory canvases;
    // The picture states the DPI of the monitor it was taken on.
    const uint32_t dpi = dpi_for_ui_scale(ui_scale_of(state.monitors, editor.selection()));
    // A capture edited again is made from its crop at full size, whatever size it is shown at.
    const bool again = state.edit_again.has_value();
    const std::vector<Annotation> crop_marks =
        again ? remapped(editor.annotations(), state.edit_again->placement.to_crop()) : std::vector<Annotation>{};
    const ExportInput input =
        again ? ExportInput{state.edit_again->crop, crop_selection(state.edit_again->placement, editor.selection()),
                            crop_marks, editor.backdrop(), dpi}
              : ExportInput{state.frame, editor.selection(), editor.annotations(), editor.backdrop(), dpi};
    auto image = renderExport(input, canvases);
    OverlayOutcome outcome;
    // Kept for editing again later: the selection as captured and the marks as objects.
    if (image) outcome.editable = editable_capture(input);
    if (image)
        outcome.image = std::move(*image);
    else
        outcome.failure = std::move(image.error());
    outcome.selection = editor.selection();
    outcome.save = kind == FinishKind::Save || state.save_as;
    outcome.send = kind == FinishKind::Send;
    outcome.pin = kind == FinishKind::Pin;
    state.outcome = std::move(outcome);
}

void copy_colour(OverlayState& state) {
    const std::optional<uint32_t> pixel = state.frame.pixel_at(state.gesture.cursor.x, state.gesture.cursor.y);
    if (!pixel) {
        invalidate_readout(state);
        return;
    }
    const Rgb rgb{uint8_t(*pixel >> 16), uint8_t(*pixel >> 8), uint8_t(*pixel)};
    std::string text = colour_text(rgb, state.colour_decimal);
    // A busy clipboard leaves the overlay open without a word.
    if (copy_text(text)) {
        state.colour_copied = true;
        state.pending_colour = std::move(text);
        SetTimer(state.window, kColourCopiedTimer, kColourCopiedDelayMs, nullptr);
    }
    invalidate_readout(state);
}

void on_key(OverlayState& state, OverlayKey key) {
    if (state.text_box) return;  // typing belongs to the box
    Editor* editor = state.editing() ? &*state.editor : nullptr;
    const KeyAction action = overlay_key_action(key, key_held(VK_CONTROL), key_held(VK_SHIFT), state.editing(),
                                                editor ? editor->tool() : std::nullopt);
    switch (action.command) {
        case KeyCommand::None: return;
        case KeyCommand::Cancel: cancel(state); return;
        case KeyCommand::ToggleSaveAs:
            state.save_as = !state.save_as;
            invalidate_selecting_changes(state);
            return;
        case KeyCommand::ToggleColourFormat:
            state.colour_decimal = !state.colour_decimal;
            state.colour_copied = false;
            invalidate_readout(state);
            return;
        case KeyCommand::CopyColour: copy_colour(state); return;
        default: break;
    }
    if (!editor) return;
    switch (action.command) {
        case KeyCommand::Confirm: apply_editor_outcome(state, Editor::confirm()); break;
        case KeyCommand::Pin: apply_editor_outcome(state, Editor::pin()); break;
        case KeyCommand::Save: apply_editor_outcome(state, Editor::save()); break;
        case KeyCommand::Undo: apply_editor_outcome(state, editor->undo()); break;
        case KeyCommand::Redo: apply_editor_outcome(state, editor->redo()); break;
        case KeyCommand::Nudge: apply_editor_outcome(state, editor->nudge(action.dx, action.dy)); break;
        case KeyCommand::Grow: apply_editor_outcome(state, editor->grow_or_shrink(action.dx, action.dy, true)); break;
        case KeyCommand::Shrink:
            apply_editor_outcome(state, editor->grow_or_shrink(action.dx, action.dy, false));
            break;
        case KeyCommand::ChooseTool: apply_editor_outcome(state, editor->select_tool(action.index)); break;
        case KeyCommand::ChooseColour: apply_editor_outcome(state, editor->select_colour(action.index)); break;
        case KeyCommand::SmallerSize: apply_editor_outcome(state, editor->step_size(-1)); break;
        case KeyCommand::LargerSize: apply_editor_outcome(state, editor->step_size(1)); break;
        default: break;
    }
}

void on_mouse_move(OverlayState& state, DesktopPoint p, WPARAM buttons) {
    state.colour_copied = false;
    if (!state.editing()) {
        if (selecting_move(state.gesture, state.model, p.x, p.y)) invalidate_selecting_changes(state);
    } else {
        apply_editor_outcome(state, state.editor->pointer_move(p.x, p.y, key_held(VK_SHIFT)));
    }
    // No tooltips while selecting or while a button is held.
    std::optional<ToolbarItem> hover;
    if (state.editing() && !(buttons & MK_LBUTTON)) hover = toolbar_item_at(state.toolbar, state.toolbar_at, p.x, p.y);
    if (toolbar_hover_changed(state.hover_item, hover)) {
        state.hover_item = hover;
        invalidate_editing(state);
    }
    apply_cursor_rule(state, p);
}

// A press on a toolbar item acts at once.
void press_toolbar_item(OverlayState& state, const ToolbarItem& item) {
    Editor& editor = *state.editor;
    switch (item.kind) {
        case ToolbarItemKind::Tool: apply_editor_outcome(state, editor.select_tool(item.index)); break;
        case ToolbarItemKind::Colour: apply_editor_outcome(state, editor.select_colour(item.index)); break;
        case ToolbarItemKind::Size: apply_editor_outcome(state, editor.select_size(item.index)); break;
        case ToolbarItemKind::Undo: apply_editor_outcome(state, editor.undo()); break;
        case ToolbarItemKind::Backdrop: apply_editor_outcome(state, editor.toggle_backdrop()); break;
        case ToolbarItemKind::TextBackground: apply_editor_outcome(state, editor.toggle_text_background()); break;
        case ToolbarItemKind::Pin: finish(state, FinishKind::Pin); break;
        case ToolbarItemKind::Send: finish(state, FinishKind::Send); break;
        case ToolbarItemKind::Save: finish(state, FinishKind::Save); break;
        case ToolbarItemKind::Copy: finish(state, FinishKind::Copy); break;
        case ToolbarItemKind::Cancel: cancel(state); break;
    }
}

void on_left_down(OverlayState& state, DesktopPoint p) {
    if (state.text_box) {
        close_text_box(state, true);
        return;
    }
    if (!state.editing()) {
        selecting_press(state.gesture, state.model, p.x, p.y);
        invalidate_selecting_changes(state);
        return;
    }
    if (auto item = toolbar_item_at(state.toolbar, state.toolbar_at, p.x, p.y)) {
        press_toolbar_item(state, *item);
        return;
    }
    if (toolbar_contains(state.toolbar, state.toolbar_at, p.x, p.y)) return;
    apply_editor_outcome(state, state.editor->pointer_down(p.x, p.y));
}

void on_left_up(OverlayState& state, DesktopPoint p) {
    if (state.editing()) {
        apply_editor_outcome(state, state.editor->pointer_up(p.x, p.y, key_held(VK_SHIFT)));
        return;
    }
    if (auto selection = selecting_release(state.gesture, state.model, p.x, p.y))
        begin_editing(state, *selection);
    else
        cancel(state);
}

void on_double_click(OverlayState& state, DesktopPoint p) {
    // The class takes double clicks, so a quick second press on a toolbar button
    // arrives as one: it is a press on the button like the first.
    if (state.editing() && !state.text_box && toolbar_contains(state.toolbar, state.toolbar_at, p.x, p.y)) {
        on_left_down(state, p);
        return;
    }
    if (!state.editing() || !state.editor->selection().contains(p.x, p.y)) return;
    apply_editor_outcome(state, state.editor->double_click(p.x, p.y));
}

void on_timer(OverlayState& state, UINT_PTR id) {
    if (id != kColourCopiedTimer) return;
    KillTimer(state.window, kColourCopiedTimer);
    OverlayOutcome outcome;
    outcome.colour_text = std::move(state.pending_colour);
    state.pending_colour.reset();
    state.outcome = std::move(outcome);
}

// While a copied colour waits for its confirmation, only painting and the timer count.
LRESULT while_colour_pending(OverlayState& state, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT: paint_overlay(state); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_TIMER: on_timer(state, wparam); return 0;
        case WM_DESTROY:
        case WM_KILLFOCUS: return DefWindowProcW(window, message, wparam, lparam);
        default: return 0;
    }
}

DesktopPoint message_point(const OverlayState& state, LPARAM lparam) {
    return client_to_desktop(uint32_t(lparam), state.desktop);
}

}  // namespace

void begin_editing(OverlayState& state, const Rect& selection) {
    state.editor = start_editing(state.model, selection, last_tools);
    state.hover_item.reset();
    relayout_toolbar(state);
    invalidate_all(state);
}

void remember_tools(const OverlayState& state) {
    if (state.editing()) last_tools = state.editor->tool_settings();
}

void relayout_toolbar(OverlayState& state) {
    if (!state.editing()) return;
    // While editing, the toolbar, the handles and new marks follow the monitor the
    // toolbar is placed on: the one showing most of the selection.
    const Rect& selection = state.editor->selection();
    const uint32_t scale = ui_scale_of(state.monitors, selection);
    state.editor->set_ui_scale(scale);
    state.toolbar = layout_toolbar(state.editor->tool(), state.transfer_enabled, scale);
    state.toolbar_at = place_toolbar(state.toolbar, selection, state.area_of(selection));
}

void apply_editor_outcome(OverlayState& state, const EditorOutcome& outcome) {
    switch (outcome.action) {
        case EditorAction::None: return;
        case EditorAction::Redraw:
            relayout_toolbar(state);
            invalidate_editing(state);
            return;
        case EditorAction::Copy: finish(state, FinishKind::Copy); return;
        case EditorAction::Save: finish(state, FinishKind::Save); return;
        case EditorAction::Send: finish(state, FinishKind::Send); return;
        case EditorAction::Pin: finish(state, FinishKind::Pin); return;
        case EditorAction::Cancel: cancel(state); return;
        case EditorAction::OpenTextBox:
        case EditorAction::EditTextBox:
            if (outcome.text_box) open_text_box(state, *outcome.text_box);
            return;
    }
}

LRESULT CALLBACK overlay_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    OverlayState* state = overlay_state(window);
    if (!state) return DefWindowProcW(window, message, wparam, lparam);
    if (state->pending_colour) return while_colour_pending(*state, window, message, wparam, lparam);

    switch (message) {
        case WM_SETFOCUS: state->focus_seen = true; return 0;
        case WM_KILLFOCUS:
            // Focus going to the text box is no reason to close.
            if (HWND to = HWND(wparam); to && IsChild(window, to)) return 0;
            if (state->focus_seen) cancel(*state);
            return 0;
        case WM_ACTIVATE:
            // Another window taking over (Alt+Tab, a click elsewhere) cancels, also
            // while the text box has the focus and the overlay sees no kill-focus.
            if (LOWORD(wparam) == WA_INACTIVE && state->focus_seen) cancel(*state);
            break;
        case WM_CLOSE:
            // Alt+F4 and any other close request: the loop ends and destroys the window.
            cancel(*state);
            return 0;
        case WM_DESTROY:
            // Destroyed from elsewhere: the loop must still end.
            if (!state->outcome) cancel(*state);
            break;
        case WM_PAINT: paint_overlay(*state); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_SETCURSOR: {
            if (LOWORD(lparam) != HTCLIENT) break;
            POINT at;
            GetCursorPos(&at);  // screen coordinates are desktop units
            apply_cursor_rule(*state, DesktopPoint{at.x, at.y});
            return TRUE;
        }
        case WM_KEYDOWN: on_key(*state, overlay_key(wparam)); return 0;
        case WM_CHAR:
            if (const OverlayKey key = overlay_char(wparam); key != OverlayKey::Other) on_key(*state, key);
            return 0;
        case WM_CTLCOLOREDIT:
            if (state->text_box) return text_box_colours(*state, HDC(wparam));
            break;
        case WM_MOUSEMOVE: on_mouse_move(*state, message_point(*state, lparam), wparam); return 0;
        case WM_LBUTTONDOWN: on_left_down(*state, message_point(*state, lparam)); return 0;
        case WM_LBUTTONUP: on_left_up(*state, message_point(*state, lparam)); return 0;
        case WM_LBUTTONDBLCLK: on_double_click(*state, message_point(*state, lparam)); return 0;
        case WM_RBUTTONDOWN: cancel(*state); return 0;
        case kTextBoxCommit: close_text_box(*state, true); return 0;
        case kTextBoxCancel: close_text_box(*state, false); return 0;
        case WM_TIMER: on_timer(*state, wparam); return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace kestrix::win
