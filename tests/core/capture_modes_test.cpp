#include "kestrix/capture_modes.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrix {
namespace {

Monitor monitor(Rect rect, bool primary = false) {
    Monitor m;
    m.rect = rect;
    m.primary = primary;
    return m;
}

// A 1920 x 1080 primary with a 1280 x 1024 monitor to its left, tops aligned: the
// bounding box has a dead strip under the left monitor.
const std::vector<Monitor> kDesk = {monitor({0, 0, 1920, 1080}, true), monitor({-1280, 0, 1280, 1024})};

ForegroundWindow window_at(Rect frame) {
    ForegroundWindow w;
    w.class_name = "Notepad";
    w.frame = frame;
    w.bounds = Rect{frame.x - 7, frame.y, frame.width + 14, frame.height + 7};  // with the invisible borders
    return w;
}

TEST(CaptureModes, NamesOnTheCommandLine) {
    for (CaptureMode mode : {CaptureMode::Region, CaptureMode::LastRegion, CaptureMode::Screen, CaptureMode::Window})
        EXPECT_EQ(capture_mode_named(capture_mode_name(mode)), mode);
    EXPECT_EQ(capture_mode_name(CaptureMode::LastRegion), "last");
    EXPECT_FALSE(capture_mode_named("Screen"));  // exact, like every option
    EXPECT_FALSE(capture_mode_named("last-region"));
    EXPECT_FALSE(capture_mode_named(""));
}

TEST(LastRegion, KeptWhereTheMonitorsStillShowIt) {
    CaptureFacts facts;
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, kDesk), std::nullopt);  // none yet

    facts.last_region = Rect{400, 200, 640, 480};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, kDesk), (Rect{400, 200, 640, 480}));
    // Across both monitors it stays one rectangle.
    facts.last_region = Rect{-300, 100, 600, 300};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, kDesk), (Rect{-300, 100, 600, 300}));
}

TEST(LastRegion, ClippedToWhatTheMonitorsShowAfterAChange) {
    CaptureFacts facts;
    // Taken on the left monitor's right half; that monitor is now gone.
    facts.last_region = Rect{-200, 100, 400, 300};
    const std::vector<Monitor> primary_only = {kDesk[0]};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, primary_only), (Rect{0, 100, 200, 300}));
    // Wholly on the monitor that went: nothing to select, the overlay opens for dragging.
    facts.last_region = Rect{-1000, 100, 400, 300};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, primary_only), std::nullopt);
    // Into the dead strip under the left monitor: cut at the bottom of what shows there,
    // but the primary beside it still shows its full height.
    facts.last_region = Rect{-100, 1000, 200, 60};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, kDesk), (Rect{-100, 1000, 200, 60}));
    facts.last_region = Rect{-400, 1000, 300, 70};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, kDesk), (Rect{-400, 1000, 300, 24}));
    // Past the primary's right edge.
    facts.last_region = Rect{1800, 1000, 400, 400};
    EXPECT_EQ(initial_selection(CaptureMode::LastRegion, facts, kDesk), (Rect{1800, 1000, 120, 80}));
}

TEST(ScreenMode, TheMonitorUnderThePointerElseTheNearest) {
    CaptureFacts facts;
    facts.pointer_x = 1000, facts.pointer_y = 500;
    EXPECT_EQ(initial_selection(CaptureMode::Screen, facts, kDesk), kDesk[0].rect);
    facts.pointer_x = -1, facts.pointer_y = 0;
    EXPECT_EQ(initial_selection(CaptureMode::Screen, facts, kDesk), kDesk[1].rect);
    // In the dead strip: the nearest monitor.
    facts.pointer_x = -600, facts.pointer_y = 1070;
    EXPECT_EQ(initial_selection(CaptureMode::Screen, facts, kDesk), kDesk[1].rect);
    EXPECT_EQ(initial_selection(CaptureMode::Screen, facts, {}), std::nullopt);
}

TEST(WindowMode, TheCompositorsFrameElseThePlainRectangle) {
    ForegroundWindow w = window_at({300, 200, 800, 600});
    EXPECT_EQ(window_selection(w, kDesk, 0, 0), (Rect{300, 200, 800, 600}));
    // Without the compositor's answer (Wine, say) the plain window rectangle.
    w.frame.reset();
    EXPECT_EQ(window_selection(w, kDesk, 0, 0), (Rect{293, 200, 814, 607}));
    // Nothing to read at all: the monitor under the pointer.
    w.bounds.reset();
    EXPECT_EQ(window_selection(w, kDesk, -5, 5), kDesk[1].rect);
}

TEST(WindowMode, TheTaskbarTheDesktopOrNoWindowGiveTheMonitorUnderThePointer) {
    EXPECT_EQ(window_selection(std::nullopt, kDesk, 100, 100), kDesk[0].rect);
    for (const char* shell : {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman", "WorkerW"}) {
        ForegroundWindow w = window_at({0, 1040, 1920, 40});
        w.class_name = shell;
        EXPECT_EQ(window_selection(w, kDesk, -100, 100), kDesk[1].rect) << shell;
    }
    ForegroundWindow desktop = window_at({-1280, 0, 3200, 1080});
    desktop.class_name = "SomeShellsDesktop";
    desktop.shell_desktop = true;
    EXPECT_EQ(window_selection(desktop, kDesk, 100, 100), kDesk[0].rect);
    EXPECT_FALSE(is_shell_surface("Shell_TrayWndX"));
}

TEST(WindowMode, MinimisedHiddenOrCloakedWindowsShowNothing) {
    const std::vector<std::function<void(ForegroundWindow&)>> unseen = {
        [](ForegroundWindow& w) { w.minimised = true; },
        [](ForegroundWindow& w) { w.visible = false; },
        [](ForegroundWindow& w) { w.cloaked = true; },
    };
    for (size_t i = 0; i < unseen.size(); ++i) {
        // A minimised window's rectangle is parked far off screen.
        ForegroundWindow w = window_at({-32000, -32000, 160, 28});
        unseen[i](w);
        EXPECT_EQ(window_selection(w, kDesk, 1500, 900), kDesk[0].rect) << i;
    }
}

TEST(WindowMode, CutToTheMonitorsAndAMaximisedOneToItsOwn) {
    // Half off the primary's right edge.
    EXPECT_EQ(window_selection(window_at({1500, 100, 800, 400}), kDesk, 0, 0), (Rect{1500, 100, 420, 400}));
    // Wholly off screen: the monitor under the pointer.
    EXPECT_EQ(window_selection(window_at({4000, 100, 800, 400}), kDesk, 10, 10), kDesk[0].rect);
    // Across both monitors it stays one rectangle over both.
    EXPECT_EQ(window_selection(window_at({-200, 100, 400, 300}), kDesk, 0, 0), (Rect{-200, 100, 400, 300}));
    // Maximised on the left monitor without the compositor: the plain rectangle overhangs
    // by the borders into the primary, which is not part of the window.
    ForegroundWindow maximised = window_at({-1280, 0, 1280, 1024});
    maximised.frame.reset();
    maximised.bounds = Rect{-1288, -8, 1296, 1040};
    maximised.maximised = true;
    EXPECT_EQ(window_selection(maximised, kDesk, 0, 0), kDesk[1].rect);
    maximised.maximised = false;
    EXPECT_EQ(window_selection(maximised, kDesk, 0, 0), (Rect{-1280, 0, 1288, 1032}));
}

TEST(RegionMode, AlwaysOpensForDragging) {
    CaptureFacts facts;
    facts.last_region = Rect{1, 2, 30, 40};
    facts.foreground = window_at({300, 200, 800, 600});
    EXPECT_EQ(initial_selection(CaptureMode::Region, facts, kDesk), std::nullopt);
}

}  // namespace
}  // namespace kestrix
