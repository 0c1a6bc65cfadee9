#include "kestrix/capture_modes.h"

#include "kestrix/capture_hotkeys.h"

#include <algorithm>
#include <array>

namespace kestrix {

namespace {

constexpr std::array<std::string_view, kCaptureModeCount> kModeNames = {"region", "last", "screen", "window"};
constexpr std::array<std::string_view, kCaptureModeCount> kHotkeyKeys = {"hotkey", "hotkey_last_region",
                                                                         "hotkey_screen", "hotkey_window"};

// The taskbar (primary and secondary ones) and the desktop behind the icons.
constexpr std::array<std::string_view, 4> kShellClasses = {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman",
                                                           "WorkerW"};

// The union's bounding box of two rectangles.
Rect span_of(const Rect& a, const Rect& b) {
    const int64_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int64_t right = std::max(a.right(), b.right()), bottom = std::max(a.bottom(), b.bottom());
    return {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

bool shows_nothing(const ForegroundWindow& window) {
    return !window.visible || window.minimised || window.cloaked || window.shell_desktop ||
           is_shell_surface(window.class_name);
}

}  // namespace

std::string_view capture_mode_name(CaptureMode mode) {
    const auto index = size_t(mode);
    return index < kModeNames.size() ? kModeNames[index] : std::string_view("region");
}

std::optional<CaptureMode> capture_mode_named(std::string_view name) {
    for (size_t i = 0; i < kModeNames.size(); ++i)
        if (kModeNames[i] == name) return CaptureMode(i);
    return std::nullopt;
}

std::string_view capture_hotkey_key(CaptureMode mode) {
    const auto index = size_t(mode);
    return index < kHotkeyKeys.size() ? kHotkeyKeys[index] : kHotkeyKeys[0];
}

bool is_shell_surface(std::string_view class_name) {
    return std::find(kShellClasses.begin(), kShellClasses.end(), class_name) != kShellClasses.end();
}

std::optional<Rect> on_monitors(const Rect& rect, const std::vector<Monitor>& monitors) {
    std::optional<Rect> shown;
    for (const Monitor& monitor : monitors) {
        const std::optional<Rect> piece = intersect(rect, monitor.rect);
        if (!piece) continue;
        shown = shown ? span_of(*shown, *piece) : *piece;
    }
    return shown;
}

std::optional<Rect> screen_under(const std::vector<Monitor>& monitors, int32_t pointer_x, int32_t pointer_y) {
    return monitor_at(monitors, pointer_x, pointer_y);
}

std::optional<Rect> window_selection(const std::optional<ForegroundWindow>& window,
                                     const std::vector<Monitor>& monitors, int32_t pointer_x, int32_t pointer_y) {
    const auto screen = [&] { return screen_under(monitors, pointer_x, pointer_y); };
    if (!window || shows_nothing(*window)) return screen();
    const std::optional<Rect> frame = window->frame ? window->frame : window->bounds;
    if (!frame) return screen();
    std::optional<Rect> shown = on_monitors(*frame, monitors);
    // Maximised, the frame reaches past its monitor's edges onto the neighbours.
    if (shown && window->maximised) {
        if (const std::optional<Rect> own = monitor_of(monitors, *frame)) shown = intersect(*shown, *own);
    }
    return shown ? shown : screen();
}

std::optional<Rect> initial_selection(CaptureMode mode, const CaptureFacts& facts,
                                      const std::vector<Monitor>& monitors) {
    switch (mode) {
        case CaptureMode::Region:
            return std::nullopt;
        case CaptureMode::LastRegion:
            if (!facts.last_region) return std::nullopt;
            return on_monitors(*facts.last_region, monitors);
        case CaptureMode::Screen:
            return screen_under(monitors, facts.pointer_x, facts.pointer_y);
        case CaptureMode::Window:
            return window_selection(facts.foreground, monitors, facts.pointer_x, facts.pointer_y);
    }
    return std::nullopt;
}

}  // namespace kestrix
