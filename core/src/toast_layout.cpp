#include "kestrix/toast_layout.h"

#include <algorithm>

namespace kestrix {

namespace {

constexpr TextExtent kUnmeasured{160, 32};

int64_t scaled(int64_t value, uint32_t scale) { return int64_t(scale) * value / 100; }

int32_t clamp32(int64_t value) { return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

const Monitor* main_monitor(const std::vector<Monitor>& monitors) {
    for (const Monitor& m : monitors)
        if (m.primary) return &m;
    return monitors.empty() ? nullptr : &monitors.front();
}

}  // namespace

uint32_t toast_scale(const std::optional<Rect>& near, const std::vector<Monitor>& monitors) {
    return ui_scale_of(monitors, toast_anchor(near, monitors));
}

int32_t toast_font_height(uint32_t scale) { return clamp32(std::max<int64_t>(12, scaled(14, scale))); }

Rect toast_anchor(const std::optional<Rect>& near, const std::vector<Monitor>& monitors) {
    if (near) return *near;
    const Monitor* monitor = main_monitor(monitors);
    return monitor ? monitor->rect : Rect{};
}

Rect toast_area(const std::optional<Rect>& near, const std::vector<Monitor>& monitors) {
    return monitor_of(monitors, toast_anchor(near, monitors)).value_or(virtual_desktop(monitors));
}

Rect toast_rect(const std::optional<TextExtent>& measured, uint32_t scale, const Rect& anchor, const Rect& area) {
    const TextExtent text = measured.value_or(kUnmeasured);
    const int64_t width = int64_t(text.width) + 2 * scaled(18, scale);
    const int64_t height = int64_t(text.height) + 2 * scaled(10, scale);

    // Centred under the anchor, then pushed right into the area, then left; a toast
    // wider than the area therefore starts left of it rather than running off its right.
    int64_t x = anchor.x + (int64_t(anchor.width) - width) / 2;
    x = std::max<int64_t>(x, area.x);
    x = std::min<int64_t>(x, area.right() - width);

    // Below the anchor unless that leaves less than 8 units (scaled) under it; never above the top.
    int64_t y = anchor.bottom() + scaled(12, scale);
    y = std::min<int64_t>(y, area.bottom() - height - scaled(8, scale));
    y = std::max<int64_t>(y, area.y);

    return Rect{clamp32(x), clamp32(y), clamp32(width), clamp32(height)};
}

int32_t toast_corner(int32_t height, uint32_t scale) { return clamp32(std::min<int64_t>(height, scaled(24, scale))); }

}  // namespace kestrix
