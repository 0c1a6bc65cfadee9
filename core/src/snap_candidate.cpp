#include "kestrix/snap_candidate.h"

#include <limits>

namespace kestrix {

namespace {

constexpr char kOverlayClass[] = "SnapRegionOverlay";

// The shell's desktop: the window the shell names, and the classes it draws the
// wallpaper and icons in.
bool is_shell_desktop(const SnapCandidate& window) {
    return window.shell_window || window.class_name == "Progman" || window.class_name == "WorkerW";
}

bool covers(const Rect& outer, const Rect& inner) {
    return outer.x <= inner.x && outer.y <= inner.y && outer.right() >= inner.right() && outer.bottom() >= inner.bottom();
}

// An overlay the pointer goes through, over a whole screen: a dimmer, a colour filter,
// a game's heads-up display. A small click-through window is left alone.
bool is_full_screen_click_through(const SnapCandidate& window, const Rect& rect) {
    return window.click_through && window.monitor && covers(rect, *window.monitor);
}

std::optional<Rect> rect_of(const WindowEdges& edges) {
    const int64_t width = int64_t(edges.right) - edges.left;
    const int64_t height = int64_t(edges.bottom) - edges.top;
    if (width < kMinimumSnapSide || height < kMinimumSnapSide) return std::nullopt;
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    if (width > kLargest || height > kLargest) return std::nullopt;  // not a rectangle of the desktop
    return Rect{edges.left, edges.top, int32_t(width), int32_t(height)};
}

}  // namespace

std::optional<Rect> snap_rect(const SnapCandidate& window) {
    if (!window.visible || window.minimised || window.tool_window || window.cloaked) return std::nullopt;
    // A leftover overlay of this process; its pins and Settings stay eligible.
    if (window.own_process && window.class_name == kOverlayClass) return std::nullopt;
    if (is_shell_desktop(window)) return std::nullopt;
    // Fully transparent: nothing of it is on the screen.
    if (window.layered_alpha == uint8_t(0)) return std::nullopt;
    if (!window.bounds) return std::nullopt;
    const std::optional<Rect> rect = rect_of(*window.bounds);
    if (!rect || is_full_screen_click_through(window, *rect)) return std::nullopt;
    return rect;
}

}  // namespace kestrix
