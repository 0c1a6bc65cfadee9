#pragma once
// When the tray host's one timer fires: the first update check 3 to 13 minutes
// after start, then every 24 hours, each time plus a jitter of up to 10 minutes
// so that many copies started together do not ask the feed at the same moment.
#include <chrono>
#include <cstdint>
#include <optional>

namespace kestrix {

using HostClock = std::chrono::steady_clock;

inline constexpr std::chrono::seconds kFirstCheckDelay{180};
inline constexpr std::chrono::seconds kCheckInterval{86'400};
inline constexpr uint32_t kOverlayRetryMs = 60'000;

// The sub-second part of the wall-clock time (time since 1970 UTC) in nanoseconds,
// modulo 600 000, read as milliseconds: 0 to just under 10 minutes. Before 1970: 0.
std::chrono::milliseconds update_jitter(std::chrono::nanoseconds since_epoch);

// The timer delay for a check that is `remaining` away: whole milliseconds, 0 when
// it has passed, then clamped to 1..4 294 967 295.
uint32_t timer_delay_ms(std::chrono::nanoseconds remaining);

// The schedule behind the timer. Every member returns the delay to arm the timer with.
struct UpdateSchedule {
    std::optional<HostClock::time_point> next_check;

    // At start: the first check 180 s + jitter from now.
    uint32_t start(HostClock::time_point now, std::chrono::milliseconds jitter);

    struct Firing {
        bool raise_check = false;  // raise the scheduled update check
        uint32_t delay_ms = 0;     // then arm the timer with this
    };
    // The timer fired. While the overlay is open only retry in 60 s, leaving the schedule
    // alone; otherwise move the schedule 24 h + jitter ahead and raise the check.
    Firing fired(HostClock::time_point now, std::chrono::milliseconds jitter, bool overlay_open);

    // The delay from now to the next check (normal arming).
    uint32_t delay_from(HostClock::time_point now) const;
};

}  // namespace kestrix
