#include "kestrix/toast_layout.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

Monitor monitor(Rect rect, uint32_t ui_scale, bool primary = false) {
    Monitor m;
    m.rect = rect;
    m.ui_scale = ui_scale;
    m.primary = primary;
    return m;
}

const Rect kSingle{0, 0, 1920, 1080};
// A 1280 x 1024 monitor left of a 1920 x 1080 primary.
const Rect kTwo{-1280, 0, 3200, 1080};

}  // namespace

TEST(ToastScale, ComesFromTheMonitorItAppearsOnWithAFloorOf50) {
    const std::vector<Monitor> mixed{monitor(kSingle, 100, true), monitor({-1280, 0, 1280, 1024}, 150)};
    EXPECT_EQ(toast_scale(Rect{-900, 100, 400, 300}, mixed), 150u) << "under a selection on the 150 % monitor";
    EXPECT_EQ(toast_scale(Rect{100, 100, 400, 300}, mixed), 100u);
    EXPECT_EQ(toast_scale(Rect{-100, 100, 400, 300}, mixed), 100u) << "most of it on the primary";
    EXPECT_EQ(toast_scale(std::nullopt, mixed), 100u) << "without an anchor: under the primary";
    EXPECT_EQ(toast_scale(std::nullopt, {monitor({-1280, 0, 1280, 1024}, 150), monitor(kSingle, 125, true)}), 125u);
    EXPECT_EQ(toast_scale(std::nullopt, {monitor(kSingle, 30, true)}), 50u);
    EXPECT_EQ(toast_scale(std::nullopt, {}), 100u);
}

TEST(ToastScale, FontHeightGrowsWithTheScaleButNotBelow12) {
    EXPECT_EQ(toast_font_height(100), 14);
    EXPECT_EQ(toast_font_height(250), 35);
    EXPECT_EQ(toast_font_height(50), 12);
}

TEST(ToastRect, SitsCentredAShortGapBelowTheAnchor) {
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, {100, 100, 300, 200}, kSingle), (Rect{182, 312, 136, 40}));
}

TEST(ToastRect, PaddingAndGapFollowTheScale) {
    // 45 x 25 units of padding and a 30-unit gap at 250 %.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 250, {0, 0, 190, 100}, kSingle), (Rect{0, 130, 190, 70}));
}

TEST(ToastRect, AnUnmeasuredTextCountsAs160By32) {
    EXPECT_EQ(toast_rect(std::nullopt, 100, {0, 0, 196, 100}, kSingle), (Rect{0, 112, 196, 52}));
}

TEST(ToastRect, CentringTruncatesTowardZero) {
    // (135 - 136) / 2 is 0, not -1.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, {500, 100, 135, 50}, kSingle).x, 500);
}

TEST(ToastRect, StaysOnTheDesktop) {
    // A selection touching the bottom: 8 units above the desktop's bottom, over the selection.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, {300, 900, 400, 180}, kSingle).y, 1032);
    // At the far left of a desktop that starts left of the primary monitor.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, {-1280, 100, 40, 40}, kTwo).x, -1280);
    // At the far right.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, {1900, 100, 20, 20}, kTwo).x, 1920 - 136);
    // Taller than the room below a desktop's top edge: pinned to the top.
    EXPECT_EQ(toast_rect(TextExtent{100, 2000}, 100, {0, 0, 100, 100}, kSingle).y, 0);
}

TEST(ToastRect, WiderThanTheDesktopStartsLeftOfIt) {
    const Rect rect = toast_rect(TextExtent{2000, 20}, 100, {0, 0, 100, 100}, kSingle);
    EXPECT_EQ(rect.x, 1920 - 2036);
    EXPECT_EQ(rect.width, 2036);
}

TEST(ToastRect, WithoutAnAnchorSitsUnderThePrimaryMonitor) {
    const std::vector<Monitor> monitors{monitor({-1280, 0, 1280, 1024}, 100), monitor(kSingle, 100, true)};
    const Rect anchor = toast_anchor(std::nullopt, monitors);
    EXPECT_EQ(anchor, kSingle);
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, anchor, kTwo), (Rect{892, 1032, 136, 40}));
    EXPECT_EQ(toast_anchor(Rect{5, 6, 7, 8}, monitors), (Rect{5, 6, 7, 8}));
    EXPECT_EQ(toast_anchor(std::nullopt, {}), Rect{});
}

TEST(ToastRect, StaysOnTheMonitorOfItsAnchor) {
    // The test display: a 1280 x 1024 monitor left of the 1920 x 1080 primary.
    const std::vector<Monitor> monitors{monitor(kSingle, 100, true), monitor({-1280, 0, 1280, 1024}, 100)};
    // A selection near the left monitor's bottom: the toast keeps 8 units above that
    // monitor's bottom, not the desktop box's, 56 units lower where nothing shows it.
    const Rect low{-1000, 950, 300, 60};
    EXPECT_EQ(toast_area(low, monitors), (Rect{-1280, 0, 1280, 1024}));
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, low, toast_area(low, monitors)), (Rect{-918, 976, 136, 40}));
    // The same selection's toast on a desktop box would have been at y 1022.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, low, kTwo).y, 1022);
    // At the left monitor's right edge the toast does not reach over onto the primary.
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, 100, {-50, 100, 40, 40}, toast_area(Rect{-50, 100, 40, 40}, monitors)).x,
              -136);
    // Without an anchor: the primary monitor.
    EXPECT_EQ(toast_area(std::nullopt, monitors), kSingle);
    // Without monitors: what there is of a desktop.
    EXPECT_EQ(toast_area(std::nullopt, {}), Rect{});
}

TEST(ToastRect, CornersAreAtMost24Across) {
    EXPECT_EQ(toast_corner(40, 100), 24);
    EXPECT_EQ(toast_corner(20, 100), 20);
}

TEST(ToastAtScale, FollowsTheMonitorItAppearsOn) {
    const std::vector<Monitor> mixed{monitor(kSingle, 100, true), monitor({-2560, 0, 2560, 1440}, 150)};
    const Rect selection{-900, 200, 400, 300};
    const uint32_t scale = toast_scale(selection, mixed);
    ASSERT_EQ(scale, 150u);
    EXPECT_EQ(toast_font_height(scale), 21);
    const Rect rect = toast_rect(TextExtent{100, 20}, scale, selection, toast_area(selection, mixed));
    EXPECT_EQ(rect.width, 100 + 2 * 27);
    EXPECT_EQ(rect.height, 20 + 2 * 15);
    EXPECT_EQ(rect.y, 500 + 18);
    EXPECT_EQ(toast_corner(rect.height, scale), 36);
    // Against the second monitor's bottom it keeps 12 pixels clear, not 8.
    const Rect low{-900, 1400, 400, 40};
    EXPECT_EQ(toast_rect(TextExtent{100, 20}, scale, low, toast_area(low, mixed)).y, 1440 - 50 - 12);
}
