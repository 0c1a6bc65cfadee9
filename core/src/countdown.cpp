#include "kestrix/countdown.h"

#include <algorithm>

namespace kestrix {

namespace {

using Duration = Countdown::Duration;
constexpr Duration kSecond{1000};

int64_t scaled(int64_t value, uint32_t scale) { return value * int64_t(std::max<uint32_t>(scale, 50)) / 100; }

// Where the pill starts along one axis: before the pointer when it fits in the area,
// else after it; then kept inside the area.
int64_t beside(int64_t pointer, int64_t size, int64_t gap, int64_t low, int64_t high) {
    int64_t start = pointer - gap - size;
    if (start < low) start = pointer + gap;
    return std::clamp(start, low, std::max(low, high - size));
}

}  // namespace

Countdown::Countdown(uint32_t seconds, Duration start) : due_(start + Duration(int64_t(seconds) * 1000)) {}

uint32_t Countdown::seconds_left(Duration now) const {
    if (now >= due_) return 0;
    return uint32_t((due_ - now + kSecond - Duration(1)) / kSecond);
}

Duration Countdown::until_next_change(Duration now) const {
    if (now >= due_) return Duration(1);
    // The number changes whenever a whole second is left over.
    const Duration left = due_ - now;
    const Duration to_change = left % kSecond;
    return to_change.count() == 0 ? kSecond : to_change;
}

void Countdown::tick(Duration now) {
    if (!end_ && now >= due_) end_ = CountdownEnd::Elapsed;
}

void Countdown::hurry() {
    if (!end_) end_ = CountdownEnd::Hurried;
}

void Countdown::cancel() {
    if (!end_) end_ = CountdownEnd::Cancelled;
}

std::string countdown_text(uint32_t seconds) { return std::to_string(seconds); }

int32_t countdown_font_height(uint32_t scale) { return int32_t(std::max<int64_t>(14, scaled(22, scale))); }

Rect countdown_pill_rect(int32_t text_width, int32_t text_height, uint32_t scale, int32_t pointer_x,
                         int32_t pointer_y, const Rect& area) {
    const int64_t height = std::max<int64_t>(text_height, 0) + scaled(12, scale);
    const int64_t width = std::max<int64_t>(std::max<int64_t>(text_width, 0) + scaled(28, scale), height);
    const int64_t gap = scaled(20, scale);
    const int64_t x = beside(pointer_x, width, gap, area.x, area.right());
    const int64_t y = beside(pointer_y, height, gap, area.y, area.bottom());
    return {int32_t(x), int32_t(y), int32_t(width), int32_t(height)};
}

}  // namespace kestrix
