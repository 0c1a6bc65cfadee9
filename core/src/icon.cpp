#include "kestrix/icon.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrix {

uint32_t icon_size(int32_t small_icon_width, int32_t small_icon_height) {
    return uint32_t(std::max({int32_t(16), small_icon_width, small_icon_height}));
}

bool icon_covers(double d, double x, double y) {
    const double a = 0.145 * d;           // outer edge of the top and left strokes
    const double b = a + 0.095 * d;       // their inner edge
    const double c = a + 0.225 * d;       // end of the top and left arms
    const double e = d - a - 0.225 * d;   // start of the bottom and right arms
    const double u = d - a - 0.095 * d;   // inner edge of the bottom and right strokes
    const double z = d - a;               // their outer edge
    const auto in = [](double v, double lo, double hi) { return lo <= v && v <= hi; };

    const bool top = in(y, a, b), bottom = in(y, u, z);
    const bool left = in(x, a, b), right = in(x, u, z);
    const bool near_left = in(x, a, c), near_right = in(x, e, z);
    const bool near_top = in(y, a, c), near_bottom = in(y, e, z);
    return (top && (near_left || near_right)) || (bottom && (near_left || near_right)) ||
           (left && (near_top || near_bottom)) || (right && (near_top || near_bottom));
}

Image draw_icon(uint32_t d, IconColour colour) {
    d = std::max<uint32_t>(d, 16);
    std::vector<uint8_t> pixels(size_t(d) * d * 4, 0);
    for (uint32_t r = 0; r < d; ++r) {
        for (uint32_t i = 0; i < d; ++i) {
            int covered = 0;
            for (int m = 0; m < 3; ++m)
                for (int k = 0; k < 3; ++k)
                    covered += icon_covers(d, i + (k + 0.5) / 3.0, r + (m + 0.5) / 3.0) ? 1 : 0;
            if (covered == 0) continue;
            uint8_t* p = &pixels[(size_t(r) * d + i) * 4];
            p[0] = colour.blue;
            p[1] = colour.green;
            p[2] = colour.red;
            p[3] = uint8_t(std::clamp(std::lround(covered / 9.0 * 255.0), 0L, 255L));
        }
    }
    // d >= 16 and the buffer has exactly 4 x d x d bytes, so this cannot fail.
    return std::move(make_image(d, d, std::move(pixels)).value());
}

}  // namespace kestrix
