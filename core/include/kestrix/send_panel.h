#pragma once
// The send panel's fixed layout and its live status line, apart from any window
// system: the platform measures texts and places controls where this says.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrix {

inline constexpr int32_t kSendPanelMargin = 20;
inline constexpr int32_t kSendPanelMinWidth = 300;
inline constexpr int32_t kSendPanelLineHeight = 20;
inline constexpr int32_t kSendPanelButtonWidth = 120;
inline constexpr int32_t kSendPanelButtonHeight = 30;

// Lines a text of single-line width `width` needs in a column `content_width`
// wide: at least 1, at most 3; a missing text needs 1.
int32_t send_panel_lines(std::optional<int32_t> width, int32_t content_width);

// Every control's place in client pixels, and the window's outer size.
struct SendPanelLayout {
    int32_t content_width = 0;  // W: the larger of 300 and the QR side
    int32_t scan_y = 0;
    int32_t url_y = 0, url_height = 0;
    int32_t warning_y = 0, warning_height = 0;
    int32_t status_y = 0;
    int32_t buttons_y = 0;
    int32_t copy_x = 0, stop_x = 0;
    int32_t window_width = 0, window_height = 0;
};

// `qr_side` is 0 without a QR code.
SendPanelLayout layout_send_panel(int32_t qr_side, int32_t url_lines, int32_t warning_lines);

// The status line of a live session: "Waiting…  ·  1:59", "Delivered  ·  1:20",
// "Delivered ×3  ·  0:41"; once the link has closed, "The link has closed".
std::string send_status_text(bool active, uint32_t delivered, std::chrono::milliseconds remaining);

}  // namespace kestrix
