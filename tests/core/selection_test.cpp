#include "kestrix/selection.h"
#include "kestrix/i18n.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

// Two monitors side by side, the left one at negative x, and three windows.
SelectionModel desk() {
    SelectionModel m;
    m.bounds = {-1280, 0, 3200, 1080};
    m.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};
    m.windows = {
        {100, 100, 3, 3},       // tiny, topmost
        {50, 50, 400, 300},     // under it
        {1800, 900, 400, 400},  // reaches past the desktop's right and bottom edges
    };
    return m;
}

std::optional<Rect> click(SelectingGesture& g, const SelectionModel& m, int x, int y) {
    selecting_move(g, m, x, y);
    selecting_press(g, m, x, y);
    return selecting_release(g, m, x, y);
}

}  // namespace

TEST(SelectionModel, ClampPointKeepsInsideTheLastPixel) {
    const SelectionModel m = desk();
    EXPECT_EQ(m.clamp_point(-5000, -3), (DesktopPoint{-1280, 0}));
    EXPECT_EQ(m.clamp_point(1920, 1080), (DesktopPoint{1919, 1079}));
    EXPECT_EQ(m.clamp_point(12, 34), (DesktopPoint{12, 34}));
    SelectionModel empty;
    EXPECT_EQ(empty.clamp_point(50, -50), (DesktopPoint{0, 0}));
}

TEST(SelectionModel, SnapTargetPrefersWindowsThenMonitorsAndCutsToDesktop) {
    const SelectionModel m = desk();
    // The 3 x 3 window is passed over for the window below it.
    EXPECT_EQ(m.snap_target(101, 101), (Rect{50, 50, 400, 300}));
    // Cut to the desktop.
    EXPECT_EQ(m.snap_target(1900, 1000), (Rect{1800, 900, 120, 180}));
    // Bare desktop: the monitor, the left one at negative coordinates.
    EXPECT_EQ(m.snap_target(-10, 10), (Rect{-1280, 0, 1280, 1024}));
    EXPECT_EQ(m.snap_target(1000, 1000), (Rect{0, 0, 1920, 1080}));
    // Below the shorter left monitor there is nothing.
    EXPECT_EQ(m.snap_target(-10, 1050), std::nullopt);
}

TEST(SelectionModel, SnapTargetPassesOverWindowCutBelowFourByFour) {
    SelectionModel m = desk();
    m.windows = {{1917, 500, 50, 50}};  // only 3 wide on the desktop
    EXPECT_EQ(m.snap_target(1918, 510), (Rect{0, 0, 1920, 1080}));
}

TEST(SelectingPhase, ClickTakesHoveredWindowOrMonitor) {
    const SelectionModel m = desk();
    SelectingGesture g;
    EXPECT_EQ(click(g, m, 60, 60), (Rect{50, 50, 400, 300}));
    EXPECT_FALSE(g.hover) << "the hover is taken by the click";
    SelectingGesture g2;
    EXPECT_EQ(click(g2, m, 1000, 600), (Rect{0, 0, 1920, 1080}));
}

TEST(SelectingPhase, ThinDragIsAClickFourByFourIsARectangle) {
    const SelectionModel m = desk();
    SelectingGesture g;
    selecting_move(g, m, 60, 60);
    selecting_press(g, m, 60, 60);
    selecting_move(g, m, 62, 109);
    EXPECT_EQ(displayed_rect(g), (Rect{50, 50, 400, 300})) << "a 3 x 50 drag still shows the window";
    EXPECT_EQ(selecting_release(g, m, 62, 109), (Rect{50, 50, 400, 300}));

    SelectingGesture g2;
    selecting_press(g2, m, 10, 10);
    EXPECT_EQ(selecting_release(g2, m, 13, 13), (Rect{10, 10, 4, 4}));
}

TEST(SelectingPhase, DragRectangleIsInclusiveWhicheverWayItGoes) {
    EXPECT_EQ(drag_rect({30, 40}, {10, 20}), drag_rect({10, 20}, {30, 40}));
    const Rect r = drag_rect({30, 40}, {10, 20});
    EXPECT_TRUE(r.contains(10, 20));
    EXPECT_TRUE(r.contains(30, 40));
    EXPECT_EQ(r, (Rect{10, 20, 21, 21}));
}

TEST(SelectingPhase, HoverDisappearsForGoodOnceTheDragSpansFourByFour) {
    const SelectionModel m = desk();
    SelectingGesture g;
    selecting_move(g, m, 60, 60);
    selecting_press(g, m, 60, 60);
    EXPECT_TRUE(selecting_move(g, m, 70, 70));
    EXPECT_FALSE(g.hover);
    EXPECT_EQ(displayed_rect(g), (Rect{60, 60, 11, 11}));
    // Back to a tiny drag: the window highlight does not come back.
    selecting_move(g, m, 61, 61);
    EXPECT_EQ(displayed_rect(g), (Rect{60, 60, 2, 2}));
    // Released as a click with no hover: whatever is under the release point.
    EXPECT_EQ(selecting_release(g, m, 61, 61), (Rect{50, 50, 400, 300}));
}

TEST(SelectingPhase, DragOutsideTheDesktopIsClampedAndCut) {
    const SelectionModel m = desk();
    SelectingGesture g;
    selecting_press(g, m, 1900, 1070);
    EXPECT_EQ(selecting_release(g, m, 5000, 5000), (Rect{1900, 1070, 20, 10}));
}

TEST(SelectingPhase, ReleaseWithoutPressCancels) {
    const SelectionModel m = desk();
    SelectingGesture g;
    selecting_move(g, m, 60, 60);
    EXPECT_EQ(selecting_release(g, m, 60, 60), std::nullopt);
    // A click where nothing snaps cancels too.
    SelectingGesture g2;
    EXPECT_EQ(click(g2, m, -10, 1050), std::nullopt);
}

TEST(SelectingPhase, MoveAsksForRepaintOnlyWhenSomethingChanged) {
    const SelectionModel m = desk();
    SelectingGesture g;
    EXPECT_TRUE(selecting_move(g, m, 60, 60));
    EXPECT_FALSE(selecting_move(g, m, 60, 60));
    EXPECT_TRUE(selecting_move(g, m, 61, 60));
    EXPECT_TRUE(selecting_move(g, m, 5000, 5000));
    EXPECT_FALSE(selecting_move(g, m, 6000, 6000)) << "both points clamp to the same pixel";
}

TEST(SizeLabel, PlainAndSaveAsForms) {
    EXPECT_EQ(size_label({0, 0, 640, 480}), "640 \u00d7 480");
    EXPECT_EQ(size_label({5, 5, 12, 3}, std::string_view("Save as\u2026")), "12 \u00d7 3   \u00b7   Save as\u2026");
}

// Drawn right to left, "640 × 480" alone would show as "480 × 640": the sign between
// two numbers takes the paragraph's direction. A left-to-right mark ahead of the
// first number makes the whole run resolve left to right.
TEST(SizeLabel, KeepsWidthBeforeHeightInRightToLeftLanguages) {
    set_language(match_language_tag("ar"));
    const std::string arabic = size_label({0, 0, 640, 480});
    const std::string arabic_save_as = size_label({0, 0, 640, 480}, std::string_view("\u200F\u062d\u0641\u0638"));
    set_language(kEnglish);
    EXPECT_EQ(arabic, "\u200E640 \u00d7 480");
    EXPECT_EQ(arabic_save_as, "\u200E640 \u00d7 480   \u00b7   \u200F\u062d\u0641\u0638");
    EXPECT_EQ(size_label({0, 0, 640, 480}), "640 \u00d7 480") << "no mark where nothing reads right to left";
}

TEST(HandOff, EditorStartsWithDefaultsAndTheSelection) {
    const SelectionModel m = desk();
    const Editor e = start_editing(m, {10, 20, 300, 200});
    EXPECT_EQ(displayed_rect(e), (Rect{10, 20, 300, 200}));
    EXPECT_EQ(e.bounds(), m.bounds);
    EXPECT_TRUE(e.annotations().empty());
    EXPECT_FALSE(e.can_undo());
    EXPECT_FALSE(e.can_redo());
    EXPECT_FALSE(e.tool());
    EXPECT_EQ(e.colour(), 0xff3539e5u);
    EXPECT_EQ(e.sizeIndex(), 1u);
    EXPECT_FALSE(e.backdrop());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(e.gesture()));
}
