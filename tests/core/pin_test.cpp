#include "kestrix/pin.h"

#include <gtest/gtest.h>

#include <climits>

namespace kestrix {
namespace {

// A 1920 x 1080 primary with a 1280 x 1024 monitor on its left.
const std::vector<Rect> kTwoMonitors{{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};

PinState pin_at(double x, double y, int32_t w, int32_t h) { return new_pin({int32_t(x), int32_t(y), w, h}); }

TEST(PinGeometry, NewPinTakesTheRectangleAndKeepsEachSideAtLeastOne) {
    const PinState pin = new_pin({-40, 7, 0, -5});
    EXPECT_EQ(pin.base_width, 1);
    EXPECT_EQ(pin.base_height, 1);
    EXPECT_EQ(pin_window_rect(pin), (Rect{-40, 7, 1, 1}));
    EXPECT_EQ(pin.scale, 1.0);
    EXPECT_EQ(pin.opacity, 1.0);
    EXPECT_FALSE(pin.hover);
    EXPECT_FALSE(pin.drag);
    EXPECT_EQ(pin_alpha(pin), 255);
}

TEST(PinGeometry, WindowRectRoundsHalvesAwayFromZeroAndSaturates) {
    PinState pin = pin_at(0, 0, 3, 5);
    pin.x = -2.5;
    pin.y = 2.5;
    pin.scale = 0.5;  // 1.5 x 2.5
    EXPECT_EQ(pin_window_rect(pin), (Rect{-3, 3, 2, 3}));
    pin.scale = 0.1;  // 0.3 x 0.5: never below one pixel
    EXPECT_EQ(pin_window_rect(pin).width, 1);
    EXPECT_EQ(pin_window_rect(pin).height, 1);
    pin.x = 1e12;
    pin.y = -1e12;
    pin.base_width = INT32_MAX;
    pin.scale = 8;
    const Rect huge = pin_window_rect(pin);
    EXPECT_EQ(huge.x, INT32_MAX);
    EXPECT_EQ(huge.y, INT32_MIN);
    EXPECT_EQ(huge.width, INT32_MAX);
}

TEST(PinKeepOnScreen, DraggedAlmostOffTheRightEdgeComesBackShowing28Pixels) {
    PinState pin = pin_at(1915, 300, 200, 100);
    keep_pin_on_screen(pin, kTwoMonitors);
    EXPECT_EQ(pin_window_rect(pin), (Rect{1892, 300, 200, 100}));
}

TEST(PinKeepOnScreen, ClampsEverySideAgainstTheBoundingBoxOfAllMonitors) {
    PinState left = pin_at(-1500, -90, 200, 100);
    keep_pin_on_screen(left, kTwoMonitors);
    EXPECT_EQ(pin_window_rect(left), (Rect{-1452, -72, 200, 100}));

    // The bounding box reaches 1080 down even over the shorter left monitor.
    PinState low = pin_at(-1000, 1070, 200, 100);
    keep_pin_on_screen(low, kTwoMonitors);
    EXPECT_EQ(pin_window_rect(low), (Rect{-1000, 1052, 200, 100}));

    PinState inside = pin_at(-50, 500, 200, 100);
    keep_pin_on_screen(inside, kTwoMonitors);
    EXPECT_EQ(pin_window_rect(inside), (Rect{-50, 500, 200, 100}));
}

TEST(PinKeepOnScreen, APinSmallerThan28PixelsStaysWhollyInside) {
    PinState pin = pin_at(5000, -5000, 10, 12);
    keep_pin_on_screen(pin, kTwoMonitors);
    EXPECT_EQ(pin_window_rect(pin), (Rect{1910, 0, 10, 12}));
}

TEST(PinKeepOnScreen, UsesTheZoomedSizeAndIgnoresEmptyMonitors) {
    PinState pin = pin_at(3000, 0, 100, 100);
    pin.scale = 2.0;  // 200 x 200
    keep_pin_on_screen(pin, {{0, 0, 1920, 1080}, {5000, 0, 0, 800}, {4000, 0, 300, -1}});
    EXPECT_EQ(pin_window_rect(pin).x, 1892);

    PinState untouched = pin_at(9000, 9000, 100, 100);
    keep_pin_on_screen(untouched, {});
    keep_pin_on_screen(untouched, {{0, 0, 0, 0}});
    EXPECT_EQ(pin_window_rect(untouched), (Rect{9000, 9000, 100, 100}));
}

TEST(PinKeepOnScreen, ADesktopNarrowerThanTheVisibleStripDoesNotBreakTheClamp) {
    // Lower bound 0 - 28 + 28 = 0 lies above the upper bound 10 - 28 = -18: the upper one wins.
    PinState pin = pin_at(50, 50, 28, 28);
    keep_pin_on_screen(pin, {{0, 0, 10, 10}});
    EXPECT_EQ(pin_window_rect(pin), (Rect{-18, -18, 28, 28}));
}

TEST(PinZoom, ThePointUnderTheCursorStaysPut) {
    PinState pin = pin_at(100, 100, 200, 100);
    ASSERT_TRUE(zoom_pin(pin, 1, 150, 120));
    EXPECT_DOUBLE_EQ(pin.scale, 1.1);
    EXPECT_DOUBLE_EQ(pin.x, 95.0);
    EXPECT_DOUBLE_EQ(pin.y, 98.0);
    EXPECT_EQ(pin_window_rect(pin), (Rect{95, 98, 220, 110}));
    ASSERT_TRUE(zoom_pin(pin, -1, 150, 120));
    EXPECT_NEAR(pin.scale, 1.0, 1e-12);
    EXPECT_NEAR(pin.x, 100.0, 1e-9);
}

TEST(PinZoom, CapsAtEightAndAFurtherStepChangesNothing) {
    PinState pin = pin_at(0, 0, 10, 10);
    pin.scale = 7.5;
    ASSERT_TRUE(zoom_pin(pin, 1, 3, 3));
    EXPECT_EQ(pin.scale, 8.0);
    const PinState capped = pin;
    EXPECT_FALSE(zoom_pin(pin, 1, 500, 500));
    EXPECT_EQ(pin.x, capped.x);
    EXPECT_EQ(pin.y, capped.y);
    EXPECT_EQ(pin.scale, 8.0);
}

TEST(PinZoom, ManyStepsOutStopAtOneTenth) {
    PinState pin = pin_at(0, 0, 400, 300);
    ASSERT_TRUE(zoom_pin(pin, -273, 0, 0));  // the largest wheel delta
    EXPECT_EQ(pin.scale, 0.1);
    EXPECT_EQ(pin_window_rect(pin), (Rect{0, 0, 40, 30}));
    EXPECT_FALSE(zoom_pin(pin, -1, 0, 0));
}

TEST(PinZoom, ResetReturnsToZoomOneAboutTheWindowCentre) {
    PinState pin = pin_at(0, 0, 100, 50);
    pin.scale = 2.0;  // window 0,0 200 x 100, centre 100,50
    ASSERT_TRUE(reset_pin_zoom(pin));
    EXPECT_EQ(pin.scale, 1.0);
    EXPECT_EQ(pin_window_rect(pin), (Rect{50, 25, 100, 50}));
    EXPECT_FALSE(reset_pin_zoom(pin));
    EXPECT_EQ(pin_window_rect(pin), (Rect{50, 25, 100, 50}));
}

TEST(PinZoom, KeysZoomAboutTheCentreWithIntegerHalves) {
    PinState pin = pin_at(10, 20, 101, 51);
    EXPECT_EQ(pin_centre(pin), (PinPoint{60, 45}));
    pin.x = 2147483000;  // the centre saturates instead of wrapping
    pin.base_width = 4000;
    EXPECT_EQ(pin_centre(pin).x, INT32_MAX);
}

TEST(PinOpacity, StepsByTenthsBetweenOneFifthAndOne) {
    PinState pin = pin_at(0, 0, 10, 10);
    EXPECT_FALSE(change_pin_opacity(pin, 1));  // already opaque
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(change_pin_opacity(pin, -1));
    EXPECT_EQ(pin.opacity, 0.2);
    EXPECT_EQ(pin_alpha(pin), 51);
    EXPECT_FALSE(change_pin_opacity(pin, -1));
    EXPECT_EQ(pin.opacity, 0.2);

    pin.opacity = 0.9;
    ASSERT_TRUE(change_pin_opacity(pin, 1));
    EXPECT_EQ(pin.opacity, 1.0);
    EXPECT_EQ(pin_alpha(pin), 255);

    ASSERT_TRUE(change_pin_opacity(pin, -5));
    EXPECT_EQ(pin.opacity, 0.5);
    EXPECT_EQ(pin_alpha(pin), 128);  // 127.5 rounds up
    ASSERT_TRUE(change_pin_opacity(pin, 300));
    EXPECT_EQ(pin.opacity, 1.0);
}

TEST(PinOpacity, RepeatedStepsLandOnExactTenths) {
    PinState pin = pin_at(0, 0, 10, 10);
    for (int i = 0; i < 7; ++i) change_pin_opacity(pin, -1);
    EXPECT_EQ(pin.opacity, 0.3);
    change_pin_opacity(pin, 1);
    EXPECT_EQ(pin.opacity, 0.4);
    EXPECT_EQ(pin_alpha(pin), 102);
}

TEST(PinWheel, MouseNotchesStepAtOnce) {
    PinState pin = pin_at(0, 0, 10, 10);
    EXPECT_EQ(take_wheel_steps(pin, 120), 1);
    EXPECT_EQ(take_wheel_steps(pin, 240), 2);
    EXPECT_EQ(take_wheel_steps(pin, -120), -1);
    EXPECT_EQ(take_wheel_steps(pin, -360), -3);
    EXPECT_EQ(take_wheel_steps(pin, INT16_MIN), -273);
    EXPECT_EQ(pin.wheel_rest, INT16_MIN + 273 * 120);
}

TEST(PinWheel, SmallTouchpadDeltasAddUpToWholeSteps) {
    PinState pin = pin_at(0, 0, 10, 10);
    EXPECT_EQ(take_wheel_steps(pin, 60), 0);
    EXPECT_EQ(take_wheel_steps(pin, 60), 1);
    EXPECT_EQ(pin.wheel_rest, 0);
    int steps = 0;
    for (int i = 0; i < 10; ++i) steps += take_wheel_steps(pin, 30);  // 300 units
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(take_wheel_steps(pin, 59), 0);
    EXPECT_EQ(take_wheel_steps(pin, 1), 1);  // 60 + 59 + 1
    EXPECT_EQ(take_wheel_steps(pin, -100), 0);
    EXPECT_EQ(take_wheel_steps(pin, -20), -1);
}

TEST(PinWheel, TurningBackDropsTheRestOfTheOtherWay) {
    PinState pin = pin_at(0, 0, 10, 10);
    EXPECT_EQ(take_wheel_steps(pin, 100), 0);
    EXPECT_EQ(take_wheel_steps(pin, -40), 0);
    EXPECT_EQ(pin.wheel_rest, -40);
    EXPECT_EQ(take_wheel_steps(pin, -80), -1);
    EXPECT_EQ(take_wheel_steps(pin, 119), 0);
    EXPECT_EQ(take_wheel_steps(pin, 1), 1);
}

TEST(PinDragging, FollowsTheCursorFromThePress) {
    PinState pin = pin_at(100, 200, 50, 50);
    drag_pin_to(pin, 400, 520);  // not dragging
    EXPECT_EQ(pin.x, 100);
    pin.drag = PinDrag{500, 500, pin.x, pin.y};
    drag_pin_to(pin, 400, 520);
    EXPECT_EQ(pin_window_rect(pin), (Rect{0, 220, 50, 50}));
    drag_pin_to(pin, 500, 500);
    EXPECT_EQ(pin_window_rect(pin), (Rect{100, 200, 50, 50}));
}

TEST(PinCloseButton, OnlyOnWindowsOfAtLeastSixtyBySixty) {
    EXPECT_FALSE(pin_close_box({0, 0, 50, 50}, 100));
    EXPECT_FALSE(pin_close_box({0, 0, 59, 400}, 100));
    EXPECT_FALSE(pin_close_box({0, 0, 400, 59}, 100));
    EXPECT_EQ(pin_close_box({-7, 9, 60, 60}, 100), (Rect{8, 8, 22, 22}));

    PinState small = pin_at(0, 0, 50, 50);
    small.hover = true;
    EXPECT_FALSE(pin_close_hit(small, 19, 19));  // a click there starts a drag

    PinState zoomed_out = pin_at(0, 0, 100, 100);
    zoomed_out.hover = true;
    EXPECT_TRUE(pin_close_hit(zoomed_out, 19, 19));
    zoom_pin(zoomed_out, -8, 0, 0);  // below 60 x 60
    EXPECT_FALSE(pin_close_hit(zoomed_out, 19, 19));
}

TEST(PinCloseButton, HitsWithinHalfTheButtonOfItsCentreWhileHovered) {
    PinState pin = pin_at(0, 0, 200, 200);
    EXPECT_FALSE(pin_close_hit(pin, 19, 19));  // not hovered
    pin.hover = true;
    EXPECT_TRUE(pin_close_hit(pin, 19, 19));
    EXPECT_TRUE(pin_close_hit(pin, 30, 19));
    EXPECT_TRUE(pin_close_hit(pin, 19, 8));
    EXPECT_FALSE(pin_close_hit(pin, 31, 19));
    EXPECT_FALSE(pin_close_hit(pin, 27, 27));  // inside the box, outside the circle
    EXPECT_FALSE(pin_close_hit(pin, 100, 100));
}

TEST(PinKeys, CopySaveAndCloseByLetterNeedCtrlEverythingElseIgnoresIt) {
    for (bool ctrl : {false, true}) {
        EXPECT_EQ(pin_command(PinKey::Left, ctrl), PinCommand::MoveLeft);
        EXPECT_EQ(pin_command(PinKey::Down, ctrl), PinCommand::MoveDown);
        EXPECT_EQ(pin_command(PinKey::Escape, ctrl), PinCommand::Close);
        EXPECT_EQ(pin_command(PinKey::Zero, ctrl), PinCommand::ResetZoom);
        EXPECT_EQ(pin_command(PinKey::Plus, ctrl), PinCommand::ZoomIn);
        EXPECT_EQ(pin_command(PinKey::Minus, ctrl), PinCommand::ZoomOut);
        EXPECT_EQ(pin_command(PinKey::OpenBracket, ctrl), PinCommand::OpacityDown);
        EXPECT_EQ(pin_command(PinKey::CloseBracket, ctrl), PinCommand::OpacityUp);
    }
    EXPECT_EQ(pin_command(PinKey::C, false), PinCommand::None);
    EXPECT_EQ(pin_command(PinKey::S, false), PinCommand::None);
    EXPECT_EQ(pin_command(PinKey::W, false), PinCommand::None);
    EXPECT_EQ(pin_command(PinKey::C, true), PinCommand::Copy);
    EXPECT_EQ(pin_command(PinKey::S, true), PinCommand::SaveAs);
    EXPECT_EQ(pin_command(PinKey::W, true), PinCommand::Close);
}

}  // namespace
}  // namespace kestrix
