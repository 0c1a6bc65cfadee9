#include "kestrix/overlay_layout.h"

#include <algorithm>
#include <cmath>

namespace kestrix {

uint32_t overlay_ui_scale(const std::vector<Monitor>& monitors) {
    const Monitor* m = hint_monitor(monitors);
    return m ? std::max<uint32_t>(m->ui_scale, 50) : 100;
}

int32_t size_label_font_height(uint32_t ui_scale) { return std::max<int32_t>(12, int32_t(ui_scale * 14 / 100)); }
int32_t hint_font_height(uint32_t ui_scale) { return std::max<int32_t>(11, int32_t(ui_scale * 13 / 100)); }

const Monitor* hint_monitor(const std::vector<Monitor>& monitors) {
    for (const Monitor& m : monitors)
        if (m.primary) return &m;
    return monitors.empty() ? nullptr : &monitors.front();
}

TextPlacement hint_placement(const Rect& monitor, uint32_t ui_scale, int32_t text_width, int32_t text_height) {
    const int32_t p = int32_t(ui_scale * 14 / 100);
    const int32_t width = text_width + 2 * p;
    const int32_t height = p + text_height;
    const int32_t left = monitor.x + (monitor.width - width) / 2;
    const int32_t top = monitor.y + monitor.height / 12;
    return {{left, top, width, height}, left + p, top + int32_t(ui_scale * 14 / 200)};
}

int32_t border_thickness(const std::vector<Monitor>& monitors, int32_t cursor_x, int32_t cursor_y) {
    for (const Monitor& m : monitors)
        if (m.rect.contains(cursor_x, cursor_y)) return std::max<int32_t>(1, int32_t(m.ui_scale * 2 / 100));
    return 2;
}

std::vector<Rect> border_bars(const Rect& r, int32_t t) {
    return {{r.x - t, r.y - t, r.width + 2 * t, t},
            {r.x - t, r.y + r.height, r.width + 2 * t, t},
            {r.x - t, r.y, t, r.height},
            {r.x + r.width, r.y, t, r.height}};
}

TextPlacement size_label_placement(const Rect& sel, int32_t t, int32_t text_width, int32_t text_height,
                                   const Rect& area) {
    const int32_t width = text_width + 6 * t;
    const int32_t height = text_height + 3 * t;
    // A box wider or taller than the area starts at its left or top edge.
    const auto keep_inside = [](int64_t value, int64_t start, int64_t end, int64_t size) {
        return int32_t(std::max(start, std::min(value, end - size)));
    };
    const int32_t left = keep_inside(int64_t(sel.x) - t, area.x, area.right(), width);
    int64_t top = int64_t(sel.y) - t - 4 - height;
    if (top < area.y) top = int64_t(sel.y) + t + 4;
    const int32_t top_kept = keep_inside(top, area.y, area.bottom(), height);
    return {{left, top_kept, width, height}, left + 3 * t, top_kept + 3 * t / 2};
}

Rect text_box_rect(const Point& anchor, const Rect& selection, const Rect& desktop, double font, double scale) {
    // std::lround rounds halves away from zero.
    const double room = double(selection.right()) - anchor.x;
    return {int32_t(std::lround(anchor.x)) - desktop.x, int32_t(std::lround(anchor.y)) - desktop.y,
            int32_t(std::lround(std::min(420.0 * scale, std::max(80.0 * scale, room)))),
            int32_t(std::lround(std::max(24.0 * scale, 1.9 * font)))};
}

Rect inflate(const Rect& r, int32_t by) { return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by}; }

}  // namespace kestrix
