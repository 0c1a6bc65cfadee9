// The magnifier's placement and its vector parts: cross-hair, zoom frame,
// swatch and the two text lines that shrink to fit the panel.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fill_box.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/ui_scale.h"

namespace kestrix {
namespace {

// Sizes at 100 %: 16 x 16 desktop pixels blown up 8 times, 39 pixels of text
// below them, 18 pixels away from the cursor.
constexpr int32_t ZOOM_PIXELS = 16;
constexpr double BLOCK = 8.0;
constexpr double TEXT_ROOM = 39.0;
constexpr double CURSOR_OFFSET = 18.0;

constexpr Argb CROSS_HAIR = opaque(46, 158, 74);
constexpr Argb FRAME = opaque(106, 106, 106);
constexpr Argb FIRST_LINE = opaque(232, 232, 232);
constexpr Argb HINT = opaque(154, 154, 154);

constexpr double LINE_SIZE = 12.0;
constexpr double LINE_MIN_SIZE = 9.5;
constexpr double HINT_SIZE = 9.5;
constexpr double HINT_MIN_SIZE = 8.0;
constexpr double HINT_MARGIN = 6.0;  // the hint's room is the panel less this on each side

int32_t rounded(double v) { return int32_t(std::lround(v)); }

// One axis: after the cursor, else before it, else against the far edge.
int32_t place_axis(int32_t cursor, int32_t offset, int32_t start, int32_t length, int32_t extent) {
    const int64_t end = int64_t(start) + length;
    if (int64_t(cursor) + offset + extent <= end) return int32_t(int64_t(cursor) + offset);
    const int64_t before = int64_t(cursor) - offset - extent;
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

void paint_first_line(Canvas& canvas, Point panel, const ReadoutContent& content, const ReadoutGeometry& g) {
    const double s = scale_factor(content.ui_scale);
    std::string line = std::to_string(content.cursor_x) + ", " + std::to_string(content.cursor_y);
    if (content.pixel) {
        line += "  ";
        if (content.copied) line += "\xE2\x9C\x93 ";
        line += colour_text(*content.pixel, content.decimal);
    }
    const double start = panel.x + (content.pixel ? 23.0 : 8.0) * s;
    const double room = panel.x + g.width - 6.0 * s - start;
    const double nominal = LINE_SIZE * s;
    double size = nominal;
    if (const auto extent = canvas.measureText(line, nominal))
        size = shrunk_size(nominal, LINE_MIN_SIZE * s, extent->width, room);
    canvas.drawText(line, {start, panel.y + g.zoom + 4 * s}, size, FIRST_LINE);
}

void paint_hint(Canvas& canvas, Point panel, std::string_view hint, uint32_t ui_scale, const ReadoutGeometry& g) {
    const double s = scale_factor(ui_scale);
    const double nominal = HINT_SIZE * s, room = g.width - 2 * HINT_MARGIN * s;
    std::string_view text = hint;
    double size = nominal;
    if (const auto extent = canvas.measureText(text, nominal); extent && extent->width > room) {
        size = shrunk_size(nominal, HINT_MIN_SIZE * s, extent->width, room);
        const auto shrunk = canvas.measureText(text, size);
        // A measure that scales with the size lands on the room itself, give or take rounding.
        if (shrunk && shrunk->width > room + 1e-6) text = first_part(text);
    }
    canvas.drawText(text, {panel.x + HINT_MARGIN * s, panel.y + g.zoom + 23 * s}, size, HINT);
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

ReadoutGeometry readout_geometry(uint32_t ui_scale) {
    const double s = scale_factor(ui_scale);
    ReadoutGeometry g;
    g.block = std::max(1, rounded(BLOCK * s));
    g.zoom = ZOOM_PIXELS * g.block;
    g.width = g.zoom;
    g.height = g.zoom + rounded(TEXT_ROOM * s);
    g.offset = rounded(CURSOR_OFFSET * s);
    return g;
}

Rect readout_panel(int32_t cursor_x, int32_t cursor_y, const Rect& area, uint32_t ui_scale) {
    const ReadoutGeometry g = readout_geometry(ui_scale);
    return {place_axis(cursor_x, g.offset, area.x, area.width, g.width),
            place_axis(cursor_y, g.offset, area.y, area.height, g.height), g.width, g.height};
}

void paint_readout_chrome(Canvas& canvas, Point panel, const ReadoutContent& content) {
    const ReadoutGeometry g = readout_geometry(content.ui_scale);
    const double s = scale_factor(content.ui_scale);
    const double x = panel.x, y = panel.y, zoom = g.zoom, mid = zoom / 2;
    const Point across[] = {{x, y + mid}, {x + zoom, y + mid}};
    const Point down[] = {{x + mid, y}, {x + mid, y + zoom}};
    canvas.strokePolyline(across, false, s, CROSS_HAIR);
    canvas.strokePolyline(down, false, s, CROSS_HAIR);
    canvas.strokeRectangle({x + mid - g.block / 2.0, y + mid - g.block / 2.0, double(g.block), double(g.block)}, 1.5 * s,
                           CROSS_HAIR);
    canvas.strokeRectangle({x, y, zoom, zoom}, s, FRAME);

    if (content.pixel) {
        const Box swatch{x + 8 * s, y + zoom + 7 * s, 10 * s, 10 * s};
        detail::fill_box(canvas, swatch, opaque(content.pixel->r, content.pixel->g, content.pixel->b));
        canvas.strokeRectangle(swatch, s, FRAME);
    }
    paint_first_line(canvas, panel, content, g);
    paint_hint(canvas, panel, content.hint, content.ui_scale, g);
}

}  // namespace kestrix
