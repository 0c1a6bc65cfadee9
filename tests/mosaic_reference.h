#pragma once
// The mosaic written out the plain way, for checking applyMosaic: a snapshot, a
// whole pixelated copy per block size, and a test of every pixel in each
// segment's box. Coordinates must be finite.
#include <algorithm>
#include <cmath>
#include <map>
#include <variant>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/image.h"

namespace kestrix::test {

inline Image mosaic_reference(const Image& source, const std::vector<Annotation>& list, Origin origin, double s) {
    Image out = source;
    const Image snapshot = source;
    const int64_t w = source.width(), h = source.height();
    std::map<uint32_t, std::vector<uint8_t>> copies;
    auto copyFor = [&](uint32_t b) -> const std::vector<uint8_t>& {
        auto it = copies.find(b);
        if (it != copies.end()) return it->second;
        std::vector<uint8_t> px(snapshot.pixels().size());
        for (int64_t ty = 0; ty < h; ty += b)
            for (int64_t tx = 0; tx < w; tx += b) {
                uint64_t sum[3] = {0, 0, 0}, n = 0;
                for (int64_t y = ty; y < std::min<int64_t>(ty + b, h); ++y)
                    for (int64_t x = tx; x < std::min<int64_t>(tx + b, w); ++x, ++n)
                        for (int c = 0; c < 3; ++c) sum[c] += snapshot.pixels()[size_t(y * w + x) * 4 + c];
                for (int64_t y = ty; y < std::min<int64_t>(ty + b, h); ++y)
                    for (int64_t x = tx; x < std::min<int64_t>(tx + b, w); ++x) {
                        for (int c = 0; c < 3; ++c) px[size_t(y * w + x) * 4 + c] = uint8_t(sum[c] / n);
                        px[size_t(y * w + x) * 4 + 3] = 255;
                    }
            }
        return copies.emplace(b, std::move(px)).first->second;
    };
    for (const Annotation& a : list) {
        const auto* m = std::get_if<MosaicMark>(&a);
        if (!m || m->points.empty()) continue;
        const uint32_t b = uint32_t(std::max(std::round(m->block_size * s), 1.0));
        const auto& copy = copyFor(b);
        std::vector<Point> p;
        for (const Point& q : m->points) p.push_back({(q.x - origin.x) * s, (q.y - origin.y) * s});
        std::vector<std::pair<Point, Point>> segments;
        if (p.size() == 1) segments.push_back({p[0], p[0]});
        for (size_t i = 1; i < p.size(); ++i) segments.push_back({p[i - 1], p[i]});
        const double r = std::max(m->brush_width * s * 0.5, 0.5);
        for (const auto& [a0, b0] : segments) {
            const int64_t x0 = std::max<int64_t>(int64_t(std::floor(std::min(a0.x, b0.x) - r)), 0);
            const int64_t x1 = std::min<int64_t>(int64_t(std::ceil(std::max(a0.x, b0.x) + r)), w - 1);
            const int64_t y0 = std::max<int64_t>(int64_t(std::floor(std::min(a0.y, b0.y) - r)), 0);
            const int64_t y1 = std::min<int64_t>(int64_t(std::ceil(std::max(a0.y, b0.y) + r)), h - 1);
            for (int64_t y = y0; y <= y1; ++y)
                for (int64_t x = x0; x <= x1; ++x) {
                    const double cx = x + 0.5, cy = y + 0.5, dx = b0.x - a0.x, dy = b0.y - a0.y;
                    const double len2 = dx * dx + dy * dy;
                    const double t = len2 > 0 ? std::clamp(((cx - a0.x) * dx + (cy - a0.y) * dy) / len2, 0.0, 1.0) : 0;
                    const double ex = cx - (a0.x + t * dx), ey = cy - (a0.y + t * dy);
                    if (ex * ex + ey * ey <= r * r)
                        std::copy_n(copy.begin() + (y * w + x) * 4, 4, out.pixels().begin() + (y * w + x) * 4);
                }
        }
    }
    return out;
}

}  // namespace kestrix::test
