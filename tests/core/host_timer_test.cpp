#include "kestrix/host_timer.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

using namespace std::chrono;

TEST(HostTimer, JitterIsTheSubSecondPartModuloTenMinutesOfMilliseconds) {
    EXPECT_EQ(update_jitter(nanoseconds{0}), milliseconds{0});
    // Whole seconds contribute nothing.
    EXPECT_EQ(update_jitter(seconds{1'700'000'000}), milliseconds{0});
    EXPECT_EQ(update_jitter(seconds{1'700'000'000} + nanoseconds{123'456'700}), milliseconds{123'456'700 % 600'000});
    // Sub-second values of a 100 ns clock wrap every 600 000 ns and stay below 10 minutes.
    EXPECT_EQ(update_jitter(seconds{5} + nanoseconds{999'999'900}), milliseconds{399'900});
    EXPECT_EQ(update_jitter(seconds{5} + nanoseconds{1'799'900}), milliseconds{599'900});
    EXPECT_EQ(update_jitter(nanoseconds{600'000}), milliseconds{0});
    EXPECT_EQ(update_jitter(nanoseconds{599'999}), milliseconds{599'999});
    // A clock before 1970.
    EXPECT_EQ(update_jitter(-nanoseconds{123'456'789}), milliseconds{0});
    EXPECT_EQ(update_jitter(-hours{24}), milliseconds{0});
}

TEST(HostTimer, DelayIsWholeMillisecondsClampedToTheTimerRange) {
    EXPECT_EQ(timer_delay_ms(seconds{180}), 180'000u);
    EXPECT_EQ(timer_delay_ms(seconds{2} + nanoseconds{345'999'999}), 2'345u);
    // Passed or due now: the shortest delay the timer takes.
    EXPECT_EQ(timer_delay_ms(nanoseconds{0}), 1u);
    EXPECT_EQ(timer_delay_ms(-seconds{30}), 1u);
    EXPECT_EQ(timer_delay_ms(nanoseconds{999'999}), 1u);
    // Far away: capped at the largest 32-bit delay.
    EXPECT_EQ(timer_delay_ms(milliseconds{4'294'967'295LL}), 4'294'967'295u);
    EXPECT_EQ(timer_delay_ms(milliseconds{4'294'967'296LL}), 4'294'967'295u);
    EXPECT_EQ(timer_delay_ms(hours{24 * 365 * 100}), 4'294'967'295u);
}

TEST(HostTimer, FirstCheckThreeMinutesPlusJitterAfterStart) {
    const HostClock::time_point t0{hours{5}};
    UpdateSchedule schedule;
    EXPECT_EQ(schedule.start(t0, milliseconds{250'000}), 430'000u);
    ASSERT_TRUE(schedule.next_check);
    EXPECT_EQ(*schedule.next_check, t0 + seconds{430});
    // A timer that is woken early re-arms for the rest of the wait.
    EXPECT_EQ(schedule.delay_from(t0 + seconds{400}), 30'000u);
    EXPECT_EQ(schedule.delay_from(t0 + seconds{431}), 1u);
}

TEST(HostTimer, FiringRaisesTheCheckAndReArmsTwentyFourHoursAhead) {
    const HostClock::time_point t0{hours{5}};
    UpdateSchedule schedule;
    (void)schedule.start(t0, milliseconds{0});
    const HostClock::time_point fired_at = t0 + seconds{180};
    const UpdateSchedule::Firing firing = schedule.fired(fired_at, milliseconds{7'000}, false);
    EXPECT_TRUE(firing.raise_check);
    EXPECT_EQ(firing.delay_ms, 86'407'000u);
    EXPECT_EQ(*schedule.next_check, fired_at + seconds{86'407});

    // The next day's firing moves it once more, by its own jitter.
    const UpdateSchedule::Firing again = schedule.fired(fired_at + seconds{86'407}, milliseconds{1}, false);
    EXPECT_TRUE(again.raise_check);
    EXPECT_EQ(again.delay_ms, 86'400'001u);
}

TEST(HostTimer, WhileTheOverlayIsOpenAFiringOnlyRetriesInAMinute) {
    const HostClock::time_point t0{hours{5}};
    UpdateSchedule schedule;
    (void)schedule.start(t0, milliseconds{0});
    const HostClock::time_point due = *schedule.next_check;

    for (int attempt = 0; attempt < 3; ++attempt) {
        const UpdateSchedule::Firing retry = schedule.fired(due + minutes{attempt}, milliseconds{9'999}, true);
        EXPECT_FALSE(retry.raise_check);
        EXPECT_EQ(retry.delay_ms, 60'000u);
        EXPECT_EQ(*schedule.next_check, due) << "the schedule must not advance while the overlay is open";
    }
    // Once it has closed the check runs at the next firing.
    const UpdateSchedule::Firing after = schedule.fired(due + minutes{3}, milliseconds{0}, false);
    EXPECT_TRUE(after.raise_check);
    EXPECT_EQ(*schedule.next_check, due + minutes{3} + seconds{86'400});
}

TEST(HostTimer, WithoutAScheduleAFiringStillRaisesTheCheck) {
    UpdateSchedule schedule;
    const UpdateSchedule::Firing firing = schedule.fired(HostClock::time_point{hours{1}}, milliseconds{0}, false);
    EXPECT_TRUE(firing.raise_check);
    EXPECT_FALSE(schedule.next_check);
    EXPECT_EQ(firing.delay_ms, 4'294'967'295u);
}

}  // namespace
}  // namespace kestrix
