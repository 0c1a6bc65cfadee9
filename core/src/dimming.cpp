#include "kestrix/dimming.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrix {

namespace {

uint16_t keep_factor(uint32_t percent) { return uint16_t(255 - std::min<uint32_t>(percent, 100) * 255 / 100); }

// (value x keep + 127) / 255 without a division: exact for every sum below 65535.
inline uint8_t scale(uint8_t value, uint16_t keep) {
    const uint16_t sum = uint16_t(value * keep + 127);
    return uint8_t((sum + 1 + (sum >> 8)) >> 8);
}

void dim_bytes(const uint8_t* from, uint8_t* to, size_t bytes, uint16_t keep) {
    for (size_t i = 0; i < bytes; ++i) to[i] = (i & 3) == 3 ? 255 : scale(from[i], keep);
}

#if defined(__SSE2__)
// Four pixels at a time, with the same arithmetic in 16-bit lanes (the sums stay
// below 65536). Compilers do not reliably turn the plain loop into this.
void dim_row(const uint8_t* from, uint8_t* to, size_t bytes, uint16_t keep) {
    const __m128i zero = _mm_setzero_si128(), factor = _mm_set1_epi16(int16_t(keep));
    const __m128i half = _mm_set1_epi16(127), one = _mm_set1_epi16(1);
    const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
    const auto lanes = [&](__m128i v) {
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(v, factor), half);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sum, one), _mm_srli_epi16(sum, 8)), 8);
    };
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i out = _mm_packus_epi16(lanes(_mm_unpacklo_epi8(in, zero)), lanes(_mm_unpackhi_epi8(in, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_or_si128(out, opaque));
    }
    dim_bytes(from + i, to + i, bytes - i, keep);
}
#else
void dim_row(const uint8_t* from, uint8_t* to, size_t bytes, uint16_t keep) { dim_bytes(from, to, bytes, keep); }
#endif

}  // namespace

uint8_t dimmed_channel(uint8_t value, uint32_t percent) { return scale(value, keep_factor(percent)); }

void dim_pixels(ConstPixelRows from, PixelRows to, uint32_t width, uint32_t height, uint32_t percent) {
    const uint16_t keep = keep_factor(percent);
    for (uint32_t y = 0; y < height; ++y)
        dim_row(from.data + y * from.stride, to.data + y * to.stride, size_t(width) * 4, keep);
}

}  // namespace kestrix
