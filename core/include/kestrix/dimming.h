#pragma once
// The overlay's darkening of the frozen desktop, done while painting and only
// for what is painted: each colour channel as under black laid over it at the
// dimming percentage, so the whole desktop needs no dimmed copy of its own.
#include <cstddef>
#include <cstdint>

namespace kestrix {

// Pixels in rows of 32-bit blue, green, red, alpha, `stride` bytes apart.
struct PixelRows {
    uint8_t* data = nullptr;
    size_t stride = 0;
};

struct ConstPixelRows {
    const uint8_t* data = nullptr;
    size_t stride = 0;
};

// One channel value under black at `percent` opacity (alpha = percent x 255 / 100,
// percentages above 100 counting as 100), rounded to the nearest.
uint8_t dimmed_channel(uint8_t value, uint32_t percent);

// `width` x `height` pixels of `from`, dimmed into `to` with alpha 255. The two
// may be the same rows, not partly overlapping ones.
void dim_pixels(ConstPixelRows from, PixelRows to, uint32_t width, uint32_t height, uint32_t percent);

}  // namespace kestrix
