// Redactions hide for certain in the finished picture, and the highlighter and
// text backgrounds come out of the export as drawn.
#include "kestrix/redaction.h"

#include <gtest/gtest.h>

#include <set>

#include "kestrix/beautify.h"
#include "kestrix/export.h"
#include "pixel_canvas.h"

using namespace kestrix;
using test::PaintingSurfaces;

namespace {

// A picture with something to hide everywhere: every pixel a different colour.
Frame busyFrame(uint32_t scale) {
    const uint32_t w = 200 * scale / 100, h = 150 * scale / 100;
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x * 7 + y), p[1] = uint8_t(y * 5 + 40), p[2] = uint8_t(x * 3 + y * 11), p[3] = 0;
        }
    Frame frame;
    frame.tiles.push_back(Tile{make_image(w, h, std::move(px)).value(), Rect{0, 0, 200, 150}, scale});
    return frame;
}

uint32_t argbOf(Colour c) { return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu); }

// How many pixels of the block differ from the colour.
size_t wrongPixels(const Image& image, const PixelBlock& block, uint32_t dx, uint32_t dy, Colour colour) {
    size_t wrong = 0;
    for (uint32_t y = block.top; y < block.bottom; ++y)
        for (uint32_t x = block.left; x < block.right; ++x) wrong += *image.pixel_at(x + dx, y + dy) != argbOf(colour);
    return wrong;
}

const Rect kSelection{20, 10, 160, 120};
const RedactMark kSecret{{60, 40}, {110.4, 75.5}, PALETTE[7]};

}  // namespace

TEST(RedactionPixels, EveryPixelTheBoxTouches) {
    EXPECT_EQ(redactionPixels({{10, 20}, {30, 25}, 0}, {0, 0}, 1, 100, 100), (PixelBlock{10, 20, 30, 25}));
    // Fractions reach outward; the corners may come in any order.
    EXPECT_EQ(redactionPixels({{30.2, 25.9}, {10.7, 20.1}, 0}, {0, 0}, 1, 100, 100), (PixelBlock{10, 20, 31, 26}));
    // At 150 % from a picture whose corner shows desktop (4, 2): 6 x 1.5 = 9 to 26 x 1.5 = 39.
    EXPECT_EQ(redactionPixels({{10, 12}, {30, 20}, 0}, {4, 2}, 1.5, 100, 100), (PixelBlock{9, 15, 39, 27}));
    EXPECT_EQ(redactionPixels({{10, 12}, {30, 20}, 0}, {0, 0}, 2, 100, 100), (PixelBlock{20, 24, 60, 40}));
    // Cut to the picture; none when it lies outside.
    EXPECT_EQ(redactionPixels({{-5, 90}, {20, 130}, 0}, {0, 0}, 1, 100, 100), (PixelBlock{0, 90, 20, 100}));
    EXPECT_FALSE(redactionPixels({{100, 10}, {120, 20}, 0}, {0, 0}, 1, 100, 100));
    EXPECT_FALSE(redactionPixels({{-20, 10}, {-1, 20}, 0}, {0, 0}, 1, 100, 100));
    EXPECT_FALSE(redactionPixels({{NAN, 10}, {5, 20}, 0}, {0, 0}, 1, 100, 100));
    // A box of no width still covers the column it lies on.
    EXPECT_EQ(redactionPixels({{7, 10}, {7, 20}, 0}, {0, 0}, 1, 100, 100), (PixelBlock{7, 10, 8, 20}));
}

// Whatever is drawn with it, before or after, over or beside it, at 100 % and
// 200 %, with the backdrop off and on: the pixels under the redaction are the
// fill colour exactly, and what is drawn elsewhere is still there.
TEST(RedactionExport, ExactlyTheFillColourWhateverIsDrawnWithIt) {
    const MosaicMark mosaic{30, 10, {{50, 50}, {120, 60}}};
    const ArrowMark arrow{{40, 45}, {130, 80}, 2, PALETTE[1], std::nullopt};
    const HighlighterMark band{2, PALETTE[2], {{45, 70}, {125, 70}}};
    const TextMark label{{70, 50, 40, 20}, 1, PALETTE[4], "secret", 1.0, true};
    const std::vector<std::vector<Annotation>> orders = {
        {mosaic, arrow, kSecret},
        {kSecret, mosaic, arrow},
        {arrow, kSecret, band, label, mosaic},
        {kSecret, RedactMark{{100, 70}, {150, 100}, PALETTE[0]}, arrow},  // a second redaction over its corner
    };
    for (const uint32_t scale : {100u, 200u}) {
        const Frame frame = busyFrame(scale);
        const double s = scale / 100.0;
        const PixelBlock block = *redactionPixels(kSecret, {kSelection.x, kSelection.y}, s, 160 * scale / 100, 120 * scale / 100);
        for (size_t o = 0; o < orders.size(); ++o) {
            for (const bool backdrop : {false, true}) {
                SCOPED_TRACE(testing::Message() << "scale " << scale << " order " << o << " backdrop " << backdrop);
                PaintingSurfaces surfaces;
                auto out = renderExport({frame, kSelection, orders[o], backdrop}, surfaces);
                ASSERT_TRUE(out) << out.error().plain();
                const uint32_t pad = backdrop ? backdropSizes(160 * scale / 100, 120 * scale / 100).pad : 0;
                PixelBlock hidden = block;
                if (o == 3) hidden.right = hidden.left + (hidden.right - hidden.left) / 2;  // left of the red one
                EXPECT_EQ(wrongPixels(*out, hidden, pad, pad, PALETTE[7]), 0u);
                // The arrow's shaft is still drawn where it runs beside the redaction (desktop (45, 46.9)).
                const auto shaft = out->pixel_at(pad + uint32_t((45 - 20) * s), pad + uint32_t((46.9 - 10) * s));
                EXPECT_EQ(*shaft, argbOf(PALETTE[1])) << std::hex << *shaft;
            }
        }
        // The second redaction lies over the first where they meet: its own colour there.
        PaintingSurfaces surfaces;
        auto out = renderExport({frame, kSelection, orders[3], false}, surfaces);
        const PixelBlock overlap = *redactionPixels(RedactMark{{100, 70}, {110.4, 75.5}, 0}, {20, 10}, s, 400, 400);
        EXPECT_EQ(wrongPixels(*out, overlap, 0, 0, PALETTE[0]), 0u);
    }
}

TEST(RedactionExport, NoMosaicBlockBesideItCarriesWhatItHides) {
    // A grey picture with a red secret; the redaction covers exactly the secret,
    // and a mosaic of big blocks straddles its edges.
    const uint32_t w = 200, h = 150;
    std::vector<uint8_t> px(size_t(w) * h * 4, 128);
    for (uint32_t y = 40; y < 76; ++y)
        for (uint32_t x = 60; x < 111; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = 0, p[1] = 0, p[2] = 255;
        }
    Frame frame;
    frame.tiles.push_back(Tile{make_image(w, h, std::move(px)).value(), Rect{0, 0, 200, 150}, 100});
    const std::vector<Annotation> list = {MosaicMark{60, 16, {{50, 30}, {130, 85}}}, kSecret};
    PaintingSurfaces surfaces;
    auto out = renderExport({frame, kSelection, list, false}, surfaces);
    ASSERT_TRUE(out);
    size_t blended = 0;
    for (uint32_t y = 0; y < out->height(); ++y)
        for (uint32_t x = 0; x < out->width(); ++x) {
            const uint32_t p = *out->pixel_at(x, y);
            const uint32_t r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            ASSERT_TRUE(r == g && g == b) << "a trace of the red secret at " << x << "," << y << ": " << std::hex << p;
            blended += r != 128 && r != 0x21;
        }
    EXPECT_GT(blended, 100u) << "blocks across the edge average the fill with the grey";
}

TEST(RedactionExport, OnlyRedactionsNeedNoDrawingSurface) {
    const Frame frame = busyFrame(100);
    struct Counting : ImageCanvasFactory {
        int uses = 0;
        Result<void, PlatformError> paint(Image&, const std::function<void(Canvas&)>&) override {
            ++uses;
            return {};
        }
    } surfaces;
    auto out = renderExport({frame, kSelection, {kSecret}, false}, surfaces);
    ASSERT_TRUE(out);
    EXPECT_EQ(surfaces.uses, 0);
    const PixelBlock block = *redactionPixels(kSecret, {20, 10}, 1, 160, 120);
    EXPECT_EQ(block, (PixelBlock{40, 30, 91, 66}));
    EXPECT_EQ(wrongPixels(*out, block, 0, 0, PALETTE[7]), 0u);
    EXPECT_EQ(*out->pixel_at(39, 30), *frame.crop(kSelection)->pixel_at(39, 30) | 0xFF000000u);
}

// The highlighter in the finished picture at 100 % and 200 %: white under it takes
// the tint, black text stays black, and its band is 4 x the pen's thickness wide.
TEST(HighlighterExport, TintsWhiteKeepsTextDarkAtEveryScale) {
    for (const uint32_t scale : {100u, 200u}) {
        SCOPED_TRACE(scale);
        const double s = scale / 100.0;
        const uint32_t w = 200 * scale / 100, h = 150 * scale / 100;
        std::vector<uint8_t> px(size_t(w) * h * 4, 255);
        for (uint32_t y = uint32_t(58 * s); y < uint32_t(62 * s); ++y)  // a line of black "text" across rows 58..61
            for (uint32_t x = 0; x < w; ++x) std::fill_n(&px[(size_t(y) * w + x) * 4], 3, uint8_t(0));
        Frame frame;
        frame.tiles.push_back(Tile{make_image(w, h, std::move(px)).value(), Rect{0, 0, 200, 150}, scale});
        const std::vector<Annotation> list = {HighlighterMark{1, PALETTE[2], {{40, 60}, {160, 60}, {40, 60.5}}}};
        PaintingSurfaces surfaces;
        auto out = renderExport({frame, kSelection, list, false}, surfaces);
        ASSERT_TRUE(out);
        const auto at = [&](double x, double y) { return *out->pixel_at(uint32_t((x - 20) * s), uint32_t((y - 10) * s)); };
        EXPECT_EQ(at(100, 55), 0xFFFEEFAEu) << "(254, 239, 174): white tinted once, though the stroke doubles back";
        EXPECT_EQ(at(100, 59), 0xFF000000u) << "the text stays black";
        EXPECT_EQ(at(100, 52.6), 0xFFFEEFAEu) << "16 units wide: 8 either side";
        EXPECT_EQ(at(100, 51), 0xFFFFFFFFu);
        EXPECT_EQ(at(100, 69), 0xFFFFFFFFu);
    }
}

TEST(TextExport, BackgroundBoxAtTheMeasuredBoxInTheTextsColour) {
    const Frame frame = busyFrame(200);
    const TextMark label{{60, 40, 60, 28}, 1, PALETTE[4], "Note", 1.0, true};
    PaintingSurfaces surfaces;
    auto out = renderExport({frame, kSelection, {label}, false}, surfaces);
    ASSERT_TRUE(out);
    const auto at = [&](double x, double y) { return *out->pixel_at(uint32_t((x - 20) * 2), uint32_t((y - 10) * 2)); };
    EXPECT_EQ(at(62, 66), argbOf(PALETTE[4])) << "inside the box near its lower left";
    EXPECT_EQ(at(118, 42), argbOf(PALETTE[4]));
    EXPECT_NE(at(60.2, 40.2), argbOf(PALETTE[4])) << "the corner is rounded off";
    EXPECT_NE(at(121, 50), argbOf(PALETTE[4])) << "nothing past the box";
    EXPECT_EQ(at(68, 50), 0xFFFFFFFFu) << "white ink on the blue box";
}
