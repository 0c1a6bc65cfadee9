#include "kestrix/dimming.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrix;

TEST(Dimming, EveryChannelValueAtEveryPercentageMatchesBlackLaidOver) {
    for (uint32_t percent = 0; percent <= 100; ++percent) {
        const uint32_t alpha = percent * 255 / 100;
        for (uint32_t v = 0; v < 256; ++v)
            ASSERT_EQ(dimmed_channel(uint8_t(v), percent), (v * (255 - alpha) + 127) / 255) << v << " at " << percent;
    }
    EXPECT_EQ(dimmed_channel(200, 0), 200);
    EXPECT_EQ(dimmed_channel(200, 100), 0);
    EXPECT_EQ(dimmed_channel(200, 250), 0);  // above 100 counts as 100
}

TEST(Dimming, RowsOfAnyWidthKeepTheirStridesAndComeOutOpaque) {
    // Widths around the four-pixel steps, rows with padding on both sides, and a
    // sentinel past every row's end that must survive.
    for (uint32_t width : {1u, 3u, 4u, 5u, 7u, 8u, 9u, 33u}) {
        const uint32_t height = 3;
        const size_t from_stride = width * 4 + 12, to_stride = width * 4 + 8;
        std::vector<uint8_t> from(from_stride * height), to(to_stride * height, 0xAB);
        for (size_t i = 0; i < from.size(); ++i) from[i] = uint8_t(i * 37 + 11);
        dim_pixels({from.data(), from_stride}, {to.data(), to_stride}, width, height, 45);
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x)
                for (int c = 0; c < 4; ++c) {
                    const uint8_t got = to[y * to_stride + x * 4 + c];
                    const uint8_t want = c == 3 ? 255 : dimmed_channel(from[y * from_stride + x * 4 + c], 45);
                    ASSERT_EQ(got, want) << "width " << width << " at " << x << "," << y << " channel " << c;
                }
            for (size_t pad = width * 4; pad < to_stride; ++pad) ASSERT_EQ(to[y * to_stride + pad], 0xAB) << width;
        }
    }
}

TEST(Dimming, InPlaceGivesWhatACopyGives) {
    std::vector<uint8_t> pixels(4 * 10 * 2);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(255 - i * 3);
    std::vector<uint8_t> copy(pixels.size());
    dim_pixels({pixels.data(), 40}, {copy.data(), 40}, 10, 2, 70);
    dim_pixels({pixels.data(), 40}, {pixels.data(), 40}, 10, 2, 70);
    EXPECT_EQ(pixels, copy);
}
