#pragma once
// The wait before a delayed capture: the seconds the pill shows, when the capture is
// due, how the wait ends, and where the pill stands beside the pointer.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "kestrix/rect.h"

namespace kestrix {

// How a countdown ended.
enum class CountdownEnd : uint8_t {
    Elapsed,    // the time ran out: capture now
    Hurried,    // the capture hotkey during the wait: capture now
    Cancelled,  // the menu's cancel item, Esc, or the program quitting: no capture
};

class Countdown {
public:
    using Duration = std::chrono::milliseconds;

    // A wait of `seconds` that began at `start` (any steady clock's reading).
    Countdown(uint32_t seconds, Duration start);

    // The whole seconds still to wait, rounded up: 3, 2, 1, then 0 once due.
    uint32_t seconds_left(Duration now) const;
    // How long until the number shown changes (or the capture is due), at least 1 ms.
    Duration until_next_change(Duration now) const;

    // The wait ends once: the first of these counts, later ones change nothing.
    void tick(Duration now);  // ends it as Elapsed when the time is up
    void hurry();
    void cancel();
    std::optional<CountdownEnd> end() const { return end_; }

private:
    Duration due_;
    std::optional<CountdownEnd> end_;
};

// The pill's text for a number of seconds.
std::string countdown_text(uint32_t seconds);

// The pill's rectangle for text of that size: padded by the scale, at least as wide as
// it is high, above and to the left of the pointer, clear of it so that it hides
// nothing the pointer is over; flipped to the other side where `area` (the pointer's
// monitor) ends, and kept inside it.
Rect countdown_pill_rect(int32_t text_width, int32_t text_height, uint32_t scale, int32_t pointer_x,
                         int32_t pointer_y, const Rect& area);

// The font's pixel height at a scale in percent.
int32_t countdown_font_height(uint32_t scale);

}  // namespace kestrix
