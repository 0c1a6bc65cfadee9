// The editing phase's chrome: the toolbar with its active states and tooltip,
// the selection frame and the selected annotation's handles.
#include "kestrix/overlay_chrome.h"

#include <algorithm>

#include "fill_box.h"
#include "kestrix/annotate.h"
#include "kestrix/i18n.h"
#include "kestrix/overlay_input.h"
#include "kestrix/pictogram.h"

namespace kestrix {
namespace {

constexpr Argb WHITE = opaque(255, 255, 255);
constexpr Argb GREEN = opaque(46, 158, 74);
constexpr Argb PANEL = opaque(244, 244, 247);
constexpr Argb SEPARATOR = opaque(142, 142, 150);
constexpr Argb ACTIVE = opaque(30, 136, 229);
constexpr Argb INK = opaque(42, 42, 46);
constexpr Argb DISABLED = opaque(175, 175, 182);
constexpr Argb CANCEL = opaque(217, 59, 54);
constexpr Argb HANDLE_OUTLINE = opaque(33, 33, 33);
constexpr Argb TOOLTIP_FILL = 0xF0000000u | (opaque(26, 26, 26) & 0x00FFFFFFu);
constexpr Argb TOOLTIP_TEXT = opaque(232, 232, 232);
constexpr double TOOLTIP_SIZE = 12.0;

constexpr Colour OPAQUE_ALPHA = 0xFF000000u;
constexpr Colour RGB_BITS = 0x00FFFFFFu;

Box offset(const Box& b, Point by) { return {b.x + by.x, b.y + by.y, b.width, b.height}; }

Tool tool_of(uint8_t index) { return Tool(std::min<int>(index, TOOL_COUNT - 1)); }

Message tool_label(Tool tool) {
    switch (tool) {
    case Tool::Rectangle: return Message::tool_rectangle;
    case Tool::Ellipse: return Message::tool_ellipse;
    case Tool::Arrow: return Message::tool_arrow;
    case Tool::Pen: return Message::tool_pen;
    case Tool::Mosaic: return Message::tool_mosaic;
    case Tool::Text: return Message::tool_text;
    case Tool::Number: return Message::tool_number;
    case Tool::Line: return Message::tool_line;
    case Tool::Highlighter: return Message::tool_highlighter;
    case Tool::Redact: return Message::tool_redact;
    }
    return Message::tool_rectangle;
}

bool is_active(const ToolbarItem& item, const ToolbarLook& look) {
    switch (item.kind) {
    case ToolbarItemKind::Tool: return look.tool == tool_of(item.index);
    case ToolbarItemKind::Colour:
        // A translucent current colour matches no swatch.
        return (look.colour & OPAQUE_ALPHA) == OPAQUE_ALPHA &&
               (palette_colour(item.index) & RGB_BITS) == (look.colour & RGB_BITS);
    case ToolbarItemKind::Size: return size_step(look.size_step) == item.index;
    case ToolbarItemKind::Backdrop: return look.backdrop;
    case ToolbarItemKind::TextBackground: return look.text_background;
    default: return false;
    }
}

std::optional<Pictogram> action_pictogram(ToolbarItemKind kind) {
    switch (kind) {
    case ToolbarItemKind::Cancel: return Pictogram::Cancel;
    case ToolbarItemKind::Undo: return Pictogram::Undo;
    case ToolbarItemKind::Backdrop: return Pictogram::Backdrop;
    case ToolbarItemKind::Pin: return Pictogram::Pin;
    case ToolbarItemKind::Send: return Pictogram::Send;
    case ToolbarItemKind::Save: return Pictogram::Save;
    case ToolbarItemKind::Copy: return Pictogram::Copy;
    case ToolbarItemKind::TextBackground: return Pictogram::TextBackground;
    default: return std::nullopt;
    }
}

Argb ink(const ToolbarItem& item, bool active, bool can_undo) {
    if (item.kind == ToolbarItemKind::Undo && !can_undo) return DISABLED;
    if (active) return WHITE;
    if (item.kind == ToolbarItemKind::Copy) return GREEN;
    if (item.kind == ToolbarItemKind::Cancel) return CANCEL;
    return INK;
}

void paint_item(Canvas& canvas, const ToolbarItem& item, Point at, const ToolbarLook& look) {
    const Box box = offset(item.rect, at);
    const bool active = is_active(item, look);
    if (active) detail::fill_box(canvas, {box.x - 3, box.y - 3, box.width + 6, box.height + 6}, ACTIVE);
    const Argb colour = ink(item, active, look.can_undo);
    switch (item.kind) {
    case ToolbarItemKind::Tool: drawPictogram(canvas, toolPictogram(tool_of(item.index)), box, colour); break;
    case ToolbarItemKind::Colour: drawSwatch(canvas, box, toArgb(palette_colour(item.index))); break;
    // The property row only exists with a tool chosen.
    case ToolbarItemKind::Size: drawSizeSymbol(canvas, look.tool.value_or(Tool::Rectangle), item.index, box, colour); break;
    default: drawPictogram(canvas, *action_pictogram(item.kind), box, colour, active ? ACTIVE : PANEL); break;
    }
}

std::string_view item_label(const ToolbarItem& item, std::optional<Tool> tool) {
    switch (item.kind) {
    case ToolbarItemKind::Cancel: return msg(Message::toolbar_cancel);
    case ToolbarItemKind::Tool: return msg(tool_label(tool_of(item.index)));
    case ToolbarItemKind::Colour: return msg(Message::property_colour);
    case ToolbarItemKind::Size:
        switch (tool.value_or(Tool::Rectangle)) {
        case Tool::Mosaic: return msg(Message::property_block_size);
        case Tool::Text: return msg(Message::property_text_size);
        case Tool::Number: return msg(Message::property_marker_size);
        default: return msg(Message::property_thickness);
        }
    case ToolbarItemKind::Undo: return msg(Message::toolbar_undo);
    case ToolbarItemKind::Backdrop: return msg(Message::toolbar_backdrop);
    case ToolbarItemKind::Pin: return msg(Message::toolbar_pin);
    case ToolbarItemKind::Send: return msg(Message::send_title);
    case ToolbarItemKind::Save: return msg(Message::toolbar_save_as);
    case ToolbarItemKind::Copy: return msg(Message::toolbar_copy);
    case ToolbarItemKind::TextBackground: return msg(Message::property_text_background);
    }
    return {};
}

// Centred under the item, or above it when it would pass the bottom of
// `bounds`; always inside `bounds` horizontally.
void paint_tooltip(Canvas& canvas, const Box& item, std::string_view text, const Box& bounds) {
    const auto extent = canvas.measureText(text, TOOLTIP_SIZE);
    if (!extent) return;
    const double width = extent->width + 12, height = extent->height + 6;
    double top = item.y + item.height + 6;
    if (top + height > bounds.y + bounds.height) top = item.y - extent->height - 12;
    const double left = std::max(bounds.x, std::min(item.x + (item.width - width) / 2, bounds.x + bounds.width - width));
    detail::fill_box(canvas, {left, top, width, height}, TOOLTIP_FILL);
    canvas.drawText(text, {left + 6, top + 3}, TOOLTIP_SIZE, TOOLTIP_TEXT);
}

}  // namespace

std::string toolbar_tooltip(const ToolbarItem& item, std::optional<Tool> tool) {
    if (item.kind == ToolbarItemKind::Tool) {
        const Tool t = tool_of(item.index);
        return std::string(msg(tool_label(t))) + msg(Message::tooltip_shortcut, std::string(1, tool_key(t)));
    }
    return std::string(item_label(item, tool));
}

void paint_toolbar(Canvas& canvas, const ToolbarLayout& layout, Point at, const ToolbarLook& look, const Box& bounds) {
    detail::fill_box(canvas, offset(layout.main_panel, at), PANEL);
    if (layout.property_panel) detail::fill_box(canvas, offset(*layout.property_panel, at), PANEL);
    for (const ToolbarSeparator& s : layout.separators) {
        const Point line[] = {{at.x + s.x, at.y + s.top}, {at.x + s.x, at.y + s.top + s.length}};
        canvas.strokePolyline(line, false, 1, SEPARATOR);
    }
    for (const ToolbarItem& item : layout.items) paint_item(canvas, item, at, look);

    // A hover left over from an earlier layout shows nothing.
    if (look.hover && std::find(layout.items.begin(), layout.items.end(), *look.hover) != layout.items.end())
        paint_tooltip(canvas, offset(look.hover->rect, at), toolbar_tooltip(*look.hover, look.tool), bounds);
}

void paint_selection_frame(Canvas& canvas, const Box& selection) {
    canvas.strokeRectangle(selection, 2, GREEN);
    constexpr double half = SELECTION_HANDLE_SIZE / 2, inset = 0.75;
    for (const HandlePoint& h : box_handles(selection)) {
        const Box disc{h.centre.x - half + inset, h.centre.y - half + inset, SELECTION_HANDLE_SIZE - 2 * inset,
                       SELECTION_HANDLE_SIZE - 2 * inset};
        canvas.fillEllipse(disc, WHITE);
        canvas.strokeEllipse(disc, 1.5, GREEN);
    }
}

void paint_annotation_handles(Canvas& canvas, std::span<const HandlePoint> handles, Origin origin) {
    for (const HandlePoint& h : handles) {
        const Point c{h.centre.x - origin.x, h.centre.y - origin.y};
        detail::fill_box(canvas, {c.x - 3.5, c.y - 3.5, 7, 7}, WHITE);
        canvas.strokeRectangle({c.x - 3, c.y - 3, 6, 6}, 1, HANDLE_OUTLINE);
    }
}

}  // namespace kestrix
