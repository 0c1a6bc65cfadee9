#pragma once
// A stand-in for the platform in application tests: every operation answers from a
// script set up by the test and records that it was called (and with what).
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "kestrix/platform.h"

namespace kestrix::testing {

class PlatformDouble : public Platform {
public:
    // --- scripted answers -----------------------------------------------------------
    std::string name = "test-gdi";
    Result<void, PlatformError> prepare_answer;
    // Claims take the front answer while there is one, then `claim_default`.
    std::deque<Result<bool, PlatformError>> claim_answers;
    Result<bool, PlatformError> claim_default = true;
    Result<std::vector<Monitor>, PlatformError> monitors_answer = std::vector<Monitor>{};
    // Each call answers with a frame of one tile per monitor, sized by its pixel scale,
    // unless `capture_error` is set.
    std::optional<PlatformError> capture_error;
    std::optional<Frame> frame_answer;  // answered instead, when set
    // The overlay closes with this; the default is Esc (every field absent).
    Result<OverlayOutcome, PlatformError> overlay_answer = OverlayOutcome{};
    Result<void, PlatformError> copy_answer;
    Result<void, PlatformError> pin_answer;
    // The Save As dialog's answer; the default is a cancel.
    Result<std::optional<std::filesystem::path>, PlatformError> save_answer = std::optional<std::filesystem::path>{};
    Result<void, PlatformError> send_answer;
    Result<void, PlatformError> toast_answer;
    Result<std::optional<Config>, PlatformError> settings_answer = std::optional<Config>{};
    // http_get answers by address; an address without an answer fails like a 404.
    std::map<std::string, Result<std::vector<uint8_t>, PlatformError>, std::less<>> http_answers;
    Result<bool, PlatformError> install_question_answer = false;
    Result<void, PlatformError> install_answer;
    Result<void, PlatformError> install_folder_answer;  // the executable's folder takes new files
    // The clock reads the front of `times` while there is one, then `time`.
    std::deque<LocalTime> times;
    LocalTime time;
    std::vector<std::string> languages;
    std::vector<std::string> diagnostics;
    std::vector<KeyboardLayout> layouts;  // keyboard_layouts; none unless a test installs some
    // run hands these events to the event callback in order until one answers quit,
    // calling the nested-hotkey callback first when asked; then it answers `run_answer`.
    std::vector<AppEvent> events_to_raise;
    bool press_nested_hotkey = false;
    CaptureRequest nested_request;  // what the nested hotkey asks for
    Result<void, PlatformError> run_answer;
    DesktopPoint pointer;
    std::optional<ForegroundWindow> foreground;
    Result<CountdownEnd, PlatformError> countdown_answer = CountdownEnd::Elapsed;
    std::deque<CaptureRequest> capture_requests;  // taken from the front
    std::deque<RecentCommand> recent_commands;    // taken from the front
    // open_overlay_for_editing closes with this; the default is Esc.
    Result<OverlayOutcome, PlatformError> edit_overlay_answer = OverlayOutcome{};

    // --- what happened --------------------------------------------------------------
    mutable std::vector<std::string> calls;  // operation names in call order (platform_name is const)
    std::vector<std::pair<std::string, std::string>> messages;  // show_message title, text
    std::vector<std::pair<std::string, std::string>> abouts;    // show_about text, address
    std::vector<PlatformError> errors;                          // show_error
    std::vector<uint8_t> jpeg_qualities;                        // encode_jpeg
    struct OverlayCall {
        size_t frame_tiles = 0;
        size_t monitors = 0;
        Config config;
        bool save_as = false;
        std::optional<Rect> selection;
    };
    struct Countdown {
        uint32_t seconds = 0;
        bool take_keyboard = false;
        friend bool operator==(const Countdown&, const Countdown&) = default;
    };
    std::vector<Countdown> countdowns;
    std::vector<bool> last_region_offers;       // set_last_region_available
    std::vector<std::optional<std::vector<RecentMenuEntry>>> recent_offers;  // set_recent_captures
    struct EditOverlayCall {
        Frame frame;  // a copy of what it was shown
        size_t monitors = 0;
        EditPlacement placement;
        EditableCapture capture;
    };
    std::vector<EditOverlayCall> edit_overlays;
    std::vector<CaptureRequest> signalled_captures;  // signal_capture
    struct Sent {
        std::vector<uint8_t> png;
        std::string file_name;
    };
    struct Toast {
        std::string text;
        std::optional<Rect> near;
    };
    std::vector<OverlayCall> overlays;
    std::vector<size_t> overlays_prepared;  // the monitor count of each prepare_overlay
    std::vector<Image> copied;
    std::vector<std::vector<uint8_t>> copied_png;  // the PNG handed over beside each copied image
    std::vector<std::pair<Image, Rect>> pinned;
    std::vector<std::string> save_suggestions;
    std::vector<Sent> sent;
    std::vector<Toast> toasts;  // every toast asked for, shown or not
    std::vector<Config> settings_opened_with;
    std::vector<std::string> fetched;  // http_get addresses in call order
    std::vector<TransferTimeouts> fetch_timeouts;  // and the time-outs each was given
    struct InstallQuestion {
        std::string question, details, yes_label, no_label;
        friend bool operator==(const InstallQuestion&, const InstallQuestion&) = default;
    };
    std::vector<InstallQuestion> install_questions;
    std::vector<std::pair<std::vector<uint8_t>, std::string>> installs;  // executable bytes, version
    std::vector<std::optional<std::string>> available_updates;          // set_available_update
    std::vector<HostSettings> host_settings;
    std::vector<bool> event_answers;  // what the event callback answered, per raised event

    size_t count(std::string_view operation) const;

    // --- the interface --------------------------------------------------------------
    std::string platform_name() const override;
    Result<void, PlatformError> prepare() override;
    Result<bool, PlatformError> claim_single_instance() override;
    Result<std::vector<Monitor>, PlatformError> enumerate_monitors() override;
    Result<Frame, PlatformError> capture_desktop(const std::vector<Monitor>& monitors) override;
    Result<OverlayOutcome, PlatformError> open_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                      const Config& config, bool save_as,
                                                      std::optional<Rect> selection) override;
    Result<void, PlatformError> copy_image(const Image& image, std::span<const uint8_t> png) override;
    Result<void, PlatformError> pin_image(const Image& image, const Rect& rect) override;
    Result<std::optional<std::filesystem::path>, PlatformError> ask_save_path(std::string_view suggested_name) override;
    Result<std::vector<uint8_t>, PlatformError> encode_jpeg(const Image& image, uint8_t quality) override;
    Result<void, PlatformError> show_toast(std::string_view text, std::optional<Rect> near) override;
    void show_message(std::string_view title, std::string_view text) override;
    void show_about(std::string_view text, std::string_view address) override;
    void show_error(const PlatformError& error) override;
    void signal_running_instance() override;
    LocalTime local_time() override;
    Result<std::vector<uint8_t>, PlatformError> http_get(std::string_view url, const TransferTimeouts& timeouts) override;
    void set_available_update(std::optional<std::string> version) override;
    Result<void, PlatformError> install_update(std::span<const uint8_t> executable, std::string_view version) override;
    Result<std::optional<Config>, PlatformError> open_settings(const Config& config) override;
    Result<void, PlatformError> send_to_device(std::span<const uint8_t> png, std::string_view file_name) override;
    Result<bool, PlatformError> ask_install_update(std::string_view question, std::string_view details,
                                                  std::string_view yes_label, std::string_view no_label) override;
    std::vector<std::string> preferred_languages() override;
    void permission_hint() override;
    std::vector<std::string> diagnostic_lines() override;
    Result<void, PlatformError> run_host(const HostSettings& settings, const AppEventCallback& on_event,
                                         const NestedHotkeyCallback& on_nested_hotkey) override;
    Result<void, PlatformError> run(const HostSettings& settings, const AppEventCallback& on_event,
                                    const NestedHotkeyCallback& on_nested_hotkey) override;
    std::vector<KeyboardLayout> keyboard_layouts() override;
    Result<void, PlatformError> check_install_folder() override;
    DesktopPoint pointer_position() override;
    std::optional<ForegroundWindow> foreground_window() override;
    Result<CountdownEnd, PlatformError> count_down(uint32_t seconds, bool take_keyboard) override;
    void set_last_region_available(bool available) override;
    void signal_capture(const CaptureRequest& request) override;
    std::optional<CaptureRequest> take_capture_request() override;
    void prepare_overlay(const std::vector<Monitor>& monitors) override;
    void set_recent_captures(std::optional<std::vector<RecentMenuEntry>> entries) override;
    std::optional<RecentCommand> take_recent_command() override;
    Result<OverlayOutcome, PlatformError> open_overlay_for_editing(const Frame& frame,
                                                                  const std::vector<Monitor>& monitors,
                                                                  const Config& config,
                                                                  const EditAgainStart& start) override;

private:
    void record(std::string operation) const { calls.push_back(std::move(operation)); }
};

}  // namespace kestrix::testing
