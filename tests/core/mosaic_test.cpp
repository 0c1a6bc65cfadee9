#include "kestrix/mosaic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

using namespace kestrix;

namespace {

// Every pixel different, alpha 0 so that pixelated pixels (alpha 255) stand out.
Image pattern(uint32_t w, uint32_t h, uint32_t seed = 1) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (size_t i = 0; i < px.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        px[i] = (i % 4 == 3) ? 0 : uint8_t(seed >> 16);
    }
    return make_image(w, h, std::move(px)).value();
}

// The pixelation written out the plain way: a snapshot, a whole pixelated copy
// per block size, and a test of every pixel in each segment's box.
Image reference(const Image& source, const std::vector<Annotation>& list, Origin origin, double s) {
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

size_t differing(const Image& a, const Image& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.pixels().size(); ++i) n += a.pixels()[i] != b.pixels()[i];
    return n;
}

uint8_t red(const Image& image, uint32_t x, uint32_t y) { return uint8_t(*image.pixel_at(x, y) >> 16); }

}  // namespace

TEST(Mosaic, SinglePointPixelatesADisc) {
    Image image = pattern(40, 40);
    const Image before = image;
    applyMosaic(image, {MosaicMark{8, 6, {{20, 20}}}}, {}, 1.0);
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 40; ++x) {
            const double d = std::hypot(x + 0.5 - 20, y + 0.5 - 20);
            const bool changed = *image.pixel_at(x, y) != *before.pixel_at(x, y);
            EXPECT_EQ(changed, d <= 4) << x << "," << y;
        }
    // a tiny brush still takes the pixel under the point (radius at least 0.5)
    Image tiny = pattern(10, 10);
    applyMosaic(tiny, {MosaicMark{0.1, 6, {{3.5, 3.5}}}}, {}, 1.0);
    EXPECT_EQ(*tiny.pixel_at(3, 3) >> 24, 255u);
    EXPECT_EQ(*tiny.pixel_at(4, 3) >> 24, 0u);
}

TEST(Mosaic, EdgeTilesAverageOnlyTheirOwnPixels) {
    // 25 wide with blocks of 10: the last column of tiles is 5 pixels wide
    Image image = pattern(25, 10);
    const Image before = image;
    applyMosaic(image, {MosaicMark{200, 10, {{12, 5}}}}, {}, 1.0);
    uint64_t sum = 0;
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 20; x < 25; ++x) sum += red(before, x, y);
    EXPECT_EQ(red(image, 22, 3), uint8_t(sum / 50));
    EXPECT_EQ(*image.pixel_at(24, 9), *image.pixel_at(20, 0));

    // red 0, 0, 0, 3 averages to 0: the division truncates
    auto square = make_image(2, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0}).value();
    applyMosaic(square, {MosaicMark{100, 2, {{1, 1}}}}, {}, 1.0);
    EXPECT_EQ(*square.pixel_at(1, 1), 0xFF000000u);
}

TEST(Mosaic, LaterStrokesReadThePictureFromBeforeAnyStroke) {
    Image image = pattern(60, 60);
    const Image before = image;
    const std::vector<Annotation> list = {MosaicMark{200, 6, {{30, 30}}}, MosaicMark{16, 10, {{30, 30}}}};
    applyMosaic(image, list, {}, 1.0);
    // pixel (30, 30) lies in the 10-block tile (30..39, 30..39) of the original picture
    uint64_t sum = 0;
    for (uint32_t y = 30; y < 40; ++y)
        for (uint32_t x = 30; x < 40; ++x) sum += red(before, x, y);
    EXPECT_EQ(red(image, 30, 30), uint8_t(sum / 100));
    EXPECT_EQ(differing(image, reference(before, list, {}, 1.0)), 0u);
}

TEST(Mosaic, StrokesOutsideTheImageChangeNothing) {
    Image image = pattern(30, 20);
    const Image before = image;
    applyMosaic(image,
                {MosaicMark{8, 6, {{-50, -50}, {-20, -40}}}, MosaicMark{8, 6, {{100, 5}}}, MosaicMark{8, 6, {}},
                 PenMark{1, PALETTE[0], {{0, 0}, {30, 20}}}},
                {}, 1.0);
    EXPECT_EQ(image, before);
    // the same stroke is inside once the image's origin moves to it
    applyMosaic(image, {MosaicMark{8, 6, {{-50, -50}, {-20, -40}}}}, {-60, -60}, 1.0);
    EXPECT_NE(image, before);
}

TEST(Mosaic, BlockSizesScaleWithRounding) {
    // s = 1.5: block 10 becomes 15 pixels, block 6 becomes 9
    for (const auto& [block, pixels] : {std::pair{10.0, 15u}, std::pair{6.0, 9u}}) {
        Image image = pattern(60, 60);
        applyMosaic(image, {MosaicMark{100, block, {{20, 20}}}}, {}, 1.5);
        EXPECT_EQ(*image.pixel_at(0, 0), *image.pixel_at(pixels - 1, pixels - 1)) << block;
        EXPECT_NE(*image.pixel_at(pixels - 1, 0), *image.pixel_at(pixels, 0)) << block;
    }
}

TEST(Mosaic, MatchesThePlainPixelByPixelRule) {
    uint32_t seed = 99;
    auto next = [&](double lo, double hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * (seed >> 8) / double(1 << 24);
    };
    const double scales[] = {1.0, 1.25, 1.5, 2.0, 0.75};
    for (int round = 0; round < 60; ++round) {
        const uint32_t w = uint32_t(next(5, 90)), h = uint32_t(next(5, 70));
        const Origin origin{int32_t(next(-40, 40)), int32_t(next(-40, 40))};
        const double s = scales[round % 5];
        std::vector<Annotation> list;
        const int strokes = 1 + round % 4;
        for (int k = 0; k < strokes; ++k) {
            MosaicMark m{mosaic_brush_width(uint32_t(next(0, 3))), mosaic_block(uint32_t(next(0, 3))), {}};
            const int points = 1 + int(next(0, 12));
            for (int i = 0; i < points; ++i)
                m.points.push_back({origin.x + next(-10, w / s + 10), origin.y + next(-10, h / s + 10)});
            list.push_back(std::move(m));
        }
        Image image = pattern(w, h, seed);
        const Image expected = reference(image, list, origin, s);
        applyMosaic(image, list, origin, s);
        ASSERT_EQ(differing(image, expected), 0u) << "round " << round << " " << w << "x" << h << " s " << s;
    }
}
