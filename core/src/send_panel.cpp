#include "kestrix/send_panel.h"

#include <algorithm>
#include <cmath>

#include "kestrix/i18n.h"
#include "kestrix/qr.h"
#include "kestrix/ui_scale.h"

namespace kestrix {

namespace {

// Rows stacked from the top: each after a gap, both given at 100 % and scaled as
// they are placed, so that any row added here scales with the rest.
class Column {
public:
    explicit Column(uint32_t ui_scale) : scale_(ui_scale) {}
    int32_t px(int32_t at_100) const { return px_at_scale(at_100, scale_); }
    // The top of a row `height` pixels high (already scaled) after a gap of `gap` at 100 %.
    int32_t row(int32_t gap, int32_t height) {
        y_ += px(gap);
        const int32_t top = y_;
        y_ += height;
        return top;
    }
    int32_t bottom() const { return y_; }

private:
    uint32_t scale_;
    int32_t y_ = 0;
};

}  // namespace

int32_t send_panel_font_height(uint32_t ui_scale) { return px_at_scale(kSendPanelFontHeight, ui_scale); }

uint32_t send_panel_module_pixels(uint32_t ui_scale) {
    return uint32_t(std::max<int64_t>(1, std::lround(at_scale(double(kQrModulePixels), ui_scale))));
}

int32_t send_panel_content_width(int32_t qr_side, uint32_t ui_scale) {
    return std::max(px_at_scale(kSendPanelMinWidth, ui_scale), std::max(qr_side, 0));
}

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

SendPanelLayout layout_send_panel(int32_t qr_side, int32_t url_lines, int32_t warning_lines, uint32_t ui_scale,
                                  const SendPanelNotes& notes) {
    const int32_t q = std::max(qr_side, 0);
    const int32_t u = std::clamp(url_lines, 1, 3);
    const int32_t n = std::clamp(warning_lines, 1, 3);
    const int32_t v = std::clamp(notes.vpn_lines, 0, 3);
    const int32_t f = std::clamp(notes.notice_lines, 0, 8);
    Column column(ui_scale);
    SendPanelLayout layout;
    layout.margin = column.px(kSendPanelMargin);
    layout.content_width = send_panel_content_width(q, ui_scale);
    layout.line_height = column.px(kSendPanelLineHeight);
    layout.button_width = column.px(kSendPanelButtonWidth);
    layout.button_height = column.px(kSendPanelButtonHeight);

    column.row(kSendPanelMargin, q);  // the code
    layout.scan_y = column.row(10, layout.line_height);
    layout.url_height = layout.line_height * u;
    layout.url_y = column.row(4, layout.url_height);
    layout.warning_height = layout.line_height * n;
    layout.warning_y = column.row(4, layout.warning_height);
    // The VPN note sits under the warning and pushes the rest down.
    layout.vpn_height = layout.line_height * v;
    layout.vpn_y = v > 0 ? column.row(4, layout.vpn_height) : column.bottom() + column.px(4);
    layout.status_y = column.row(8, layout.line_height);
    // The firewall notice follows the status it explains, its button under it.
    layout.notice_height = layout.line_height * f;
    layout.firewall_width = std::clamp(notes.firewall_label_width + column.px(24), layout.button_width,
                                       std::max(layout.button_width, layout.content_width));
    if (f > 0) {
        layout.notice_y = column.row(8, layout.notice_height);
        layout.firewall_y = column.row(6, layout.button_height);
        layout.buttons_y = column.row(14, layout.button_height);
    } else {
        layout.buttons_y = column.row(10, layout.button_height);
    }

    layout.copy_x = layout.margin;
    // The Stop button's right edge lines up with the labels'.
    layout.stop_x = layout.margin + layout.content_width - layout.button_width;
    layout.client_width = layout.content_width + 2 * layout.margin;
    layout.client_height = column.bottom() + layout.margin;
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
