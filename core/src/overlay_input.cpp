#include "kestrix/overlay_input.h"

#include <variant>

namespace kestrix {
namespace {

struct ArrowVector {
    int dx;
    int dy;
};

std::optional<ArrowVector> arrow_vector(OverlayKey key) {
    switch (key) {
        case OverlayKey::Left: return ArrowVector{-1, 0};
        case OverlayKey::Up: return ArrowVector{0, -1};
        case OverlayKey::Right: return ArrowVector{1, 0};
        case OverlayKey::Down: return ArrowVector{0, 1};
        default: return std::nullopt;
    }
}

// Reshaping an arrow by its start, end or bend handle has no resize cursor.
OverlayCursor reshape_cursor(Handle h) { return uint8_t(h) <= 7 ? resize_cursor(h) : OverlayCursor::Cross; }

bool inside(const Rect& r, const Point& p) {
    return p.x >= r.x && p.y >= r.y && p.x < double(r.right()) && p.y < double(r.bottom());
}

struct ToolKey {
    OverlayKey key;
    char letter;
    Tool tool;
};
constexpr ToolKey TOOL_KEYS[] = {
    {OverlayKey::R, 'R', Tool::Rectangle}, {OverlayKey::E, 'E', Tool::Ellipse}, {OverlayKey::A, 'A', Tool::Arrow},
    {OverlayKey::L, 'L', Tool::Line},      {OverlayKey::P, 'P', Tool::Pen},     {OverlayKey::H, 'H', Tool::Highlighter},
    {OverlayKey::M, 'M', Tool::Mosaic},    {OverlayKey::X, 'X', Tool::Redact},  {OverlayKey::T, 'T', Tool::Text},
    {OverlayKey::N, 'N', Tool::Number},
};

std::optional<Tool> tool_of_key(OverlayKey key) {
    for (const ToolKey& k : TOOL_KEYS)
        if (k.key == key) return k.tool;
    return std::nullopt;
}

std::optional<int> swatch_of_key(OverlayKey key) {
    if (key < OverlayKey::Digit1 || key > OverlayKey::Digit8) return std::nullopt;
    return int(key) - int(OverlayKey::Digit1);
}

// The editing phase's plain keys: tools, and the current tool's colour and size.
KeyAction editing_key_action(OverlayKey key, std::optional<Tool> tool) {
    if (auto chosen = tool_of_key(key)) return {KeyCommand::ChooseTool, 0, 0, int(*chosen)};
    if (!tool) return {};
    if (auto swatch = swatch_of_key(key)) {
        if (!tool_has_colours(*tool)) return {};
        return {KeyCommand::ChooseColour, 0, 0, *swatch};
    }
    if (!tool_has_sizes(*tool)) return {};
    if (key == OverlayKey::OpenBracket) return {KeyCommand::SmallerSize};
    if (key == OverlayKey::CloseBracket) return {KeyCommand::LargerSize};
    return {};
}

}  // namespace

char tool_key(Tool tool) {
    for (const ToolKey& k : TOOL_KEYS)
        if (k.tool == tool) return k.letter;
    return '?';
}

KeyAction overlay_key_action(OverlayKey key, bool ctrl, bool shift, bool editing, std::optional<Tool> tool) {
    KeyAction action;
    if (key == OverlayKey::Escape) return {KeyCommand::Cancel};
    if (key == OverlayKey::C && !ctrl) return {shift ? KeyCommand::ToggleColourFormat
                                                     : (editing ? KeyCommand::None : KeyCommand::CopyColour)};
    if (key == OverlayKey::S && ctrl && !editing) return {KeyCommand::ToggleSaveAs};

    if (key == OverlayKey::Enter) action.command = KeyCommand::Confirm;
    else if (ctrl && key == OverlayKey::C) action.command = KeyCommand::Confirm;
    else if (ctrl && key == OverlayKey::P) action.command = KeyCommand::Pin;
    else if (ctrl && key == OverlayKey::S) action.command = KeyCommand::Save;
    else if (ctrl && key == OverlayKey::Z) action.command = shift ? KeyCommand::Redo : KeyCommand::Undo;
    else if (ctrl && key == OverlayKey::Y) action.command = KeyCommand::Redo;
    else if (auto arrow = arrow_vector(key)) {
        action.command = ctrl ? KeyCommand::Grow : shift ? KeyCommand::Shrink : KeyCommand::Nudge;
        action.dx = arrow->dx;
        action.dy = arrow->dy;
    }
    // The brackets are typed characters; on many layouts AltGr, which holds Ctrl, types them.
    else if (editing && (!ctrl || key == OverlayKey::OpenBracket || key == OverlayKey::CloseBracket))
        return editing_key_action(key, tool);
    // Confirming, saving, pinning, history and the arrows need a selection.
    if (!editing) return {};
    return action;
}

OverlayCursor resize_cursor(Handle handle) {
    switch (handle) {
        case Handle::TopLeft:
        case Handle::BottomRight: return OverlayCursor::SizeNwse;
        case Handle::TopRight:
        case Handle::BottomLeft: return OverlayCursor::SizeNesw;
        case Handle::TopMiddle:
        case Handle::BottomMiddle: return OverlayCursor::SizeNs;
        case Handle::RightMiddle:
        case Handle::LeftMiddle: return OverlayCursor::SizeWe;
        default: return OverlayCursor::Cross;
    }
}

OverlayCursor overlay_cursor(const Editor* editor, bool over_toolbar, const Point& p) {
    if (!editor) return OverlayCursor::Cross;
    if (over_toolbar) return OverlayCursor::Arrow;

    const Gesture& gesture = editor->gesture();
    if (std::holds_alternative<DrawingGesture>(gesture)) return OverlayCursor::Cross;
    if (auto* resizing = std::get_if<ResizingSelectionGesture>(&gesture)) return resize_cursor(resizing->handle);
    if (std::holds_alternative<MovingSelectionGesture>(gesture) || std::holds_alternative<MovingAnnotationGesture>(gesture))
        return OverlayCursor::Move;
    if (auto* reshaping = std::get_if<ReshapingGesture>(&gesture)) return reshape_cursor(reshaping->handle);

    if (auto h = editor->annotation_handle_at(p.x, p.y)) return reshape_cursor(*h);
    if (auto h = editor->selection_handle_at(p.x, p.y)) return resize_cursor(*h);
    if (!inside(editor->selection(), p)) return OverlayCursor::Arrow;
    if (editor->annotation_at(p.x, p.y)) return OverlayCursor::Move;
    if (!editor->tool()) return OverlayCursor::Move;
    return *editor->tool() == Tool::Text ? OverlayCursor::TextBeam : OverlayCursor::Cross;
}

DesktopPoint client_to_desktop(uint32_t position, const Rect& desktop) {
    const auto x = int16_t(uint16_t(position & 0xFFFFu));
    const auto y = int16_t(uint16_t(position >> 16));
    return {int32_t(x) + desktop.x, int32_t(y) + desktop.y};
}

bool toolbar_hover_changed(const std::optional<ToolbarItem>& before, const std::optional<ToolbarItem>& now) {
    if (before.has_value() != now.has_value()) return true;
    if (!before) return false;
    if (before->kind != now->kind) return true;
    const bool indexed = now->kind == ToolbarItemKind::Tool || now->kind == ToolbarItemKind::Colour ||
                         now->kind == ToolbarItemKind::Size;
    return indexed && before->index != now->index;
}

}  // namespace kestrix
