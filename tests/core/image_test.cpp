#include "kestrix/image.h"

#include <gtest/gtest.h>

#include "png_decode.h"

using namespace kestrix;

TEST(Image, ChecksSizeThenLength) {
    auto zero = make_image(0, 5, {});
    ASSERT_FALSE(zero);
    EXPECT_EQ(zero.error().kind, ImageError::Kind::ZeroSized);
    EXPECT_EQ(zero.error().text(), "image has zero width or height");

    auto short_buffer = make_image(2, 2, std::vector<uint8_t>(15));
    ASSERT_FALSE(short_buffer);
    EXPECT_EQ(short_buffer.error().kind, ImageError::Kind::BadLength);
    EXPECT_EQ(short_buffer.error().expected, 16u);
    EXPECT_EQ(short_buffer.error().got, 15u);
    EXPECT_EQ(short_buffer.error().text(), "buffer length 15 does not match expected 16");

    auto huge = make_image(0xFFFFFFFFu, 0xFFFFFFFFu, {});
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.error().kind, ImageError::Kind::TooLarge);
    EXPECT_EQ(huge.error().text(), "image dimensions are too large");
}

TEST(Image, PixelAtReadsLittleEndianAndStopsAtTheEdge) {
    auto image = make_image(2, 1, {1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel_at(0, 0), 0x04030201u);
    EXPECT_EQ(image->pixel_at(1, 0), 0x08070605u);
    EXPECT_FALSE(image->pixel_at(2, 0));
    EXPECT_FALSE(image->pixel_at(0, 1));
}

TEST(Image, WipeZeroesEveryByte) {
    auto image = make_image(3, 2, std::vector<uint8_t>(24, 0xAB));
    ASSERT_TRUE(image);
    image->wipe();
    EXPECT_EQ(image->pixels(), std::vector<uint8_t>(24, 0));
}

TEST(EncodePng, SinglePixelDropsAlphaAndSwapsToRgb) {
    auto image = make_image(1, 1, {10, 20, 30, 40});
    ASSERT_TRUE(image);
    auto png = encodePng(*image);
    ASSERT_TRUE(png);
    auto decoded = test::decode_png(*png);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(decoded.color_type, 2);
    EXPECT_EQ(decoded.bit_depth, 8);
    EXPECT_EQ(decoded.rgb, (std::vector<uint8_t>{30, 20, 10}));
}

TEST(EncodePng, RoundTripsEveryPixelExactly) {
    const uint32_t w = 97, h = 61;  // odd sizes catch stride mistakes
    std::vector<uint8_t> px(size_t(w) * h * 4);
    uint32_t seed = 12345;
    for (auto& b : px) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 16);
    }
    auto image = make_image(w, h, px);
    ASSERT_TRUE(image);
    for (PngSettings settings : {PngSettings{}, PngSettings{-1, -1, -1}}) {
        auto png = encodePng(*image, settings);
        ASSERT_TRUE(png);
        auto decoded = test::decode_png(*png);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        ASSERT_EQ(decoded.width, w);
        ASSERT_EQ(decoded.height, h);
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            ASSERT_EQ(decoded.rgb[i * 3 + 0], px[i * 4 + 2]) << "pixel " << i;
            ASSERT_EQ(decoded.rgb[i * 3 + 1], px[i * 4 + 1]) << "pixel " << i;
            ASSERT_EQ(decoded.rgb[i * 3 + 2], px[i * 4 + 0]) << "pixel " << i;
        }
    }
}
