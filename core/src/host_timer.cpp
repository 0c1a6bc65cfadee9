#include "kestrix/host_timer.h"

#include <algorithm>
#include <limits>

namespace kestrix {

using namespace std::chrono;

milliseconds update_jitter(nanoseconds since_epoch) {
    if (since_epoch.count() < 0) return milliseconds{0};
    const int64_t sub_second = since_epoch.count() % 1'000'000'000;
    return milliseconds{sub_second % 600'000};
}

uint32_t timer_delay_ms(nanoseconds remaining) {
    if (remaining.count() <= 0) return 1;
    const int64_t ms = duration_cast<milliseconds>(remaining).count();
    return uint32_t(std::clamp<int64_t>(ms, 1, std::numeric_limits<uint32_t>::max()));
}

uint32_t UpdateSchedule::start(HostClock::time_point now, milliseconds jitter) {
    next_check = now + kFirstCheckDelay + jitter;
    return delay_from(now);
}

UpdateSchedule::Firing UpdateSchedule::fired(HostClock::time_point now, milliseconds jitter, bool overlay_open) {
    if (overlay_open) return {false, kOverlayRetryMs};
    if (next_check) next_check = now + kCheckInterval + jitter;
    return {true, delay_from(now)};
}

uint32_t UpdateSchedule::delay_from(HostClock::time_point now) const {
    // Without a schedule the timer still needs a delay; the longest one keeps it quiet.
    if (!next_check) return std::numeric_limits<uint32_t>::max();
    return timer_delay_ms(*next_check - now);
}

}  // namespace kestrix
