#include "kestrix/highlight.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using namespace kestrix;

namespace {

// A 60 x 40 picture: white, with a black bar (rows 18..21) like a line of text.
struct Picture {
    uint32_t w = 60, h = 40;
    std::vector<uint8_t> px = std::vector<uint8_t>(size_t(60) * 40 * 4, 255);
    Picture() {
        for (uint32_t y = 18; y < 22; ++y)
            for (uint32_t x = 0; x < w; ++x) set(x, y, 0, 0, 0);
    }
    void set(uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &px[(size_t(y) * w + x) * 4];
        p[0] = b, p[1] = g, p[2] = r;
    }
    // red, green, blue
    std::array<int, 3> at(uint32_t x, uint32_t y) const {
        const uint8_t* p = &px[(size_t(y) * w + x) * 4];
        return {p[2], p[1], p[0]};
    }
    PixelView view() { return {px.data(), w, h, size_t(w) * 4}; }
};

constexpr Argb kYellow = 0xFFFDD835u;
const Box kAll{0, 0, 60, 40};

// White under a full-strength part of the band: 255 x (0.6 + 0.4 x channel / 255).
std::array<int, 3> tinted_white(Argb c) {
    const auto f = [](int ch) { return int(std::lround(255.0 * (1 - HIGHLIGHTER_STRENGTH + HIGHLIGHTER_STRENGTH * ch / 255.0))); };
    return {f(int(c >> 16 & 0xFF)), f(int(c >> 8 & 0xFF)), f(int(c & 0xFF))};
}

}  // namespace

TEST(Highlight, TintsWhiteAndLeavesDarkTextDark) {
    Picture pic;
    const Point band[] = {{5, 20}, {55, 20}};
    ASSERT_TRUE(highlightStroke(pic.view(), band, 16, kYellow, kAll));
    EXPECT_EQ(pic.at(30, 14), tinted_white(kYellow));
    EXPECT_EQ(pic.at(30, 14), (std::array<int, 3>{254, 239, 174})) << "white becomes light yellow";
    EXPECT_EQ(pic.at(30, 19), (std::array<int, 3>{0, 0, 0})) << "the text stays black, not greyed";
    // A blend would have lifted black to 40 % of the colour; a half-grey pixel is halved, not lifted.
    Picture grey;
    grey.set(30, 25, 100, 100, 100);
    highlightStroke(grey.view(), band, 16, kYellow, kAll);
    EXPECT_EQ(grey.at(30, 25), (std::array<int, 3>{100, 94, 68}));
    // Outside the band (radius 8 and the half-pixel soft edge) nothing changes.
    EXPECT_EQ(pic.at(30, 11), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(pic.at(30, 28), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(pic.at(30, 12), tinted_white(kYellow));
    EXPECT_EQ(pic.at(30, 27), tinted_white(kYellow));
    EXPECT_EQ(pic.at(1, 20), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(pic.at(59, 16), tinted_white(kYellow)) << "the round cap past the end";
    EXPECT_EQ(pic.at(59, 12), (std::array<int, 3>{255, 255, 255})) << "... but not its corner";
}

TEST(Highlight, AStrokeCrossingItselfTintsOnce) {
    Picture once, crossing;
    const Point straight[] = {{5, 8}, {55, 8}};
    const Point back_and_forth[] = {{5, 8}, {55, 8}, {10, 8}, {50, 9}, {30, 8}, {30, 30}, {30, 4}};
    highlightStroke(once.view(), straight, 10, kYellow, kAll);
    highlightStroke(crossing.view(), back_and_forth, 10, kYellow, kAll);
    for (uint32_t x = 8; x < 52; ++x) EXPECT_EQ(crossing.at(x, 8), once.at(x, 8)) << x;
    EXPECT_EQ(crossing.at(30, 8), tinted_white(kYellow));
    EXPECT_EQ(crossing.at(30, 30), tinted_white(kYellow)) << "the vertical part reaches down";

    // Two strokes are two layers: the second darkens the first where they meet.
    Picture twice;
    highlightStroke(twice.view(), straight, 10, kYellow, kAll);
    highlightStroke(twice.view(), straight, 10, kYellow, kAll);
    EXPECT_LT(twice.at(30, 8)[2], once.at(30, 8)[2]);
}

TEST(Highlight, ClippedSinglePointsAndBadInput) {
    Picture pic;
    const Point dot[] = {{20, 8}};
    highlightStroke(pic.view(), dot, 6, kYellow, {0, 0, 20, 40});
    EXPECT_EQ(pic.at(20, 8), (std::array<int, 3>{255, 255, 255})) << "centre 20.5 is outside a clip ending at 20";
    EXPECT_EQ(pic.at(19, 8), tinted_white(kYellow)) << "a single point tints a disc";
    EXPECT_EQ(pic.at(19, 11), (std::array<int, 3>{255, 255, 255})) << "distance 3.54: past radius 3 and the soft edge";
    const auto soft = pic.at(19, 10);  // distance 2.55: within half a pixel of the edge, most of the way tinted
    EXPECT_LT(soft[2], 255);
    EXPECT_GT(soft[2], tinted_white(kYellow)[2]);

    Picture before;
    const Point bad[] = {{10, 10}, {NAN, 5}};
    EXPECT_TRUE(highlightStroke(pic.view(), bad, 6, kYellow, kAll));
    const Point outside[] = {{-100, -100}, {-50, -90}};
    EXPECT_TRUE(highlightStroke(pic.view(), outside, 6, kYellow, kAll));
    EXPECT_TRUE(highlightStroke(pic.view(), {}, 6, kYellow, kAll));
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 60; ++x)
            if (!(x >= 16 && x <= 22 && y >= 4 && y <= 12)) ASSERT_EQ(pic.at(x, y), before.at(x, y)) << x << "," << y;
}
