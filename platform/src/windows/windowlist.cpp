#include "windowlist.h"

#include <windows.h>
#include <dwmapi.h>

namespace kestrix::win {

namespace {

bool is_own_overlay(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return false;
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, int(std::size(name))) == 0) return false;
    return wcscmp(name, kOverlayClass) == 0;
}

// The compositor's frame, or the plain window rectangle.
bool visible_bounds(HWND window, RECT& bounds) {
    if (const std::optional<RECT> frame = compositor_frame(window)) {
        bounds = *frame;
        return true;
    }
    return GetWindowRect(window, &bounds) != FALSE;
}

BOOL CALLBACK add_window(HWND window, LPARAM param) {
    auto* windows = reinterpret_cast<std::vector<Rect>*>(param);
    if (!IsWindowVisible(window) || IsIconic(window)) return TRUE;
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return TRUE;
    if (is_own_overlay(window) || is_cloaked(window)) return TRUE;
    RECT bounds{};
    if (!visible_bounds(window, bounds)) return TRUE;
    const int64_t width = int64_t(bounds.right) - bounds.left;
    const int64_t height = int64_t(bounds.bottom) - bounds.top;
    if (width < kMinimumSnapSide || height < kMinimumSnapSide) return TRUE;
    if (width > INT32_MAX || height > INT32_MAX) return TRUE;  // not a rectangle of the desktop
    windows->push_back(Rect{bounds.left, bounds.top, int32_t(width), int32_t(height)});
    return TRUE;  // always on to the last window
}

}  // namespace

bool is_cloaked(HWND window) {
    DWORD cloaked = 0;
    return SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

std::optional<RECT> compositor_frame(HWND window) {
    RECT frame{};
    if (FAILED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame))) return std::nullopt;
    return frame;
}

std::vector<Rect> list_windows() {
    std::vector<Rect> windows;
    EnumWindows(add_window, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace kestrix::win
