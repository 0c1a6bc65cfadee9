#include "kestrix/send_panel.h"

#include <algorithm>

#include "kestrix/i18n.h"

namespace kestrix {

int32_t send_panel_lines(std::optional<int32_t> width, int32_t content_width) {
    if (!width || content_width <= 0) return 1;
    const int64_t lines = (int64_t(std::max(*width, 0)) + content_width - 1) / content_width;
    return int32_t(std::clamp<int64_t>(lines, 1, 3));
}

SendPanelLayout layout_send_panel(int32_t qr_side, int32_t url_lines, int32_t warning_lines) {
    const int32_t q = std::max(qr_side, 0);
    const int32_t u = std::clamp(url_lines, 1, 3);
    const int32_t n = std::clamp(warning_lines, 1, 3);
    SendPanelLayout layout;
    layout.content_width = std::max(kSendPanelMinWidth, q);
    layout.scan_y = q + 30;
    layout.url_y = q + 54;
    layout.url_height = kSendPanelLineHeight * u;
    layout.warning_y = q + 20 * u + 58;
    layout.warning_height = kSendPanelLineHeight * n;
    layout.status_y = q + 20 * u + 20 * n + 66;
    layout.buttons_y = q + 20 * u + 20 * n + 96;
    layout.copy_x = kSendPanelMargin;
    // The Stop button's right edge lines up with the labels'.
    layout.stop_x = layout.content_width - 100;
    layout.window_width = layout.content_width + 56;
    layout.window_height = layout.status_y + 120;
    return layout;
}

std::string send_status_text(bool active, uint32_t delivered, std::chrono::milliseconds remaining) {
    if (!active) return std::string(msg(Message::send_closed));
    const int64_t seconds = std::max<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(remaining).count(), 0);
    const int64_t ss = seconds % 60;
    const std::string clock = "  \xC2\xB7  " + std::to_string(seconds / 60) + ":" + (ss < 10 ? "0" : "") + std::to_string(ss);
    if (delivered == 0) return std::string(msg(Message::send_waiting)) + clock;
    std::string text(msg(Message::send_delivered));
    if (delivered != 1) text += " \xC3\x97" + std::to_string(delivered);
    return text + clock;
}

}  // namespace kestrix
