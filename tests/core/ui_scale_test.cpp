// Everything the overlay, the marks and the panels draw at 125 to 250 %, and on a
// desk that mixes a 100 % primary with a 150 % second monitor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kestrix/annotate.h"
#include "kestrix/editor.h"
#include "kestrix/frame.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/pin.h"
#include "kestrix/send_panel.h"
#include "kestrix/toolbar.h"
#include "kestrix/ui_scale.h"
#include "recording_canvas.h"

using namespace kestrix;
using test::DrawCall;
using test::RecordingCanvas;

namespace {

Monitor monitor(Rect rect, uint32_t ui_scale, bool primary = false) {
    Monitor m;
    m.rect = rect;
    m.ui_scale = ui_scale;
    m.primary = primary;
    return m;
}

// The mixed desk: a 1920 x 1080 primary at 100 % and a 2560 x 1440 monitor at 150 % left of it.
const Rect kPrimary{0, 0, 1920, 1080};
const Rect kSecond{-2560, 0, 2560, 1440};
const std::vector<Monitor> kMixed{monitor(kPrimary, 100, true), monitor(kSecond, 150)};

Box scaled_box(const Box& b, double s) { return {b.x * s, b.y * s, b.width * s, b.height * s}; }

bool whole(double v) { return v == std::floor(v); }

// Draws a rectangle from `from` to `to` with the current tool.
void drag(Editor& e, Point from, Point to) {
    e.pointer_down(from.x, from.y);
    e.pointer_move(to.x, to.y, false);
    e.pointer_up(to.x, to.y, false);
}

}  // namespace

TEST(UiScale, MonitorScalesAndTheirFloor) {
    EXPECT_EQ(usable_ui_scale(0), 100u) << "a failed query";
    EXPECT_EQ(usable_ui_scale(30), 50u);
    EXPECT_EQ(px_at_scale(15, 140), 21);
    EXPECT_EQ(dpi_for_ui_scale(125), 120u);
    EXPECT_EQ(dpi_for_ui_scale(175), 168u);
    EXPECT_EQ(dpi_for_ui_scale(200), 192u);

    EXPECT_EQ(ui_scale_at(kMixed, -10, 500), 150u);
    EXPECT_EQ(ui_scale_at(kMixed, 10, 500), 100u);
    EXPECT_EQ(ui_scale_at(kMixed, 10, 1300), 150u) << "below the primary's bottom: the nearest monitor";
    EXPECT_EQ(ui_scale_of(kMixed, {-300, 100, 400, 300}), 150u) << "most of it on the second monitor";
    EXPECT_EQ(ui_scale_of(kMixed, {-100, 100, 400, 300}), 100u);
    EXPECT_EQ(ui_scale_of({}, {0, 0, 10, 10}), 100u);
    EXPECT_EQ(ui_scale_of({monitor(kPrimary, 0, true)}, {0, 0, 10, 10}), 100u);
}

TEST(ToolbarAtScale, EveryBoxIsTheOneAt100TimesTheScaleOnWholePixels) {
    for (const std::optional<Tool> tool : {std::optional<Tool>{}, std::optional<Tool>{Tool::Pen}, std::optional<Tool>{Tool::Mosaic},
                                           std::optional<Tool>{Tool::Redact}, std::optional<Tool>{Tool::Text}}) {
        const ToolbarLayout base = layout_toolbar(tool, true, 100);
        for (const uint32_t scale : {125u, 150u, 175u, 200u, 250u}) {
            SCOPED_TRACE(scale);
            const double s = scale / 100.0;
            const ToolbarLayout l = layout_toolbar(tool, true, scale);
            EXPECT_EQ(l.ui_scale, scale);
            ASSERT_EQ(l.items.size(), base.items.size());
            for (size_t i = 0; i < l.items.size(); ++i) {
                const Box& b = l.items[i].rect;
                const Box want = scaled_box(base.items[i].rect, s);
                EXPECT_EQ(l.items[i].kind, base.items[i].kind);
                EXPECT_TRUE(whole(b.x) && whole(b.y) && whole(b.width) && whole(b.height)) << i;
                // Each edge is the edge at 100 % scaled and rounded: never off by a pixel or more.
                EXPECT_LT(std::abs(b.x - want.x), 0.5 + 1e-9) << i;
                EXPECT_LT(std::abs(b.x + b.width - (want.x + want.width)), 0.5 + 1e-9) << i;
                EXPECT_LT(std::abs(b.y - want.y), 0.5 + 1e-9) << i;
            }
            EXPECT_EQ(l.width, std::round(base.width * s));
            EXPECT_EQ(l.height, std::round(base.height * s));
            EXPECT_EQ(l.separators.size(), base.separators.size());
        }
    }
    // At 200 % everything is exactly twice as big: 64-pixel buttons in 96-pixel rows.
    const ToolbarLayout big = layout_toolbar(Tool::Pen, false, 200);
    EXPECT_EQ(big.main_panel, (Box{0, 0, 1302, 96}));
    ASSERT_EQ(big.items[10].kind, ToolbarItemKind::Undo);
    EXPECT_EQ(big.items[10].rect, (Box{814, 16, 64, 64}));
    ASSERT_TRUE(big.property_panel);
    EXPECT_EQ(*big.property_panel, (Box{0, 110, 830, 96}));
    EXPECT_EQ(big.separators[0], (ToolbarSeparator{798, 24, 48}));
    EXPECT_EQ(big.height, 206.0);
}

TEST(ToolbarAtScale, ButtonsAreHitWhereTheyAreDrawn) {
    const ToolbarLayout l = layout_toolbar(std::nullopt, false, 150);
    const ToolbarPosition at{100, 200};
    // Undo sits at 407..439 at 100 %, 611..659 at 150 % (610.5 and 658.5 rounded).
    EXPECT_EQ(toolbar_item_at(l, at, 100 + 611, 200 + 12)->kind, ToolbarItemKind::Undo);
    EXPECT_EQ(toolbar_item_at(l, at, 100 + 658, 200 + 59)->kind, ToolbarItemKind::Undo);
    EXPECT_FALSE(toolbar_item_at(l, at, 100 + 610, 200 + 30)) << "the separator's gap before it";
    EXPECT_FALSE(toolbar_item_at(l, at, 100 + 659, 200 + 30)) << "the gap after it";
    EXPECT_TRUE(toolbar_contains(l, at, 100 + 976, 200 + 71));
    EXPECT_FALSE(toolbar_contains(l, at, 100 + 977, 200 + 30)) << "the panel is 977 wide";
}

TEST(ToolbarAtScale, PlacedWithScaledGapsAndKeptOnTheSelectionsMonitor) {
    const ToolbarLayout l = layout_toolbar(std::nullopt, false, 200);  // 1302 x 96
    EXPECT_EQ(place_toolbar(l, {1300, 100, 400, 300}, kPrimary), (ToolbarPosition{398, 420})) << "20 pixels below";
    EXPECT_EQ(place_toolbar(l, {700, 100, 400, 300}, kPrimary).x, 0) << "wider than the room left of the selection";
    EXPECT_EQ(place_toolbar(l, {700, 900, 400, 150}, kPrimary).y, 900 - 96 - 20) << "20 pixels above";

    // On the mixed desk the toolbar of a selection on the 150 % monitor is laid out
    // at 150 % and stays on that monitor, even for a selection at its right edge.
    const Rect selection{-600, 1200, 700, 200};
    const Rect area = *monitor_of(kMixed, selection);
    ASSERT_EQ(area, kSecond);
    const ToolbarLayout second = layout_toolbar(Tool::Rectangle, false, ui_scale_of(kMixed, selection));
    EXPECT_EQ(second.ui_scale, 150u);
    const ToolbarPosition at = place_toolbar(second, selection, area);
    EXPECT_LE(at.x + second.width, double(kSecond.right()));
    EXPECT_GE(at.y, kSecond.y);
    EXPECT_LE(at.y + second.height, double(kSecond.bottom()));
    EXPECT_EQ(at.y, 1200 - int32_t(second.height) - 15) << "above it, 15 pixels away";
}

TEST(ChromeAtScale, ToolbarPaintsSwatchesHighlightAndTooltipAtItsScale) {
    const ToolbarLayout l = layout_toolbar(Tool::Rectangle, false, 200);
    ToolbarLook look;
    look.tool = Tool::Rectangle;
    look.hover = l.items[0];
    RecordingCanvas canvas;
    const Box bounds{-500, 0, 2420, 1080};
    paint_toolbar(canvas, l, {0, 0}, look, bounds);

    // The active Rectangle button's highlight is grown by 6 on every side.
    const auto fills = canvas.only(DrawCall::Kind::Polygon);
    const Box& tool = l.items[0].rect;
    EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [&](const DrawCall& c) {
        return c.points.size() == 4 && c.points[0] == Point{tool.x - 6, tool.y - 6} &&
               c.points[2] == Point{tool.x + tool.width + 6, tool.y + tool.height + 6};
    }));
    // Swatch discs are 28 across with 2-wide outlines; separators are 2 wide.
    const auto swatch = std::find_if(l.items.begin(), l.items.end(),
                                     [](const ToolbarItem& i) { return i.kind == ToolbarItemKind::Colour; });
    ASSERT_NE(swatch, l.items.end());
    const Box& sw = swatch->rect;
    const Box disc{sw.x + sw.width / 2 - 14, sw.y + sw.height / 2 - 14, 28, 28};
    const auto discs = canvas.only(DrawCall::Kind::StrokeEllipse);
    EXPECT_TRUE(std::any_of(discs.begin(), discs.end(), [&](const DrawCall& c) { return c.box == disc && c.width == 2; }));
    const auto lines = canvas.only(DrawCall::Kind::Polyline);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const DrawCall& c) { return c.width == 2 && c.points.size() == 2; }));
    // The tooltip, drawn last, has 24-pixel text 12 and 6 pixels in from its box.
    const auto texts = canvas.only(DrawCall::Kind::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().size, 24);
    const TooltipPlacement at = place_tooltip(tool, {100, 30}, bounds, 200);
    EXPECT_EQ(at.box, (Box{tool.x + tool.width / 2 - 62, tool.y + tool.height + 12, 124, 42}));
    EXPECT_EQ(at.text, (Point{at.box.x + 12, at.box.y + 6}));
}

TEST(ChromeAtScale, TooltipStaysOnItsMonitorOfTheMixedDesk) {
    // A button at the second monitor's right and bottom edge: the tooltip goes above
    // it and never reaches over to the primary.
    const Box bounds{double(kSecond.x), double(kSecond.y), double(kSecond.width), double(kSecond.height)};
    const Box item{-40, 1440 - 52, 48, 48};
    const TooltipPlacement at = place_tooltip(item, {180, 24}, bounds, 150);
    EXPECT_LE(at.box.x + at.box.width, 0.0);
    EXPECT_EQ(at.box.y + at.box.height, item.y - 9) << "9 pixels above the item";
    EXPECT_EQ(at.box.height, 24 + 9);
    EXPECT_EQ(at.text_size, 18);
}

TEST(ChromeAtScale, SelectionAndAnnotationHandlesGrowWithTheScale) {
    RecordingCanvas frame;
    paint_selection_frame(frame, {10, 20, 100, 50}, 150);
    const auto border = frame.only(DrawCall::Kind::StrokeRectangle);
    ASSERT_EQ(border.size(), 1u);
    EXPECT_EQ(border[0].width, 3);
    const auto discs = frame.only(DrawCall::Kind::StrokeEllipse);
    ASSERT_EQ(discs.size(), 8u);
    EXPECT_EQ(discs[0].width, 2.25);
    EXPECT_EQ(discs[0].box, (Box{10 - 7.5 + 1.125, 20 - 7.5 + 1.125, 15 - 2.25, 15 - 2.25}));

    RecordingCanvas handles;
    const std::vector<HandlePoint> points{{Handle::ArrowStart, {100, 100}}};
    paint_annotation_handles(handles, points, {0, 0}, 200);
    const auto outline = handles.only(DrawCall::Kind::StrokeRectangle);
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].box, (Box{94, 94, 12, 12}));
    EXPECT_EQ(outline[0].width, 2);
}

TEST(MagnifierAtScale, GeometryAndPlacementFollowTheMonitorUnderThePointer) {
    EXPECT_EQ(readout_geometry(100), (ReadoutGeometry{8, 128, 128, 167, 18}));
    EXPECT_EQ(readout_geometry(125), (ReadoutGeometry{10, 160, 160, 209, 23}));
    EXPECT_EQ(readout_geometry(150), (ReadoutGeometry{12, 192, 192, 251, 27}));
    EXPECT_EQ(readout_geometry(200), (ReadoutGeometry{16, 256, 256, 334, 36}));
    EXPECT_EQ(readout_geometry(110).zoom, 144) << "whole blocks of 9, not 128 x 1.1";

    EXPECT_EQ(readout_panel(100, 100, kPrimary, 200), (Rect{136, 136, 256, 334}));
    // Near the bottom-right corner it flips left of and above the cursor by 36.
    EXPECT_EQ(readout_panel(1700, 900, kPrimary, 200), (Rect{1700 - 36 - 256, 900 - 36 - 334, 256, 334}));

    // Crossing from the primary to the 150 % monitor makes the magnifier bigger,
    // and it stays on the monitor under the pointer.
    const Rect on_primary = readout_panel(10, 500, *monitor_at(kMixed, 10, 500), ui_scale_at(kMixed, 10, 500));
    const Rect on_second = readout_panel(-10, 500, *monitor_at(kMixed, -10, 500), ui_scale_at(kMixed, -10, 500));
    EXPECT_EQ(on_primary.width, 128);
    EXPECT_EQ(on_second.width, 192);
    EXPECT_EQ(on_second.x + on_second.width, -10 - 27) << "flipped left, off the primary";
}

TEST(MagnifierAtScale, ChromeAndTextAreDrawnAtTheScale) {
    RecordingCanvas canvas;
    ReadoutContent content;
    content.cursor_x = 5;
    content.cursor_y = 7;
    content.pixel = Rgb{1, 2, 3};
    content.hint = "Hint";
    content.ui_scale = 200;
    paint_readout_chrome(canvas, {1000, 500}, content);

    const auto rects = canvas.only(DrawCall::Kind::StrokeRectangle);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].box, (Box{1000 + 120, 500 + 120, 16, 16})) << "the centre square is one block";
    EXPECT_EQ(rects[0].width, 3);
    EXPECT_EQ(rects[1].box, (Box{1000, 500, 256, 256}));
    EXPECT_EQ(rects[2].box, (Box{1016, 500 + 256 + 14, 20, 20})) << "the swatch";
    const auto texts = canvas.only(DrawCall::Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].size, 24);
    EXPECT_EQ(texts[0].at, (Point{1046, 500 + 256 + 8}));
    EXPECT_EQ(texts[1].size, 19);
    EXPECT_EQ(texts[1].at, (Point{1012, 500 + 256 + 46}));

    // A hint too wide for the panel shrinks by the same rule at every scale: to the
    // room, which is the panel less 6 pixels on each side.
    RecordingCanvas wide;
    const std::string long_hint(26, 'x');  // 26 x 0.5 x 19 = 247 > 232
    content.hint = long_hint;
    paint_readout_chrome(wide, {0, 0}, content);
    EXPECT_NEAR(wide.only(DrawCall::Kind::Text)[1].size, 19.0 * 232 / 247, 1e-9);
}

TEST(EditorAtScale, HandlesAndMarksAreHitAtTheScaledTolerance) {
    Editor e({100, 100, 400, 300}, {0, 0, 1920, 1080});
    e.set_ui_scale(200);
    // The top-left handle is hit within 22 pixels on both axes, not at 23.
    EXPECT_EQ(e.selection_handle_at(100 - 22, 100 + 22), Handle::TopLeft);
    EXPECT_FALSE(e.selection_handle_at(100 - 23, 100));
    e.set_ui_scale(100);
    EXPECT_FALSE(e.selection_handle_at(100 - 12, 100)) << "11 at 100 %";

    e.set_ui_scale(200);
    e.select_tool(int(Tool::Arrow));
    drag(e, {150, 300}, {400, 300});
    ASSERT_EQ(e.annotations().size(), 1u);
    ASSERT_TRUE(e.selected());
    // Arrow handles within 12; the arrow itself within 10 + half its 8-pixel stroke.
    EXPECT_EQ(e.annotation_handle_at(150 + 12, 300 - 12), Handle::ArrowStart);
    EXPECT_FALSE(e.annotation_handle_at(150 + 13, 300));
    EXPECT_TRUE(e.annotation_at(300, 300 + 14));
    EXPECT_FALSE(e.annotation_at(300, 300 + 15));
}

TEST(EditorAtScale, MarksTakeTheScaleTheyAreDrawnAtAndKeepIt) {
    Editor e({0, 0, 800, 600}, {0, 0, 1920, 1080});
    e.set_ui_scale(150);
    e.select_tool(int(Tool::Rectangle));
    drag(e, {50, 50}, {150, 150});
    e.select_tool(int(Tool::Mosaic));
    drag(e, {200, 200}, {300, 200});
    e.select_tool(int(Tool::Number));
    drag(e, {400, 400}, {400, 400});
    e.set_ui_scale(100);  // the selection moved to a 100 % monitor: later marks are smaller
    e.select_tool(int(Tool::Rectangle));
    drag(e, {50, 450}, {150, 550});

    const auto& list = e.annotations();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(stroke_width(std::get<RectangleMark>(list[0])), 6.0) << "4 at step 1, times 1.5";
    const auto& mosaic = std::get<MosaicMark>(list[1]);
    EXPECT_EQ(mosaic.brush_width, 24.0);
    EXPECT_EQ(mosaic.block_size, 15.0);
    EXPECT_EQ(marker_size(std::get<NumberMark>(list[2])), 48.0);
    EXPECT_EQ(stroke_width(std::get<RectangleMark>(list[3])), 4.0);
    EXPECT_EQ(visualBounds(list[0]), (Box{47, 47, 106, 106})) << "half the scaled stroke around the box";

    // Drawn on screen and in the export alike at the width stored in the mark.
    RecordingCanvas canvas;
    drawAnnotation(canvas, {0, 0}, list[0]);
    ASSERT_EQ(canvas.only(DrawCall::Kind::StrokeRectangle).size(), 1u);
    EXPECT_EQ(canvas.only(DrawCall::Kind::StrokeRectangle)[0].width, 6.0);
}

TEST(EditorAtScale, LinesHighlightsRedactionsAndTextBoxesFollowTheScale) {
    Editor e({0, 0, 800, 600}, {0, 0, 1920, 1080});
    e.set_ui_scale(200);
    e.select_tool(int(Tool::Line));
    drag(e, {50, 50}, {250, 50});
    e.select_tool(int(Tool::Highlighter));
    drag(e, {50, 150}, {250, 150});
    e.select_tool(int(Tool::Redact));
    drag(e, {300, 300}, {400, 350});
    e.select_tool(int(Tool::Text));
    e.toggle_text_background();
    const EditorOutcome open = e.pointer_down(500, 100);
    ASSERT_TRUE(open.text_box);
    EXPECT_EQ(open.text_box->scale, 2.0);
    EXPECT_TRUE(open.text_box->background);
    e.text_committed("Hi", {500, 100}, std::nullopt, [](std::string_view, double px) { return TextExtent{2 * px, px}; });

    const auto& list = e.annotations();
    ASSERT_EQ(list.size(), 4u);
    const auto& line = std::get<LineMark>(list[0]);
    EXPECT_EQ(stroke_width(line), 8.0) << "4 at step 1, twice";
    EXPECT_EQ(stroke_width(std::get<HighlighterMark>(list[1])), 32.0) << "four times the pen's 4, twice";
    EXPECT_EQ(visualBounds(list[1]), (Box{34, 134, 232, 32}));
    const auto& text = std::get<TextMark>(list[3]);
    EXPECT_TRUE(text.background);
    EXPECT_EQ(text.box, (Box{500, 100, 80, 40})) << "measured at 40 pixels";

    // The line is hit within 10 of slack and half its 8-pixel stroke; the redaction
    // within 10 around its box. At 100 % the same points miss.
    EXPECT_TRUE(annotation_hit(line, {150, 50 + 14}, 200));
    EXPECT_FALSE(annotation_hit(line, {150, 50 + 15}, 200));
    EXPECT_FALSE(annotation_hit(line, {150, 50 + 14}, 100));
    EXPECT_TRUE(annotation_hit(list[2], {400 + 10, 350 + 10}, 200));
    EXPECT_FALSE(annotation_hit(list[2], {400 + 11, 350}, 200));
    EXPECT_FALSE(annotation_hit(list[2], {400 + 10, 350}, 100));

    // Drawn at the stored sizes: the highlighter band, and the text's box with
    // corners of a quarter of its 40-pixel font.
    RecordingCanvas canvas;
    drawAnnotation(canvas, {0, 0}, list[1]);
    drawAnnotation(canvas, {0, 0}, list[3]);
    ASSERT_EQ(canvas.only(DrawCall::Kind::Highlight).size(), 1u);
    EXPECT_EQ(canvas.only(DrawCall::Kind::Highlight)[0].width, 32.0);
    const auto boxes = canvas.only(DrawCall::Kind::Polygon);
    ASSERT_EQ(boxes.size(), 1u);
    double top_left = 1e9;
    for (const Point& p : boxes[0].points)
        if (std::abs(p.y - 100) < 1e-9) top_left = std::min(top_left, p.x);
    EXPECT_NEAR(top_left, 510.0, 1e-9) << "the top edge starts after a 10-pixel corner";
    ASSERT_EQ(canvas.only(DrawCall::Kind::Text).size(), 1u);
    EXPECT_EQ(canvas.only(DrawCall::Kind::Text)[0].size, 40.0);
}

TEST(ToolbarAtScale, TheNewToolsRowsScaleLikeTheOthers) {
    const ToolbarLayout text = layout_toolbar(Tool::Text, false, 200);
    const auto background = std::find_if(text.items.begin(), text.items.end(), [](const ToolbarItem& i) {
        return i.kind == ToolbarItemKind::TextBackground;
    });
    ASSERT_NE(background, text.items.end());
    EXPECT_EQ(background->rect.width, 64.0);
    EXPECT_EQ(background->rect.height, 64.0);
    ASSERT_TRUE(text.property_panel);
    EXPECT_EQ(text.property_panel->x + text.property_panel->width, background->rect.x + 64 + 16) << "padding after it";

    const ToolbarLayout redact = layout_toolbar(Tool::Redact, false, 150);
    ASSERT_TRUE(redact.property_panel);
    EXPECT_EQ(std::count_if(redact.items.begin(), redact.items.end(),
                            [](const ToolbarItem& i) { return i.kind == ToolbarItemKind::Size; }),
              0);
    EXPECT_EQ(redact.property_panel->height, 72.0);
}

TEST(EditorAtScale, TextIsMeasuredAndEditedAtItsOwnScale) {
    Editor e({0, 0, 800, 600}, {0, 0, 1920, 1080});
    e.set_ui_scale(200);
    e.select_tool(int(Tool::Text));
    const EditorOutcome open = e.pointer_down(50, 60);
    ASSERT_TRUE(open.text_box);
    EXPECT_EQ(open.text_box->scale, 2.0) << "the text box shows the font the mark will have";

    std::vector<double> asked;
    const MeasureText measure = [&](std::string_view text, double px) {
        asked.push_back(px);
        return TextExtent{double(text.size()) * px / 2, px};
    };
    e.text_committed("Hello", {50, 60}, std::nullopt, measure);
    ASSERT_EQ(e.annotations().size(), 1u);
    const auto& mark = std::get<TextMark>(e.annotations()[0]);
    EXPECT_EQ(font_size(mark), 40.0) << "20 at step 1, twice";
    EXPECT_EQ(mark.box, (Box{50, 60, 100, 40}));

    // Edited later from a 100 % monitor, it keeps the size it was drawn at.
    e.set_ui_scale(100);
    const EditorOutcome edit = e.double_click(60, 70);
    ASSERT_TRUE(edit.text_box);
    EXPECT_EQ(edit.text_box->scale, 2.0);
    e.text_committed("Hello there", {50, 60}, 0, measure);
    EXPECT_EQ(asked, (std::vector<double>{40, 40}));
    EXPECT_EQ(std::get<TextMark>(e.annotations()[0]).scale, 2.0);
}

TEST(SendPanelAtScale, LayoutFontAndCodeScaleTogether) {
    EXPECT_EQ(send_panel_font_height(100), 15);
    EXPECT_EQ(send_panel_font_height(150), 22);
    EXPECT_EQ(send_panel_font_height(200), 30);
    EXPECT_EQ(send_panel_module_pixels(100), 8u);
    EXPECT_EQ(send_panel_module_pixels(125), 10u);
    EXPECT_EQ(send_panel_module_pixels(200), 16u);

    const SendPanelLayout base = layout_send_panel(0, 1, 1, 100);
    const SendPanelLayout big = layout_send_panel(0, 1, 1, 200);
    EXPECT_EQ(big.margin, 2 * base.margin);
    EXPECT_EQ(big.content_width, 600);
    EXPECT_EQ(big.scan_y, 2 * base.scan_y);
    EXPECT_EQ(big.warning_y, 2 * base.warning_y);
    EXPECT_EQ(big.status_y, 2 * base.status_y);
    EXPECT_EQ(big.buttons_y, 2 * base.buttons_y);
    EXPECT_EQ(big.stop_x, 2 * base.stop_x);
    EXPECT_EQ(big.button_width, 240);
    EXPECT_EQ(big.button_height, 60);
    EXPECT_EQ(big.client_width, 2 * base.client_width);
    EXPECT_EQ(big.client_height, 2 * base.client_height);

    // A code of 29 modules and its quiet zone at 150 %, 37 x 12 = 444 pixels, is
    // narrower than the scaled 300-pixel column.
    const SendPanelLayout coded = layout_send_panel(444, 2, 1, 150);
    EXPECT_EQ(coded.content_width, 450) << "300 at 150 % is wider than the code";
    EXPECT_EQ(coded.scan_y, 30 + 444 + 15);
    EXPECT_EQ(coded.url_height, 60);
    EXPECT_EQ(coded.stop_x + coded.button_width, coded.margin + coded.content_width);
}

TEST(PinAtScale, ChromeScalesWhileThePictureStaysOneToOne) {
    PinState pin = new_pin({100, 100, 300, 200}, 200);
    EXPECT_EQ(pin_window_rect(pin), (Rect{100, 100, 300, 200})) << "the picture's pixels 1:1";
    EXPECT_EQ(pin_close_box({0, 0, 300, 200}, 200), (Rect{16, 16, 44, 44}));
    EXPECT_FALSE(pin_close_box({0, 0, 119, 400}, 200)) << "no close button below 120 x 120";
    EXPECT_EQ(pin_chrome(200), (PinChrome{2, 2, 4}));
    EXPECT_EQ(pin_chrome(125), (PinChrome{1, 1, 2}));

    pin.hover = true;
    EXPECT_TRUE(pin_close_hit(pin, 16 + 22, 16 + 44)) << "within 22 of the button's centre";
    EXPECT_FALSE(pin_close_hit(pin, 16 + 22, 16 + 45));

    // Pulled back so that 56 pixels stay on the desktop.
    pin.x = 1900;
    keep_pin_on_screen(pin, {kPrimary});
    EXPECT_EQ(pin.x, 1920 - 56);
}
