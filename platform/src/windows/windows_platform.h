#pragma once
// The platform object of the Windows build: one per process, made by the entry point.
// It owns GDI+ and the single-instance mutex, and forwards the operations to the
// files that implement them (capture, host, window list, ...).
#include "gdiplus_session.h"
#include "kestrix/platform.h"
#include "single_instance.h"

namespace kestrix::win {

class WindowsPlatform final : public Platform {
public:
    WindowsPlatform() = default;

    bool gdiplus_started() const { return gdiplus_.started(); }

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
    Result<void, PlatformError> run_host(const kestrix::HostSettings& settings, const AppEventCallback& on_event,
                                         const NestedHotkeyCallback& on_nested_hotkey) override;
    Result<void, PlatformError> run(const kestrix::HostSettings& settings, const AppEventCallback& on_event,
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
    GdiplusSession gdiplus_;
    SingleInstance instance_;
    bool dpi_awareness_requested_ = false;
};

}  // namespace kestrix::win
