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
