// The countdown of a delayed capture: a small pill beside the pointer that shows the
// seconds left, runs its own loop until the time is up, the capture hotkey hurries it
// or it is cancelled, and is off the screen before the desktop is frozen.
#include "countdown.h"

#include <windows.h>
#include <dwmapi.h>

#include <chrono>
#include <string>

#include "capture.h"
#include "gdi_handles.h"
#include "host.h"
#include "last_error.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kCountdownClass[] = L"KestrixCountdown";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 50;  // follows the pointer and notices the end this often
// The pill lets the pointer through to whatever is under it, so that a hover stays a hover.
constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT;
constexpr BYTE kOpacity = 235;
constexpr COLORREF kBackground = RGB(26, 26, 26);
constexpr COLORREF kForeground = RGB(242, 242, 242);
constexpr UINT kLineFormat = DT_SINGLELINE | DT_NOPREFIX;
constexpr UINT kTextFormat = kLineFormat | DT_CENTER | DT_VCENTER;
// After the pill has gone, the time the windows under it get to paint themselves again.
constexpr DWORD kRepaintMs = 80;

Countdown::Duration steady_now() {
    return std::chrono::duration_cast<Countdown::Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

struct CountdownWindow {
    Countdown countdown;
    HWND window = nullptr;
    GdiObject<HFONT> font;
    GdiObject<HBRUSH> brush;
    uint32_t scale = 100;
    uint32_t shown = UINT32_MAX;  // the seconds on the pill now
    std::wstring text;
    POINT pointer{INT32_MIN, INT32_MIN};
};

thread_local CountdownWindow* running = nullptr;
bool registered = false;

SIZE measure(HFONT font, const std::wstring& text) {
    ScreenDc screen;
    MemoryDc dc(screen.get());
    SelectGuard selected(dc.get(), font);
    RECT rect{};
    // Measured without the centring, which would move the rectangle being measured.
    DrawTextW(dc.get(), text.c_str(), int(text.size()), &rect, kLineFormat | DT_CALCRECT);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The monitor under the pointer and its scale, for placing the pill.
std::pair<Rect, uint32_t> monitor_under(POINT at) {
    auto monitors = enumerate_monitors();
    if (monitors) {
        for (const Monitor& m : *monitors)
            if (m.rect.contains(at.x, at.y)) return {m.rect, m.ui_scale};
        if (auto nearest = monitor_at(*monitors, at.x, at.y)) return {*nearest, 100};
    }
    return {Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, 100};
}

// The seconds shown and the place beside the pointer, brought up to date.
void refresh(CountdownWindow& state) {
    POINT at{};
    GetCursorPos(&at);
    const uint32_t seconds = state.countdown.seconds_left(steady_now());
    if (seconds == state.shown && at.x == state.pointer.x && at.y == state.pointer.y) return;
    const bool text_changed = seconds != state.shown;
    state.shown = seconds;
    state.pointer = at;
    state.text = wide(countdown_text(seconds));
    const SIZE text = measure(state.font.get(), state.text);
    const Rect pill = countdown_pill_rect(text.cx, text.cy, state.scale, at.x, at.y, monitor_under(at).first);
    SetWindowPos(state.window, HWND_TOPMOST, pill.x, pill.y, pill.width, pill.height, SWP_NOACTIVATE);
    const int corner = pill.height;
    HRGN region = CreateRoundRectRgn(0, 0, pill.width + 1, pill.height + 1, corner, corner);
    // The window owns the region once it is set; until then it is ours to free.
    if (region && !SetWindowRgn(state.window, region, TRUE)) DeleteObject(region);
    if (text_changed) InvalidateRect(state.window, nullptr, FALSE);
}

void paint(CountdownWindow& state) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(state.window, &ps);
    if (dc) {
        RECT client{};
        GetClientRect(state.window, &client);
        FillRect(dc, &client, state.brush.get());
        SelectGuard font(dc, state.font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kForeground);
        DrawTextW(dc, state.text.c_str(), int(state.text.size()), &client, kTextFormat);
    }
    EndPaint(state.window, &ps);
}

void tick(CountdownWindow& state) {
    state.countdown.tick(steady_now());
    if (state.countdown.end()) {
        // Our own tray menu left open (to cancel, perhaps) must not hold the capture up.
        EndMenu();
        return;
    }
    refresh(state);
}

LRESULT CALLBACK countdown_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CountdownWindow* state = running;
    if (!state || state->window != window) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
        case WM_PAINT:
            paint(*state);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            if (wparam == kTickTimer) tick(*state);
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) state->countdown.cancel();
            return 0;
        case WM_CLOSE:
            state->countdown.cancel();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

Result<void, PlatformError> register_class() {
    if (registered) return {};
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = countdown_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kCountdownClass;
    if (!RegisterClassExW(&window_class)) return fail(last_error("RegisterClassExW(countdown)"));
    registered = true;
    return {};
}

// Lets the windows the pill covered paint themselves, handling nothing else meanwhile.
void let_the_desktop_repaint() {
    DwmFlush();  // a composed desktop drops the pill at its next frame; fails harmlessly without one
    const ULONGLONG end = GetTickCount64() + kRepaintMs;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(end - now), QS_PAINT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
    }
}

// The loop until the countdown ends; a quit request cancels it and is posted again.
void run_loop(CountdownWindow& state) {
    while (!state.countdown.end()) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            state.countdown.cancel();
            PostQuitMessage(int(msg.wParam));
            return;
        }
        if (got == -1) {
            state.countdown.cancel();
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        state.countdown.tick(steady_now());
    }
}

}  // namespace

Result<CountdownEnd, PlatformError> count_down(uint32_t seconds, bool take_keyboard) {
    if (running) return CountdownEnd::Cancelled;  // one at a time
    if (auto made = register_class(); !made) return fail(made.error());

    CountdownWindow state{Countdown(seconds, steady_now())};
    POINT at{};
    GetCursorPos(&at);
    state.scale = monitor_under(at).second;
    state.font.reset(CreateFontW(-countdown_font_height(state.scale), 0, 0, 0, 600, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH, L"Segoe UI"));
    state.brush.reset(CreateSolidBrush(kBackground));
    state.window = CreateWindowExW(kExStyle | (take_keyboard ? 0 : WS_EX_NOACTIVATE), kCountdownClass, L"", WS_POPUP,
                                   0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!state.window) return fail(last_error("CreateWindowExW(countdown)"));

    running = &state;
    set_running_countdown(&state.countdown);
    SetLayeredWindowAttributes(state.window, 0, kOpacity, LWA_ALPHA);
    refresh(state);
    SetTimer(state.window, kTickTimer, kTickMs, nullptr);
    if (take_keyboard) {
        ShowWindow(state.window, SW_SHOW);
        SetForegroundWindow(state.window);
        SetFocus(state.window);
    } else {
        ShowWindow(state.window, SW_SHOWNOACTIVATE);
    }

    run_loop(state);

    KillTimer(state.window, kTickTimer);
    ShowWindow(state.window, SW_HIDE);
    DestroyWindow(state.window);
    running = nullptr;
    // Still "running" for the host while the screen settles: a hotkey now changes nothing.
    if (state.countdown.end() != CountdownEnd::Cancelled) let_the_desktop_repaint();
    set_running_countdown(nullptr);
    return *state.countdown.end();
}

}  // namespace kestrix::win
