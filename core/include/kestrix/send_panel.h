#pragma once
// The send panel's layout, its live status line and the notices that say why a
// phone may not reach the link, apart from any window system: the platform
// measures texts, reads the firewall and places controls where this says.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// Lines a text wrapped at the column's width takes: its measured height over the
// font's line height, rounded up, at least 1 and at most `most`.
int32_t send_panel_wrapped_lines(int32_t text_height, int32_t line_height, int32_t most);

// The rows a panel may have beside the fixed ones (0 lines: the row is not there):
// the note that the address is a VPN's, under the warning, and the firewall notice
// with its button, under the status line.
struct SendPanelNotes {
    int32_t vpn_lines = 0;
    int32_t notice_lines = 0;
    int32_t firewall_label_width = 0;  // the button's label on one line
};

// Every control's place in client pixels, and the client area's size; the frame
// around it is the window system's.
struct SendPanelLayout {
    int32_t margin = 0;         // left edge of everything, and the code's top
    int32_t content_width = 0;  // W
    int32_t line_height = 0;
    int32_t scan_y = 0;
    int32_t url_y = 0, url_height = 0;
    int32_t warning_y = 0, warning_height = 0;
    int32_t vpn_y = 0, vpn_height = 0;
    int32_t status_y = 0;
    int32_t notice_y = 0, notice_height = 0;
    int32_t firewall_y = 0, firewall_width = 0;  // the "Firewall settings" button, at the margin
    int32_t buttons_y = 0;
    int32_t copy_x = 0, stop_x = 0;
    int32_t button_width = 0, button_height = 0;
    int32_t client_width = 0, client_height = 0;
};

// `qr_side` is 0 without a QR code; it is already at the scale (send_panel_module_pixels).
// The notes' label width is measured at the scale too.
SendPanelLayout layout_send_panel(int32_t qr_side, int32_t url_lines, int32_t warning_lines, uint32_t ui_scale,
                                  const SendPanelNotes& notes = {});

// The status line of a live session: "Waiting…  ·  1:59", "Delivered  ·  1:20",
// "Delivered ×3  ·  0:41"; once the link has closed, "The link has closed".
std::string send_status_text(bool active, uint32_t delivered, std::chrono::milliseconds remaining);

// ---- why no phone may have come ------------------------------------------------

// What the system says of inbound connections on the network being served on.
// Each is absent when it could not be read.
struct FirewallFacts {
    std::optional<bool> network_public;         // that network's profile is Public
    std::optional<uint32_t> active_profiles;    // the firewall's current profiles: 1 domain, 2 private, 4 public
    std::optional<bool> public_firewall_on;     // the firewall is on for the Public profile
    std::optional<bool> public_blocks_inbound;  // and blocks what no rule allows
};
// True when the network is Public and Windows Firewall, known to be on for Public
// networks, keeps strangers out there. Without the network's own profile, only a
// machine on nothing but Public networks counts.
bool public_network_blocks(const FirewallFacts& facts);

enum class SendNotice : uint8_t {
    None,
    NoDeviceYet,    // nothing has connected for a while
    PublicNetwork,  // said at once: the firewall most likely keeps every device out
};
inline constexpr std::chrono::milliseconds kNoDeviceNoticeDelay{15000};

// Nothing once any device has connected; the Public network from the start;
// otherwise the hint once the panel has waited kNoDeviceNoticeDelay for anyone.
SendNotice send_notice(bool reached, bool public_blocks, std::chrono::milliseconds since_open);
std::string_view send_notice_text(SendNotice notice);

}  // namespace kestrix
