#include "foreground.h"

#include <initializer_list>

#include "kestrix/foreground.h"
#include "wide_text.h"
#include "windowlist.h"

namespace kestrix::win {

namespace {

// A menu owner that another program will not answer must not hold the overlay up.
constexpr UINT kCancelModeTimeoutMs = 250;

std::optional<Rect> desktop_rect(const RECT& r) {
    const int64_t width = int64_t(r.right) - r.left, height = int64_t(r.bottom) - r.top;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
    return Rect{r.left, r.top, int32_t(width), int32_t(height)};
}

DWORD thread_of(HWND window) { return window ? GetWindowThreadProcessId(window, nullptr) : 0; }

// The window owning the menu that `thread` is tracking, or null.
HWND menu_owner_of(DWORD thread) {
    if (!thread) return nullptr;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    if (!(info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE))) return nullptr;
    return info.hwndMenuOwner;
}

struct Seen {
    ForegroundView view;
    HWND menu_owner = nullptr;
    DWORD front_thread = 0;
};

Seen look(HWND overlay, HWND earlier) {
    const DWORD own = GetCurrentThreadId();
    Seen seen;
    const HWND front = GetForegroundWindow();
    seen.front_thread = thread_of(front);
    seen.view.overlay_in_front = front == overlay;
    seen.view.other_thread_in_front = front && seen.front_thread != own;
    for (const DWORD thread : {seen.front_thread, thread_of(earlier)}) {
        if (!thread || thread == own) continue;
        if (const HWND owner = menu_owner_of(thread)) {
            seen.menu_owner = owner;
            break;
        }
    }
    seen.view.menu_open_elsewhere = seen.menu_owner != nullptr;
    return seen;
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

void take_foreground(HWND overlay, HWND earlier) {
    SetForegroundWindow(overlay);
    ForegroundTried tried;
    for (;;) {
        const Seen seen = look(overlay, earlier);
        switch (next_foreground_step(seen.view, tried)) {
            case ForegroundStep::Done:
            case ForegroundStep::GiveUp:
                SetFocus(overlay);
                return;
            case ForegroundStep::EndMenu:
                // The owner's default handling ends its menu and releases the mouse.
                SendMessageTimeoutW(seen.menu_owner, WM_CANCELMODE, 0, 0, SMTO_ABORTIFHUNG, kCancelModeTimeoutMs,
                                    nullptr);
                SetForegroundWindow(overlay);
                break;
            case ForegroundStep::AttachInput: {
                // Sharing the input state of the thread in front lets this one take the
                // foreground and the focus; it is given back at once.
                const DWORD own = GetCurrentThreadId();
                if (AttachThreadInput(own, seen.front_thread, TRUE)) {
                    SetForegroundWindow(overlay);
                    SetFocus(overlay);
                    AttachThreadInput(own, seen.front_thread, FALSE);
                }
                break;
            }
        }
    }
}

}  // namespace kestrix::win
