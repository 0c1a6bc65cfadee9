#include "kestrix/tray_presence.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A shell that refuses the icon until it is ready, counting the attempts.
struct Shell {
    bool ready = false;
    int attempts = 0;
    TrayAdd add() {
        return [this] {
            ++attempts;
            return ready;
        };
    }
};

const HostClock::time_point t0{seconds(1000)};
constexpr TrayStep kArm{TrayTimer::Arm, TrayNotice::None};
constexpr TrayStep kStopped{TrayTimer::Stop, TrayNotice::None};

TEST(TrayPresence, ARefusedIconIsRetriedEveryTwoSecondsForTwoMinutesThenLeftToTheShell) {
    Shell shell;
    TrayPresence tray;
    EXPECT_EQ(tray.show(t0, shell.add()), kArm);
    EXPECT_TRUE(tray.wanted);
    EXPECT_FALSE(tray.shown);

    HostClock::time_point now = t0;
    for (int tick = 1; now + kTrayRetryInterval < t0 + kTrayRetryPeriod; ++tick) {
        now += kTrayRetryInterval;
        ASSERT_EQ(tray.retry(now, shell.add()), kArm) << "tick " << tick;
    }
    EXPECT_EQ(shell.attempts, 60);  // the first add and 59 retries within the two minutes
    EXPECT_EQ(tray.retry(t0 + kTrayRetryPeriod, shell.add()), kStopped);
    // Given up: a late timer message tries nothing more.
    EXPECT_EQ(tray.retry(t0 + kTrayRetryPeriod + seconds(2), shell.add()), kStopped);
    EXPECT_EQ(shell.attempts, 61);

    // The shell starts at last and says so: the icon comes, with a fresh retry period if refused.
    EXPECT_EQ(tray.shell_started(t0 + seconds(300), shell.add()), kArm);
    shell.ready = true;
    EXPECT_EQ(tray.retry(t0 + seconds(302), shell.add()), kStopped);
    EXPECT_TRUE(tray.shown);
}

TEST(TrayPresence, TheFirstSuccessfulRetryStopsTheTimer) {
    Shell shell;
    TrayPresence tray;
    tray.show(t0, shell.add());
    tray.retry(t0 + seconds(2), shell.add());
    shell.ready = true;
    EXPECT_EQ(tray.retry(t0 + seconds(4), shell.add()), kStopped);
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.retry(t0 + seconds(6), shell.add()), kStopped);
    EXPECT_EQ(shell.attempts, 3);
}

TEST(TrayPresence, ARestartedShellGetsTheIconAgainOnlyWhileItIsWanted) {
    Shell shell{true};
    TrayPresence tray;
    EXPECT_EQ(tray.show(t0, shell.add()), kStopped);
    // Shown before: the new shell has lost it, so it is added again.
    EXPECT_EQ(tray.shell_started(t0 + seconds(10), shell.add()), kStopped);
    EXPECT_EQ(shell.attempts, 2);
    shell.ready = false;
    EXPECT_EQ(tray.shell_started(t0 + seconds(20), shell.add()), kArm);
    EXPECT_FALSE(tray.shown);

    // Hidden by the user: nothing is added, and the retries stop.
    EXPECT_EQ(tray.hide(), kStopped);
    EXPECT_EQ(tray.shell_started(t0 + seconds(30), shell.add()), TrayStep{});
    EXPECT_EQ(tray.retry(t0 + seconds(32), shell.add()), kStopped);
    EXPECT_EQ(shell.attempts, 3);
}

TEST(TrayPresence, ANoticeWaitsForTheIconAndGoesToTheToastWhenThereIsNone) {
    Shell shell;
    TrayPresence waiting;
    waiting.show(t0, shell.add());
    EXPECT_EQ(waiting.announce(), TrayStep{});
    shell.ready = true;
    EXPECT_EQ(waiting.retry(t0 + seconds(2), shell.add()), (TrayStep{TrayTimer::Stop, TrayNotice::Balloon}));
    // Once only: the shell restarting later brings the icon back without the notice.
    EXPECT_EQ(waiting.shell_started(t0 + seconds(60), shell.add()), kStopped);
    EXPECT_EQ(waiting.announce(), (TrayStep{TrayTimer::Keep, TrayNotice::Balloon}));

    Shell never;
    TrayPresence refused;
    refused.show(t0, never.add());
    refused.announce();
    EXPECT_EQ(refused.retry(t0 + kTrayRetryPeriod, never.add()), (TrayStep{TrayTimer::Stop, TrayNotice::Toast}));
    EXPECT_EQ(refused.announce(), (TrayStep{TrayTimer::Keep, TrayNotice::Toast}));

    TrayPresence hidden;
    EXPECT_EQ(hidden.announce(), (TrayStep{TrayTimer::Keep, TrayNotice::Toast}));

    TrayPresence hidden_while_waiting;
    hidden_while_waiting.show(t0, never.add());
    hidden_while_waiting.announce();
    EXPECT_EQ(hidden_while_waiting.hide(), (TrayStep{TrayTimer::Stop, TrayNotice::Toast}));
}

}  // namespace
}  // namespace kestrix
