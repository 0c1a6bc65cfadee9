#include "kestrix/mosaic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "mosaic_reference.h"

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
    EXPECT_EQ(differing(image, test::mosaic_reference(before, list, {}, 1.0)), 0u);
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

TEST(Mosaic, StrokesBesideEachEdgeChangeNothingUntilTheyReachAPixelCentre) {
    // Brush 8 (radius 4) on a 30 x 20 image. Far beside an edge a segment's pixel box is
    // empty; near it the box holds the edge pixels but the band stops short of their centres.
    struct Side {
        Point far, near, touching;  // touching: the band reaches the edge pixels' centres exactly
        uint32_t x, y;              // an edge pixel the touching stroke must take
    };
    const Side sides[] = {
        {{-9, 10}, {-4.4, 10}, {-3.5, 9.5}, 0, 9},     // left
        {{39, 10}, {34.4, 10}, {33.5, 9.5}, 29, 9},    // right
        {{15, -9}, {15, -4.4}, {14.5, -3.5}, 14, 0},   // above
        {{15, 29}, {15, 24.4}, {14.5, 23.5}, 14, 19},  // below
    };
    for (const Side& side : sides) {
        const Image before = pattern(30, 20);
        // a segment running along the edge, outside it
        const Point along{side.far.x == 15 ? 100.0 : side.far.x, side.far.y == 10 ? 100.0 : side.far.y};
        Image image = before;
        const std::vector<Annotation> beside = {MosaicMark{8, 6, {side.far}}, MosaicMark{8, 6, {side.near}},
                                                MosaicMark{8, 6, {side.far, along}}};
        applyMosaic(image, beside, {}, 1.0);
        EXPECT_EQ(image, before) << side.x << "," << side.y;

        const std::vector<Annotation> touching = {MosaicMark{8, 6, {side.touching}}};
        Image touched = before;
        applyMosaic(touched, touching, {}, 1.0);
        EXPECT_EQ(*touched.pixel_at(side.x, side.y) >> 24, 255u) << side.x << "," << side.y;
        EXPECT_EQ(differing(touched, test::mosaic_reference(before, touching, {}, 1.0)), 0u) << side.x << "," << side.y;
    }
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
        const Image expected = test::mosaic_reference(image, list, origin, s);
        applyMosaic(image, list, origin, s);
        ASSERT_EQ(differing(image, expected), 0u) << "round " << round << " " << w << "x" << h << " s " << s;
    }
}
