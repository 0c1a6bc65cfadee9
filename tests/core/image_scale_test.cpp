#include "kestrix/image_scale.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

Image gradient(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x * 10), p[1] = uint8_t(y * 10), p[2] = 200, p[3] = 255;
        }
    return make_image(w, h, std::move(px)).value();
}

}  // namespace

TEST(ImageScale, EachPixelAveragesTheAreaItCovers) {
    const Image source = gradient(6, 4);
    const auto small = thumbnail(source, 3, 3);
    ASSERT_TRUE(small);
    // 6 x 4 into at most 3 x 3 keeps the shape: 3 x 2, each pixel from a 2 x 2 block
    ASSERT_EQ(small->width(), 3u);
    ASSERT_EQ(small->height(), 2u);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) {
            const uint32_t p = *small->pixel_at(x, y);
            // columns 2x and 2x + 1 hold 20x and 20x + 10: 20x + 5 between them
            EXPECT_EQ(p & 0xFF, 20 * x + 5) << x;
            EXPECT_EQ(p >> 8 & 0xFF, 20 * y + 5) << y;
            EXPECT_EQ(p >> 16 & 0xFF, 200u);
        }
}

TEST(ImageScale, ThumbnailsAreNeverEnlargedNorEmpty) {
    const Image source = gradient(6, 4);
    EXPECT_EQ(*thumbnail(source, 100, 100), source);
    const auto strip = thumbnail(gradient(1000, 1), 10, 10);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->width(), 10u);
    EXPECT_EQ(strip->height(), 1u);
    EXPECT_FALSE(thumbnail(source, 0, 10));
}
