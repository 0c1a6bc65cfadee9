#pragma once
// The tray host: one hidden top-level window, the notification-area icon and its
// menu, the global hotkey, the update-check timer and the only message loop of the
// main thread. Everything here lives in thread-local state of the main thread.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/capture_modes.h"
#include "kestrix/countdown.h"
#include "kestrix/hotkey.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"
#include "kestrix/tray.h"

namespace kestrix::win {

struct HostSettings {
    Hotkey hotkey;
    bool show_tray_icon = true;
    std::optional<std::string> start_notice;  // said once when the capture hotkey is registered
    std::optional<Hotkey> hotkey_last_region;
    std::optional<Hotkey> hotkey_screen;
    std::optional<Hotkey> hotkey_window;
    std::optional<CaptureRequest> first_capture;  // handed to the application once the host is up
};

// Takes an application event code and answers true when the application must quit now.
using HostEventCallback = std::function<bool(uint8_t event)>;
// Starts a capture at once; used for a hotkey pressed (or a capture asked for by another
// copy) while an event's dialog is open.
using NestedHotkeyCallback = std::function<void(const CaptureRequest&)>;

// Creates the host, runs the message loop until the application quits, tears down.
Result<void, PlatformError> run_host(const HostSettings& settings, const HostEventCallback& on_event,
                                     const NestedHotkeyCallback& on_nested_hotkey);
// run_host with the two callbacks installed where the window procedure reaches them.
Result<void, PlatformError> run(const HostSettings& settings, const HostEventCallback& on_event,
                                const NestedHotkeyCallback& on_nested_hotkey);

// The host window while it exists, otherwise null (owner of message boxes and dialogs).
HWND host_window();

// Queues an application event and wakes the loop.
void raise_event(uint8_t event);

// Set by the region overlay while it is on screen: the hotkey is ignored and the
// update check waits. When it closes it drops the capture commands raised meanwhile.
void set_overlay_open(bool open);
void purge_capture_events();

// Registers a capture mode's global hotkey (no auto-repeat; id 1 for the capture hotkey,
// 2 to 4 for the other modes) in place of its current one; off lets it go.
bool register_capture_hotkey(CaptureMode mode, const std::optional<Hotkey>& hotkey);
// Lets every one go, so that their combinations reach the focused window.
void unregister_capture_hotkeys();
// Why `hotkey` could not be registered, in the current language: Windows' own use of
// PrintScreen when that is the reason, another application otherwise.
std::string hotkey_unavailable_message(const Hotkey& hotkey);

// The countdown of a delayed capture, while it runs: the capture hotkey hurries it, the
// tray menu's cancel item cancels it. Null when none runs.
void set_running_countdown(Countdown* countdown);

// The tray menu offers the last region once a capture has finished.
void set_last_region_available(bool available);
// What the tray menu's Recent captures offers; none: no such submenu.
void set_recent_captures(std::optional<std::vector<RecentMenuEntry>> entries);
// The recent capture's command behind the oldest RecentCapture event.
std::optional<RecentCommand> take_recent_command();

// Wants or removes the notification-area icon (the Settings window's switch). A wanted
// icon the shell refuses is retried until it shows.
void show_tray_icon();
void remove_tray_icon();
bool tray_icon_wanted();
// Rebuilds the icon's tooltip for this hotkey in the current language.
void set_tray_tooltip(const Hotkey& hotkey);

// Remembered for the tray menu's updates item.
void set_available_update(std::optional<std::string> version);

// True once after a capture command was chosen in the tray menu: that capture waits
// for the menu's chosen item to fade from the screen.
bool take_menu_capture();

// Asks a running copy to open its Settings window.
void signal_running_instance();
// Asks a running copy to start a capture ("Kestrix.Capture", the mode and the delay).
void signal_capture(const CaptureRequest& request);
// The capture behind the oldest RequestedCapture event.
std::optional<CaptureRequest> take_capture_request();

// An information message box owned by the host window (no owner before it exists),
// brought to the foreground so that it is not left behind other windows.
void show_message(std::string_view title, std::string_view text);
// The same for an error, which also stays above other windows.
void show_error_message(std::string_view title, std::string_view text);

// The About dialog: the text and the address as a link that opens in the browser.
void show_about(std::string_view text, std::string_view address);

// The update question with the release notes; true when the user chose the yes button.
Result<bool, PlatformError> ask_install_update(std::string_view question, std::string_view details,
                                               std::string_view yes_label, std::string_view no_label);

}  // namespace kestrix::win
