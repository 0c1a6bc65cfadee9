#include "foreground.h"

#include <windows.h>

#include "wide_text.h"
#include "windowlist.h"

namespace kestrix::win {

namespace {

std::optional<Rect> desktop_rect(const RECT& r) {
    const int64_t width = int64_t(r.right) - r.left, height = int64_t(r.bottom) - r.top;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
    return Rect{r.left, r.top, int32_t(width), int32_t(height)};
}

}  // namespace

DesktopPoint pointer_position() {
    POINT at{};
    GetCursorPos(&at);  // with per-monitor awareness, desktop units
    return {at.x, at.y};
}

std::optional<ForegroundWindow> foreground_window() {
    // The top-level window, should the keyboard be in a child of it.
    HWND window = GetForegroundWindow();
    if (!window) return std::nullopt;
    if (HWND root = GetAncestor(window, GA_ROOT)) window = root;

    ForegroundWindow facts;
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, int(std::size(name))) > 0) facts.class_name = narrow(name);
    facts.shell_desktop = window == GetShellWindow();
    facts.visible = IsWindowVisible(window) != FALSE;
    facts.minimised = IsIconic(window) != FALSE;
    facts.maximised = IsZoomed(window) != FALSE;
    facts.cloaked = is_cloaked(window);
    // Where the compositor does not answer (Wine, or a system without it) the plain
    // rectangle stands in, invisible borders and all.
    if (const std::optional<RECT> frame = compositor_frame(window)) facts.frame = desktop_rect(*frame);
    RECT bounds{};
    if (GetWindowRect(window, &bounds)) facts.bounds = desktop_rect(bounds);
    return facts;
}

}  // namespace kestrix::win
