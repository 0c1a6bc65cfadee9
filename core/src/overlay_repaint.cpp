#include "kestrix/overlay_repaint.h"

#include <algorithm>
#include <cmath>

namespace kestrix {

namespace {

// Room around the selection and the handles for the handle discs, the frame and
// their anti-aliased edges, and above and below the toolbar for a tooltip; both at
// 100 % and grown with the scale.
constexpr int32_t kHandleRoom = 32;
constexpr int32_t kTooltipReach = 64;

int32_t scaled(int32_t room, uint32_t ui_scale) { return int32_t(int64_t(room) * std::max<uint32_t>(ui_scale, 100) / 100); }

int32_t whole(double v) { return int32_t(std::clamp(v, -2147483648.0, 2147483647.0)); }

Rect grown(const Rect& r, int32_t by) {
    const int64_t x = int64_t(r.x) - by, y = int64_t(r.y) - by;
    const int64_t w = int64_t(r.width) + 2 * int64_t(by), h = int64_t(r.height) + 2 * int64_t(by);
    const auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return {clamp(x), clamp(y), clamp(w), clamp(h)};
}

int64_t area(const Rect& r) { return int64_t(r.width) * r.height; }

Rect bounding(const Rect& a, const Rect& b) {
    const int64_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    return {int32_t(left), int32_t(top), int32_t(std::max(a.right(), b.right()) - left),
            int32_t(std::max(a.bottom(), b.bottom()) - top)};
}

}  // namespace

std::vector<Rect> paint_parts(std::vector<Rect> rects) {
    std::erase_if(rects, [](const Rect& r) { return r.empty(); });
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < rects.size() && !merged; ++i)
            for (size_t j = i + 1; j < rects.size() && !merged; ++j) {
                const Rect both = bounding(rects[i], rects[j]);
                const int64_t parts = area(rects[i]) + area(rects[j]);
                const int64_t waste = area(both) - parts;
                if (waste > parts / 4 && waste > int64_t(64) * std::max(both.width, both.height)) continue;
                rects[i] = both;
                rects.erase(rects.begin() + std::ptrdiff_t(j));
                merged = true;
            }
    }
    return rects;
}

std::vector<Rect> paint_bands(const Rect& part, int32_t rows, const std::vector<Rect>& keep_whole) {
    std::vector<Rect> bands;
    if (part.empty() || rows < 1) return bands;
    for (int64_t top = part.y; top < part.bottom();) {
        int64_t bottom = std::min<int64_t>(top + rows, part.bottom());
        for (const Rect& area : keep_whole) {
            if (!intersect(area, part) || area.height > rows) continue;
            if (area.y > top && area.y < bottom && area.bottom() > bottom) bottom = area.y;
        }
        bands.push_back({part.x, int32_t(top), part.width, int32_t(bottom - top)});
        top = bottom;
    }
    return bands;
}

std::vector<Rect> editing_chrome_areas(const EditingChrome& chrome) {
    const int32_t room = scaled(kHandleRoom, chrome.ui_scale);
    std::vector<Rect> areas;
    if (!chrome.selection.empty()) areas.push_back(grown(chrome.selection, room));
    if (!chrome.annotation_handles.empty()) {
        double left = chrome.annotation_handles[0].x, right = left;
        double top = chrome.annotation_handles[0].y, bottom = top;
        for (const Point& p : chrome.annotation_handles) {
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
        const Rect box{whole(std::floor(left)), whole(std::floor(top)), whole(std::ceil(right - std::floor(left)) + 1),
                       whole(std::ceil(bottom - std::floor(top)) + 1)};
        areas.push_back(grown(box, room));
    }
    if (!chrome.toolbar.empty()) {
        areas.push_back(grown(chrome.toolbar, room));
        if (chrome.tooltip_monitor) {
            const int32_t reach = scaled(kTooltipReach, chrome.ui_scale);
            const Rect& m = *chrome.tooltip_monitor;
            areas.push_back({m.x, chrome.toolbar.y - reach, m.width, chrome.toolbar.height + 2 * reach});
        }
    }
    return areas;
}

}  // namespace kestrix
