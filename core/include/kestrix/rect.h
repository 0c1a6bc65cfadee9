#pragma once
#include <cstdint>
#include <optional>

namespace kestrix {

// A rectangle in desktop units unless said otherwise; empty when either side is below 1.
struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool empty() const { return width < 1 || height < 1; }
    bool contains(int64_t px, int64_t py) const {
        return px >= x && py >= y && px < int64_t(x) + width && py < int64_t(y) + height;
    }
    int64_t right() const { return int64_t(x) + width; }
    int64_t bottom() const { return int64_t(y) + height; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The overlap of two rectangles; absent unless it is at least 1 x 1.
std::optional<Rect> intersect(const Rect& a, const Rect& b);

}  // namespace kestrix
