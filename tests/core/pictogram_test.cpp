#include "kestrix/pictogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "recording_canvas.h"

using namespace kestrix;
using test::DrawCall;
using test::RecordingCanvas;

namespace {

constexpr Box kItem{100, 50, 32, 32};
constexpr Argb kInk = opaque(42, 42, 46);

const Pictogram kAll[] = {Pictogram::RectangleTool, Pictogram::EllipseTool, Pictogram::ArrowTool, Pictogram::PenTool,
                          Pictogram::MosaicTool,    Pictogram::TextTool,    Pictogram::NumberTool, Pictogram::Undo,
                          Pictogram::Backdrop,      Pictogram::Pin,         Pictogram::Send,       Pictogram::Save,
                          Pictogram::Cancel,        Pictogram::Copy,        Pictogram::LineTool,   Pictogram::HighlighterTool,
                          Pictogram::RedactTool};

bool inside(Point p, const Box& b) {
    return p.x >= b.x - 1e-9 && p.y >= b.y - 1e-9 && p.x <= b.x + b.width + 1e-9 && p.y <= b.y + b.height + 1e-9;
}

Point frac(double fx, double fy) { return {kItem.x + fx * kItem.width, kItem.y + fy * kItem.height}; }

void expectNear(Point actual, Point expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

}  // namespace

TEST(Pictogram, EveryToolHasItsOwn) {
    std::set<Pictogram> seen;
    for (Tool t : TOOLBAR_TOOLS) seen.insert(toolPictogram(t));
    EXPECT_EQ(seen.size(), size_t(TOOL_COUNT));
}

TEST(Pictogram, TextBackgroundIsALetterCutOutOfABox) {
    constexpr Argb kGround = opaque(244, 244, 247);
    RecordingCanvas canvas;
    drawPictogram(canvas, Pictogram::TextBackground, kItem, kInk, kGround);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].kind, DrawCall::Kind::Polygon);
    EXPECT_EQ(canvas.calls[0].colour, kInk);
    for (Point q : canvas.calls[0].points) EXPECT_TRUE(inside(q, kItem));
    EXPECT_EQ(canvas.calls[1].kind, DrawCall::Kind::Text);
    EXPECT_EQ(canvas.calls[1].text, "A");
    EXPECT_EQ(canvas.calls[1].colour, kGround) << "in the colour the button sits on";
}

TEST(Pictogram, EveryShapeStaysInsideItsButtonInOneColour) {
    for (const Pictogram p : kAll) {
        RecordingCanvas canvas;
        drawPictogram(canvas, p, kItem, kInk);
        ASSERT_FALSE(canvas.calls.empty()) << int(p);
        for (const DrawCall& c : canvas.calls) {
            EXPECT_EQ(c.colour, kInk) << int(p);
            for (Point q : c.points) EXPECT_TRUE(inside(q, kItem)) << int(p) << ": " << q.x << "," << q.y;
            if (c.kind == DrawCall::Kind::StrokeEllipse || c.kind == DrawCall::Kind::StrokeRectangle) {
                EXPECT_TRUE(inside({c.box.x, c.box.y}, kItem)) << int(p);
                EXPECT_TRUE(inside({c.box.x + c.box.width, c.box.y + c.box.height}, kItem)) << int(p);
            }
            if (c.kind == DrawCall::Kind::Text) {
                EXPECT_TRUE(inside(c.at, kItem)) << int(p);
            }
            // lines are 0.075 of the button wide
            if (c.kind == DrawCall::Kind::Polyline || c.kind == DrawCall::Kind::StrokeEllipse ||
                c.kind == DrawCall::Kind::StrokeRectangle) {
                EXPECT_DOUBLE_EQ(c.width, 2.4) << int(p);
            }
        }
    }
    // small buttons keep lines at least 1.4 wide
    RecordingCanvas small;
    drawPictogram(small, Pictogram::Cancel, {0, 0, 12, 12}, kInk);
    EXPECT_DOUBLE_EQ(small.calls.at(0).width, 1.4);
}

TEST(Pictogram, ArrowheadsPointAlongTheirDirection) {
    RecordingCanvas arrow;
    drawPictogram(arrow, Pictogram::ArrowTool, kItem, kInk);
    const auto heads = arrow.only(DrawCall::Kind::Polygon);
    ASSERT_EQ(heads.size(), 1u);
    const auto& h = heads[0].points;
    ASSERT_EQ(h.size(), 3u);
    expectNear(h[0], frac(0.88, 0.12), "tip");
    // base 0.3 back along (1, -1), half-width 0.115 across it
    const double r = std::sqrt(0.5);
    const Point base = frac(0.88 - 0.3 * r, 0.12 + 0.3 * r);
    expectNear({(h[1].x + h[2].x) / 2, (h[1].y + h[2].y) / 2}, base, "base middle");
    EXPECT_NEAR(std::hypot(h[1].x - h[2].x, h[1].y - h[2].y), 2 * 0.115 * 32, 1e-9);

    RecordingCanvas save;
    drawPictogram(save, Pictogram::Save, kItem, kInk);
    const auto saveHead = save.only(DrawCall::Kind::Polygon).at(0).points;
    expectNear(saveHead[0], frac(0.5, 0.64), "save tip");
    expectNear(saveHead[1], frac(0.5 - 0.13, 0.64 - 0.22), "save corner");
    expectNear(saveHead[2], frac(0.5 + 0.13, 0.64 - 0.22), "save corner");
}

TEST(Pictogram, ArcsAndDiscsAreSampledEvenly) {
    // "Undo": 25 points from 200 to 420 degrees, the head's base on the first one
    RecordingCanvas undo;
    drawPictogram(undo, Pictogram::Undo, kItem, kInk);
    const auto arc = undo.only(DrawCall::Kind::Polyline).at(0).points;
    ASSERT_EQ(arc.size(), 25u);
    const double deg = std::numbers::pi / 180;
    expectNear(arc.front(), frac(0.52 + 0.32 * std::cos(200 * deg), 0.56 + 0.32 * std::sin(200 * deg)), "arc start");
    expectNear(arc.back(), frac(0.52 + 0.32 * std::cos(60 * deg), 0.56 + 0.32 * std::sin(60 * deg)), "arc end");
    const auto head = undo.only(DrawCall::Kind::Polygon).at(0).points;
    expectNear({(head[1].x + head[2].x) / 2, (head[1].y + head[2].y) / 2}, arc.front(), "base on the arc");

    // the send button's three discs are closed 25-point circles
    RecordingCanvas send;
    drawPictogram(send, Pictogram::Send, kItem, kInk);
    const auto discs = send.only(DrawCall::Kind::Polygon);
    ASSERT_EQ(discs.size(), 3u);
    const Point centre = frac(0.7, 0.76);
    for (const Point& q : discs[2].points) EXPECT_NEAR(std::hypot(q.x - centre.x, q.y - centre.y), 0.13 * 32, 1e-9);
    expectNear(discs[2].points.front(), discs[2].points.back(), "closed");
}

TEST(Pictogram, GlyphsAreCentredByTheirMeasuredBox) {
    RecordingCanvas canvas;  // measures 0.5 x size per character, 1.25 x size high
    drawPictogram(canvas, Pictogram::TextTool, kItem, kInk);
    const auto t = canvas.only(DrawCall::Kind::Text).at(0);
    EXPECT_EQ(t.text, "T");
    const double size = 0.78 * 32;
    EXPECT_DOUBLE_EQ(t.size, size);
    expectNear(t.at, {116 - 0.25 * size, 66 - 0.625 * size}, "T");

    RecordingCanvas number;
    drawPictogram(number, Pictogram::NumberTool, kItem, kInk);
    const auto one = number.only(DrawCall::Kind::Text).at(0);
    const double labelSize = 0.78 * 0.44 * 32;
    EXPECT_DOUBLE_EQ(one.size, labelSize);
    // centred in the box (0.3, 0.28, 0.4, 0.44)
    expectNear(one.at, {100 + 0.5 * 32 - 0.25 * labelSize, 50 + 0.5 * 32 - 0.625 * labelSize}, "1");

    // without a font the ring is still drawn, the label is left out
    RecordingCanvas noFont;
    noFont.fontAvailable = false;
    drawPictogram(noFont, Pictogram::NumberTool, kItem, kInk);
    EXPECT_EQ(noFont.only(DrawCall::Kind::StrokeEllipse).size(), 1u);
    EXPECT_TRUE(noFont.only(DrawCall::Kind::Text).empty());
}

TEST(Pictogram, SizeSymbolsGrowWithTheStep) {
    const double k[] = {0.4, 0.7, 1.0};
    for (uint32_t step = 0; step < 3; ++step) {
        RecordingCanvas disc;
        drawSizeSymbol(disc, Tool::Rectangle, step, kItem, kInk);
        const auto e = disc.only(DrawCall::Kind::FillEllipse).at(0);
        EXPECT_DOUBLE_EQ(e.box.width, 32 * 0.55 * k[step]);
        EXPECT_DOUBLE_EQ(e.box.x + e.box.width / 2, 116);

        RecordingCanvas square;
        drawSizeSymbol(square, Tool::Mosaic, step, kItem, kInk);
        const auto q = square.only(DrawCall::Kind::Polygon).at(0).points;
        EXPECT_NEAR(q[1].x - q[0].x, 32 * 0.62 * k[step], 1e-9);
        EXPECT_NEAR(q[2].y - q[1].y, 32 * 0.62 * k[step], 1e-9);

        RecordingCanvas letter;
        drawSizeSymbol(letter, Tool::Text, step, kItem, kInk);
        const auto a = letter.only(DrawCall::Kind::Text).at(0);
        EXPECT_EQ(a.text, "A");
        EXPECT_DOUBLE_EQ(a.size, 32 * (0.45 + 0.22 * step));
    }
    RecordingCanvas beyond;
    drawSizeSymbol(beyond, Tool::Number, 9, kItem, kInk);
    EXPECT_DOUBLE_EQ(beyond.only(DrawCall::Kind::FillEllipse).at(0).box.width, 32 * 0.55);

    EXPECT_EQ(toolPictogram(Tool::Number), Pictogram::NumberTool);
    EXPECT_EQ(toolPictogram(Tool::Mosaic), Pictogram::MosaicTool);

    RecordingCanvas swatch;
    drawSwatch(swatch, {10, 0, 28, 32}, opaque(0xE5, 0x39, 0x35), 1.0);
    ASSERT_EQ(swatch.calls.size(), 2u);
    EXPECT_EQ(swatch.calls[0].box, (Box{17, 9, 14, 14}));
    EXPECT_EQ(swatch.calls[0].colour, 0xFFE53935u);
    EXPECT_EQ(swatch.calls[1].kind, DrawCall::Kind::StrokeEllipse);
    EXPECT_EQ(swatch.calls[1].colour, opaque(142, 142, 150));
}
