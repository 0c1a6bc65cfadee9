#include "kestrix/mosaic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <variant>

namespace kestrix {

namespace {

// The pixelated picture for one block size, kept as one colour per tile and
// filled in on demand. Every tile is averaged from the pixels as they were
// before any stroke was applied: all tiles a call needs are worked out before
// the first pixel is written, which is what a snapshot of the picture gives.
class Pixelation {
public:
    Pixelation(const Image& image, uint32_t block)
        : image_(image), block_(block), columns_((uint64_t(image.width()) + block - 1) / block),
          tiles_(size_t(columns_) * ((uint64_t(image.height()) + block - 1) / block), 0) {}

    uint32_t block() const { return block_; }

    // Makes sure the tiles over pixels [x0, x1] of row y are averaged.
    void prepare(uint32_t y, uint32_t x0, uint32_t x1) {
        const uint64_t ty = y / block_;
        for (uint64_t tx = x0 / block_; tx <= x1 / block_; ++tx) {
            uint32_t& tile = tiles_[size_t(ty * columns_ + tx)];
            if (tile == 0) tile = average(uint32_t(tx), uint32_t(ty));
        }
    }

    // Writes the tiles' colours over pixels [x0, x1] of row y of `target`.
    void paint(Image& target, uint32_t y, uint32_t x0, uint32_t x1) const {
        uint8_t* row = target.pixels().data() + size_t(y) * target.stride();
        const uint32_t* tileRow = tiles_.data() + size_t(y / block_) * columns_;
        for (uint64_t x = x0; x <= x1;) {
            const uint64_t tx = x / block_;
            const uint64_t end = std::min<uint64_t>((tx + 1) * block_ - 1, x1);
            const uint32_t colour = tileRow[tx];
            for (; x <= end; ++x) std::memcpy(row + x * 4, &colour, 4);
        }
    }

private:
    // Channel sums over the tile divided by its pixel count (truncating), alpha 255;
    // never 0, so 0 marks a tile not yet averaged.
    uint32_t average(uint32_t tx, uint32_t ty) const {
        const uint64_t x0 = uint64_t(tx) * block_, y0 = uint64_t(ty) * block_;
        const uint64_t x1 = std::min<uint64_t>(x0 + block_, image_.width());
        const uint64_t y1 = std::min<uint64_t>(y0 + block_, image_.height());
        uint64_t b = 0, g = 0, r = 0;
        for (uint64_t y = y0; y < y1; ++y) {
            const uint8_t* p = image_.pixels().data() + y * image_.stride() + x0 * 4;
            for (uint64_t x = x0; x < x1; ++x, p += 4) {
                b += p[0];
                g += p[1];
                r += p[2];
            }
        }
        const uint64_t n = (x1 - x0) * (y1 - y0);
        return uint32_t(b / n) | uint32_t(g / n) << 8 | uint32_t(r / n) << 16 | 0xFF000000u;
    }

    const Image& image_;
    uint32_t block_;
    uint64_t columns_;
    std::vector<uint32_t> tiles_;
};

struct Segment {
    Point a, b;
    double r;
};

// Whether pixel (x, y) lies within r of the segment, measured from its centre.
bool covers(const Segment& s, int64_t x, int64_t y) {
    const double cx = x + 0.5, cy = y + 0.5;
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    double t = 0;
    if (length2 > 0) t = std::clamp(((cx - s.a.x) * dx + (cy - s.a.y) * dy) / length2, 0.0, 1.0);
    const double ex = cx - (s.a.x + t * dx), ey = cy - (s.a.y + t * dy);
    return ex * ex + ey * ey <= s.r * s.r;
}

// The pixels of row y covered by the segment, as [first, last] within [lo, hi].
// The band's interval is solved for the row (with a radius a hair larger, so
// that rounding cannot lose a touching pixel), then both ends are settled with
// the exact per-pixel test, outwards or inwards as needed; the covered pixels of
// a row are contiguous because the band is convex.
bool rowSpan(const Segment& s, int64_t y, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
    const double cy = y + 0.5;
    const double r = s.r * (1 + 1e-9) + 1e-9, r2 = r * r;
    double from = INFINITY, to = -INFINITY;
    auto add = [&](double a, double b) {
        if (a <= b) {
            from = std::min(from, a);
            to = std::max(to, b);
        }
    };
    for (const Point& end : {s.a, s.b}) {  // the round caps
        const double h = r2 - (cy - end.y) * (cy - end.y);
        if (h >= 0) add(end.x - std::sqrt(h), end.x + std::sqrt(h));
    }
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 > 0) {  // the band along the segment: 0 <= t <= 1 and distance <= r
        double a = -INFINITY, b = INFINITY;
        auto within = [&](double k, double c, double low, double high) {
            // low <= k * cx + c <= high
            if (k == 0) {
                if (c < low || c > high) a = INFINITY;
                return;
            }
            double p = (low - c) / k, q = (high - c) / k;
            if (p > q) std::swap(p, q);
            a = std::max(a, p);
            b = std::min(b, q);
        };
        within(dx, -s.a.x * dx + (cy - s.a.y) * dy, 0, length2);
        const double reach = r * std::sqrt(length2);
        within(dy, -s.a.x * dy - (cy - s.a.y) * dx, -reach, reach);
        add(a, b);
    }
    if (!(from <= to)) return false;
    // pixel x is inside when from <= x + 0.5 <= to
    auto pixel = [&](double v) { return int64_t(std::clamp(std::floor(v - 0.5), double(lo) - 1, double(hi) + 1)); };
    first = std::clamp<int64_t>(pixel(from) + 1, lo, hi);
    last = std::clamp<int64_t>(pixel(to), lo, hi);
    if (first > last) first = last = std::clamp<int64_t>(pixel((from + to) / 2), lo, hi);
    while (first <= last && !covers(s, first, y)) ++first;
    if (first > last) return false;
    while (first > lo && covers(s, first - 1, y)) --first;
    while (!covers(s, last, y)) --last;  // stops at `first` at the latest
    while (last < hi && covers(s, last + 1, y)) ++last;
    return true;
}

struct Bounds {
    int64_t x0, x1, y0, y1;
};

// The segment's pixel range grown by r, limited to the image; empty when x0 > x1 or y0 > y1.
Bounds boundsOf(const Segment& s, uint32_t width, uint32_t height) {
    auto limit = [](double v, uint32_t size) { return int64_t(std::clamp(v, -1.0, double(size))); };
    return {std::max<int64_t>(limit(std::floor(std::min(s.a.x, s.b.x) - s.r), width), 0),
            std::min<int64_t>(limit(std::ceil(std::max(s.a.x, s.b.x) + s.r), width), int64_t(width) - 1),
            std::max<int64_t>(limit(std::floor(std::min(s.a.y, s.b.y) - s.r), height), 0),
            std::min<int64_t>(limit(std::ceil(std::max(s.a.y, s.b.y) + s.r), height), int64_t(height) - 1)};
}

struct Stroke {
    uint32_t block;
    std::vector<Segment> segments;
};

uint32_t blockPixels(double blockSize, double scale) {
    const double b = std::round(blockSize * scale);
    if (!(b >= 1)) return 1;
    return uint32_t(std::min(b, 4294967295.0));
}

template <class Fn>
void forEachCoveredSpan(const Stroke& stroke, uint32_t width, uint32_t height, Fn&& fn) {
    for (const Segment& s : stroke.segments) {
        const Bounds box = boundsOf(s, width, height);
        // A segment wholly beside the image has an empty box; rowSpan needs lo <= hi.
        if (box.x0 > box.x1 || box.y0 > box.y1) continue;
        for (int64_t y = box.y0; y <= box.y1; ++y) {
            int64_t first, last;
            if (rowSpan(s, y, box.x0, box.x1, first, last)) fn(uint32_t(y), uint32_t(first), uint32_t(last));
        }
    }
}

}  // namespace

void applyMosaic(Image& target, const std::vector<Annotation>& annotations, Origin origin, double scale) {
    std::vector<Stroke> strokes;
    for (const Annotation& annotation : annotations) {
        const auto* mosaic = std::get_if<MosaicMark>(&annotation);
        if (!mosaic || mosaic->points.empty()) continue;
        Stroke stroke{blockPixels(mosaic->block_size, scale), {}};
        const double r = std::max(mosaic->brush_width * scale * 0.5, 0.5);
        std::vector<Point> px;
        for (const auto& p : mosaic->points) px.push_back({(p.x - origin.x) * scale, (p.y - origin.y) * scale});
        if (px.size() == 1) stroke.segments.push_back({px[0], px[0], r});
        for (size_t i = 1; i < px.size(); ++i) stroke.segments.push_back({px[i - 1], px[i], r});
        std::erase_if(stroke.segments, [](const Segment& s) {
            return !std::isfinite(s.a.x) || !std::isfinite(s.a.y) || !std::isfinite(s.b.x) || !std::isfinite(s.b.y) ||
                   !std::isfinite(s.r);
        });
        strokes.push_back(std::move(stroke));
    }
    if (strokes.empty()) return;

    const uint32_t w = target.width(), h = target.height();
    std::vector<Pixelation> cache;  // one per block size, in order of first use
    cache.reserve(strokes.size());  // references into it stay valid
    auto pixelationFor = [&](uint32_t block) -> Pixelation& {
        for (Pixelation& p : cache)
            if (p.block() == block) return p;
        return cache.emplace_back(target, block);
    };
    for (const Stroke& stroke : strokes) pixelationFor(stroke.block);
    // First every tile under a stroke is averaged from the untouched picture...
    for (const Stroke& stroke : strokes) {
        Pixelation& p = pixelationFor(stroke.block);
        forEachCoveredSpan(stroke, w, h, [&](uint32_t y, uint32_t x0, uint32_t x1) { p.prepare(y, x0, x1); });
    }
    // ...then the strokes are painted in list order.
    for (const Stroke& stroke : strokes) {
        const Pixelation& p = pixelationFor(stroke.block);
        forEachCoveredSpan(stroke, w, h, [&](uint32_t y, uint32_t x0, uint32_t x1) { p.paint(target, y, x0, x1); });
    }
}

}  // namespace kestrix
