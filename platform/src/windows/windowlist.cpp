#include "windowlist.h"

#include <windows.h>
#include <dwmapi.h>

#include "kestrix/snap_candidate.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

// The frame without the invisible resize borders and shadow, or the plain window rectangle.
std::optional<WindowEdges> visible_bounds(HWND window) {
    RECT bounds{};
    if (const std::optional<RECT> frame = compositor_frame(window))
        bounds = *frame;
    else if (!GetWindowRect(window, &bounds))
        return std::nullopt;
    return WindowEdges{bounds.left, bounds.top, bounds.right, bounds.bottom};
}

std::optional<Rect> monitor_of(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return std::nullopt;
    const RECT& r = info.rcMonitor;
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The constant alpha a layered window is drawn with, when it was given one.
std::optional<uint8_t> layered_alpha(HWND window, LONG ex_style) {
    if (!(ex_style & WS_EX_LAYERED)) return std::nullopt;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return std::nullopt;
    return uint8_t(alpha);
}

// What the snapping rule needs to know of a window; only the cheap facts are read for
// one it leaves out anyway.
SnapCandidate read_candidate(HWND window, HWND shell) {
    SnapCandidate candidate;
    candidate.visible = IsWindowVisible(window) != FALSE;
    if (!candidate.visible) return candidate;
    candidate.minimised = IsIconic(window) != FALSE;
    const LONG ex_style = GetWindowLongW(window, GWL_EXSTYLE);
    candidate.tool_window = (ex_style & WS_EX_TOOLWINDOW) != 0;
    candidate.click_through = (ex_style & WS_EX_TRANSPARENT) != 0;
    candidate.layered_alpha = layered_alpha(window, ex_style);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    candidate.own_process = process == GetCurrentProcessId();
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, int(std::size(name))) > 0) candidate.class_name = narrow(name);
    candidate.shell_window = shell != nullptr && window == shell;
    candidate.cloaked = is_cloaked(window);
    candidate.bounds = visible_bounds(window);
    candidate.monitor = monitor_of(window);
    return candidate;
}

struct Enumeration {
    HWND shell = nullptr;
    std::vector<Rect> windows;
};

BOOL CALLBACK add_window(HWND window, LPARAM param) {
    auto* enumeration = reinterpret_cast<Enumeration*>(param);
    if (const std::optional<Rect> rect = snap_rect(read_candidate(window, enumeration->shell)))
        enumeration->windows.push_back(*rect);
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
    Enumeration enumeration;
    enumeration.shell = GetShellWindow();
    EnumWindows(add_window, reinterpret_cast<LPARAM>(&enumeration));
    return enumeration.windows;
}

}  // namespace kestrix::win
