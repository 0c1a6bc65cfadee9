#include "host.h"

#include <shellapi.h>
#include <windowsx.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <deque>
#include <string>
#include <utility>

#include "com.h"
#include "first_frame_log.h"
#include "kestrix/capture_hotkeys.h"
#include "kestrix/event_queue.h"
#include "kestrix/host_timer.h"
#include "kestrix/hotkey_choice.h"
#include "kestrix/i18n.h"
#include "kestrix/tray.h"
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
constexpr int kHotkeyId = 1;  // the capture hotkey; the other modes' follow it: 2, 3, 4
constexpr UINT_PTR kTimerId = 1;
constexpr uint8_t kEventCaptureRegion = 0;
constexpr uint8_t kEventOpenSettings = 3;
constexpr uint8_t kEventScheduledUpdateCheck = 5;
constexpr uint8_t kEventQuit = 6;
constexpr uint8_t kEventRequestedCapture = 13;
constexpr uint8_t kEventRecentCapture = 14;
// The capture each mode's hotkey raises: region, last region, screen, window.
constexpr uint8_t kModeEvents[kCaptureModeCount] = {kEventCaptureRegion, 7, 8, 9};
constexpr wchar_t kCaptureMessage[] = L"Kestrix.Capture";

int hotkey_id(CaptureMode mode) { return kHotkeyId + int(mode); }

struct HostState {
    HWND window = nullptr;
    NotifyIcon tray;
    bool menu_open = false;     // the tray menu is up: a second callback must not open another
    bool menu_capture = false;  // the last capture command came from the tray menu
    UINT taskbar_created = 0;
    UINT show_settings = 0;
    UINT quit = 0;
    UINT capture = 0;
    EventQueue queue;
    std::deque<CaptureRequest> capture_requests;  // one for each RequestedCapture in the queue
    Countdown* countdown = nullptr;               // the delayed capture waiting, if any
    bool last_region_available = false;
    std::optional<std::vector<RecentMenuEntry>> recent;  // what Recent captures offers
    std::deque<RecentCommand> recent_commands;           // one for each RecentCapture in the queue
    bool in_event = false;
    bool overlay_open = false;
    bool tearing_down = false;
    UpdateSchedule schedule;
    std::optional<std::string> available_update;
    NestedHotkeyCallback on_nested_hotkey;  // present only during run
};

thread_local HostState host;

std::chrono::milliseconds jitter_now() {
    return update_jitter(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch()));
}

void arm_timer(uint32_t delay_ms) {
    KillTimer(host.window, kTimerId);
    SetTimer(host.window, kTimerId, delay_ms, nullptr);
}

HostActivity activity() {
    return {host.overlay_open, host.countdown != nullptr, host.in_event, bool(host.on_nested_hotkey)};
}

// Wakes whatever loop is waiting, the countdown's included.
void wake() {
    if (host.window) PostMessageW(host.window, WM_NULL, 0, 0);
}

void run_nested(const CaptureRequest& request) {
    // A dialog of an earlier event is open: capture now, then give its window the front back.
    const HWND foreground = GetForegroundWindow();
    const NestedHotkeyCallback nested = host.on_nested_hotkey;
    nested(request);
    if (foreground) SetForegroundWindow(foreground);
}

void on_hotkey(WPARAM id) {
    if (id < WPARAM(kHotkeyId) || id >= WPARAM(kHotkeyId) + kCaptureModeCount) return;
    const auto mode = CaptureMode(id - kHotkeyId);
    switch (hotkey_action(activity(), mode == CaptureMode::Region)) {
    case HotkeyAction::Ignore:
        return;
    case HotkeyAction::Hurry:
        host.countdown->hurry();
        wake();
        return;
    case HotkeyAction::RunNested:
        run_nested({mode, 0});
        return;
    case HotkeyAction::RaiseCapture:
        mark_first_frame(FirstFrameStage::Hotkey);
        raise_event(kModeEvents[size_t(mode)]);
        return;
    }
}

// "Kestrix.Capture" from a copy started with --capture: the mode and the delay.
void on_capture_message(WPARAM mode, LPARAM delay) {
    if (mode >= kCaptureModeCount || delay < 0 || delay > LPARAM(kMaxDelaySeconds)) return;
    const CaptureRequest request{CaptureMode(mode), uint32_t(delay)};
    switch (hotkey_action(activity(), false)) {
    case HotkeyAction::Ignore:
    case HotkeyAction::Hurry:
        return;
    case HotkeyAction::RunNested:
        run_nested(request);
        return;
    case HotkeyAction::RaiseCapture:
        host.capture_requests.push_back(request);
        raise_event(kEventRequestedCapture);
        return;
    }
}

void cancel_countdown() {
    if (!host.countdown) return;
    host.countdown->cancel();
    wake();
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
void on_menu_command(uint32_t command) {
    if (command == kMenuCancelDelayedCapture) {
        cancel_countdown();
        return;
    }
    if (host.recent) {
        if (const std::optional<RecentCommand> recent = recent_command_for_menu(command, *host.recent)) {
            // Editing again freezes the desktop: it waits for the menu's fade like a capture.
            if (recent->action == RecentAction::EditAgain) host.menu_capture = true;
            host.recent_commands.push_back(*recent);
            raise_event(kEventRecentCapture);
            return;
        }
    }
    const std::optional<uint8_t> event = event_for_menu_command(command);
    if (!event) return;
    if (is_capture_event(*event)) host.menu_capture = true;
    raise_command(*event);
}

void open_tray_menu(std::optional<POINT> anchor, bool from_keyboard) {
    if (host.menu_open) return;
    host.menu_open = true;
    const TrayMenuState menu{host.available_update, host.last_region_available, host.countdown != nullptr,
                             host.recent};
    const std::optional<uint32_t> command = track_tray_menu(host.window, anchor, menu);
    host.menu_open = false;
    if (command) {
        on_menu_command(*command);
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
    if (message != 0 && message == host.capture) {
        on_capture_message(wparam, lparam);
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
        on_menu_command(LOWORD(wparam));
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
        on_hotkey(wparam);
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
    // For the life of the host: the shell's "open" of About's link, the common
    // dialogs and the send panel's firewall look-up expect COM on this thread.
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
    host.capture = RegisterWindowMessageW(kCaptureMessage);
    // A copy started as administrator still hears the shell start and a second copy of
    // the user's; the quit request stays for programs at its own level.
    for (UINT message : {host.taskbar_created, host.show_settings, host.capture})
        if (message) ChangeWindowMessageFilterEx(host.window, message, MSGFLT_ALLOW, nullptr);

    host.tray.attach(host.window, kTrayCallback);
    // Rebuilt when Settings changes the hotkey or the language.
    host.tray.set_tooltip(tray_tooltip(catalogue(), settings.hotkey.text()));
    // Never fatal: an icon the shell refuses at sign-in is retried while the hotkey works.
    if (settings.show_tray_icon) host.tray.show();

    if (settings.first_capture) {
        host.capture_requests.push_back(*settings.first_capture);
        raise_event(kEventRequestedCapture);
    }

    // Each hotkey that cannot be had is said once; the menu still works. The start
    // notice names the capture hotkey, so it waits for that one.
    for (CaptureMode mode : kHotkeyModes) {
        const std::optional<Hotkey> hotkey = capture_hotkey(settings, mode);
        if (register_capture_hotkey(mode, hotkey)) {
            if (mode == CaptureMode::Region && settings.start_notice) host.tray.announce(*settings.start_notice);
        } else if (hotkey) {
            show_error_message("Kestrix", hotkey_unavailable_message(*hotkey));
        }
    }
    const Result<void, PlatformError> result = message_loop(on_event);
    unregister_capture_hotkeys();
    host.capture_requests.clear();
    host.recent_commands.clear();
    host.recent.reset();  // the thumbnails the menu held
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

void purge_capture_events() {
    host.queue.purge_captures();
    host.capture_requests.clear();  // their events went with the other captures
}

bool register_capture_hotkey(CaptureMode mode, const std::optional<Hotkey>& hotkey) {
    UnregisterHotKey(host.window, hotkey_id(mode));
    if (!hotkey) return true;
    return RegisterHotKey(host.window, hotkey_id(mode), hotkey->modifiers | MOD_NOREPEAT, virtual_key(hotkey->key)) !=
           FALSE;
}

void unregister_capture_hotkeys() {
    for (CaptureMode mode : kHotkeyModes) UnregisterHotKey(host.window, hotkey_id(mode));
}

void set_running_countdown(Countdown* countdown) { host.countdown = countdown; }

void set_last_region_available(bool available) { host.last_region_available = available; }

void set_recent_captures(std::optional<std::vector<RecentMenuEntry>> entries) { host.recent = std::move(entries); }

std::optional<RecentCommand> take_recent_command() {
    if (host.recent_commands.empty()) return std::nullopt;
    const RecentCommand command = host.recent_commands.front();
    host.recent_commands.pop_front();
    return command;
}

std::optional<CaptureRequest> take_capture_request() {
    if (host.capture_requests.empty()) return std::nullopt;
    const CaptureRequest request = host.capture_requests.front();
    host.capture_requests.pop_front();
    return request;
}

std::string hotkey_unavailable_message(const Hotkey& hotkey) {
    return hotkey_unavailable_text(hotkey, print_screen_claimed_by_windows(), catalogue());
}

bool take_menu_capture() { return std::exchange(host.menu_capture, false); }

void show_tray_icon() { host.tray.show(); }

void remove_tray_icon() { host.tray.hide(); }

bool tray_icon_wanted() { return host.tray.wanted(); }

void set_tray_tooltip(const Hotkey& hotkey) { host.tray.set_tooltip(tray_tooltip(catalogue(), hotkey.text())); }

void set_available_update(std::optional<std::string> version) { host.available_update = std::move(version); }

namespace {

void broadcast(const wchar_t* name, WPARAM wparam, LPARAM lparam) {
    const UINT message = RegisterWindowMessageW(name);
    if (message == 0) return;
    // This copy was just started by the user, so it may hand the foreground on: to the
    // running copy alone, whose window (Settings, the overlay) then comes up in front
    // rather than behind.
    if (const HWND running = FindWindowW(kHostClass, nullptr)) {
        DWORD process = 0;
        if (GetWindowThreadProcessId(running, &process) && process) AllowSetForegroundWindow(process);
    }
    PostMessageW(HWND_BROADCAST, message, wparam, lparam);
}

}  // namespace

void signal_running_instance() { broadcast(L"Kestrix.ShowSettings", 0, 0); }

void signal_capture(const CaptureRequest& request) {
    broadcast(kCaptureMessage, WPARAM(request.mode), LPARAM(request.delay_seconds));
}

}  // namespace kestrix::win
