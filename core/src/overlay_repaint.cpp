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

}  // namespace

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
