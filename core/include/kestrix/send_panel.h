#pragma once
// The send panel's layout and its live status line, apart from any window system:
// the platform measures texts and places controls where this says.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrix {

// Sizes at 100 %; the layout multiplies them by the scale of the panel's monitor.
inline constexpr int32_t kSendPanelMargin = 20;
inline constexpr int32_t kSendPanelMinWidth = 300;
inline constexpr int32_t kSendPanelLineHeight = 20;
inline constexpr int32_t kSendPanelButtonWidth = 120;
inline constexpr int32_t kSendPanelButtonHeight = 30;
inline constexpr int32_t kSendPanelFontHeight = 15;

// The panel font's character height in pixels at a scale.
int32_t send_panel_font_height(uint32_t ui_scale);

// Pixels a module of the QR code takes at a scale (8 at 100 %).
uint32_t send_panel_module_pixels(uint32_t ui_scale);

// W: the larger of 300 (scaled) and the QR side (0 without a code).
int32_t send_panel_content_width(int32_t qr_side, uint32_t ui_scale);

// Lines a text of single-line width `width` needs in a column `content_width`
// wide: at least 1, at most 3; a missing text needs 1.
int32_t send_panel_lines(std::optional<int32_t> width, int32_t content_width);

// Every control's place in client pixels, and the client area's size; the frame
// around it is the window system's.
struct SendPanelLayout {
    int32_t margin = 0;         // left edge of everything, and the code's top
    int32_t content_width = 0;  // W
    int32_t line_height = 0;
    int32_t scan_y = 0;
    int32_t url_y = 0, url_height = 0;
    int32_t warning_y = 0, warning_height = 0;
    int32_t status_y = 0;
    int32_t buttons_y = 0;
    int32_t copy_x = 0, stop_x = 0;
    int32_t button_width = 0, button_height = 0;
    int32_t client_width = 0, client_height = 0;
};

// `qr_side` is 0 without a QR code; it is already at the scale (send_panel_module_pixels).
SendPanelLayout layout_send_panel(int32_t qr_side, int32_t url_lines, int32_t warning_lines, uint32_t ui_scale);

// The status line of a live session: "Waiting…  ·  1:59", "Delivered  ·  1:20",
// "Delivered ×3  ·  0:41"; once the link has closed, "The link has closed".
std::string send_status_text(bool active, uint32_t delivered, std::chrono::milliseconds remaining);

}  // namespace kestrix
