#include "kestrix/dimming.h"

#include <algorithm>
#include <cstring>

namespace kestrix {

namespace {

uint16_t keep_factor(uint32_t percent) { return uint16_t(255 - std::min<uint32_t>(percent, 100) * 255 / 100); }

// (value x keep + 127) / 255 without a division: exact for every sum below 65535.
inline uint8_t scale(uint8_t value, uint16_t keep) {
    const uint16_t sum = uint16_t(value * keep + 127);
    return uint8_t((sum + 1 + (sum >> 8)) >> 8);
}

// Sixteen bytes (four pixels) at a time through a small buffer: the compiler
// turns these fixed-length loops into vector instructions, and does not for one
// loop over the whole row that treats every fourth byte apart.
void dim_row(const uint8_t* from, uint8_t* to, size_t bytes, uint16_t keep) {
    constexpr size_t kChunk = 16;
    size_t i = 0;
    for (; i + kChunk <= bytes; i += kChunk) {
        uint8_t chunk[kChunk];
        for (size_t j = 0; j < kChunk; ++j) chunk[j] = scale(from[i + j], keep);
        for (size_t j = 3; j < kChunk; j += 4) chunk[j] = 255;
        std::memcpy(to + i, chunk, kChunk);
    }
    for (; i < bytes; ++i) to[i] = (i & 3) == 3 ? 255 : scale(from[i], keep);
}

}  // namespace

uint8_t dimmed_channel(uint8_t value, uint32_t percent) { return scale(value, keep_factor(percent)); }

void dim_pixels(ConstPixelRows from, PixelRows to, uint32_t width, uint32_t height, uint32_t percent) {
    const uint16_t keep = keep_factor(percent);
    for (uint32_t y = 0; y < height; ++y)
        dim_row(from.data + y * from.stride, to.data + y * to.stride, size_t(width) * 4, keep);
}

}  // namespace kestrix
