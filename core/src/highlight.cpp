#include "kestrix/highlight.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "kestrix/editor_geometry.h"

namespace kestrix {
namespace {

// Pixel indices whose centres lie in [from, to): the first is ceil(from - 0.5).
struct PixelRange {
    int64_t first = 0;
    int64_t end = 0;
    bool empty() const { return end <= first; }
};

PixelRange centres_within(double from, double to, int64_t limit) {
    if (!(from < to)) return {};
    const double first = std::clamp(std::ceil(from - 0.5), 0.0, double(limit));
    const double end = std::clamp(std::ceil(to - 0.5), 0.0, double(limit));
    return {int64_t(first), int64_t(end)};
}

PixelRange intersect(PixelRange a, PixelRange b) { return {std::max(a.first, b.first), std::min(a.end, b.end)}; }

}  // namespace

bool highlightStroke(PixelView target, std::span<const Point> points, double width, Argb colour, const Box& clip) {
    if (!target.data || points.empty() || !std::isfinite(width)) return true;
    for (const Point& p : points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return true;
    const double r = std::max(width / 2.0, 0.5);
    const double reach = r + 0.5;  // the soft edge ends half a pixel past the radius

    double left = points[0].x, right = left, top = points[0].y, bottom = top;
    for (const Point& p : points) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const PixelRange cols = intersect(centres_within(left - reach, right + reach, target.width),
                                      centres_within(clip.x, clip.x + clip.width, target.width));
    const PixelRange rows = intersect(centres_within(top - reach, bottom + reach, target.height),
                                      centres_within(clip.y, clip.y + clip.height, target.height));
    if (cols.empty() || rows.empty()) return true;

    // Coverage of the band's pixels, the largest over its segments, so that each
    // pixel is tinted once.
    const size_t w = size_t(cols.end - cols.first), h = size_t(rows.end - rows.first);
    std::vector<uint8_t> coverage;
    try {
        coverage.assign(w * h, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const size_t segments = points.size() == 1 ? 1 : points.size() - 1;
    for (size_t i = 0; i < segments; ++i) {
        const Point a = points[i], b = points[std::min(i + 1, points.size() - 1)];
        const PixelRange xs = intersect(cols, centres_within(std::min(a.x, b.x) - reach, std::max(a.x, b.x) + reach, target.width));
        const PixelRange ys = intersect(rows, centres_within(std::min(a.y, b.y) - reach, std::max(a.y, b.y) + reach, target.height));
        for (int64_t y = ys.first; y < ys.end; ++y)
            for (int64_t x = xs.first; x < xs.end; ++x) {
                const double d = distance_to_segment({x + 0.5, y + 0.5}, a, b);
                const double cover = std::clamp(r + 0.5 - d, 0.0, 1.0);
                uint8_t& c = coverage[size_t(y - rows.first) * w + size_t(x - cols.first)];
                c = std::max(c, uint8_t(std::lround(cover * 255.0)));
            }
    }

    // Per channel (blue, green, red): the factor a fully covered pixel is multiplied by.
    const double tint[3] = {double(colour & 0xFF) / 255.0, double((colour >> 8) & 0xFF) / 255.0,
                            double((colour >> 16) & 0xFF) / 255.0};
    for (size_t y = 0; y < h; ++y) {
        uint8_t* row = target.data + size_t(rows.first + int64_t(y)) * target.stride + size_t(cols.first) * 4;
        for (size_t x = 0; x < w; ++x) {
            const uint8_t c = coverage[y * w + x];
            if (c == 0) continue;
            const double strength = HIGHLIGHTER_STRENGTH * double(c) / 255.0;
            uint8_t* px = row + x * 4;
            for (int k = 0; k < 3; ++k) {
                const double factor = 1.0 - strength + strength * tint[k];
                px[k] = uint8_t(std::lround(double(px[k]) * factor));
            }
        }
    }
    return true;
}

}  // namespace kestrix
