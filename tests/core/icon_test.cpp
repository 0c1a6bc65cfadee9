#include "kestrix/icon.h"

#include <gtest/gtest.h>

#include <array>

namespace kestrix {
namespace {

struct Px {
    uint8_t b, g, r, a;
};

Px px(const Image& image, uint32_t x, uint32_t y) {
    const uint8_t* p = &image.pixels()[(size_t(y) * image.width() + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

bool transparent(const Image& image, uint32_t x, uint32_t y) {
    const Px p = px(image, x, y);
    return p.b == 0 && p.g == 0 && p.r == 0 && p.a == 0;
}

class IconSizes : public ::testing::TestWithParam<uint32_t> {};

TEST_P(IconSizes, SquareWithTransparentCornersAndCentre) {
    const uint32_t d = GetParam();
    const Image icon = draw_icon(d, kIconColourDark);
    ASSERT_EQ(icon.width(), d);
    ASSERT_EQ(icon.height(), d);
    ASSERT_EQ(icon.pixels().size(), size_t(d) * d * 4);
    for (uint32_t x : {0u, d - 1})
        for (uint32_t y : {0u, d - 1}) EXPECT_TRUE(transparent(icon, x, y)) << x << "," << y;
    for (uint32_t x : {d / 2 - 1, d / 2})
        for (uint32_t y : {d / 2 - 1, d / 2}) EXPECT_TRUE(transparent(icon, x, y)) << x << "," << y;
    // The middle of each side lies between the arms.
    EXPECT_TRUE(transparent(icon, d / 2, uint32_t(0.2 * d)));
    EXPECT_TRUE(transparent(icon, uint32_t(0.2 * d), d / 2));
}

TEST_P(IconSizes, SymmetricUnderBothMirrors) {
    const uint32_t d = GetParam();
    const Image icon = draw_icon(d, kIconColourLight);
    int drawn = 0;
    for (uint32_t y = 0; y < d; ++y) {
        for (uint32_t x = 0; x < d; ++x) {
            const Px p = px(icon, x, y);
            const Px h = px(icon, d - 1 - x, y);
            const Px v = px(icon, x, d - 1 - y);
            EXPECT_EQ(p.a, h.a) << "left-right at " << x << "," << y;
            EXPECT_EQ(p.a, v.a) << "top-bottom at " << x << "," << y;
            // The two diagonals' mirror too: the arms have equal length and thickness.
            EXPECT_EQ(p.a, px(icon, y, x).a) << "diagonal at " << x << "," << y;
            drawn += p.a != 0;
        }
    }
    EXPECT_GT(drawn, 0);
}

TEST_P(IconSizes, EveryDrawnPixelCarriesTheColourAndASampleMultipleAlpha) {
    const uint32_t d = GetParam();
    for (IconColour colour : {kIconColourLight, kIconColourDark}) {
        const Image icon = draw_icon(d, colour);
        for (uint32_t y = 0; y < d; ++y) {
            for (uint32_t x = 0; x < d; ++x) {
                const Px p = px(icon, x, y);
                if (p.a == 0) {
                    EXPECT_TRUE(transparent(icon, x, y));
                    continue;
                }
                EXPECT_EQ(p.r, colour.red);
                EXPECT_EQ(p.g, colour.green);
                EXPECT_EQ(p.b, colour.blue);
                // Nine samples give only these ten levels: 0, 28, 57, 85, 113, 142, 170, 198, 227, 255.
                bool level = false;
                for (int n = 1; n <= 9; ++n) level |= p.a == uint8_t((n * 255 + 4) / 9);
                EXPECT_TRUE(level) << int(p.a) << " at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Icon, IconSizes, ::testing::Values(16u, 24u, 32u));

TEST(Icon, CoverageEdgesAtSixteen) {
    // Outer edges at 2.32 and 13.68, strokes 1.52 thick, arms ending at 5.92 and starting at 10.08.
    EXPECT_TRUE(icon_covers(16, 2.33, 4));
    EXPECT_FALSE(icon_covers(16, 2.31, 4));
    EXPECT_TRUE(icon_covers(16, 13.67, 4));
    EXPECT_FALSE(icon_covers(16, 13.69, 4));
    EXPECT_TRUE(icon_covers(16, 3.83, 4));   // inner edge of the left stroke at 3.84
    EXPECT_FALSE(icon_covers(16, 3.85, 4));
    EXPECT_TRUE(icon_covers(16, 3, 5.91));   // the left arm ends at 5.92
    EXPECT_FALSE(icon_covers(16, 3, 5.93));
    EXPECT_TRUE(icon_covers(16, 5.91, 3));   // and so does the top arm
    EXPECT_FALSE(icon_covers(16, 5.93, 3));
    EXPECT_TRUE(icon_covers(16, 3, 10.09));  // the bottom-left vertical arm starts at 10.08
    EXPECT_FALSE(icon_covers(16, 3, 10.07));
    EXPECT_FALSE(icon_covers(16, 8, 8));
}

TEST(Icon, PartialCoverageGivesFractionalAlpha) {
    // d = 32: the top stroke spans 4.64..7.68, so row 4 holds one sample row of three
    // (y = 4.83) and column 8 is well inside the arm: 3 of 9 samples, alpha 85.
    const Image big = draw_icon(32, kIconColourDark);
    EXPECT_EQ(px(big, 8, 4).a, 85);
    EXPECT_EQ(px(big, 4, 8).a, 85);
    EXPECT_EQ(px(big, 23, 27).a, 85);
    EXPECT_EQ(px(big, 8, 5).a, 255);
    EXPECT_EQ(px(big, 8, 7).a, 170);   // y = 7.17 and 7.5 lie within 7.68
    EXPECT_EQ(px(big, 4, 4).a, 28);    // only the sample (4.83, 4.83) is inside
    EXPECT_EQ(px(big, 11, 5).a, 255);  // the arm ends at 11.84, beyond the last sample 11.83
    EXPECT_EQ(px(big, 12, 5).a, 0);

    // d = 16: the corner pixel (2, 2) has 2 x 2 covered samples; column 2 of the arm 6 of 9.
    const Image small = draw_icon(16, kIconColourDark);
    EXPECT_EQ(px(small, 2, 2).a, 113);
    EXPECT_EQ(px(small, 2, 4).a, 170);
    EXPECT_EQ(px(small, 3, 3).a, 255);
    EXPECT_EQ(px(small, 2, 6).a, 0);
}

TEST(Icon, SizeFollowsTheSystemButNeverBelowSixteen) {
    EXPECT_EQ(icon_size(24, 24), 24u);
    EXPECT_EQ(icon_size(12, 12), 16u);
    EXPECT_EQ(icon_size(0, -1), 16u);
    EXPECT_EQ(icon_size(20, 32), 32u);
    EXPECT_EQ(draw_icon(8, kIconColourDark).width(), 16u);
}

TEST(Icon, ThemeColours) {
    EXPECT_EQ(icon_colour(true), (IconColour{46, 158, 74}));
    EXPECT_EQ(icon_colour(false), (IconColour{63, 197, 99}));
}

}  // namespace
}  // namespace kestrix
