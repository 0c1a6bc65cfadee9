#include "kestrix/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <zlib.h>

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

TEST(EncodePng, StatesTheDpiInItsOnlyAncillaryChunkRightAfterTheHeader) {
    auto image = make_image(3, 2, std::vector<uint8_t>(24, 7));
    ASSERT_TRUE(image);
    for (const auto& [dpi, per_metre] : {std::pair{96u, 3780u}, {120u, 4724u}, {144u, 5669u}, {192u, 7559u}}) {
        image->set_dpi(dpi);
        for (const uint32_t strips : {0u, 1u}) {  // the parallel encoder and libpng's own
            PngSettings settings;
            settings.strips = strips;
            auto png = encodePng(*image, settings);
            ASSERT_TRUE(png);
            std::vector<std::string> types;
            for (const test::PngChunk& chunk : test::png_chunks(*png)) types.push_back(chunk.type);
            ASSERT_GE(types.size(), 4u) << dpi;
            EXPECT_EQ(types[0], "IHDR");
            EXPECT_EQ(types[1], "pHYs");
            EXPECT_EQ(types.back(), "IEND");
            EXPECT_EQ(std::count(types.begin(), types.end(), "pHYs"), 1);
            EXPECT_EQ(test::png_density(*png), (test::PngDensity{per_metre, per_metre, 1})) << dpi;
            // What readers make of it: pixels per metre back to the dots per inch.
            EXPECT_EQ(std::lround(per_metre * 0.0254), long(dpi));
        }
    }
    image->set_dpi(0);
    EXPECT_EQ(image->dpi(), 96u) << "an unknown DPI is the standard 96";
}

TEST(EncodePng, RoundTripsEveryPixelExactly) {
    // Odd width catches stride mistakes; rows repeat every 37 lines so that the
    // strips' deflate pieces refer back across their boundaries.
    const uint32_t w = 97, h = 301;
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y) {
        uint32_t seed = 12345 + y % 37;
        for (size_t i = 0; i < size_t(w) * 4; ++i) {
            seed = seed * 1103515245u + 12345u;
            px[size_t(y) * w * 4 + i] = uint8_t(seed >> 16);
        }
    }
    auto image = make_image(w, h, px);
    ASSERT_TRUE(image);
    const PngSettings cases[] = {
        PngSettings{},                // the shipped settings
        PngSettings{-1, -1, -1},      // libpng's defaults
        PngSettings{5, 0x20, 0, 1},   // up, one stream through libpng
        PngSettings{5, 0x08, 0, 4},   // none, four strips
        PngSettings{3, 0x10, 0, 3},   // sub, three uneven strips
        PngSettings{1, 0x20, 3, 8},   // up, run-length strategy, more strips than the height allows
        // Deflate fed in small pieces, as strips of gigabytes are: input and output
        // room run out many times per strip, in the middle of rows and of the window.
        PngSettings{5, 0x20, 0, 3, 100},
        PngSettings{6, 0x10, 0, 2, 4099},
        PngSettings{5, 0x08, 0, 1, 100},  // one stream: the piece size does not apply
    };
    for (const PngSettings& settings : cases) {
        SCOPED_TRACE("level " + std::to_string(settings.level) + " filters " + std::to_string(settings.filters) +
                     " strips " + std::to_string(settings.strips) + " piece " + std::to_string(settings.piece));
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

TEST(EncodePng, SmallPiecesGiveTheSameStreamAsOneWholePiece) {
    // Compressible rows, so that deflate's output room runs out as often as its input.
    const uint32_t w = 300, h = 200;
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t((i / 4) % 251 + (i / (w * 4)) % 3);
    auto image = make_image(w, h, px);
    ASSERT_TRUE(image);
    const auto whole = encodePng(*image, PngSettings{5, 0x20, 0, 2});
    const auto pieces = encodePng(*image, PngSettings{5, 0x20, 0, 2, 64});
    ASSERT_TRUE(whole);
    ASSERT_TRUE(pieces);
    // Without flushes in between, deflate's output does not depend on how it is fed.
    EXPECT_EQ(*pieces, *whole);
}

TEST(Adler32Join, EqualsTheChecksumOfBothPiecesInOne) {
    std::vector<uint8_t> data(70000);
    uint32_t seed = 7;
    for (uint8_t& b : data) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
    const auto adler = [](const uint8_t* p, size_t n) { return uint32_t(adler32(1, p, uInt(n))); };
    for (size_t cut : {size_t(0), size_t(1), size_t(5552), size_t(65521), size_t(69999), data.size()}) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(adler32_join(adler(data.data(), cut), adler(data.data() + cut, data.size() - cut), data.size() - cut),
                  adler(data.data(), data.size()));
    }
}

TEST(Adler32Join, LengthsOfFourGigabytesAndMore) {
    // n zero bytes after data of checksum (a, b) leave a as it is and add n x a to b;
    // the n zero bytes alone have the checksum (1, n). Lengths past 32 bits must count
    // in full, as they do for strips of that size.
    constexpr uint32_t kBase = 65521;
    const uint32_t first = (1234u << 16) | 4321u;
    for (uint64_t n : {uint64_t(1) << 31, (uint64_t(1) << 32) + 17, uint64_t(5) << 30, uint64_t(0x123456789AB)}) {
        SCOPED_TRACE(n);
        const uint32_t zeros = uint32_t(n % kBase) << 16 | 1u;
        const uint32_t expected = uint32_t((1234 + n % kBase * 4321) % kBase) << 16 | 4321u;
        EXPECT_EQ(adler32_join(first, zeros, n), expected);
    }
}
