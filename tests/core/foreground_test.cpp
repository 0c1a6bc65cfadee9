#include "kestrix/foreground.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrix;

namespace {

// Runs the steps against a system that answers each step with the next view,
// and returns the steps taken.
std::vector<ForegroundStep> steps_for(std::vector<ForegroundView> views) {
    ForegroundTried tried;
    std::vector<ForegroundStep> steps;
    for (const ForegroundView& view : views) {
        steps.push_back(next_foreground_step(view, tried));
        if (steps.back() == ForegroundStep::Done || steps.back() == ForegroundStep::GiveUp) break;
    }
    return steps;
}

using S = ForegroundStep;

}  // namespace

TEST(Foreground, InFrontAtOnceNeedsNothingMore) {
    EXPECT_EQ(steps_for({{.overlay_in_front = true}}), std::vector<S>{S::Done});
}

TEST(Foreground, AnOpenMenuIsEndedFirstEvenWhenTheOverlayIsInFront) {
    // The menu ends and the second try succeeds.
    EXPECT_EQ(steps_for({{.menu_open_elsewhere = true, .other_thread_in_front = true}, {.overlay_in_front = true}}),
              (std::vector<S>{S::EndMenu, S::Done}));
    // Where nothing locks the foreground the overlay is already in front, but the menu would keep the mouse.
    EXPECT_EQ(steps_for({{.overlay_in_front = true, .menu_open_elsewhere = true}, {.overlay_in_front = true}}),
              (std::vector<S>{S::EndMenu, S::Done}));
}

TEST(Foreground, RefusedWithoutAMenuTheFrontThreadsInputIsShared) {
    EXPECT_EQ(steps_for({{.other_thread_in_front = true}, {.overlay_in_front = true}}),
              (std::vector<S>{S::AttachInput, S::Done}));
}

TEST(Foreground, AMenuThatWillNotEndLeadsToSharingTheInputAndEachRemedyIsTriedOnce) {
    const ForegroundView stuck{.menu_open_elsewhere = true, .other_thread_in_front = true};
    EXPECT_EQ(steps_for({stuck, stuck, stuck, stuck}), (std::vector<S>{S::EndMenu, S::AttachInput, S::GiveUp}));
}

TEST(Foreground, NoThreadToShareWithGivesUp) {
    // Nothing in front at all (the desktop had it): there is no input to attach to.
    EXPECT_EQ(steps_for({{}}), std::vector<S>{S::GiveUp});
}
