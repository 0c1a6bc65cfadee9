#include "kestrix/beautify.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrix;

namespace {

Image solid(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
        px[i] = b;
        px[i + 1] = g;
        px[i + 2] = r;
        px[i + 3] = 255;
    }
    return make_image(w, h, std::move(px)).value();
}

uint32_t rgbAt(const Image& image, uint32_t x, uint32_t y) { return *image.pixel_at(x, y) & 0xFFFFFF; }

double lightnessOf(uint32_t pixel) {
    return toHsl({((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0, (pixel & 0xFF) / 255.0}).lightness;
}

}  // namespace

TEST(BackdropSizes, FollowTheCaptureSize) {
    const BackdropSizes small = backdropSizes(100, 50);
    EXPECT_DOUBLE_EQ(small.base, 24);
    EXPECT_EQ(small.pad, 24u);
    EXPECT_EQ(small.blurRadius, 13u);
    EXPECT_EQ(small.drop, 5u);
    EXPECT_DOUBLE_EQ(small.cornerRadius, 8);
    EXPECT_DOUBLE_EQ(small.radius, 8);
    EXPECT_EQ(small.sampleStep, 1u);

    const BackdropSizes large = backdropSizes(4000, 3000);
    EXPECT_DOUBLE_EQ(large.base, 160);
    EXPECT_EQ(large.pad, 160u);
    EXPECT_EQ(large.blurRadius, 88u);
    EXPECT_EQ(large.drop, 35u);
    EXPECT_DOUBLE_EQ(large.cornerRadius, 40);
    EXPECT_EQ(large.sampleStep, 62u);

    const BackdropSizes tiny = backdropSizes(10, 10);
    EXPECT_DOUBLE_EQ(tiny.cornerRadius, 8);
    EXPECT_DOUBLE_EQ(tiny.radius, 5);

    // 0.022 x 1000 = 22 lies inside the clamp; 1 x 1 keeps a radius of a half pixel
    EXPECT_DOUBLE_EQ(backdropSizes(2000, 1000).cornerRadius, 22);
    EXPECT_DOUBLE_EQ(backdropSizes(1, 1).radius, 0.5);
}

TEST(BackdropColour, HslConversionsMatchKnownColours) {
    const Hsl red = toHsl({1, 0, 0});
    EXPECT_DOUBLE_EQ(red.hue, 0);
    EXPECT_DOUBLE_EQ(red.saturation, 1);
    EXPECT_DOUBLE_EQ(red.lightness, 0.5);
    EXPECT_NEAR(toHsl({0, 0, 1}).hue, 2.0 / 3, 1e-12);
    EXPECT_NEAR(toHsl({0, 1, 0}).hue, 1.0 / 3, 1e-12);
    // red maximum with blue above green wraps to the top of the circle, never negative
    EXPECT_NEAR(toHsl({1, 0, 0.5}).hue, 11.0 / 12, 1e-12);

    for (const Rgb8 c : {Rgb8{0x1E, 0x88, 0xE5}, Rgb8{0xFD, 0xD8, 0x35}, Rgb8{0x8E, 0x24, 0xAA}, Rgb8{0xE5, 0x39, 0x35}}) {
        const Rgb8 back = fromHsl(toHsl({c.r / 255.0, c.g / 255.0, c.b / 255.0}));
        EXPECT_EQ(back, c) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
    // hue 1.0 (six sixths) is treated as the last sector, not an out-of-range one
    EXPECT_EQ(fromHsl({1.0, 1.0, 0.5}), (Rgb8{255, 0, 0}));
}

TEST(BackdropColour, BorderSamplesCountCornersTwice) {
    // 3 x 3 with step 1: corners are met twice, the centre never
    std::vector<uint8_t> px(9 * 4, 0);
    auto set = [&](int x, int y, uint8_t r) { px[size_t(y * 3 + x) * 4 + 2] = r; px[size_t(y * 3 + x) * 4 + 3] = 255; };
    set(0, 0, 255);  // corner
    set(1, 1, 255);  // centre, not sampled
    const Image image = make_image(3, 3, px).value();
    const ColourF c = borderColour(image, 1);
    // 12 samples: top 3, bottom 3, left 3, right 3; the corner (0,0) is in two of them
    EXPECT_DOUBLE_EQ(c.r, 2.0 / 12);
    EXPECT_DOUBLE_EQ(c.g, 0);
}

TEST(BackdropColour, GreyBorderGetsAFaintRedTint) {
    const BackdropColours colours = backdropColours({0.5, 0.5, 0.5});
    EXPECT_GT(colours.top.r, colours.top.g);
    EXPECT_EQ(colours.top.g, colours.top.b);
    EXPECT_NEAR(toHsl({colours.top.r / 255.0, colours.top.g / 255.0, colours.top.b / 255.0}).saturation, 0.14, 0.01);
    // vivid borders are muted to at most 0.38
    const BackdropColours vivid = backdropColours({1, 0, 0});
    EXPECT_NEAR(toHsl({vivid.top.r / 255.0, vivid.top.g / 255.0, vivid.top.b / 255.0}).saturation, 0.38, 0.01);
}

TEST(BackdropMask, CornersAreRoundAndBlurKeepsConstantRows) {
    const Mask mask = roundedMask(20, 20, 8);
    EXPECT_EQ(mask.values[0], 0);                  // the corner pixel lies outside the arc
    EXPECT_EQ(mask.values[10 * 20 + 10], 255);     // the middle is covered
    EXPECT_EQ(mask.values[10 * 20 + 0], 255);      // the middle of an edge is covered
    const uint8_t onArc = mask.values[2 * 20 + 2];  // near the arc: partly covered
    EXPECT_GT(onArc, 0);
    EXPECT_LT(onArc, 255);
    // symmetric in both axes
    EXPECT_EQ(mask.values[2 * 20 + 2], mask.values[17 * 20 + 17]);
    EXPECT_EQ(mask.values[2 * 20 + 17], mask.values[17 * 20 + 2]);

    Mask row{7, 1, {0, 0, 0, 255, 0, 0, 0}};
    blurRows(row, 1);
    EXPECT_EQ(row.values, (std::vector<uint8_t>{0, 0, 85, 85, 85, 0, 0}));
    // edge values repeat beyond the row: a radius far longer than the row still averages sensibly
    Mask edge{3, 1, {30, 0, 0}};
    blurRows(edge, 5);
    // indices -5..5 around 0 read 6 x 30 + 5 x 0 = 180 / 11 -> 16
    EXPECT_EQ(edge.values[0], 16);

    Mask wide{3, 2, {1, 2, 3, 4, 5, 6}};
    const Mask t = transposed(wide);
    EXPECT_EQ(t.width, 2u);
    EXPECT_EQ(t.height, 3u);
    EXPECT_EQ(t.values, (std::vector<uint8_t>{1, 4, 2, 5, 3, 6}));
}

TEST(Backdrop, CompositeHasPaddingGradientAndAlpha) {
    const Image capture = solid(100, 50, 128, 128, 128);
    auto composite = beautify(capture);
    ASSERT_TRUE(composite);
    EXPECT_EQ(composite->width(), 148u);
    EXPECT_EQ(composite->height(), 98u);
    for (size_t i = 3; i < composite->pixels().size(); i += 4) ASSERT_EQ(composite->pixels()[i], 255) << i;

    // the capture sits at (pad, pad), its middle untouched
    EXPECT_EQ(rgbAt(*composite, 24 + 50, 24 + 25), 0x808080u);
    // top row lighter than the bottom row by 0.13 in lightness
    const double top = lightnessOf(rgbAt(*composite, 0, 0));
    const double bottom = lightnessOf(rgbAt(*composite, 0, 97));
    EXPECT_NEAR(top - bottom, 0.13, 0.01);
    // a row is one colour
    EXPECT_EQ(rgbAt(*composite, 0, 10), rgbAt(*composite, 147, 10));
}

TEST(Backdrop, ShadowFallsDownwardsOnly) {
    const Image capture = solid(100, 50, 255, 255, 255);
    const Image composite = beautify(capture).value();
    const uint32_t pad = 24, drop = 5;
    const uint32_t middleX = pad + 50, middleY = pad + 25;
    auto darker = [&](uint32_t x, uint32_t y) {
        // compare with the same row's far-left pixel, which is plain gradient
        return lightnessOf(rgbAt(composite, x, y)) < lightnessOf(rgbAt(composite, 0, y)) - 0.01;
    };
    EXPECT_TRUE(darker(middleX, pad + 50 + drop - 2));  // just below the capture
    EXPECT_FALSE(darker(middleX, pad - 2));             // just above it
    EXPECT_FALSE(darker(pad - 2, middleY));             // left of it
    EXPECT_FALSE(darker(pad + 100 + 1, middleY));       // right of it
    EXPECT_FALSE(darker(middleX, pad + 50 + drop + 1)); // below the dropped shadow
}

TEST(Backdrop, TinyCaptureIsCutToADisc) {
    const Image capture = solid(10, 10, 0, 0, 255);
    const Image composite = beautify(capture).value();
    ASSERT_EQ(composite.width(), 58u);
    const uint32_t pad = 24;
    EXPECT_EQ(rgbAt(composite, pad + 5, pad + 5), 0x0000FFu);  // centre is the capture
    EXPECT_NE(rgbAt(composite, pad, pad), 0x0000FFu);          // corner shows what is behind
    // the middle of the top edge is all but covered: a disc of radius 5 reaches y = 0.5 there
    EXPECT_GE(rgbAt(composite, pad + 5, pad) & 0xFF, 0xF0u);
    EXPECT_LT(rgbAt(composite, pad + 5, pad) & 0xFF, 0xFFu);
}

namespace {

// The composite worked out pixel by pixel over full-size masks, as plainly as possible.
Image referenceComposite(const Image& capture) {
    const uint32_t w = capture.width(), h = capture.height();
    const BackdropSizes z = backdropSizes(w, h);
    const uint32_t wo = w + 2 * z.pad, ho = h + 2 * z.pad;
    const BackdropColours c = backdropColours(borderColour(capture, z.sampleStep));
    std::vector<uint8_t> out(size_t(wo) * ho * 4);
    auto channel = [](double v) { return uint8_t(std::clamp(std::round(v), 0.0, 255.0)); };
    for (uint32_t y = 0; y < ho; ++y) {
        const double t = ho == 1 ? 0 : double(y) / (ho - 1);
        for (uint32_t x = 0; x < wo; ++x) {
            uint8_t* p = &out[(size_t(y) * wo + x) * 4];
            p[0] = channel(c.top.b + (double(c.bottom.b) - c.top.b) * t);
            p[1] = channel(c.top.g + (double(c.bottom.g) - c.top.g) * t);
            p[2] = channel(c.top.r + (double(c.bottom.r) - c.top.r) * t);
            p[3] = 255;
        }
    }
    const Mask mask = roundedMask(w, h, z.radius);
    const Mask shadow = shadowMask(mask, z.blurRadius);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const double a = shadow.values[size_t(y) * w + x] / 255.0;
            const uint32_t by = z.pad + z.drop + y;
            if (a <= 0 || by >= ho) continue;
            uint8_t* p = &out[(size_t(by) * wo + z.pad + x) * 4];
            for (int k = 0; k < 3; ++k) p[k] = channel(p[k] * (1 - 0.38 * a));
        }
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const double a = mask.values[size_t(y) * w + x] / 255.0;
            if (a <= 0) continue;
            uint8_t* p = &out[(size_t(z.pad + y) * wo + z.pad + x) * 4];
            const uint8_t* s = &capture.pixels()[(size_t(y) * w + x) * 4];
            for (int k = 0; k < 3; ++k) p[k] = channel(s[k] * a + p[k] * (1 - a));
        }
    return make_image(wo, ho, std::move(out)).value();
}

Image noise(uint32_t w, uint32_t h, uint32_t seed) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (size_t i = 0; i < px.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        px[i] = (i % 4 == 3) ? 255 : uint8_t(seed >> 24);
    }
    return make_image(w, h, std::move(px)).value();
}

}  // namespace

TEST(Backdrop, MatchesThePlainPixelByPixelComposite) {
    // sizes where the middle stretch is cut (long sides), barely cut, and not cut at all
    const std::pair<uint32_t, uint32_t> sizes[] = {{700, 400}, {100, 50}, {1500, 60}, {40, 900}, {10, 10}, {1, 7}, {3, 1}};
    uint32_t seed = 7;
    for (const auto& [w, h] : sizes) {
        const Image capture = noise(w, h, seed++);
        const Image fast = beautify(capture).value();
        const Image plain = referenceComposite(capture);
        ASSERT_EQ(fast.width(), plain.width()) << w << "x" << h;
        ASSERT_EQ(fast.height(), plain.height()) << w << "x" << h;
        size_t differing = 0;
        for (size_t i = 0; i < fast.pixels().size(); ++i) differing += fast.pixels()[i] != plain.pixels()[i];
        EXPECT_EQ(differing, 0u) << w << "x" << h;
    }
}

TEST(Backdrop, InPlaceGivesTheSameCompositeInTheCapturesOwnBuffer) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{700, 400}, {100, 50}, {40, 900}, {3, 1}};
    uint32_t seed = 21;
    for (const auto& [w, h] : sizes) {
        const Image capture = noise(w, h, seed++);
        const Image expected = beautify(capture).value();

        // room reserved up front: the composite is made over the capture, in the same buffer
        std::vector<uint8_t> px;
        px.reserve(*backdropBytes(w, h));
        px.assign(capture.pixels().begin(), capture.pixels().end());
        Image roomy = make_image(w, h, std::move(px)).value();
        const uint8_t* buffer = roomy.pixels().data();
        ASSERT_TRUE(beautifyInPlace(roomy)) << w << "x" << h;
        EXPECT_EQ(roomy, expected) << w << "x" << h;
        EXPECT_EQ(roomy.pixels().data(), buffer) << w << "x" << h;

        // without room the composite goes to a new buffer
        Image tight = capture;
        ASSERT_TRUE(beautifyInPlace(tight)) << w << "x" << h;
        EXPECT_EQ(tight, expected) << w << "x" << h;
    }
    EXPECT_EQ(backdropBytes(100, 50), size_t(148 * 98 * 4));
    EXPECT_FALSE(backdropBytes(0, 50));
    EXPECT_FALSE(backdropBytes(0xFFFFFFFFu, 1));
}
