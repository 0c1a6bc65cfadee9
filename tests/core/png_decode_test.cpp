#include <gtest/gtest.h>

#include "kestrix/image.h"

using namespace kestrix;

TEST(PngDecode, GivesBackWhatWasEncodedOpaque) {
    std::vector<uint8_t> px(5 * 3 * 4);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 37);
    const Image image = make_image(5, 3, px).value();
    const auto png = encodePng(image);
    ASSERT_TRUE(png);
    const auto decoded = decodePng(*png);
    ASSERT_TRUE(decoded) << decoded.error().text();
    ASSERT_EQ(decoded->width(), 5u);
    ASSERT_EQ(decoded->height(), 3u);
    for (size_t i = 0; i < px.size(); ++i) EXPECT_EQ(decoded->pixels()[i], i % 4 == 3 ? 255 : px[i]) << i;
}

TEST(PngDecode, BytesThatAreNoPngAreAnError) {
    const auto garbage = decodePng({1, 2, 3, 4});
    ASSERT_FALSE(garbage);
    EXPECT_EQ(garbage.error().kind, ImageError::Kind::Decode);
    EXPECT_TRUE(garbage.error().text().starts_with("png decoding failed: "));

    auto png = encodePng(make_image(64, 64, std::vector<uint8_t>(64 * 64 * 4, 9)).value()).value();
    png.resize(png.size() / 2);  // cut off in its image data
    EXPECT_FALSE(decodePng(png));
}
