#include "kestrix/annotate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "recording_canvas.h"

using namespace kestrix;
using test::DrawCall;
using test::RecordingCanvas;

namespace {

constexpr Colour kYellow = 0xff35d8fdu;  // #FDD835
constexpr Colour kBlue = 0xffe5881eu;    // #1E88E5
constexpr Colour kOrange = 0xff008cfbu;  // #FB8C00

void expectNear(const Point& actual, const Point& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

double length(const std::vector<Point>& path) {
    double total = 0;
    for (size_t i = 1; i < path.size(); ++i) total += std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    return total;
}

}  // namespace

TEST(Annotate, ColoursBecomeArgbKeepingAlpha) {
    EXPECT_EQ(toArgb(0xff3539e5u), 0xFFE53935u);
    EXPECT_EQ(toArgb(0x80332211u), 0x80112233u);
    EXPECT_EQ(toArgb(0x00000000u), 0x00000000u);
}

TEST(Annotate, ShortArrowsDrawNothingAndShortHeadsStayHalfTheLength) {
    RecordingCanvas canvas;
    drawAnnotation(canvas, {}, ArrowMark{{10, 10}, {10.4, 10}, 1, kBlue});
    EXPECT_TRUE(canvas.calls.empty());

    // length 10 at step 2 (w = 7): the head is 5 long (half the arrow), not 22.4
    RecordingCanvas shortArrow;
    drawAnnotation(shortArrow, {}, ArrowMark{{0, 0}, {10, 0}, 2, kBlue});
    ASSERT_EQ(shortArrow.calls.size(), 2u);
    const DrawCall& shaft = shortArrow.calls[0];
    EXPECT_EQ(shaft.kind, DrawCall::Kind::Polyline);
    EXPECT_DOUBLE_EQ(shaft.width, 7);
    ASSERT_EQ(shaft.points.size(), 2u);
    expectNear(shaft.points[1], {5, 0});
    const DrawCall& head = shortArrow.calls[1];
    EXPECT_EQ(head.kind, DrawCall::Kind::Polygon);
    EXPECT_EQ(head.colour, 0xFF1E88E5u);
    expectNear(head.points[0], {10, 0});
    expectNear(head.points[1], {5, 0.42 * 5});
    expectNear(head.points[2], {5, -0.42 * 5});

    // a long arrow: head 3.2 x w, the shaft ending under the head's base; origin subtracted
    RecordingCanvas longArrow;
    drawAnnotation(longArrow, {100, 200}, ArrowMark{{100, 200}, {100, 300}, 1, kBlue});
    expectNear(longArrow.calls.at(0).points.back(), {0, 100 - 12.8});
    expectNear(longArrow.calls.at(1).points[0], {0, 100});
}

TEST(Annotate, ShorteningWalksBackAcrossSegments) {
    // the last segment (3 long) is dropped, the one before is cut 2 short
    const auto cut = shortenPath({{0, 0}, {10, 0}, {10, 3}}, 5);
    ASSERT_EQ(cut.size(), 2u);
    expectNear(cut[1], {8, 0});
    // zero-length last segments fall away; a cut longer than the path leaves one point
    EXPECT_EQ(shortenPath({{0, 0}, {4, 0}, {4, 0}}, 1).back(), (Point{3, 0}));
    EXPECT_EQ(shortenPath({{0, 0}, {4, 0}}, 9).size(), 1u);
    EXPECT_EQ(shortenPath({{0, 0}, {4, 0}}, 0).back(), (Point{4, 0}));
}

TEST(Annotate, BentArrowHeadFollowsTheCurve) {
    const ArrowMark arrow{{0, 0}, {100, 0}, 1, kBlue, Point{50, -50}};
    RecordingCanvas canvas;
    drawAnnotation(canvas, {}, arrow);
    ASSERT_EQ(canvas.calls.size(), 2u);
    const auto& shaft = canvas.calls[0].points;
    const auto path = arrow_path(arrow);
    ASSERT_GT(shaft.size(), 20u);
    // every shaft point but the last is a point of the curve
    for (size_t i = 0; i + 1 < shaft.size(); ++i) EXPECT_EQ(shaft[i], path[i]);
    EXPECT_NEAR(length(path) - length(shaft), 12.8, 1e-9);

    // the head points down-right, along the curve's end, not along the chord (0 degrees)
    const auto& head = canvas.calls[1].points;
    const Point base{(head[1].x + head[2].x) / 2, (head[1].y + head[2].y) / 2};
    expectNear(base, shaft.back());
    const double angle = std::atan2(head[0].y - base.y, head[0].x - base.x) * 180 / 3.141592653589793;
    EXPECT_NEAR(angle, 45, 3);
}

TEST(Annotate, MarkerLabelsContrastAndAreCentred) {
    EXPECT_EQ(markerLabelColour(kYellow), 0xFF212121u);  // luma about 212
    EXPECT_EQ(markerLabelColour(kBlue), 0xFFFFFFFFu);    // about 120
    EXPECT_EQ(markerLabelColour(kOrange), 0xFF212121u);  // about 153
    EXPECT_EQ(markerLabelColour(0xff000000u | 140), 0xFFFFFFFFu);  // dark red: luma about 30

    RecordingCanvas canvas;  // measures 0.5 x size a character, 1.25 x size high
    drawAnnotation(canvas, {10, 20}, NumberMark{12, {110, 220}, 1, kBlue});
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].kind, DrawCall::Kind::FillEllipse);
    EXPECT_EQ(canvas.calls[0].box, (Box{100 - 16, 200 - 16, 32, 32}));
    const DrawCall& label = canvas.calls[1];
    EXPECT_EQ(label.text, "12");
    const double size = 0.58 * 32;
    EXPECT_DOUBLE_EQ(label.size, size);
    EXPECT_EQ(label.colour, 0xFFFFFFFFu);
    // centred by its measured width: two characters are twice as wide as one
    expectNear(label.at, {100 - size * 0.5, 200 - size * 0.625});

    RecordingCanvas noFont;
    noFont.fontAvailable = false;
    drawAnnotation(noFont, {}, NumberMark{3, {50, 50}, 2, kYellow});
    ASSERT_EQ(noFont.calls.size(), 1u);  // the disc without its label
    EXPECT_DOUBLE_EQ(noFont.calls[0].box.width, 44);
}

TEST(Annotate, TextExtentFallsBackWhenMeasurementIsEmpty) {
    // "héllo" is 5 characters in 6 bytes; size step 1 is 20 px
    const TextExtent fallback{5 * 20 * 0.6, 28};
    EXPECT_EQ(measureText(nullptr, "h\xc3\xa9llo", text_size(1)), fallback);
    RecordingCanvas noFont;
    noFont.fontAvailable = false;
    EXPECT_EQ(measureText(&noFont, "h\xc3\xa9llo", text_size(1)), fallback);
    RecordingCanvas zeroWidth;
    zeroWidth.advance = 0;
    EXPECT_EQ(measureText(&zeroWidth, "h\xc3\xa9llo", text_size(1)), fallback);
    // an empty text is still one em wide
    EXPECT_EQ(measureText(nullptr, "", text_size(0)), (TextExtent{14, 14 * 1.4}));
    // a real measurement wins
    RecordingCanvas measuring;
    EXPECT_EQ(measureText(&measuring, "abc", text_size(2)), (TextExtent{3 * 0.5 * 28, 1.25 * 28}));
    // steps beyond the table read as the largest
    EXPECT_EQ(measureText(nullptr, "a", text_size(9)), (TextExtent{28, 28 * 1.4}));
}

TEST(Annotate, ShapesUseTheirBoxAndWidth) {
    RecordingCanvas canvas;
    const Origin origin{5, 5};
    drawAnnotation(canvas, origin, RectangleMark{{50, 60}, {10, 20}, 0, PALETTE[0]});
    drawAnnotation(canvas, origin, EllipseMark{{10, 20}, {50, 60}, 2, PALETTE[3]});
    drawAnnotation(canvas, origin, PenMark{1, PALETTE[5], {{10, 10}}});  // one point: nothing
    drawAnnotation(canvas, origin, PenMark{1, PALETTE[5], {{10, 10}, {20, 10}, {20, 30}}});
    drawAnnotation(canvas, origin, MosaicMark{16, 10, {{10, 10}, {30, 30}}});  // never drawn here
    drawAnnotation(canvas, origin, TextMark{{40, 45, 80, 28}, 1, PALETTE[6], "Hi"});
    ASSERT_EQ(canvas.calls.size(), 4u);
    EXPECT_EQ(canvas.calls[0].kind, DrawCall::Kind::StrokeRectangle);
    EXPECT_EQ(canvas.calls[0].box, (Box{5, 15, 40, 40}));
    EXPECT_DOUBLE_EQ(canvas.calls[0].width, 2);
    EXPECT_EQ(canvas.calls[1].kind, DrawCall::Kind::StrokeEllipse);
    EXPECT_EQ(canvas.calls[1].box, (Box{5, 15, 40, 40}));
    EXPECT_DOUBLE_EQ(canvas.calls[1].width, 7);
    EXPECT_EQ(canvas.calls[2].kind, DrawCall::Kind::Polyline);
    EXPECT_FALSE(canvas.calls[2].closed);
    EXPECT_EQ(canvas.calls[2].points, (std::vector<Point>{{5, 5}, {15, 5}, {15, 25}}));
    EXPECT_EQ(canvas.calls[2].colour, 0xFF8E24AAu);
    EXPECT_EQ(canvas.calls[3].kind, DrawCall::Kind::Text);
    expectNear(canvas.calls[3].at, {35, 40});
    EXPECT_DOUBLE_EQ(canvas.calls[3].size, 20);
}

TEST(Annotate, ListIsClippedToTheSelectionWithOpenTextLeftOut) {
    const std::vector<Annotation> list = {
        RectangleMark{{0, 0}, {10, 10}, 1, PALETTE[0]},
        TextMark{{20, 20, 50, 28}, 1, PALETTE[0], "editing"},
        NumberMark{1, {30, 30}, 1, PALETTE[1]},
    };
    const Annotation drawing = EllipseMark{{0, 0}, {40, 40}, 1, PALETTE[2]};
    RecordingCanvas canvas;
    drawAnnotations(canvas, {100, 50}, list, &drawing, Rect{120, 70, 200, 100}, 1);
    ASSERT_GE(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls.front().kind, DrawCall::Kind::SetClip);
    EXPECT_EQ(canvas.calls.front().clip, (Rect{20, 20, 200, 100}));
    EXPECT_EQ(canvas.calls.back().kind, DrawCall::Kind::ResetClip);
    std::vector<DrawCall::Kind> kinds;
    for (size_t i = 1; i + 1 < canvas.calls.size(); ++i) kinds.push_back(canvas.calls[i].kind);
    // rectangle, marker (disc and label), then the one being drawn on top; no text
    EXPECT_EQ(kinds, (std::vector<DrawCall::Kind>{DrawCall::Kind::StrokeRectangle, DrawCall::Kind::FillEllipse,
                                                  DrawCall::Kind::Text, DrawCall::Kind::StrokeEllipse}));
    EXPECT_EQ(canvas.calls[3].text, "1");

    RecordingCanvas everything;
    drawAnnotations(everything, {}, list, nullptr, Rect{0, 0, 10, 10}, std::nullopt);
    EXPECT_EQ(everything.only(DrawCall::Kind::Text).size(), 2u);
}

TEST(Annotate, LineHighlighterAndRedactionShapes) {
    RecordingCanvas canvas;
    const Origin origin{100, 50};
    drawAnnotation(canvas, origin, LineMark{{110, 60}, {200, 90}, 2, kBlue});
    drawAnnotation(canvas, origin, HighlighterMark{0, kYellow, {{110, 60}, {150, 60}, {150, 80}}});
    drawAnnotation(canvas, origin, HighlighterMark{0, kYellow, {{110, 60}}});  // a single point draws nothing
    drawAnnotation(canvas, origin, RedactMark{{300, 200}, {250, 150}, 0x80212121u});  // even a translucent colour
    ASSERT_EQ(canvas.calls.size(), 3u);

    const DrawCall& line = canvas.calls[0];
    EXPECT_EQ(line.kind, DrawCall::Kind::Polyline);
    EXPECT_EQ(line.points, (std::vector<Point>{{10, 10}, {100, 40}}));
    EXPECT_FALSE(line.closed);
    EXPECT_EQ(line.width, 7.0) << "the arrow's thickness";
    EXPECT_EQ(line.colour, 0xFF1E88E5u);

    const DrawCall& band = canvas.calls[1];
    EXPECT_EQ(band.kind, DrawCall::Kind::Highlight);
    EXPECT_EQ(band.points, (std::vector<Point>{{10, 10}, {50, 10}, {50, 30}}));
    EXPECT_EQ(band.width, 8.0) << "four times the pen's 2";
    EXPECT_EQ(band.colour, 0xFFFDD835u);

    const DrawCall& redaction = canvas.calls[2];
    EXPECT_EQ(redaction.kind, DrawCall::Kind::Polygon);
    EXPECT_EQ(redaction.points, (std::vector<Point>{{150, 100}, {200, 100}, {200, 150}, {150, 150}}));
    EXPECT_EQ(redaction.colour, 0xFF212121u) << "opaque";
}

TEST(Annotate, RedactionsAreDrawnOverEverythingWhateverTheOrder) {
    const std::vector<Annotation> list = {
        RectangleMark{{10, 10}, {50, 50}, 1, kBlue},
        RedactMark{{20, 20}, {40, 40}, PALETTE[7]},
        ArrowMark{{0, 0}, {60, 60}, 1, kOrange, std::nullopt},
        RedactMark{{30, 30}, {45, 45}, PALETTE[0]},
        TextMark{{25, 25, 30, 20}, 0, kYellow, "x"},
    };
    const std::vector<Annotation> drawing = {RedactMark{{5, 5}, {15, 15}, PALETTE[3]}, PenMark{1, kBlue, {{0, 0}, {9, 9}}}};
    for (const Annotation& inProgress : drawing) {
        RecordingCanvas canvas;
        drawAnnotations(canvas, {}, list, &inProgress, {0, 0, 100, 100}, 4);
        std::vector<DrawCall::Kind> kinds;
        std::vector<Argb> polygons;
        for (const DrawCall& c : canvas.calls) {
            kinds.push_back(c.kind);
            if (c.kind == DrawCall::Kind::Polygon) polygons.push_back(c.colour);
        }
        using K = DrawCall::Kind;
        const bool redacting = std::holds_alternative<RedactMark>(inProgress);
        // the rectangle, the arrow's shaft and head, the pen being drawn, then the redactions in their order
        const std::vector<K> expected =
            redacting ? std::vector<K>{K::SetClip, K::StrokeRectangle, K::Polyline, K::Polygon, K::Polygon, K::Polygon,
                                       K::Polygon, K::ResetClip}
                      : std::vector<K>{K::SetClip, K::StrokeRectangle, K::Polyline, K::Polygon, K::Polyline,
                                       K::Polygon, K::Polygon, K::ResetClip};
        EXPECT_EQ(kinds, expected);
        std::vector<Argb> order = {toArgb(kOrange), toArgb(PALETTE[7]), toArgb(PALETTE[0])};
        if (redacting) order.push_back(toArgb(PALETTE[3]));
        EXPECT_EQ(polygons, order) << "the arrow's head, then the redactions, the one being drawn last";
    }
}

TEST(Annotate, TextOnItsBackgroundBoxInInkThatReadsOnIt) {
    RecordingCanvas canvas;
    drawAnnotation(canvas, {10, 20}, TextMark{{30, 40, 60, 28}, 1, kYellow, "Note", 1.0, true});
    drawAnnotation(canvas, {10, 20}, TextMark{{30, 90, 60, 28}, 1, kBlue, "Note", 1.0, true});
    ASSERT_EQ(canvas.calls.size(), 4u);
    const DrawCall& box = canvas.calls[0];
    ASSERT_EQ(box.kind, DrawCall::Kind::Polygon);
    EXPECT_EQ(box.colour, toArgb(kYellow));
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (Point p : box.points) {
        left = std::min(left, p.x), top = std::min(top, p.y), right = std::max(right, p.x), bottom = std::max(bottom, p.y);
    }
    // The measured box of the text, at the canvas origin, with rounded corners.
    EXPECT_NEAR(left, 20, 1e-9);
    EXPECT_NEAR(top, 20, 1e-9);
    EXPECT_NEAR(right, 80, 1e-9);
    EXPECT_NEAR(bottom, 48, 1e-9);
    const bool corner_cut = std::none_of(box.points.begin(), box.points.end(), [](Point p) {
        return std::abs(p.x - 20) < 1e-9 && std::abs(p.y - 20) < 1e-9;
    });
    EXPECT_TRUE(corner_cut) << "the corner is rounded off";

    EXPECT_EQ(canvas.calls[1].kind, DrawCall::Kind::Text);
    EXPECT_EQ(canvas.calls[1].at, (Point{20, 20}));
    EXPECT_EQ(canvas.calls[1].colour, 0xFF212121u) << "dark on yellow";
    EXPECT_EQ(canvas.calls[3].colour, 0xFFFFFFFFu) << "white on blue";

    // Without the background the text is drawn alone, in its colour.
    RecordingCanvas plain;
    drawAnnotation(plain, {10, 20}, TextMark{{30, 40, 60, 28}, 1, kYellow, "Note"});
    ASSERT_EQ(plain.calls.size(), 1u);
    EXPECT_EQ(plain.calls[0].colour, toArgb(kYellow));
}

TEST(Annotate, RoundedBoxesStayInTheirBox) {
    const Box box{10, 20, 40, 10};
    const std::vector<Point> outline = roundedBox(box, 8);  // at most half the height: 5
    ASSERT_FALSE(outline.empty());
    for (Point p : outline) {
        EXPECT_GE(p.x, box.x - 1e-9);
        EXPECT_LE(p.x, box.x + box.width + 1e-9);
        EXPECT_GE(p.y, box.y - 1e-9);
        EXPECT_LE(p.y, box.y + box.height + 1e-9);
    }
    const auto touches = [&](double x, double y) {
        return std::any_of(outline.begin(), outline.end(),
                           [&](Point p) { return std::abs(p.x - x) < 1e-9 && std::abs(p.y - y) < 1e-9; });
    };
    EXPECT_TRUE(touches(15, 20)) << "the top edge starts a radius in";
    EXPECT_TRUE(touches(50, 25)) << "a radius of 5 leaves no straight piece on the sides";
    EXPECT_FALSE(touches(10, 20));
    // No radius: the plain box's corners.
    const std::vector<Point> square = roundedBox(box, 0);
    EXPECT_TRUE(std::any_of(square.begin(), square.end(), [](Point p) { return p.x == 10 && p.y == 20; }));
}
