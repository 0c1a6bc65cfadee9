// The send panel's layout arithmetic and its status line.
#include "kestrix/send_panel.h"

#include <gtest/gtest.h>

#include "kestrix/i18n.h"

using namespace kestrix;
using namespace std::chrono_literals;

TEST(SendPanel, LayoutWithAndWithoutTheCode) {
    const SendPanelLayout none = layout_send_panel(0, 1, 1, 100);
    EXPECT_EQ(none.content_width, 300);
    EXPECT_EQ(none.scan_y, 30);
    EXPECT_EQ(none.url_y, 54);
    EXPECT_EQ(none.warning_y, 78);
    EXPECT_EQ(none.status_y, 106);
    EXPECT_EQ(none.buttons_y, 136);
    EXPECT_EQ(none.stop_x + none.button_width, none.content_width + 20) << "Stop's right edge meets the labels'";
    EXPECT_EQ(none.client_width, 340);
    EXPECT_EQ(none.client_height, 136 + 30 + 20);

    // A version-4 code (328 pixels) widens the column; a two-line URL and a
    // three-line warning push everything below them down.
    const SendPanelLayout big = layout_send_panel(328, 2, 3, 100);
    EXPECT_EQ(big.content_width, 328);
    EXPECT_EQ(big.scan_y, 358);
    EXPECT_EQ(big.url_height, 40);
    EXPECT_EQ(big.warning_y, 328 + 40 + 58);
    EXPECT_EQ(big.warning_height, 60);
    EXPECT_EQ(big.status_y, 328 + 40 + 60 + 66);
    EXPECT_EQ(big.buttons_y, big.status_y + 30);
    EXPECT_EQ(big.client_width, 368);
    EXPECT_EQ(big.client_height, big.buttons_y + 30 + 20);
}

TEST(SendPanel, LinesATextNeeds) {
    EXPECT_EQ(send_panel_lines(std::nullopt, 300), 1);
    EXPECT_EQ(send_panel_lines(0, 300), 1);
    EXPECT_EQ(send_panel_lines(300, 300), 1);
    EXPECT_EQ(send_panel_lines(301, 300), 2);
    EXPECT_EQ(send_panel_lines(900, 300), 3);
    EXPECT_EQ(send_panel_lines(5000, 300), 3) << "more than three lines' worth still gets three";
}

TEST(SendPanel, StatusLine) {
    set_language(kEnglish);
    EXPECT_EQ(send_status_text(true, 0, 119900ms), "Waiting…  ·  1:59");
    EXPECT_EQ(send_status_text(true, 1, 80000ms), "Delivered  ·  1:20");
    EXPECT_EQ(send_status_text(true, 3, 65000ms), "Delivered ×3  ·  1:05");
    EXPECT_EQ(send_status_text(true, 2, 999ms), "Delivered ×2  ·  0:00");
    EXPECT_EQ(send_status_text(false, 3, 0ms), "The link has closed");
    EXPECT_EQ(send_status_text(false, 0, 50000ms), "The link has closed");

    set_language(match_language_tag("fr"));
    EXPECT_EQ(send_status_text(true, 0, 61000ms), std::string(msg(Message::send_waiting)) + "  ·  1:01");
    set_language(kEnglish);
}

TEST(SendPanel, NotesPushTheRowsBelowThemDown) {
    const SendPanelLayout plain = layout_send_panel(296, 1, 2, 100);

    // The VPN note sits under the warning; status and buttons move down by its lines.
    const SendPanelLayout vpn = layout_send_panel(296, 1, 2, 100, {.vpn_lines = 2});
    EXPECT_EQ(vpn.vpn_y, plain.warning_y + plain.warning_height + 4);
    EXPECT_EQ(vpn.vpn_height, 40);
    EXPECT_EQ(vpn.status_y, plain.status_y + 44);
    EXPECT_GE(vpn.status_y, vpn.vpn_y + vpn.vpn_height) << "the status never overlaps the note";
    EXPECT_EQ(vpn.buttons_y, vpn.status_y + 30);
    EXPECT_EQ(vpn.client_height, plain.client_height + 44);

    // The firewall notice and its button under the status, then Copy link and Stop.
    const SendPanelLayout notice = layout_send_panel(296, 1, 2, 100, {.notice_lines = 4, .firewall_label_width = 100});
    EXPECT_EQ(notice.status_y, plain.status_y) << "the code and everything above the notice stay put";
    EXPECT_EQ(notice.notice_y, notice.status_y + 28);
    EXPECT_EQ(notice.notice_height, 80);
    EXPECT_EQ(notice.firewall_y, notice.notice_y + 80 + 6);
    EXPECT_EQ(notice.firewall_width, 124);
    EXPECT_EQ(notice.buttons_y, notice.firewall_y + 30 + 14);
    EXPECT_EQ(notice.client_height - notice.buttons_y, plain.client_height - plain.buttons_y)
        << "the same margin under the buttons";
    EXPECT_EQ(notice.client_width, plain.client_width);

    // Both at once stack in that order.
    const SendPanelLayout both = layout_send_panel(296, 1, 2, 100, {.vpn_lines = 1, .notice_lines = 3});
    EXPECT_EQ(both.notice_y, both.status_y + 28);
    EXPECT_EQ(both.status_y, plain.status_y + 24);
    EXPECT_EQ(both.buttons_y, both.firewall_y + 44);

    // At 200 % the rows and gaps double with the rest of the panel.
    const SendPanelLayout plain2 = layout_send_panel(592, 1, 2, 200);
    const SendPanelLayout notice2 = layout_send_panel(592, 1, 2, 200, {.notice_lines = 2, .firewall_label_width = 260});
    EXPECT_EQ(notice2.notice_y, notice2.status_y + 56);
    EXPECT_EQ(notice2.notice_height, 80);
    EXPECT_EQ(notice2.firewall_y, notice2.notice_y + 80 + 12);
    EXPECT_EQ(notice2.firewall_width, 308) << "the label and its padding at the scale";
    EXPECT_EQ(notice2.buttons_y, notice2.firewall_y + 60 + 28);
    EXPECT_EQ(notice2.client_height - notice2.buttons_y, plain2.client_height - plain2.buttons_y);
}

TEST(SendPanel, FirewallButtonAndNoticeBounds) {
    // The button fits its label, never narrower than the others, never wider than the column.
    EXPECT_EQ(layout_send_panel(0, 1, 1, 100, {.notice_lines = 1, .firewall_label_width = 40}).firewall_width, 120);
    EXPECT_EQ(layout_send_panel(0, 1, 1, 100, {.notice_lines = 1, .firewall_label_width = 150}).firewall_width, 174);
    EXPECT_EQ(layout_send_panel(0, 1, 1, 100, {.notice_lines = 1, .firewall_label_width = 900}).firewall_width, 300);
    // A notice of more lines than a panel should grow by is given eight.
    EXPECT_EQ(layout_send_panel(0, 1, 1, 100, {.notice_lines = 40}).notice_height, 160);
    EXPECT_EQ(layout_send_panel(0, 1, 1, 100, {.vpn_lines = 9}).vpn_height, 60);
    // Wrapped text: the measured height over the line height, rounded up.
    EXPECT_EQ(send_panel_wrapped_lines(60, 20, 8), 3);
    EXPECT_EQ(send_panel_wrapped_lines(61, 20, 8), 4);
    EXPECT_EQ(send_panel_wrapped_lines(500, 20, 8), 8);
    EXPECT_EQ(send_panel_wrapped_lines(0, 20, 8), 1) << "a failed measurement still gets its line";
    EXPECT_EQ(send_panel_wrapped_lines(40, 0, 8), 1);
}

TEST(SendPanel, TheNoticeOverTime) {
    using enum SendNotice;
    // Nobody yet: nothing for 15 seconds, then the hint.
    EXPECT_EQ(send_notice(false, false, 0ms), None);
    EXPECT_EQ(send_notice(false, false, 14999ms), None);
    EXPECT_EQ(send_notice(false, false, 15000ms), NoDeviceYet);
    EXPECT_EQ(send_notice(false, false, 119000ms), NoDeviceYet);
    // A Public network is said at once.
    EXPECT_EQ(send_notice(false, true, 0ms), PublicNetwork);
    EXPECT_EQ(send_notice(false, true, 30000ms), PublicNetwork);
    // Anything that connects answers the question: no notice, whatever else holds.
    EXPECT_EQ(send_notice(true, false, 10ms), None);
    EXPECT_EQ(send_notice(true, false, 60000ms), None);
    EXPECT_EQ(send_notice(true, true, 60000ms), None);

    set_language(kEnglish);
    EXPECT_EQ(send_notice_text(NoDeviceYet),
              "No device has connected yet. If the phone cannot open the link, allow Kestrix through Windows Firewall "
              "for private networks, and check that the phone is on the same network.");
    EXPECT_NE(send_notice_text(PublicNetwork).find("Public"), std::string_view::npos);
    EXPECT_EQ(send_notice_text(None), "");
}

TEST(SendPanel, WhenAPublicNetworkKeepsDevicesOut) {
    const auto blocks = [](std::optional<bool> network_public, std::optional<uint32_t> profiles,
                           std::optional<bool> on = true, std::optional<bool> blocking = std::nullopt) {
        return public_network_blocks({network_public, profiles, on, blocking});
    };
    // The network's own profile decides when it is known.
    EXPECT_TRUE(blocks(true, std::nullopt));
    EXPECT_TRUE(blocks(true, 2u)) << "another network may be private; this one is not";
    EXPECT_FALSE(blocks(false, 4u)) << "a private network while a public one is also up";
    // Without it, only a machine on nothing but Public networks.
    EXPECT_TRUE(blocks(std::nullopt, 4u));
    EXPECT_FALSE(blocks(std::nullopt, 4u | 2u));
    EXPECT_FALSE(blocks(std::nullopt, 4u | 1u));
    EXPECT_FALSE(blocks(std::nullopt, 2u));
    EXPECT_FALSE(blocks(std::nullopt, std::nullopt)) << "nothing known, nothing said";
    // A firewall that is off, or lets everything in, keeps no one out; one that
    // cannot be asked (another firewall product, or none) is not blamed.
    EXPECT_FALSE(blocks(true, 4u, false, true));
    EXPECT_FALSE(blocks(true, 4u, true, false));
    EXPECT_FALSE(blocks(true, std::nullopt, std::nullopt, std::nullopt));
    EXPECT_TRUE(blocks(true, 4u, true, true));
    EXPECT_TRUE(blocks(true, std::nullopt, true, std::nullopt)) << "blocking is the Public profile's default";
}
