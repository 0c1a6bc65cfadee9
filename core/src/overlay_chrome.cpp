// The editing phase's chrome: the toolbar with its active states and tooltip,
// the selection frame and the selected annotation's handles.
#include "kestrix/overlay_chrome.h"

#include <algorithm>

#include "fill_box.h"
#include "kestrix/annotate.h"
#include "kestrix/i18n.h"
#include "kestrix/overlay_input.h"
#include "kestrix/pictogram.h"
#include "kestrix/ui_scale.h"

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
// Sizes at 100 %.
constexpr double TOOLTIP_SIZE = 12.0;
constexpr double TOOLTIP_PADDING_X = 6.0;  // text to box edge
constexpr double TOOLTIP_PADDING_Y = 3.0;
constexpr double TOOLTIP_GAP = 6.0;  // item to box
constexpr double ACTIVE_GROWTH = 3.0;
constexpr double SELECTION_BORDER = 2.0;
constexpr double SELECTION_HANDLE_OUTLINE = 1.5;
constexpr double ANNOTATION_HANDLE_SIZE = 7.0;

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

void paint_item(Canvas& canvas, const ToolbarItem& item, Point at, const ToolbarLook& look, double scale) {
    const Box box = offset(item.rect, at);
    const bool active = is_active(item, look);
    const double grow = ACTIVE_GROWTH * scale;
    if (active) detail::fill_box(canvas, {box.x - grow, box.y - grow, box.width + 2 * grow, box.height + 2 * grow}, ACTIVE);
    const Argb colour = ink(item, active, look.can_undo);
    switch (item.kind) {
    case ToolbarItemKind::Tool: drawPictogram(canvas, toolPictogram(tool_of(item.index)), box, colour); break;
    case ToolbarItemKind::Colour: drawSwatch(canvas, box, toArgb(palette_colour(item.index)), scale); break;
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

}  // namespace

TooltipPlacement place_tooltip(const Box& item, TextExtent text, const Box& bounds, uint32_t ui_scale) {
    const double s = scale_factor(ui_scale);
    const double pad_x = TOOLTIP_PADDING_X * s, pad_y = TOOLTIP_PADDING_Y * s, gap = TOOLTIP_GAP * s;
    const double width = text.width + 2 * pad_x, height = text.height + 2 * pad_y;
    double top = item.y + item.height + gap;
    if (top + height > bounds.y + bounds.height) top = item.y - gap - height;
    const double left = std::max(bounds.x, std::min(item.x + (item.width - width) / 2, bounds.x + bounds.width - width));
    return {{left, top, width, height}, {left + pad_x, top + pad_y}, TOOLTIP_SIZE * s};
}

namespace {

// Centred under the item, or above it when it would pass the bottom of
// `bounds`; always inside `bounds` horizontally.
void paint_tooltip(Canvas& canvas, const Box& item, std::string_view text, const Box& bounds, uint32_t ui_scale) {
    const double size = at_scale(TOOLTIP_SIZE, ui_scale);
    const auto extent = canvas.measureText(text, size);
    if (!extent) return;
    const TooltipPlacement at = place_tooltip(item, *extent, bounds, ui_scale);
    detail::fill_box(canvas, at.box, TOOLTIP_FILL);
    canvas.drawText(text, at.text, at.text_size, TOOLTIP_TEXT);
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
    const double scale = scale_factor(layout.ui_scale);
    detail::fill_box(canvas, offset(layout.main_panel, at), PANEL);
    if (layout.property_panel) detail::fill_box(canvas, offset(*layout.property_panel, at), PANEL);
    for (const ToolbarSeparator& s : layout.separators) {
        const Point line[] = {{at.x + s.x, at.y + s.top}, {at.x + s.x, at.y + s.top + s.length}};
        canvas.strokePolyline(line, false, scale, SEPARATOR);
    }
    for (const ToolbarItem& item : layout.items) paint_item(canvas, item, at, look, scale);

    // A hover left over from an earlier layout shows nothing.
    if (look.hover && std::find(layout.items.begin(), layout.items.end(), *look.hover) != layout.items.end())
        paint_tooltip(canvas, offset(look.hover->rect, at), toolbar_tooltip(*look.hover, look.tool), bounds,
                      layout.ui_scale);
}

void paint_selection_frame(Canvas& canvas, const Box& selection, uint32_t ui_scale) {
    const double s = scale_factor(ui_scale);
    canvas.strokeRectangle(selection, SELECTION_BORDER * s, GREEN);
    const double size = SELECTION_HANDLE_SIZE * s, half = size / 2, inset = SELECTION_HANDLE_OUTLINE * s / 2;
    for (const HandlePoint& h : box_handles(selection)) {
        const Box disc{h.centre.x - half + inset, h.centre.y - half + inset, size - 2 * inset, size - 2 * inset};
        canvas.fillEllipse(disc, WHITE);
        canvas.strokeEllipse(disc, SELECTION_HANDLE_OUTLINE * s, GREEN);
    }
}

void paint_annotation_handles(Canvas& canvas, std::span<const HandlePoint> handles, Origin origin, uint32_t ui_scale) {
    const double s = scale_factor(ui_scale);
    const double half = ANNOTATION_HANDLE_SIZE * s / 2, outline = s, inner = half - outline / 2;
    for (const HandlePoint& h : handles) {
        const Point c{h.centre.x - origin.x, h.centre.y - origin.y};
        detail::fill_box(canvas, {c.x - half, c.y - half, 2 * half, 2 * half}, WHITE);
        canvas.strokeRectangle({c.x - inner, c.y - inner, 2 * inner, 2 * inner}, outline, HANDLE_OUTLINE);
    }
}

}  // namespace kestrix
