#include "kestrix/dib.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// Every byte distinct per pixel, alpha never zero, so a dropped, swapped or
// leaked byte shows.
Image numbered(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
        const size_t n = i / 4;
        px[i + 0] = uint8_t(3 * n + 1);
        px[i + 1] = uint8_t(3 * n + 2);
        px[i + 2] = uint8_t(3 * n + 3);
        px[i + 3] = 0xEE;
    }
    return make_image(w, h, std::move(px)).value();
}

}  // namespace

TEST(PackedDib, OnePixelIsHeaderThenBgrAndOnePadByte) {
    auto image = make_image(1, 1, {10, 20, 30, 40});
    ASSERT_TRUE(image);
    auto dib = packed_dib(*image);
    ASSERT_TRUE(dib);
    ASSERT_EQ(dib->size(), 44u);
    EXPECT_EQ(u32(*dib, 0), 40u);     // biSize
    EXPECT_EQ(u32(*dib, 4), 1u);      // biWidth
    EXPECT_EQ(u32(*dib, 8), 1u);      // biHeight, positive: bottom-up
    EXPECT_EQ(u16(*dib, 12), 1u);     // biPlanes
    EXPECT_EQ(u16(*dib, 14), 24u);    // biBitCount
    EXPECT_EQ(u32(*dib, 16), 0u);     // biCompression: BI_RGB
    EXPECT_EQ(u32(*dib, 20), 4u);     // biSizeImage
    EXPECT_EQ(u32(*dib, 24), 3780u);  // biXPelsPerMeter
    EXPECT_EQ(u32(*dib, 28), 3780u);  // biYPelsPerMeter
    EXPECT_EQ(u32(*dib, 32), 0u);     // biClrUsed
    EXPECT_EQ(u32(*dib, 36), 0u);     // biClrImportant
    EXPECT_EQ(std::vector<uint8_t>(dib->begin() + 40, dib->end()), (std::vector<uint8_t>{10, 20, 30, 0}));
}

TEST(PackedDib, StatesTheDpiOfThePictureInPixelsPerMetre) {
    auto image = make_image(2, 2, std::vector<uint8_t>(16, 9));
    ASSERT_TRUE(image);
    image->set_dpi(192);
    auto dib = packed_dib(*image);
    ASSERT_TRUE(dib);
    EXPECT_EQ(u32(*dib, 24), 7559u);
    EXPECT_EQ(u32(*dib, 28), 7559u);
    image->set_dpi(144);
    std::vector<uint8_t> out(*packed_dib_size(2, 2));
    write_packed_dib(*image, out.data());
    EXPECT_EQ(u32(out, 24), 5669u);
}

TEST(PackedDib, ThreeByTwoStartsWithTheBottomRowAndPadsToTwelve) {
    const Image image = numbered(3, 2);
    auto dib = packed_dib(image);
    ASSERT_TRUE(dib);
    ASSERT_EQ(dib->size(), 40u + 12 * 2);
    EXPECT_EQ(u32(*dib, 4), 3u);
    EXPECT_EQ(u32(*dib, 8), 2u);
    EXPECT_EQ(u32(*dib, 20), 24u);
    const std::vector<uint8_t> rows(dib->begin() + 40, dib->end());
    // pixels 3..5 (the image's bottom row) first, then pixels 0..2
    EXPECT_EQ(rows, (std::vector<uint8_t>{10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0,  //
                                          1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

TEST(PackedDib, EveryWidthModuloFourMatchesAPlainRowByRowLayout) {
    for (uint32_t w = 1; w <= 9; ++w) {
        const uint32_t h = 3;
        const Image image = numbered(w, h);
        const size_t stride = (w * 3 + 3) / 4 * 4;
        std::vector<uint8_t> expected(stride * h, 0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    expected[(h - 1 - y) * stride + x * 3 + c] = image.pixels()[(size_t(y) * w + x) * 4 + c];
        auto dib = packed_dib(image);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib_stride(w), stride);
        EXPECT_EQ(u32(*dib, 20), stride * h) << "width " << w;
        EXPECT_EQ(std::vector<uint8_t>(dib->begin() + 40, dib->end()), expected) << "width " << w;
    }
}

TEST(PackedDib, RefusesDimensionsTheHeaderCannotHold) {
    EXPECT_EQ(packed_dib_size(641, 480).value(), 40u + 1924u * 480);
    // biSizeImage is 32 bits: 4-byte rows up to 0xFFFFFFFC bytes in all, not one row more
    EXPECT_EQ(packed_dib_size(1, 0x3FFFFFFF).value(), 40u + 0xFFFFFFFCull);
    EXPECT_EQ(packed_dib_size(1, 0x40000000).error().kind, ImageError::Kind::TooLarge);
    // biWidth and biHeight are signed
    EXPECT_EQ(packed_dib_size(0x80000000u, 1).error().kind, ImageError::Kind::TooLarge);
    EXPECT_EQ(packed_dib_size(1, 0x80000000u).error().kind, ImageError::Kind::TooLarge);
}
