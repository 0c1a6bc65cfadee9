#include "platform_double.h"

#include <algorithm>

namespace kestrix::testing {

size_t PlatformDouble::count(std::string_view operation) const {
    return size_t(std::count(calls.begin(), calls.end(), operation));
}

std::string PlatformDouble::platform_name() const {
    record("platform_name");
    return name;
}

Result<void, PlatformError> PlatformDouble::prepare() {
    record("prepare");
    return prepare_answer;
}

Result<bool, PlatformError> PlatformDouble::claim_single_instance() {
    record("claim_single_instance");
    if (claim_answers.empty()) return claim_default;
    Result<bool, PlatformError> answer = claim_answers.front();
    claim_answers.pop_front();
    return answer;
}

Result<std::vector<Monitor>, PlatformError> PlatformDouble::enumerate_monitors() {
    record("enumerate_monitors");
    return monitors_answer;
}

Result<Frame, PlatformError> PlatformDouble::capture_desktop(const std::vector<Monitor>& monitors) {
    record("capture_desktop");
    if (capture_error) return fail(*capture_error);
    if (frame_answer) return Frame{*frame_answer};
    Frame frame;
    for (const Monitor& monitor : monitors) {
        const uint32_t scale = monitor.pixel_scale == 0 ? 100 : monitor.pixel_scale;
        const uint32_t width = uint32_t(uint64_t(monitor.rect.width) * scale / 100);
        const uint32_t height = uint32_t(uint64_t(monitor.rect.height) * scale / 100);
        auto image = make_image(width, height, std::vector<uint8_t>(size_t(width) * height * 4, 0x7f));
        if (!image) return fail(PlatformError::image(image.error()));
        frame.tiles.push_back(Tile{std::move(*image), monitor.rect, scale});
    }
    return frame;
}

void PlatformDouble::prepare_overlay(const std::vector<Monitor>& monitors) {
    record("prepare_overlay");
    overlays_prepared.push_back(monitors.size());
}

Result<OverlayOutcome, PlatformError> PlatformDouble::open_overlay(const Frame& frame,
                                                                  const std::vector<Monitor>& monitors,
                                                                  const Config& config, bool save_as,
                                                                  std::optional<Rect> selection) {
    record("open_overlay");
    overlays.push_back({frame.tiles.size(), monitors.size(), config, save_as, selection});
    return overlay_answer;
}

Result<void, PlatformError> PlatformDouble::copy_image(const Image& image, std::span<const uint8_t> png) {
    record("copy_image");
    copied.push_back(image);
    copied_png.emplace_back(png.begin(), png.end());
    return copy_answer;
}

Result<void, PlatformError> PlatformDouble::pin_image(const Image& image, const Rect& rect) {
    record("pin_image");
    pinned.emplace_back(image, rect);
    return pin_answer;
}

Result<std::optional<std::filesystem::path>, PlatformError> PlatformDouble::ask_save_path(
    std::string_view suggested_name) {
    record("ask_save_path");
    save_suggestions.emplace_back(suggested_name);
    return save_answer;
}

// Not a real JPEG: a marker and the size, enough to tell what was written.
Result<std::vector<uint8_t>, PlatformError> PlatformDouble::encode_jpeg(const Image& image, uint8_t quality) {
    record("encode_jpeg");
    jpeg_qualities.push_back(quality);
    std::vector<uint8_t> bytes{0xFF, 0xD8};
    for (uint32_t value : {image.width(), image.height()})
        for (int shift : {24, 16, 8, 0}) bytes.push_back(uint8_t(value >> shift));
    return bytes;
}

Result<void, PlatformError> PlatformDouble::show_toast(std::string_view text, std::optional<Rect> near) {
    record("show_toast");
    toasts.push_back({std::string(text), near});
    return toast_answer;
}

void PlatformDouble::show_message(std::string_view title, std::string_view text) {
    record("show_message");
    messages.emplace_back(title, text);
}

void PlatformDouble::show_about(std::string_view text, std::string_view address) {
    record("show_about");
    abouts.emplace_back(text, address);
}

void PlatformDouble::show_error(const PlatformError& error) {
    record("show_error");
    errors.push_back(error);
}

void PlatformDouble::signal_running_instance() { record("signal_running_instance"); }

LocalTime PlatformDouble::local_time() {
    record("local_time");
    if (times.empty()) return time;
    const LocalTime now = times.front();
    times.pop_front();
    return now;
}

Result<std::vector<uint8_t>, PlatformError> PlatformDouble::http_get(std::string_view url,
                                                                     const TransferTimeouts& timeouts) {
    record("http_get");
    fetched.emplace_back(url);
    fetch_timeouts.push_back(timeouts);
    const auto answer = http_answers.find(url);
    if (answer == http_answers.end()) return fail(PlatformError::os(std::string(kHttpStatusCall), 404));
    return answer->second;
}

void PlatformDouble::set_available_update(std::optional<std::string> version) {
    record("set_available_update");
    available_updates.push_back(std::move(version));
}

Result<void, PlatformError> PlatformDouble::install_update(std::span<const uint8_t> executable, std::string_view version) {
    record("install_update");
    installs.emplace_back(std::vector<uint8_t>(executable.begin(), executable.end()), std::string(version));
    return install_answer;
}

Result<std::optional<Config>, PlatformError> PlatformDouble::open_settings(const Config& config) {
    record("open_settings");
    settings_opened_with.push_back(config);
    return settings_answer;
}

Result<void, PlatformError> PlatformDouble::send_to_device(std::span<const uint8_t> png, std::string_view file_name) {
    record("send_to_device");
    sent.push_back({std::vector<uint8_t>(png.begin(), png.end()), std::string(file_name)});
    return send_answer;
}

Result<void, PlatformError> PlatformDouble::check_install_folder() {
    record("check_install_folder");
    return install_folder_answer;
}

Result<bool, PlatformError> PlatformDouble::ask_install_update(std::string_view question, std::string_view details,
                                                              std::string_view yes_label, std::string_view no_label) {
    record("ask_install_update");
    install_questions.push_back(
        {std::string(question), std::string(details), std::string(yes_label), std::string(no_label)});
    return install_question_answer;
}

std::vector<std::string> PlatformDouble::preferred_languages() {
    record("preferred_languages");
    return languages;
}

void PlatformDouble::permission_hint() { record("permission_hint"); }

std::vector<std::string> PlatformDouble::diagnostic_lines() {
    record("diagnostic_lines");
    return diagnostics;
}

Result<void, PlatformError> PlatformDouble::run_host(const HostSettings& settings, const AppEventCallback& on_event,
                                                     const NestedHotkeyCallback& on_nested_hotkey) {
    record("run_host");
    host_settings.push_back(settings);
    if (press_nested_hotkey && on_nested_hotkey) on_nested_hotkey(nested_request);
    for (AppEvent event : events_to_raise) {
        const bool quit = on_event(event);
        event_answers.push_back(quit);
        if (quit) break;
    }
    return run_answer;
}

Result<void, PlatformError> PlatformDouble::run(const HostSettings& settings, const AppEventCallback& on_event,
                                                const NestedHotkeyCallback& on_nested_hotkey) {
    record("run");
    return run_host(settings, on_event, on_nested_hotkey);
}

DesktopPoint PlatformDouble::pointer_position() {
    record("pointer_position");
    return pointer;
}

std::optional<ForegroundWindow> PlatformDouble::foreground_window() {
    record("foreground_window");
    return foreground;
}

Result<CountdownEnd, PlatformError> PlatformDouble::count_down(uint32_t seconds, bool take_keyboard) {
    record("count_down");
    countdowns.push_back({seconds, take_keyboard});
    return countdown_answer;
}

void PlatformDouble::set_last_region_available(bool available) {
    record("set_last_region_available");
    last_region_offers.push_back(available);
}

void PlatformDouble::signal_capture(const CaptureRequest& request) {
    record("signal_capture");
    signalled_captures.push_back(request);
}

std::optional<CaptureRequest> PlatformDouble::take_capture_request() {
    record("take_capture_request");
    if (capture_requests.empty()) return std::nullopt;
    const CaptureRequest request = capture_requests.front();
    capture_requests.pop_front();
    return request;
}

void PlatformDouble::set_recent_captures(std::optional<std::vector<RecentMenuEntry>> entries) {
    record("set_recent_captures");
    recent_offers.push_back(std::move(entries));
}

std::optional<RecentCommand> PlatformDouble::take_recent_command() {
    record("take_recent_command");
    if (recent_commands.empty()) return std::nullopt;
    const RecentCommand command = recent_commands.front();
    recent_commands.pop_front();
    return command;
}

Result<OverlayOutcome, PlatformError> PlatformDouble::open_overlay_for_editing(const Frame& frame,
                                                                              const std::vector<Monitor>& monitors,
                                                                              const Config&,
                                                                              const EditAgainStart& start) {
    record("open_overlay_for_editing");
    edit_overlays.push_back({frame, monitors.size(), start.placement, start.capture});
    return edit_overlay_answer;
}

std::vector<KeyboardLayout> PlatformDouble::keyboard_layouts() {
    record("keyboard_layouts");
    return layouts;
}

}  // namespace kestrix::testing
