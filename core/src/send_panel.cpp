#include "kestrix/send_panel.h"

#include <algorithm>

#include "kestrix/i18n.h"

namespace kestrix {

int32_t send_panel_lines(std::optional<int32_t> width, int32_t content_width) {
    if (!width || content_width <= 0) return 1;
    const int64_t lines = (int64_t(std::max(*width, 0)) + content_width - 1) / content_width;
    return int32_t(std::clamp<int64_t>(lines, 1, 3));
}

int32_t send_panel_wrapped_lines(int32_t text_height, int32_t line_height, int32_t most) {
    if (line_height <= 0 || text_height <= 0) return 1;
    const int64_t lines = (int64_t(text_height) + line_height - 1) / line_height;
    return int32_t(std::clamp<int64_t>(lines, 1, std::max(most, 1)));
}

SendPanelLayout layout_send_panel(int32_t qr_side, int32_t url_lines, int32_t warning_lines,
                                  const SendPanelNotes& notes) {
    const int32_t q = std::max(qr_side, 0);
    const int32_t u = std::clamp(url_lines, 1, 3);
    const int32_t n = std::clamp(warning_lines, 1, 3);
    const int32_t v = std::clamp(notes.vpn_lines, 0, 3);
    const int32_t f = std::clamp(notes.notice_lines, 0, 8);
    SendPanelLayout layout;
    layout.content_width = std::max(kSendPanelMinWidth, q);
    layout.scan_y = q + 30;
    layout.url_y = q + 54;
    layout.url_height = kSendPanelLineHeight * u;
    layout.warning_y = q + 20 * u + 58;
    layout.warning_height = kSendPanelLineHeight * n;
    // The VPN note sits under the warning and pushes the rest down.
    const int32_t vpn_room = v > 0 ? kSendPanelLineHeight * v + 4 : 0;
    layout.vpn_y = layout.warning_y + layout.warning_height + 4;
    layout.vpn_height = kSendPanelLineHeight * v;
    layout.status_y = q + 20 * u + 20 * n + 66 + vpn_room;
    layout.buttons_y = layout.status_y + 30;
    // The firewall notice follows the status it explains, its button under it.
    layout.notice_y = layout.status_y + 28;
    layout.notice_height = kSendPanelLineHeight * f;
    layout.firewall_y = layout.notice_y + layout.notice_height + 6;
    layout.firewall_width = std::clamp(notes.firewall_label_width + 24, kSendPanelButtonWidth, layout.content_width);
    if (f > 0) layout.buttons_y = layout.firewall_y + kSendPanelButtonHeight + 14;
    layout.copy_x = kSendPanelMargin;
    // The Stop button's right edge lines up with the labels'.
    layout.stop_x = layout.content_width - 100;
    layout.window_width = layout.content_width + 56;
    layout.window_height = layout.buttons_y + 90;
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

bool public_network_blocks(const FirewallFacts& facts) {
    constexpr uint32_t kDomain = 1, kPrivate = 2, kPublic = 4;
    bool on_public = false;
    if (facts.network_public) {
        on_public = *facts.network_public;
    } else if (facts.active_profiles) {
        // With a private or domain network also active, this one may well be that.
        on_public = (*facts.active_profiles & (kDomain | kPrivate | kPublic)) == kPublic;
    }
    if (!on_public) return false;
    // The profile alone says nothing of the ports (another firewall, or none, may
    // be in charge): only a firewall known to be on counts. Its default for inbound
    // connections, when it cannot be read, is taken as Windows' own: block.
    return facts.public_firewall_on.value_or(false) && facts.public_blocks_inbound.value_or(true);
}

SendNotice send_notice(bool reached, bool public_blocks, std::chrono::milliseconds since_open) {
    if (reached) return SendNotice::None;
    if (public_blocks) return SendNotice::PublicNetwork;
    return since_open >= kNoDeviceNoticeDelay ? SendNotice::NoDeviceYet : SendNotice::None;
}

std::string_view send_notice_text(SendNotice notice) {
    switch (notice) {
    case SendNotice::NoDeviceYet: return msg(Message::send_no_device_yet);
    case SendNotice::PublicNetwork: return msg(Message::send_public_network);
    case SendNotice::None: break;
    }
    return {};
}

}  // namespace kestrix
