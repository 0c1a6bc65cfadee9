#include "kestrix/snap_candidate.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

const Rect kPrimary{0, 0, 1920, 1080};

SnapCandidate window_at(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    SnapCandidate window;
    window.class_name = "Notepad";
    window.bounds = WindowEdges{left, top, right, bottom};
    window.monitor = kPrimary;
    return window;
}

TEST(SnapCandidate, AnOrdinaryWindowIsOfferedWithItsFrame) {
    EXPECT_EQ(snap_rect(window_at(100, 50, 740, 530)), (Rect{100, 50, 640, 480}));
    EXPECT_EQ(snap_rect(window_at(-1280, 0, -1240, 40)), (Rect{-1280, 0, 40, 40}));
    EXPECT_EQ(snap_rect(window_at(0, 0, 39, 500)), std::nullopt);
    EXPECT_EQ(snap_rect(window_at(0, 0, 500, 39)), std::nullopt);
    EXPECT_EQ(snap_rect(window_at(INT32_MIN, 0, INT32_MAX, 100)), std::nullopt);
    SnapCandidate unknown = window_at(0, 0, 100, 100);
    unknown.bounds.reset();
    EXPECT_EQ(snap_rect(unknown), std::nullopt);
}

TEST(SnapCandidate, HiddenMinimisedToolAndCloakedWindowsAreLeftOut) {
    const std::vector<void (*)(SnapCandidate&)> hide = {
        [](SnapCandidate& w) { w.visible = false; },
        [](SnapCandidate& w) { w.minimised = true; },
        [](SnapCandidate& w) { w.tool_window = true; },
        [](SnapCandidate& w) { w.cloaked = true; },
    };
    for (size_t i = 0; i < hide.size(); ++i) {
        SnapCandidate window = window_at(100, 100, 600, 600);
        hide[i](window);
        EXPECT_EQ(snap_rect(window), std::nullopt) << i;
    }
}

TEST(SnapCandidate, OnlyThisProcesssOverlayIsLeftOutOfItsOwnWindows) {
    SnapCandidate overlay = window_at(-1280, 0, 1920, 1080);
    overlay.class_name = "SnapRegionOverlay";
    overlay.own_process = true;
    EXPECT_EQ(snap_rect(overlay), std::nullopt);
    SnapCandidate pin = window_at(10, 10, 410, 310);
    pin.class_name = "KestrixPinWindow";
    pin.own_process = true;
    EXPECT_EQ(snap_rect(pin), (Rect{10, 10, 400, 300}));
    overlay.own_process = false;  // another program's window of that name is its own business
    EXPECT_TRUE(snap_rect(overlay).has_value());
}

TEST(SnapCandidate, TheShellsDesktopIsNeverOffered) {
    for (const char* name : {"Progman", "WorkerW"}) {
        SnapCandidate desktop = window_at(-1280, 0, 1920, 1080);
        desktop.class_name = name;
        EXPECT_EQ(snap_rect(desktop), std::nullopt) << name;
    }
    SnapCandidate named = window_at(-1280, 0, 1920, 1080);
    named.shell_window = true;
    EXPECT_EQ(snap_rect(named), std::nullopt);
}

TEST(SnapCandidate, FullScreenClickThroughAndInvisibleLayeredWindowsAreLeftOut) {
    SnapCandidate dimmer = window_at(0, 0, 1920, 1080);
    dimmer.click_through = true;
    EXPECT_EQ(snap_rect(dimmer), std::nullopt);
    SnapCandidate wider = window_at(-1280, 0, 1920, 1080);
    wider.click_through = true;
    EXPECT_EQ(snap_rect(wider), std::nullopt);
    // A click-through window smaller than its monitor stays.
    SnapCandidate badge = window_at(1700, 20, 1900, 120);
    badge.click_through = true;
    EXPECT_EQ(snap_rect(badge), (Rect{1700, 20, 200, 100}));

    SnapCandidate invisible = window_at(100, 100, 500, 500);
    invisible.layered_alpha = 0;
    EXPECT_EQ(snap_rect(invisible), std::nullopt);
    SnapCandidate faint = window_at(100, 100, 500, 500);
    faint.layered_alpha = 1;
    EXPECT_EQ(snap_rect(faint), (Rect{100, 100, 400, 400}));
    // A full-screen window that takes clicks (a game, a presentation) is a window.
    EXPECT_EQ(snap_rect(window_at(0, 0, 1920, 1080)), kPrimary);
}

}  // namespace
}  // namespace kestrix
