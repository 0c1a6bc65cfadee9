#include "kestrix/overlay_chrome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "kestrix/frame.h"
#include "kestrix/i18n.h"
#include "recording_canvas.h"

using namespace kestrix;
using test::DrawCall;
using test::RecordingCanvas;

namespace {

constexpr Argb kGreen = opaque(46, 158, 74);
constexpr Argb kActive = opaque(30, 136, 229);
constexpr Argb kInk = opaque(42, 42, 46);
constexpr Argb kWhite = opaque(255, 255, 255);
const Box kBounds{0, 0, 1920, 1080};
constexpr Point kAt{100, 500};

bool inside(Point p, const Box& b) {
    return p.x >= b.x - 1e-9 && p.y >= b.y - 1e-9 && p.x <= b.x + b.width + 1e-9 && p.y <= b.y + b.height + 1e-9;
}

// The colours of every call drawn entirely within `box`.
std::set<Argb> colours_within(const RecordingCanvas& canvas, const Box& box) {
    std::set<Argb> out;
    for (const DrawCall& c : canvas.calls) {
        bool within = true;
        if (c.kind == DrawCall::Kind::Polyline || c.kind == DrawCall::Kind::Polygon)
            within = std::all_of(c.points.begin(), c.points.end(), [&](Point p) { return inside(p, box); });
        else if (c.kind == DrawCall::Kind::Text)
            within = inside(c.at, box);
        else
            within = inside({c.box.x, c.box.y}, box) && inside({c.box.x + c.box.width, c.box.y + c.box.height}, box);
        if (within) out.insert(c.colour);
    }
    return out;
}

Box absolute(const ToolbarItem& item) { return {item.rect.x + kAt.x, item.rect.y + kAt.y, item.rect.width, item.rect.height}; }

const ToolbarItem& find_item(const ToolbarLayout& layout, ToolbarItemKind kind, uint8_t index = 0) {
    return *std::find_if(layout.items.begin(), layout.items.end(),
                         [&](const ToolbarItem& i) { return i.kind == kind && i.index == index; });
}

// The highlight rectangles of active items, as boxes.
std::vector<Box> highlights(const RecordingCanvas& canvas) {
    std::vector<Box> out;
    for (const DrawCall& c : canvas.only(DrawCall::Kind::Polygon))
        if (c.colour == kActive) out.push_back({c.points[0].x, c.points[0].y, c.points[2].x - c.points[0].x, c.points[2].y - c.points[0].y});
    return out;
}

Box grown(const Box& b) { return {b.x - 3, b.y - 3, b.width + 6, b.height + 6}; }

class OverlayChrome : public ::testing::Test {
protected:
    void SetUp() override { set_language(kEnglish); }
    void TearDown() override { set_language(kEnglish); }
};

}  // namespace

TEST(ColourText, HexIsUpperCaseAndPaddedDecimalIsCommaSeparated) {
    EXPECT_EQ(colour_text({229, 57, 53}, false), "#E53935");
    EXPECT_EQ(colour_text({0, 10, 255}, false), "#000AFF");
    EXPECT_EQ(colour_text({229, 57, 53}, true), "229, 57, 53");
    EXPECT_EQ(colour_text({0, 0, 0}, true), "0, 0, 0");
}

TEST(ReadoutPanel, FollowsTheCursorAndFlipsAtTheRightAndBottomEdges) {
    EXPECT_EQ(readout_panel(100, 100, {0, 0, 1920, 1080}, 100), (Rect{118, 118, 128, 167}));
    // The panel may end exactly on the edge; one unit further it flips.
    EXPECT_EQ(readout_panel(1774, 895, {0, 0, 1920, 1080}, 100), (Rect{1792, 913, 128, 167}));
    EXPECT_EQ(readout_panel(1775, 896, {0, 0, 1920, 1080}, 100), (Rect{1629, 711, 128, 167}));
    // A desktop left of and above the primary monitor.
    EXPECT_EQ(readout_panel(-1900, -190, {-1920, -200, 3840, 1280}, 100), (Rect{-1882, -172, 128, 167}));
}

TEST(ReadoutPanel, FlipsAtTheEdgeOfTheMonitorUnderTheCursor) {
    // A 1280 x 1024 monitor left of a 1920 x 1080 primary: below the left monitor's
    // bottom edge the desktop's box goes on 56 units that no monitor shows.
    const std::vector<Monitor> monitors{{1, {0, 0, 1920, 1080}, 100, 100, true},
                                        {2, {-1280, 0, 1280, 1024}, 100, 100, false}};
    const Rect under = *monitor_at(monitors, -980, 880);
    EXPECT_EQ(under, (Rect{-1280, 0, 1280, 1024}));
    EXPECT_EQ(readout_panel(-980, 880, under, 100), (Rect{-962, 695, 128, 167}));
    // On the primary the same height still has room below.
    EXPECT_EQ(readout_panel(980, 880, *monitor_at(monitors, 980, 880), 100).y, 898);
    // Near the left monitor's right edge the panel flips left rather than cross onto the primary.
    EXPECT_EQ(readout_panel(-100, 100, *monitor_at(monitors, -100, 100), 100).x, -100 - 18 - 128);
}

TEST(ReadoutPanel, AgainstTheFarEdgeWhenNeitherSideHasRoom) {
    // 200 wide: neither right of nor left of the cursor fits, so the panel ends on the right edge.
    EXPECT_EQ(readout_panel(0, 0, {-100, -120, 200, 250}, 100), (Rect{-28, -37, 128, 167}));
    // Smaller than the panel: it starts on the desktop's top-left.
    EXPECT_EQ(readout_panel(50, 50, {0, 0, 100, 100}, 100), (Rect{0, 0, 128, 167}));
}

TEST(ReadoutChrome, CrossHairFrameSwatchAndLines) {
    RecordingCanvas canvas;
    canvas.advance = 0.4;  // the first line fits at 12 px
    paint_readout_chrome(canvas, {200, 300}, {12, 34, Rgb{229, 57, 53}, false, false, "C colour \xC2\xB7 Shift+C format"});

    const auto lines = canvas.only(DrawCall::Kind::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<Point>{{200, 364}, {328, 364}}));
    EXPECT_EQ(lines[1].points, (std::vector<Point>{{264, 300}, {264, 428}}));
    EXPECT_EQ(lines[0].colour, kGreen);
    EXPECT_EQ(lines[0].width, 1.0);

    const auto rects = canvas.only(DrawCall::Kind::StrokeRectangle);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].box, (Box{260, 360, 8, 8}));
    EXPECT_EQ(rects[0].width, 1.5);
    EXPECT_EQ(rects[1].box, (Box{200, 300, 128, 128}));
    EXPECT_EQ(rects[1].colour, opaque(106, 106, 106));
    EXPECT_EQ(rects[2].box, (Box{208, 435, 10, 10}));

    const auto fills = canvas.only(DrawCall::Kind::Polygon);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].colour, opaque(229, 57, 53));
    EXPECT_EQ(fills[0].points[0], (Point{208, 435}));
    EXPECT_EQ(fills[0].points[2], (Point{218, 445}));

    const auto texts = canvas.only(DrawCall::Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "12, 34  #E53935");
    EXPECT_EQ(texts[0].at, (Point{223, 432}));
    EXPECT_EQ(texts[0].size, 12.0);
    EXPECT_EQ(texts[0].colour, opaque(232, 232, 232));
    EXPECT_EQ(texts[1].text, "C colour \xC2\xB7 Shift+C format");
    EXPECT_EQ(texts[1].at, (Point{206, 451}));
    EXPECT_EQ(texts[1].size, 9.5);
    EXPECT_EQ(texts[1].colour, opaque(154, 154, 154));
}

TEST(ReadoutChrome, CheckMarkOnlyWithAColourAndNoSwatchWithoutAPixel) {
    RecordingCanvas copied;
    paint_readout_chrome(copied, {0, 0}, {-5, 7, Rgb{1, 2, 3}, true, true, "hint"});
    EXPECT_EQ(copied.only(DrawCall::Kind::Text)[0].text, "-5, 7  \xE2\x9C\x93 1, 2, 3");

    RecordingCanvas nothing;
    paint_readout_chrome(nothing, {0, 0}, {-5, 7, std::nullopt, true, true, "hint"});
    EXPECT_TRUE(nothing.only(DrawCall::Kind::Polygon).empty());
    EXPECT_EQ(nothing.only(DrawCall::Kind::StrokeRectangle).size(), 2u);
    const DrawCall line = nothing.only(DrawCall::Kind::Text)[0];
    EXPECT_EQ(line.text, "-5, 7");
    EXPECT_EQ(line.at, (Point{8, 132}));
}

TEST(ReadoutChrome, FirstLineShrinksToItsRoomWithinLimits) {
    // "12, 34  #E53935" is 15 characters; the room after the swatch is 128 - 6 - 23 = 99.
    const ReadoutContent content{12, 34, Rgb{229, 57, 53}, false, false, ""};
    RecordingCanvas wide;
    wide.advance = 0.66;  // 118.8 at 12 px
    paint_readout_chrome(wide, {0, 0}, content);
    EXPECT_NEAR(wide.only(DrawCall::Kind::Text)[0].size, 10.0, 1e-9);

    RecordingCanvas wider;
    wider.advance = 1.0;
    paint_readout_chrome(wider, {0, 0}, content);
    EXPECT_EQ(wider.only(DrawCall::Kind::Text)[0].size, 9.5);

    // Without a swatch the line starts at 8 and has 114 of room.
    RecordingCanvas plain;
    plain.advance = 1.5;  // "12, 34" is 108 wide
    paint_readout_chrome(plain, {0, 0}, {12, 34, std::nullopt, false, false, ""});
    EXPECT_EQ(plain.only(DrawCall::Kind::Text)[0].size, 12.0);
}

TEST(ReadoutChrome, HintShrinksThenIsCutBeforeTheFirstDot) {
    const std::string_view hint = "C colour \xC2\xB7 Shift+C format";  // 26 bytes
    RecordingCanvas shrinks;
    shrinks.advance = 0.52;  // 128.44 at 9.5 px
    paint_readout_chrome(shrinks, {0, 0}, {0, 0, std::nullopt, false, false, hint});
    const DrawCall shrunk = shrinks.only(DrawCall::Kind::Text)[1];
    EXPECT_EQ(shrunk.text, hint) << "fits once shrunk, so nothing is cut";
    EXPECT_NEAR(shrunk.size, 1102 / 128.44, 1e-9);

    RecordingCanvas cut;
    cut.advance = 0.7;  // 172.9 at 9.5 px, 145.6 even at 8
    paint_readout_chrome(cut, {0, 0}, {0, 0, std::nullopt, false, false, hint});
    const DrawCall part = cut.only(DrawCall::Kind::Text)[1];
    EXPECT_EQ(part.text, "C colour");
    EXPECT_EQ(part.size, 8.0);

    RecordingCanvas undivided;
    undivided.advance = 1.1;  // "Shift+C format": 146.3 at 9.5 px, 123.2 at 8
    paint_readout_chrome(undivided, {0, 0}, {0, 0, std::nullopt, false, false, hint.substr(12)});
    EXPECT_EQ(undivided.only(DrawCall::Kind::Text)[1].text, hint.substr(12)) << "no dot: drawn whole";
}

TEST_F(OverlayChrome, ActiveItemsAreHighlighted) {
    const ToolbarLayout layout = layout_toolbar(Tool::Pen, false, 100);
    ToolbarLook look{Tool::Pen, PALETTE[3], 7, true, true, std::nullopt};
    RecordingCanvas canvas;
    paint_toolbar(canvas, layout, kAt, look, kBounds);
    const std::vector<Box> expected{grown(absolute(find_item(layout, ToolbarItemKind::Tool, 3))),
                                    grown(absolute(find_item(layout, ToolbarItemKind::Backdrop))),
                                    grown(absolute(find_item(layout, ToolbarItemKind::Colour, 3))),
                                    grown(absolute(find_item(layout, ToolbarItemKind::Size, 2)))};
    EXPECT_EQ(highlights(canvas), expected) << "size steps past the last count as the last";
    EXPECT_EQ(colours_within(canvas, absolute(find_item(layout, ToolbarItemKind::Tool, 3))), std::set<Argb>{kWhite});
    EXPECT_EQ(colours_within(canvas, absolute(find_item(layout, ToolbarItemKind::Backdrop))), std::set<Argb>{kWhite});
    EXPECT_EQ(colours_within(canvas, absolute(find_item(layout, ToolbarItemKind::Size, 2))), std::set<Argb>{kWhite});
    EXPECT_EQ(colours_within(canvas, absolute(find_item(layout, ToolbarItemKind::Size, 1))), std::set<Argb>{kInk});

    // A translucent colour, or one off the palette, marks no swatch.
    for (const Colour colour : {PALETTE[3] & 0x80FFFFFFu, Colour(0xFF010203u)}) {
        look.colour = colour;
        RecordingCanvas other;
        paint_toolbar(other, layout, kAt, look, kBounds);
        EXPECT_EQ(highlights(other).size(), 3u);
    }
}

TEST_F(OverlayChrome, TextBackgroundSwitchShowsWhetherItIsOn) {
    const ToolbarLayout layout = layout_toolbar(Tool::Text, false, 100);
    const Box item = absolute(find_item(layout, ToolbarItemKind::TextBackground));
    for (const bool on : {false, true}) {
        ToolbarLook look{Tool::Text, PALETTE[0], 1, false, true, std::nullopt, on};
        RecordingCanvas canvas;
        paint_toolbar(canvas, layout, kAt, look, kBounds);
        const std::vector<Box> lit = highlights(canvas);
        EXPECT_EQ(std::count(lit.begin(), lit.end(), grown(item)), on ? 1 : 0);
        // The box in the pictogram's ink, its letter in what the button sits on.
        EXPECT_EQ(colours_within(canvas, item), (std::set<Argb>{on ? kWhite : kInk, on ? kActive : opaque(244, 244, 247)}));
    }
}

TEST_F(OverlayChrome, PictogramColoursOfTheActions) {
    const ToolbarLayout layout = layout_toolbar(std::nullopt, true, 100);
    const auto colours = [&](bool can_undo, ToolbarItemKind kind) {
        RecordingCanvas canvas;
        paint_toolbar(canvas, layout, kAt, {std::nullopt, PALETTE[0], 1, false, can_undo, std::nullopt}, kBounds);
        EXPECT_TRUE(highlights(canvas).empty());
        return colours_within(canvas, absolute(find_item(layout, kind)));
    };
    EXPECT_EQ(colours(false, ToolbarItemKind::Undo), std::set<Argb>{opaque(175, 175, 182)});
    EXPECT_EQ(colours(true, ToolbarItemKind::Undo), std::set<Argb>{kInk});
    EXPECT_EQ(colours(true, ToolbarItemKind::Copy), std::set<Argb>{kGreen});
    EXPECT_EQ(colours(true, ToolbarItemKind::Cancel), std::set<Argb>{opaque(217, 59, 54)});
    EXPECT_EQ(colours(true, ToolbarItemKind::Send), std::set<Argb>{kInk});
}

TEST_F(OverlayChrome, TooltipUnderTheItemAboveNearTheBottomAndInsideTheBounds) {
    const ToolbarLayout layout = layout_toolbar(std::nullopt, false, 100);
    const ToolbarItem copy = find_item(layout, ToolbarItemKind::Copy);  // at (711, 508, 32, 32)
    const auto tooltip = [&](const ToolbarItem& hover, const Box& bounds, Point at = kAt) {
        RecordingCanvas canvas;
        paint_toolbar(canvas, layout, at, {std::nullopt, PALETTE[0], 1, false, false, hover}, bounds);
        // The tooltip comes last, after the "T" and "1" glyphs of the tool pictograms.
        return std::pair{canvas.only(DrawCall::Kind::Polygon).back(), canvas.only(DrawCall::Kind::Text).back()};
    };

    // "Copy" measures 24 x 15, so the box is 36 x 21.
    auto [box, text] = tooltip(copy, kBounds);
    EXPECT_EQ(box.points[0], (Point{709, 546}));
    EXPECT_EQ(box.points[2], (Point{745, 567}));
    EXPECT_EQ(box.colour, 0xF01A1A1Au);
    EXPECT_EQ(text.text, "Copy");
    EXPECT_EQ(text.at, (Point{715, 549}));
    EXPECT_EQ(text.size, 12.0);
    EXPECT_EQ(text.colour, opaque(232, 232, 232));

    std::tie(box, text) = tooltip(copy, {0, 0, 1920, 566});
    EXPECT_EQ(box.points[0], (Point{709, 481})) << "above: item top - text height - 12";

    std::tie(box, text) = tooltip(copy, {0, 0, 620, 1080});
    EXPECT_EQ(box.points[0].x, 584.0) << "kept inside the right edge";

    // "Rectangle (R)" is 90 wide centred on x = 14: pushed right to the bounds' left edge.
    std::tie(box, text) = tooltip(find_item(layout, ToolbarItemKind::Tool, 0), kBounds, {-10, 500});
    EXPECT_EQ(text.text, "Rectangle (R)");
    EXPECT_EQ(box.points[0].x, 0.0);
}

TEST_F(OverlayChrome, NoTooltipForAnItemGoneFromTheLayout) {
    const ToolbarLayout pen = layout_toolbar(Tool::Pen, false, 100);
    const ToolbarItem swatch = find_item(pen, ToolbarItemKind::Colour, 2);
    RecordingCanvas canvas;
    paint_toolbar(canvas, layout_toolbar(std::nullopt, false, 100), kAt, {std::nullopt, PALETTE[0], 1, false, false, swatch},
                  kBounds);
    for (const DrawCall& c : canvas.calls) EXPECT_NE(c.colour, 0xF01A1A1Au);
    EXPECT_NE(canvas.only(DrawCall::Kind::Text).back().text, "Colour");
}

TEST_F(OverlayChrome, TooltipLabels) {
    const ToolbarLayout layout = layout_toolbar(Tool::Mosaic, true, 100);
    const ToolbarItem size = find_item(layout, ToolbarItemKind::Size, 0);
    EXPECT_EQ(toolbar_tooltip(size, Tool::Mosaic), "Block size");
    EXPECT_EQ(toolbar_tooltip(size, Tool::Text), "Text size");
    EXPECT_EQ(toolbar_tooltip(size, Tool::Number), "Marker size");
    EXPECT_EQ(toolbar_tooltip(size, Tool::Arrow), "Thickness");
    EXPECT_EQ(toolbar_tooltip(size, Tool::Highlighter), "Thickness");
    EXPECT_EQ(toolbar_tooltip(find_item(layout, ToolbarItemKind::Send), Tool::Mosaic), "Send to a device");

    // Every tool's name comes with its key, and the keys are the ones that choose it.
    const std::pair<Tool, const char*> names[] = {
        {Tool::Rectangle, "Rectangle (R)"}, {Tool::Ellipse, "Ellipse (E)"}, {Tool::Arrow, "Arrow (A)"},
        {Tool::Line, "Line (L)"},           {Tool::Pen, "Pen (P)"},         {Tool::Highlighter, "Highlighter (H)"},
        {Tool::Mosaic, "Mosaic (M)"},       {Tool::Redact, "Redact (X)"},   {Tool::Text, "Text (T)"},
        {Tool::Number, "Number (N)"},
    };
    for (const auto& [tool, name] : names)
        EXPECT_EQ(toolbar_tooltip(find_item(layout, ToolbarItemKind::Tool, uint8_t(tool)), Tool::Mosaic), name);
    EXPECT_EQ(toolbar_tooltip(find_item(layout_toolbar(Tool::Text, false, 100), ToolbarItemKind::TextBackground), Tool::Text),
              "Background");

    // In Japanese the key follows the name without a space, as Windows writes it there.
    set_language(match_language_tag("ja"));
    EXPECT_EQ(toolbar_tooltip(find_item(layout, ToolbarItemKind::Tool, uint8_t(Tool::Redact)), std::nullopt), "墨消し(X)");
    set_language(match_language_tag("de"));
    EXPECT_EQ(toolbar_tooltip(find_item(layout, ToolbarItemKind::Tool, uint8_t(Tool::Highlighter)), std::nullopt),
              "Textmarker (H)");
    set_language(kEnglish);
}

TEST(SelectionChrome, BorderAndEightHandleDiscs) {
    RecordingCanvas canvas;
    paint_selection_frame(canvas, {10, 20, 100, 50}, 100);
    const auto border = canvas.only(DrawCall::Kind::StrokeRectangle);
    ASSERT_EQ(border.size(), 1u);
    EXPECT_EQ(border[0].box, (Box{10, 20, 100, 50}));
    EXPECT_EQ(border[0].width, 2.0);
    EXPECT_EQ(border[0].colour, kGreen);
    const auto discs = canvas.only(DrawCall::Kind::FillEllipse);
    const auto rims = canvas.only(DrawCall::Kind::StrokeEllipse);
    ASSERT_EQ(discs.size(), 8u);
    ASSERT_EQ(rims.size(), 8u);
    EXPECT_EQ(discs[0].box, (Box{5.75, 15.75, 8.5, 8.5}));
    EXPECT_EQ(discs[0].colour, kWhite);
    EXPECT_EQ(rims[4].box, (Box{105.75, 65.75, 8.5, 8.5}));
    EXPECT_EQ(rims[4].width, 1.5);
    EXPECT_EQ(rims[4].colour, kGreen);
}

TEST(SelectionChrome, AnnotationHandlesAreMovedByTheOrigin) {
    const HandlePoint handles[] = {{Handle::TopLeft, {-1900, 50}}};
    RecordingCanvas canvas;
    paint_annotation_handles(canvas, handles, {-1920, 10}, 100);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].points[0], (Point{16.5, 36.5}));
    EXPECT_EQ(canvas.calls[0].points[2], (Point{23.5, 43.5}));
    EXPECT_EQ(canvas.calls[0].colour, kWhite);
    EXPECT_EQ(canvas.calls[1].box, (Box{17, 37, 6, 6}));
    EXPECT_EQ(canvas.calls[1].width, 1.0);
    EXPECT_EQ(canvas.calls[1].colour, opaque(33, 33, 33));
}
