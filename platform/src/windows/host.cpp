#include "host.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

#include "kestrix/event_queue.h"
#include "kestrix/host_timer.h"
#include "kestrix/i18n.h"
#include "kestrix/tray.h"
#include "kestrix/hotkey_choice.h"
#include "notify_icon.h"
#include "print_screen_setting.h"
#include "settings.h"
#include "toast.h"
#include "tray_menu.h"
#include "warm_up.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kHostClass[] = L"SnapHostWindow";
constexpr UINT kTrayCallback = 0x8001;
constexpr UINT kWarmUp = 0x8002;  // posted once when the loop starts
constexpr int kHotkeyId = 1;
constexpr UINT_PTR kTimerId = 1;
constexpr uint8_t kEventCaptureRegion = 0;
constexpr uint8_t kEventOpenSettings = 3;
constexpr uint8_t kEventScheduledUpdateCheck = 5;
constexpr uint8_t kEventQuit = 6;

struct HostState {
    HWND window = nullptr;
    NotifyIcon tray;
    bool menu_open = false;     // the tray menu is up: a second callback must not open another
    bool menu_capture = false;  // the last capture command came from the tray menu
    UINT taskbar_created = 0;
    UINT show_settings = 0;
    UINT quit = 0;
    EventQueue queue;
    bool in_event = false;
    bool overlay_open = false;
    bool tearing_down = false;
    UpdateSchedule schedule;
    std::optional<std::string> available_update;
    NestedHotkeyCallback on_nested_hotkey;  // present only during run
};

thread_local HostState host;

// COM, apartment-threaded, for the life of the host on its thread: the shell's
// "open" of About's link and the common dialogs expect it on the calling thread.
class ComApartment {
public:
    ComApartment()
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;  // S_OK or S_FALSE: each needs its CoUninitialize
};

std::chrono::milliseconds jitter_now() {
    return update_jitter(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch()));
}

void arm_timer(uint32_t delay_ms) {
    KillTimer(host.window, kTimerId);
    SetTimer(host.window, kTimerId, delay_ms, nullptr);
}

void on_hotkey() {
    switch (hotkey_action(host.overlay_open, host.in_event, bool(host.on_nested_hotkey))) {
    case HotkeyAction::Ignore:
        return;
    case HotkeyAction::RunNested: {
        // A dialog of an earlier event is open: capture now, then give its window the front back.
        const HWND foreground = GetForegroundWindow();
        const NestedHotkeyCallback nested = host.on_nested_hotkey;
        nested();
        if (foreground) SetForegroundWindow(foreground);
        return;
    }
    case HotkeyAction::RaiseCapture:
        raise_event(kEventCaptureRegion);
        return;
    }
}

// One Settings window: asked for again, the open one comes to the front instead (unless
// the overlay has the screen, which must keep the keyboard).
void raise_open_settings() {
    if (settings_window_open()) {
        if (!host.overlay_open) bring_settings_forward();
        return;
    }
    raise_event(kEventOpenSettings);
}

void raise_command(uint8_t event) {
    if (event == kEventOpenSettings)
        raise_open_settings();
    else
        raise_event(event);
}

// A command chosen in the tray menu. The chosen item fades out on screen after the
// menu has closed, so a capture from the menu waits for it (see take_menu_capture).
void raise_menu_command(uint8_t event) {
    if (event < kFirstNonCaptureEvent) host.menu_capture = true;
    raise_command(event);
}

void open_tray_menu(std::optional<POINT> anchor, bool from_keyboard) {
    if (host.menu_open) return;
    host.menu_open = true;
    const std::optional<uint8_t> event = track_tray_menu(host.window, anchor, host.available_update);
    host.menu_open = false;
    if (event) {
        raise_menu_command(*event);
    } else if (from_keyboard) {
        // Dismissed from the keyboard: the focus goes back to the notification area.
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = host.window;
        data.uID = 1;
        Shell_NotifyIconW(NIM_SETFOCUS, &data);
    }
}

// The icon's callback. With the version-4 callbacks the low word of lParam is the
// event and wParam the anchor: a click (NIN_SELECT), Enter or Space on the focused icon
// (NIN_KEYSELECT), or the context-menu gesture of mouse or keyboard (WM_CONTEXTMENU).
// Without them the shell sends the plain mouse messages.
void on_tray_callback(WPARAM wparam, LPARAM lparam) {
    const UINT event = LOWORD(lparam);
    if (!host.tray.version4()) {
        if (event == WM_LBUTTONUP || event == WM_RBUTTONUP) open_tray_menu(std::nullopt, false);
        return;
    }
    if (event != NIN_SELECT && event != NIN_KEYSELECT && event != WM_CONTEXTMENU) return;
    const POINT anchor{GET_X_LPARAM(wparam), GET_Y_LPARAM(wparam)};
    open_tray_menu(anchor, event == NIN_KEYSELECT);
}

bool is_theme_change(LPARAM lparam) {
    const auto* area = reinterpret_cast<const wchar_t*>(lparam);
    return area && std::wcscmp(area, L"ImmersiveColorSet") == 0;
}

void on_timer() {
    const UpdateSchedule::Firing firing = host.schedule.fired(HostClock::now(), jitter_now(), host.overlay_open);
    if (firing.raise_check) raise_event(kEventScheduledUpdateCheck);
    arm_timer(firing.delay_ms);
}

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Registered ids are never 0, so an unregistered one cannot match.
    if (message != 0 && message == host.show_settings) {
        raise_open_settings();
        return 0;
    }
    if (message != 0 && message == host.quit) {
        raise_event(kEventQuit);
        return 0;
    }
    if (message != 0 && message == host.taskbar_created) {
        host.tray.shell_started();
        return 0;
    }
    switch (message) {
    case WM_DESTROY:
        // At tear-down the loop has already ended; a quit posted then would close the
        // next message box the process shows.
        if (!host.tearing_down) PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        if (const auto event = event_for_menu_command(LOWORD(wparam))) raise_command(*event);
        return 0;
    case WM_TIMER:
        if (wparam == NotifyIcon::kRetryTimer) {
            host.tray.retry();
            return 0;
        }
        if (wparam != kTimerId) break;
        on_timer();
        return 0;
    case WM_SETTINGCHANGE:
        if (is_theme_change(lparam)) host.tray.refresh_image();  // light or dark taskbar
        break;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
        host.tray.refresh_image();
        break;
    case WM_HOTKEY:
        on_hotkey();
        return 0;
    case kWarmUp:
        warm_up_drawing();
        return 0;
    case kTrayCallback:
        on_tray_callback(wparam, lparam);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

Result<void, PlatformError> message_loop(const HostEventCallback& on_event) {
    // Events raised before the loop started (the tray menu used while the hotkey message
    // was open) had their wake-up consumed by that message box's own loop.
    if (!host.queue.empty()) PostMessageW(host.window, WM_NULL, 0, 0);
    // After the tray icon is up, so start-up looks no slower; a hotkey pressed
    // meanwhile waits the few milliseconds behind it.
    PostMessageW(host.window, kWarmUp, 0, 0);
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return {};
        if (got == -1) return fail(PlatformError::os("GetMessageW", int32_t(GetLastError())));
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (host.queue.drain(host.in_event, on_event)) PostQuitMessage(0);
    }
}

void tear_down(HINSTANCE instance) {
    host.tearing_down = true;
    close_toast();
    if (host.window) host.tray.remove();
    if (host.window) DestroyWindow(host.window);
    host.window = nullptr;
    UnregisterClassW(kHostClass, instance);
    host.tearing_down = false;
}

}  // namespace

Result<void, PlatformError> run_host(const HostSettings& settings, const HostEventCallback& on_event,
                                     const NestedHotkeyCallback&) {
    const ComApartment com;
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = host_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kHostClass;
    if (!RegisterClassExW(&window_class)) return fail(PlatformError::os("RegisterClassExW(host)", int32_t(GetLastError())));

    // A real top-level window, never shown: a message-only window would miss broadcasts.
    host.window = CreateWindowExW(0, kHostClass, L"Kestrix", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!host.window) {
        const auto code = int32_t(GetLastError());
        UnregisterClassW(kHostClass, instance);
        return fail(PlatformError::os("CreateWindowExW(host)", code));
    }
    arm_timer(host.schedule.start(HostClock::now(), jitter_now()));

    host.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    host.show_settings = RegisterWindowMessageW(L"Kestrix.ShowSettings");
    host.quit = RegisterWindowMessageW(L"Kestrix.Quit");
    // A copy started as administrator still hears the shell start and a second copy of
    // the user's; the quit request stays for programs at its own level.
    for (UINT message : {host.taskbar_created, host.show_settings})
        if (message) ChangeWindowMessageFilterEx(host.window, message, MSGFLT_ALLOW, nullptr);

    host.tray.attach(host.window, kTrayCallback);
    // Rebuilt when Settings changes the hotkey or the language.
    host.tray.set_tooltip(tray_tooltip(catalogue(), settings.hotkey.text()));
    // Never fatal: an icon the shell refuses at sign-in is retried while the hotkey works.
    if (settings.show_tray_icon) host.tray.show();

    Result<void, PlatformError> result;
    if (register_hotkey(settings.hotkey)) {
        if (settings.start_notice) host.tray.announce(*settings.start_notice);
        result = message_loop(on_event);
        UnregisterHotKey(host.window, kHotkeyId);
    } else {
        show_error_message("Kestrix", hotkey_unavailable_message(settings.hotkey));
        result = message_loop(on_event);
    }
    tear_down(instance);
    return result;
}

Result<void, PlatformError> run(const HostSettings& settings, const HostEventCallback& on_event,
                                const NestedHotkeyCallback& on_nested_hotkey) {
    host.on_nested_hotkey = on_nested_hotkey;
    Result<void, PlatformError> result = run_host(settings, on_event, on_nested_hotkey);
    host.on_nested_hotkey = nullptr;
    return result;
}

HWND host_window() { return host.window; }

void raise_event(uint8_t event) {
    host.queue.push(event);
    if (host.window) PostMessageW(host.window, WM_NULL, 0, 0);
}

void set_overlay_open(bool open) { host.overlay_open = open; }

void purge_capture_events() { host.queue.purge_captures(); }

bool register_hotkey(const Hotkey& hotkey) {
    UnregisterHotKey(host.window, kHotkeyId);
    return RegisterHotKey(host.window, kHotkeyId, hotkey.modifiers | MOD_NOREPEAT, virtual_key(hotkey.key)) != FALSE;
}

void unregister_hotkey() { UnregisterHotKey(host.window, kHotkeyId); }

std::string hotkey_unavailable_message(const Hotkey& hotkey) {
    return hotkey_unavailable_text(hotkey, print_screen_claimed_by_windows(), catalogue());
}

bool take_menu_capture() { return std::exchange(host.menu_capture, false); }

void show_tray_icon() { host.tray.show(); }

void remove_tray_icon() { host.tray.hide(); }

bool tray_icon_wanted() { return host.tray.wanted(); }

void set_tray_tooltip(const Hotkey& hotkey) { host.tray.set_tooltip(tray_tooltip(catalogue(), hotkey.text())); }

void set_available_update(std::optional<std::string> version) { host.available_update = std::move(version); }

void signal_running_instance() {
    const UINT message = RegisterWindowMessageW(L"Kestrix.ShowSettings");
    if (message == 0) return;
    // This copy was just started by the user, so it may hand the foreground on: to the
    // running copy alone, whose Settings window then comes up in front rather than behind.
    if (const HWND running = FindWindowW(kHostClass, nullptr)) {
        DWORD process = 0;
        if (GetWindowThreadProcessId(running, &process) && process) AllowSetForegroundWindow(process);
    }
    PostMessageW(HWND_BROADCAST, message, 0, 0);
}

}  // namespace kestrix::win
