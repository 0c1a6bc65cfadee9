#pragma once
// The one seam between the application and the windowing system. The application
// calls nothing of the system except through a Platform; tests stand a recording
// double in its place. Every operation is called on the main thread only.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/capture_modes.h"
#include "kestrix/config.h"
#include "kestrix/countdown.h"
#include "kestrix/edit_again.h"
#include "kestrix/frame.h"
#include "kestrix/hotkey.h"
#include "kestrix/image.h"
#include "kestrix/keyboard_layout.h"
#include "kestrix/local_time.h"
#include "kestrix/overlay_outcome.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"
#include "kestrix/tray.h"
#include "kestrix/update_transfer.h"
#include "kestrix/selection.h"

namespace kestrix {

// What the tray host hands to the application, one at a time.
enum class AppEvent : uint8_t {
    CaptureRegion = 0,         // menu "Capture region", the hotkey
    CaptureAndSaveAs = 1,      // menu "Capture and save as…"
    ShowAbout = 2,             // menu "About Kestrix"
    OpenSettings = 3,          // menu "Settings", the "Kestrix.ShowSettings" broadcast
    CheckForUpdates = 4,       // menu item for updates
    ScheduledUpdateCheck = 5,  // the timer
    Quit = 6,                  // menu "Exit Kestrix", the "Kestrix.Quit" broadcast
    CaptureLastRegion = 7,     // menu "Capture last region", its hotkey
    CaptureScreen = 8,         // menu "Capture screen", its hotkey
    CaptureWindow = 9,         // its hotkey
    CaptureAfter3Seconds = 10, // menu "Capture after a delay" › "3 seconds"
    CaptureAfter5Seconds = 11,
    CaptureAfter10Seconds = 12,
    RequestedCapture = 13,     // "Kestrix.Capture" from the command line; take_capture_request holds it
    RecentCapture = 14,        // menu "Recent captures" › a capture › a command; take_recent_command holds it
    ClearRecentCaptures = 15,  // menu "Recent captures" › "Clear recent captures"
};
inline constexpr uint8_t kAppEventCount = 16;

// A kept capture opened for editing again: shown where `placement` says, with its marks.
struct EditAgainStart {
    EditPlacement placement;
    const EditableCapture& capture;
};

// The part of the configuration the host needs, and a capture to start with.
struct HostSettings {
    Hotkey hotkey;
    bool show_tray_icon = true;
    // Said once near the notification area when the hotkey is registered: that Kestrix
    // runs and how to capture. None at login or after an update.
    std::optional<std::string> start_notice;
    std::optional<Hotkey> hotkey_last_region;
    std::optional<Hotkey> hotkey_screen;
    std::optional<Hotkey> hotkey_window;
    // Asked for on the command line of this start: handed back as RequestedCapture
    // once the host is up.
    std::optional<CaptureRequest> first_capture;
    friend bool operator==(const HostSettings&, const HostSettings&) = default;
};

// Takes an event, answers true when the application must quit now.
using AppEventCallback = std::function<bool(AppEvent)>;
// Starts a capture at once, for a hotkey pressed (or a capture asked for on the command
// line) while an event's dialog is open.
using NestedHotkeyCallback = std::function<void(const CaptureRequest&)>;

class Platform {
public:
    virtual ~Platform() = default;

    // 1. A short name for the version line, e.g. "windows-gdi".
    virtual std::string platform_name() const = 0;
    // 2. DPI awareness and removal of parked copies left by an earlier update.
    virtual Result<void, PlatformError> prepare() = 0;
    // 3. True when this process is the first copy for this user.
    virtual Result<bool, PlatformError> claim_single_instance() = 0;
    // 4. The monitors, primary first.
    virtual Result<std::vector<Monitor>, PlatformError> enumerate_monitors() = 0;
    // 5. The frozen picture of those monitors.
    virtual Result<Frame, PlatformError> capture_desktop(const std::vector<Monitor>& monitors) = 0;
    // 6. The region overlay with the editor; returns when it has closed. With a
    // selection it opens in the editing phase with that rectangle selected.
    virtual Result<OverlayOutcome, PlatformError> open_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                              const Config& config, bool save_as,
                                                              std::optional<Rect> selection) = 0;
    // 7. The image on the clipboard, with `png` (its PNG encoding) beside it. The caller
    // encodes once and sends or saves the same bytes.
    virtual Result<void, PlatformError> copy_image(const Image& image, std::span<const uint8_t> png) = 0;
    // 8. The image in a floating window at `rect` (desktop units).
    virtual Result<void, PlatformError> pin_image(const Image& image, const Rect& rect) = 0;
    // 9. "Save as"; absent when the user cancels or the dialog fails.
    virtual Result<std::optional<std::filesystem::path>, PlatformError> ask_save_path(std::string_view suggested_name) = 0;
    //    The picture as the bytes of a JPEG file at `quality` (1 to 100), for a name
    //    chosen there that asks for one; the system's own encoder writes it.
    virtual Result<std::vector<uint8_t>, PlatformError> encode_jpeg(const Image& image, uint8_t quality) = 0;
    // 10. The short confirmation, near `near` when given.
    virtual Result<void, PlatformError> show_toast(std::string_view text, std::optional<Rect> near) = 0;
    // 11. An information message box.
    virtual void show_message(std::string_view title, std::string_view text) = 0;
    // 12. The About dialog: the text and the address as a link.
    virtual void show_about(std::string_view text, std::string_view address) = 0;
    // 13. The error's user-facing text in a message box titled "Kestrix".
    virtual void show_error(const PlatformError& error) = 0;
    // 14. Asks the copy already running to open its Settings window.
    virtual void signal_running_instance() = 0;
    // 15. The system's local clock.
    virtual LocalTime local_time() = 0;
    // 16. The body of an HTTPS GET; a step that waits longer than its time-out fails.
    virtual Result<std::vector<uint8_t>, PlatformError> http_get(std::string_view url,
                                                                const TransferTimeouts& timeouts) = 0;
    // 17. The version the tray menu offers, or none.
    virtual void set_available_update(std::optional<std::string> version) = 0;
    // 18. Puts the new executable in place and starts it.
    virtual Result<void, PlatformError> install_update(std::span<const uint8_t> executable, std::string_view version) = 0;
    // 19. The Settings window; a new Config when there is something to save.
    virtual Result<std::optional<Config>, PlatformError> open_settings(const Config& config) = 0;
    // 20. The send panel for these PNG bytes; returns when it has closed.
    virtual Result<void, PlatformError> send_to_device(std::span<const uint8_t> png, std::string_view file_name) = 0;
    // 21. Yes or no to installing an update.
    virtual Result<bool, PlatformError> ask_install_update(std::string_view question, std::string_view details,
                                                          std::string_view yes_label, std::string_view no_label) = 0;
    // 22. The user's preferred interface language tags, most preferred first.
    virtual std::vector<std::string> preferred_languages() = 0;
    // 23. For systems where capturing the screen needs a permission; nothing on Windows.
    virtual void permission_hint() = 0;
    // 24. The platform's own lines of the diagnostics report.
    virtual std::vector<std::string> diagnostic_lines() = 0;
    // 25. The host window and the message loop, until the application quits.
    virtual Result<void, PlatformError> run_host(const HostSettings& settings, const AppEventCallback& on_event,
                                                 const NestedHotkeyCallback& on_nested_hotkey) = 0;
    // 26. run_host with the two callbacks installed where the host can reach them.
    virtual Result<void, PlatformError> run(const HostSettings& settings, const AppEventCallback& on_event,
                                            const NestedHotkeyCallback& on_nested_hotkey) = 0;
    // 27. The user's installed keyboard layouts, read now: what each letter and digit
    // key types with each modifier set that can type.
    virtual std::vector<KeyboardLayout> keyboard_layouts() = 0;
    // 28. Whether the executable's folder takes a new file, as installing an update
    // needs; the reason in the system's words when it does not.
    virtual Result<void, PlatformError> check_install_folder() = 0;
    // 29. Where the pointer is, in desktop units.
    virtual DesktopPoint pointer_position() = 0;
    // 30. The window that has the keyboard, as far as it can be read; none without one.
    virtual std::optional<ForegroundWindow> foreground_window() = 0;
    // 31. Waits the seconds of a delayed capture with a countdown beside the pointer,
    // gone from the screen before it returns. With `take_keyboard` the countdown takes
    // the keyboard, so that Esc cancels it.
    virtual Result<CountdownEnd, PlatformError> count_down(uint32_t seconds, bool take_keyboard) = 0;
    // 32. Whether the tray menu offers the last region.
    virtual void set_last_region_available(bool available) = 0;
    // 33. Asks the copy already running to start this capture.
    virtual void signal_capture(const CaptureRequest& request) = 0;
    // 34. The capture a RequestedCapture event stands for, oldest first.
    virtual std::optional<CaptureRequest> take_capture_request() = 0;
    // 35. Makes ready what the overlay on these monitors needs apart from the picture
    // (its window, still hidden, fonts, the window list), before capture_desktop, so
    // that the first frame follows the capture at once. The next open_overlay uses it;
    // a failed capture releases it. Whatever cannot be made is made, or reported, by
    // open_overlay.
    virtual void prepare_overlay(const std::vector<Monitor>& monitors) = 0;
    // 35. The recent captures the tray menu offers, newest first; none: the menu has no
    // Recent captures.
    virtual void set_recent_captures(std::optional<std::vector<RecentMenuEntry>> entries) = 0;
    // 36. The command a RecentCapture event stands for, oldest first.
    virtual std::optional<RecentCommand> take_recent_command() = 0;
    // 37. The overlay in its editing phase on a kept capture: `frame` already shows the
    // crop where the placement puts it, the selection is that rectangle and the marks
    // are the capture's, editable as when they were drawn. The picture is made from
    // the crop at its full size.
    virtual Result<OverlayOutcome, PlatformError> open_overlay_for_editing(const Frame& frame,
                                                                          const std::vector<Monitor>& monitors,
                                                                          const Config& config,
                                                                          const EditAgainStart& start) = 0;
};

}  // namespace kestrix
