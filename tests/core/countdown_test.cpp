#include "kestrix/countdown.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

using ms = std::chrono::milliseconds;

TEST(Countdown, ShowsTheWholeSecondsLeftRoundedUp) {
    const Countdown countdown(3, ms(10'000));  // any clock's reading as the start
    EXPECT_EQ(countdown.seconds_left(ms(10'000)), 3u);
    EXPECT_EQ(countdown.seconds_left(ms(10'001)), 3u);
    EXPECT_EQ(countdown.seconds_left(ms(10'999)), 3u);
    EXPECT_EQ(countdown.seconds_left(ms(11'000)), 2u);
    EXPECT_EQ(countdown.seconds_left(ms(12'999)), 1u);
    EXPECT_EQ(countdown.seconds_left(ms(13'000)), 0u);
    EXPECT_EQ(countdown.seconds_left(ms(99'000)), 0u);
    EXPECT_EQ(countdown_text(10), "10");
}

TEST(Countdown, WakesWhenTheNumberChangesAndWhenDue) {
    const Countdown countdown(5, ms(0));
    EXPECT_EQ(countdown.until_next_change(ms(0)), ms(1000));
    EXPECT_EQ(countdown.until_next_change(ms(250)), ms(750));
    EXPECT_EQ(countdown.until_next_change(ms(4'999)), ms(1));
    // Past due: at once, never a wait of zero that would spin.
    EXPECT_EQ(countdown.until_next_change(ms(5'000)), ms(1));
    EXPECT_EQ(countdown.until_next_change(ms(7'000)), ms(1));
    for (int64_t now = 0; now < 5'000; now += 137) {
        const ms at(now);
        EXPECT_EQ(countdown.seconds_left(at + countdown.until_next_change(at)), countdown.seconds_left(at) - 1) << now;
    }
}

TEST(Countdown, EndsOnceWithWhatHappenedFirst) {
    Countdown countdown(3, ms(0));
    countdown.tick(ms(2'999));
    EXPECT_FALSE(countdown.end());
    countdown.tick(ms(3'000));
    EXPECT_EQ(countdown.end(), CountdownEnd::Elapsed);
    countdown.cancel();  // Esc arriving in the same moment changes nothing any more
    EXPECT_EQ(countdown.end(), CountdownEnd::Elapsed);

    Countdown hurried(10, ms(0));
    hurried.hurry();
    hurried.tick(ms(20'000));
    hurried.cancel();
    EXPECT_EQ(hurried.end(), CountdownEnd::Hurried);

    Countdown cancelled(5, ms(0));
    cancelled.cancel();
    cancelled.hurry();
    EXPECT_EQ(cancelled.end(), CountdownEnd::Cancelled);

    // No wait at all is due at once.
    Countdown none(0, ms(500));
    none.tick(ms(500));
    EXPECT_EQ(none.end(), CountdownEnd::Elapsed);
}

TEST(CountdownPill, AboveAndLeftOfThePointerClearOfIt) {
    const Rect primary{0, 0, 1920, 1080};
    const Rect pill = countdown_pill_rect(12, 30, 100, 1000, 500, primary);
    EXPECT_EQ(pill.height, 42);
    EXPECT_EQ(pill.width, 42);  // one digit: as wide as it is high
    EXPECT_EQ(pill.right(), 1000 - 20);
    EXPECT_EQ(pill.bottom(), 500 - 20);
    EXPECT_FALSE(pill.contains(1000, 500));
    // Two digits make it wider; at 200 % everything doubles.
    EXPECT_EQ(countdown_pill_rect(28, 30, 100, 1000, 500, primary).width, 56);
    const Rect big = countdown_pill_rect(24, 60, 200, 1000, 500, primary);
    EXPECT_EQ(big.height, 84);
    EXPECT_EQ(big.bottom(), 500 - 40);
}

TEST(CountdownPill, FlipsAtTheMonitorsEdgesAndStaysOnIt) {
    const Rect left{-1280, 0, 1280, 1024};
    // In the top-left corner there is no room above or left: below and right instead.
    const Rect corner = countdown_pill_rect(12, 30, 100, -1275, 5, left);
    EXPECT_EQ(corner.x, -1275 + 20);
    EXPECT_EQ(corner.y, 5 + 20);
    // At the bottom-right of the left monitor it stays left and above, on that monitor.
    const Rect edge = countdown_pill_rect(12, 30, 100, -1, 1023, left);
    EXPECT_LE(edge.right(), 0);
    EXPECT_EQ(edge.bottom(), 1023 - 20);
    // On a monitor too small for it, inside it from its top-left.
    const Rect tiny = countdown_pill_rect(12, 30, 100, 5, 5, Rect{0, 0, 30, 30});
    EXPECT_EQ(tiny.x, 0);
    EXPECT_EQ(tiny.y, 0);
}

}  // namespace
}  // namespace kestrix
