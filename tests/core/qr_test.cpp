// The QR code's size, quiet zone and finder pattern, and (natively) an
// independent decoder reading the URL back from the image.
#include "kestrix/qr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace kestrix;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

uint32_t version_of(const Image& image) { return (image.width() / 8 - 8 - 17) / 4; }

}  // namespace

TEST(Qr, SmallestVersionAtLevelM) {
    // Level M holds 42 bytes in version 3 and 62 in version 4 (L would fit 43 in
    // version 3, Q only 32): lower-case text goes in byte mode.
    const auto v3 = qr_image(std::string(42, 'a'));
    const auto v4 = qr_image(std::string(43, 'a'));
    ASSERT_TRUE(v3 && v4);
    EXPECT_EQ(version_of(*v3), 3u);
    EXPECT_EQ(version_of(*v4), 4u);
    // Side = 8 x (4 x version + 25), square.
    EXPECT_EQ(v3->width(), 8u * (4 * 3 + 25));
    EXPECT_EQ(v4->width(), 8u * (4 * 4 + 25));
    EXPECT_EQ(v4->height(), v4->width());

    const auto url = qr_image("http://192.168.178.21:49731/s/Q2hvb3NlIGEgZ29vZCB0b2tlbg");
    ASSERT_TRUE(url);
    EXPECT_EQ(version_of(*url), 4u);

    // Version 40 at level M holds 2331 bytes; beyond that there is no code.
    EXPECT_TRUE(qr_image(std::string(2331, 'a')));
    EXPECT_FALSE(qr_image(std::string(2332, 'a')));
    EXPECT_FALSE(qr_image(std::string("a\0b", 3)));
}

TEST(Qr, WhiteQuietZoneAndTheFinderPatternAtItsEdge) {
    const auto image = qr_image("http://10.0.0.2:8080/s/AAAAAAAAAAAAAAAAAAAAAA");
    ASSERT_TRUE(image);
    const uint32_t side = image->width();
    for (uint32_t i = 0; i < side; ++i) {
        for (uint32_t d = 0; d < 32; ++d) {
            ASSERT_EQ(image->pixel_at(i, d), kWhite) << i << "," << d;
            ASSERT_EQ(image->pixel_at(i, side - 1 - d), kWhite) << i << "," << side - 1 - d;
            ASSERT_EQ(image->pixel_at(d, i), kWhite) << d << "," << i;
            ASSERT_EQ(image->pixel_at(side - 1 - d, i), kWhite) << side - 1 - d << "," << i;
        }
    }
    // The top-left finder: a dark 7 x 7 ring from (32, 32), light ring, dark 3 x 3 core.
    for (uint32_t p = 32; p < 40; ++p) {
        EXPECT_EQ(image->pixel_at(p, 32), kBlack);
        EXPECT_EQ(image->pixel_at(32, p), kBlack);
    }
    EXPECT_EQ(image->pixel_at(32 + 8 * 6 + 7, 32 + 8 * 6 + 7), kBlack);
    EXPECT_EQ(image->pixel_at(32 + 8, 32 + 8), kWhite);
    EXPECT_EQ(image->pixel_at(32 + 8 * 3, 32 + 8 * 3), kBlack);
    EXPECT_EQ(image->pixel_at(32 + 8 * 7, 32), kWhite);  // the separator after it
    // The other two finders sit in the other corners.
    EXPECT_EQ(image->pixel_at(side - 33, 32), kBlack);
    EXPECT_EQ(image->pixel_at(32, side - 33), kBlack);
    // Nothing but pure black and white, opaque.
    for (uint32_t y = 0; y < side; y += 3)
        for (uint32_t x = 0; x < side; x += 3) {
            const uint32_t p = *image->pixel_at(x, y);
            ASSERT_TRUE(p == kBlack || p == kWhite) << x << "," << y;
        }
}

#ifndef _WIN32
// zbarimg (Debian's zbar-tools) reads the code back, as a phone's camera would.
TEST(Qr, AnIndependentDecoderReadsTheUrlBack) {
    const std::string url = "http://192.168.178.21:49731/s/Q2hvb3NlIGEgZ29vZCB0b2tlbg";
    const auto image = qr_image(url);
    ASSERT_TRUE(image);
    const auto png = encodePng(*image);
    ASSERT_TRUE(png);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("kestrix-qr-" + std::to_string(::getpid()) + ".png");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->size()));
    FILE* pipe = ::popen(("zbarimg --quiet --raw '" + file.string() + "' 2>/dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int status = ::pclose(pipe);
    std::filesystem::remove(file);
    ASSERT_EQ(status, 0) << "zbarimg (zbar-tools) failed: " << out;
    EXPECT_EQ(out, url + "\n");
}
#endif
