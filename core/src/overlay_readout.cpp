// The magnifier's placement and its vector parts: cross-hair, zoom frame,
// swatch and the two text lines that shrink to fit the panel.
#include <algorithm>
#include <cstdio>

#include "fill_box.h"
#include "kestrix/overlay_chrome.h"

namespace kestrix {
namespace {

constexpr int32_t PANEL_WIDTH = 128;
constexpr int32_t PANEL_HEIGHT = 167;
constexpr int32_t CURSOR_OFFSET = 18;
constexpr double ZOOM = 128.0;

constexpr Argb CROSS_HAIR = opaque(46, 158, 74);
constexpr Argb FRAME = opaque(106, 106, 106);
constexpr Argb FIRST_LINE = opaque(232, 232, 232);
constexpr Argb HINT = opaque(154, 154, 154);

constexpr double LINE_SIZE = 12.0;
constexpr double LINE_MIN_SIZE = 9.5;
constexpr double HINT_SIZE = 9.5;
constexpr double HINT_MIN_SIZE = 8.0;
constexpr double HINT_ROOM = 116.0;

// One axis: after the cursor, else before it, else against the far edge.
int32_t place_axis(int32_t cursor, int32_t start, int32_t length, int32_t extent) {
    const int64_t end = int64_t(start) + length;
    if (int64_t(cursor) + CURSOR_OFFSET + extent <= end) return int32_t(int64_t(cursor) + CURSOR_OFFSET);
    const int64_t before = int64_t(cursor) - CURSOR_OFFSET - extent;
    if (before >= start) return int32_t(before);
    return int32_t(std::max<int64_t>(start, end - extent));
}

// The size that fits `width` measured at `nominal` into `room`, within [low, nominal].
double shrunk_size(double nominal, double low, double width, double room) {
    if (width <= room) return nominal;
    return std::clamp(nominal * room / width, low, nominal);
}

// The hint's text before its first separator dot, without the blanks before it.
std::string_view first_part(std::string_view hint) {
    const size_t dot = hint.find("\xC2\xB7");
    if (dot == std::string_view::npos) return hint;
    std::string_view part = hint.substr(0, dot);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.remove_suffix(1);
    return part;
}

void paint_first_line(Canvas& canvas, Point panel, const ReadoutContent& content) {
    std::string line = std::to_string(content.cursor_x) + ", " + std::to_string(content.cursor_y);
    if (content.pixel) {
        line += "  ";
        if (content.copied) line += "\xE2\x9C\x93 ";
        line += colour_text(*content.pixel, content.decimal);
    }
    const double start = panel.x + (content.pixel ? 23.0 : 8.0);
    const double room = panel.x + PANEL_WIDTH - 6.0 - start;
    double size = LINE_SIZE;
    if (const auto extent = canvas.measureText(line, LINE_SIZE)) size = shrunk_size(LINE_SIZE, LINE_MIN_SIZE, extent->width, room);
    canvas.drawText(line, {start, panel.y + 132}, size, FIRST_LINE);
}

void paint_hint(Canvas& canvas, Point panel, std::string_view hint) {
    std::string_view text = hint;
    double size = HINT_SIZE;
    if (const auto extent = canvas.measureText(text, HINT_SIZE); extent && extent->width > HINT_ROOM) {
        size = shrunk_size(HINT_SIZE, HINT_MIN_SIZE, extent->width, HINT_ROOM);
        const auto shrunk = canvas.measureText(text, size);
        // A measure that scales with the size lands on the room itself, give or take rounding.
        if (shrunk && shrunk->width > HINT_ROOM + 1e-6) text = first_part(text);
    }
    canvas.drawText(text, {panel.x + 6, panel.y + 151}, size, HINT);
}

}  // namespace

std::string colour_text(Rgb colour, bool decimal) {
    char text[16];
    if (decimal)
        std::snprintf(text, sizeof text, "%u, %u, %u", unsigned(colour.r), unsigned(colour.g), unsigned(colour.b));
    else
        std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(colour.r), unsigned(colour.g), unsigned(colour.b));
    return text;
}

Rect readout_panel(int32_t cursor_x, int32_t cursor_y, const Rect& area) {
    return {place_axis(cursor_x, area.x, area.width, PANEL_WIDTH), place_axis(cursor_y, area.y, area.height, PANEL_HEIGHT),
            PANEL_WIDTH, PANEL_HEIGHT};
}

void paint_readout_chrome(Canvas& canvas, Point panel, const ReadoutContent& content) {
    const double x = panel.x, y = panel.y;
    const Point across[] = {{x, y + ZOOM / 2}, {x + ZOOM, y + ZOOM / 2}};
    const Point down[] = {{x + ZOOM / 2, y}, {x + ZOOM / 2, y + ZOOM}};
    canvas.strokePolyline(across, false, 1, CROSS_HAIR);
    canvas.strokePolyline(down, false, 1, CROSS_HAIR);
    canvas.strokeRectangle({x + 60, y + 60, 8, 8}, 1.5, CROSS_HAIR);
    canvas.strokeRectangle({x, y, ZOOM, ZOOM}, 1, FRAME);

    if (content.pixel) {
        const Box swatch{x + 8, y + 135, 10, 10};
        detail::fill_box(canvas, swatch, opaque(content.pixel->r, content.pixel->g, content.pixel->b));
        canvas.strokeRectangle(swatch, 1, FRAME);
    }
    paint_first_line(canvas, panel, content);
    paint_hint(canvas, panel, content.hint);
}

}  // namespace kestrix
