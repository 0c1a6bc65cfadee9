// Holds a popup menu open the way a program in the notification area does (its
// hidden window brought to the front, TrackPopupMenu at a desktop point), once at
// the start and again each time the broadcast message "HoldMenu.Open" arrives
// (post_broadcast.exe), and prints each opening with the menu's place and each
// closing:
//   hold_menu X Y
//   open 1 at 400,300 124x86
//   closed 1 command 0
// Ends after ten menus or when the broadcast "HoldMenu.Quit" arrives.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT kMenuRounds = 10;
UINT open_message = 0;
UINT quit_message = 0;
POINT at{};
UINT round = 0;
bool reported = false;
bool open_wanted = false;

void report_menu_window() {
    const HWND menu = FindWindowW(L"#32768", nullptr);
    RECT r{};
    if (!menu || !IsWindowVisible(menu) || !GetWindowRect(menu, &r)) return;
    reported = true;
    std::printf("open %u at %ld,%ld %ldx%ld\n", round, r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
}

void track(HWND window) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Open the door");
    AppendMenuW(menu, MF_STRING, 2, L"Close the window");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 3, L"Leave");
    ++round;
    reported = false;
    SetForegroundWindow(window);
    const UINT command = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window,
                                             nullptr));
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    std::printf("closed %u command %u\n", round, command);
    std::fflush(stdout);
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == open_message) {
        open_wanted = true;  // opened from the loop below, not inside a sent message
        PostMessageW(window, WM_NULL, 0, 0);
        return 0;
    }
    if (message == quit_message) {
        PostQuitMessage(0);
        return 0;
    }
    // Sent to the owner while the menu waits for input: it is on screen by then.
    if (message == WM_ENTERIDLE && wparam == MSGF_MENU && !reported) report_menu_window();
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: hold_menu X Y\n");
        return 2;
    }
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    at = {LONG(_wtoi(argv[1])), LONG(_wtoi(argv[2]))};
    open_message = RegisterWindowMessageW(L"HoldMenu.Open");
    quit_message = RegisterWindowMessageW(L"HoldMenu.Quit");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HoldMenuOwner";
    RegisterClassExW(&wc);
    // Never shown, like the host window of a program in the notification area.
    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"hold_menu", 0, 0, 0, 0, 0, nullptr, nullptr,
                                        wc.hInstance, nullptr);
    if (!window) return 1;
    track(window);
    MSG msg;
    while (round < kMenuRounds && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (open_wanted) {
            open_wanted = false;
            track(window);
        }
    }
    DestroyWindow(window);
    return 0;
}
