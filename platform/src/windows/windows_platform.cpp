#include "windows_platform.h"

#include <windows.h>

#include "capture.h"
#include "clipboard.h"
#include "countdown.h"
#include "error_text.h"
#include "foreground.h"
#include "host.h"
#include "http.h"
#include "installer.h"
#include "jpeg.h"
#include "keyboard_layouts.h"
#include "languages.h"
#include "local_clock.h"
#include "menu_fade.h"
#include "overlay.h"
#include "pin.h"
#include "prepare.h"
#include "save_dialog.h"
#include "sendpanel.h"
#include "settings.h"
#include "start_at_login.h"
#include "toast.h"
#include "windowlist.h"

namespace kestrix::win {

namespace {

win::HostSettings host_settings(const kestrix::HostSettings& s) {
    return {s.hotkey,        s.show_tray_icon, s.start_notice, s.hotkey_last_region, s.hotkey_screen,
            s.hotkey_window, s.first_capture};
}

win::HostEventCallback host_callback(const AppEventCallback& on_event) {
    return [&on_event](uint8_t code) { return on_event(AppEvent(code)); };
}

}  // namespace

std::string WindowsPlatform::platform_name() const { return "windows-gdi"; }

// Called once more after an update, when the previous copy has quit; the awareness
// is asked for only the first time.
Result<void, PlatformError> WindowsPlatform::prepare() {
    if (!dpi_awareness_requested_) request_dpi_awareness();
    dpi_awareness_requested_ = true;
    remove_parked_copies();
    return {};
}

Result<bool, PlatformError> WindowsPlatform::claim_single_instance() { return instance_.claim(); }

Result<std::vector<Monitor>, PlatformError> WindowsPlatform::enumerate_monitors() { return win::enumerate_monitors(); }

Result<Frame, PlatformError> WindowsPlatform::capture_desktop(const std::vector<Monitor>& monitors) {
    if (take_menu_capture()) wait_for_menu_fade();  // when no overlay was prepared
    auto frame = win::capture_desktop(monitors);
    if (!frame) win::discard_prepared_overlay();  // no overlay follows
    return frame;
}

Result<OverlayOutcome, PlatformError> WindowsPlatform::open_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                                   const Config& config, bool save_as,
                                                                   std::optional<Rect> selection) {
    return win::open_overlay(frame, monitors, config, save_as, selection);
}

Result<void, PlatformError> WindowsPlatform::copy_image(const Image& image, std::span<const uint8_t> png) {
    return win::copy_image(image, png);
}

Result<void, PlatformError> WindowsPlatform::pin_image(const Image& image, const Rect& rect) {
    return win::pin_image(image, rect);
}

// Never an error: a dialog that fails counts as cancelled.
Result<std::optional<std::filesystem::path>, PlatformError> WindowsPlatform::ask_save_path(std::string_view suggested_name) {
    return win::ask_save_path(host_window(), suggested_name);
}

Result<std::vector<uint8_t>, PlatformError> WindowsPlatform::encode_jpeg(const Image& image, uint8_t quality) {
    return win::encode_jpeg(image, quality);
}

Result<void, PlatformError> WindowsPlatform::show_toast(std::string_view text, std::optional<Rect> anchor) {
    return win::show_toast(text, anchor);
}

void WindowsPlatform::show_message(std::string_view title, std::string_view text) { win::show_message(title, text); }

void WindowsPlatform::show_about(std::string_view text, std::string_view address) { win::show_about(text, address); }

void WindowsPlatform::show_error(const PlatformError& error) { win::show_error_message("Kestrix", error_text(error)); }

void WindowsPlatform::signal_running_instance() { win::signal_running_instance(); }

LocalTime WindowsPlatform::local_time() { return local_time_now(); }

Result<std::vector<uint8_t>, PlatformError> WindowsPlatform::http_get(std::string_view url,
                                                                      const TransferTimeouts& timeouts) {
    return win::http_get(url, timeouts);
}

void WindowsPlatform::set_available_update(std::optional<std::string> version) {
    win::set_available_update(std::move(version));
}

Result<void, PlatformError> WindowsPlatform::install_update(std::span<const uint8_t> executable, std::string_view version) {
    return win::install_update(executable, version);
}

Result<std::optional<Config>, PlatformError> WindowsPlatform::open_settings(const Config& config) {
    return win::open_settings(config);
}

Result<void, PlatformError> WindowsPlatform::send_to_device(std::span<const uint8_t> png, std::string_view file_name) {
    return win::send_to_device(png, file_name);
}

Result<void, PlatformError> WindowsPlatform::check_install_folder() { return win::check_install_folder(); }

Result<bool, PlatformError> WindowsPlatform::ask_install_update(std::string_view question, std::string_view details,
                                                               std::string_view yes_label, std::string_view no_label) {
    return win::ask_install_update(question, details, yes_label, no_label);
}

std::vector<std::string> WindowsPlatform::preferred_languages() { return win::preferred_languages(); }

// Capturing the screen needs no permission on Windows.
void WindowsPlatform::permission_hint() {}

std::vector<std::string> WindowsPlatform::diagnostic_lines() {
    const std::vector<std::string> languages = win::preferred_languages();
    std::string prefers;
    for (const std::string& tag : languages) prefers += (prefers.empty() ? "" : ", ") + tag;
    if (languages.empty()) prefers = "nothing \u2014 GetUserPreferredUILanguages returned none";
    return {"System prefers: " + prefers, "Windows offered for snapping: " + std::to_string(list_windows().size())};
}

Result<void, PlatformError> WindowsPlatform::run_host(const kestrix::HostSettings& settings, const AppEventCallback& on_event,
                                                      const NestedHotkeyCallback& on_nested_hotkey) {
    return win::run_host(host_settings(settings), host_callback(on_event), on_nested_hotkey);
}

std::vector<KeyboardLayout> WindowsPlatform::keyboard_layouts() { return installed_keyboard_layouts(); }

Result<void, PlatformError> WindowsPlatform::run(const kestrix::HostSettings& settings, const AppEventCallback& on_event,
                                                 const NestedHotkeyCallback& on_nested_hotkey) {
    update_earlier_run_value();
    return win::run(host_settings(settings), host_callback(on_event), on_nested_hotkey);
}

void WindowsPlatform::prepare_overlay(const std::vector<Monitor>& monitors) {
    // The hotkey's captures freeze at once; the menu's wait for the chosen item to
    // fade, before the window list is read, so that the fading item is not in it.
    if (take_menu_capture()) wait_for_menu_fade();
    win::prepare_overlay(monitors);
}

DesktopPoint WindowsPlatform::pointer_position() { return win::pointer_position(); }

std::optional<ForegroundWindow> WindowsPlatform::foreground_window() { return win::foreground_window(); }

Result<CountdownEnd, PlatformError> WindowsPlatform::count_down(uint32_t seconds, bool take_keyboard) {
    return win::count_down(seconds, take_keyboard);
}

void WindowsPlatform::set_last_region_available(bool available) { win::set_last_region_available(available); }

void WindowsPlatform::signal_capture(const CaptureRequest& request) { win::signal_capture(request); }

std::optional<CaptureRequest> WindowsPlatform::take_capture_request() { return win::take_capture_request(); }

void WindowsPlatform::set_recent_captures(std::optional<std::vector<RecentMenuEntry>> entries) {
    win::set_recent_captures(std::move(entries));
}

std::optional<RecentCommand> WindowsPlatform::take_recent_command() { return win::take_recent_command(); }

Result<OverlayOutcome, PlatformError> WindowsPlatform::open_overlay_for_editing(const Frame& frame,
                                                                               const std::vector<Monitor>& monitors,
                                                                               const Config& config,
                                                                               const EditAgainStart& start) {
    return win::open_overlay_for_editing(frame, monitors, config, start);
}

}  // namespace kestrix::win
