#include "foreground.h"

#include <initializer_list>

#include "kestrix/foreground.h"

namespace kestrix::win {

namespace {

// A menu owner that another program will not answer must not hold the overlay up.
constexpr UINT kCancelModeTimeoutMs = 250;

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
