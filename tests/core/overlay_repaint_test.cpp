#include "kestrix/overlay_repaint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kestrix/editor_geometry.h"
#include "kestrix/i18n.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/toolbar.h"
#include "recording_canvas.h"

using namespace kestrix;
using namespace kestrix::test;

namespace {

// What a drawing call can touch, strokes and anti-aliased edges included; text by
// the recording canvas's own measure.
Box touched(const DrawCall& c, const RecordingCanvas& canvas) {
    double left = 0, top = 0, right = 0, bottom = 0;
    switch (c.kind) {
        case DrawCall::Kind::Polyline:
        case DrawCall::Kind::Polygon: {
            left = right = c.points[0].x, top = bottom = c.points[0].y;
            for (const Point& p : c.points) {
                left = std::min(left, p.x), right = std::max(right, p.x);
                top = std::min(top, p.y), bottom = std::max(bottom, p.y);
            }
            break;
        }
        case DrawCall::Kind::Text:
            left = c.at.x, top = c.at.y;
            right = left + double(c.text.size()) * canvas.advance * c.size, bottom = top + canvas.lineHeight * c.size;
            break;
        default:
            left = c.box.x, top = c.box.y, right = c.box.x + c.box.width, bottom = c.box.y + c.box.height;
            break;
    }
    const double edge = c.width / 2 + 1;
    return {left - edge, top - edge, right - left + 2 * edge, bottom - top + 2 * edge};
}

bool inside_one(const Box& b, const std::vector<Rect>& areas) {
    return std::any_of(areas.begin(), areas.end(), [&](const Rect& r) {
        return b.x >= r.x && b.y >= r.y && b.x + b.width <= double(r.right()) && b.y + b.height <= double(r.bottom());
    });
}

struct Scene {
    Rect monitor{0, 0, 1920, 1080};
    Rect selection{300, 200, 640, 420};
    uint32_t scale = 100;
    ToolbarLayout layout = layout_toolbar(Tool::Arrow, true, scale);
    ToolbarPosition at;
    // An arrow of the selection that reaches past its right edge.
    std::vector<HandlePoint> handles = annotation_handles(ArrowMark{{500, 300}, {1100, 380}, 1, PALETTE[1]});

    explicit Scene(uint32_t ui_scale = 100) : scale(ui_scale), layout(layout_toolbar(Tool::Arrow, true, ui_scale)) {
        at = place_toolbar(layout, selection, monitor);
    }

    EditingChrome chrome(bool tooltip) const {
        EditingChrome c;
        c.selection = selection;
        for (const HandlePoint& h : handles) c.annotation_handles.push_back(h.centre);
        c.toolbar = {at.x, at.y, int32_t(std::ceil(layout.width)), int32_t(std::ceil(layout.height))};
        if (tooltip) c.tooltip_monitor = monitor;
        c.ui_scale = scale;
        return c;
    }

    // Everything the editing phase draws over the dimmed desktop, with text as wide
    // and tall as a long translation in a large font makes it.
    RecordingCanvas painted(std::optional<ToolbarItem> hover) const {
        RecordingCanvas canvas;
        canvas.advance = 1.2;
        canvas.lineHeight = 2.2;
        paint_selection_frame(canvas, {double(selection.x), double(selection.y), double(selection.width),
                                       double(selection.height)},
                              scale);
        paint_annotation_handles(canvas, handles, Origin{0, 0}, scale);
        ToolbarLook look{Tool::Arrow, PALETTE[2], 1, false, true, hover};
        paint_toolbar(canvas, layout, {double(at.x), double(at.y)}, look,
                      {double(monitor.x), double(monitor.y), double(monitor.width), double(monitor.height)});
        return canvas;
    }
};

}  // namespace

TEST(EditingRepaint, CoversEverythingTheChromeDrawsWithAndWithoutATooltipAtEachScale) {
    set_language(kEnglish);
    for (const uint32_t scale : {100u, 150u, 250u}) {
        SCOPED_TRACE(scale);
        Scene scene(scale);
        ASSERT_GT(scene.handles.size(), 1u);
        std::vector<std::optional<ToolbarItem>> hovers{std::nullopt};
        for (const ToolbarItem& item : scene.layout.items) hovers.push_back(item);
        for (const auto& hover : hovers) {
            const RecordingCanvas canvas = scene.painted(hover);
            const std::vector<Rect> areas = editing_chrome_areas(scene.chrome(hover.has_value()));
            for (const DrawCall& call : canvas.calls) {
                if (call.kind == DrawCall::Kind::SetClip || call.kind == DrawCall::Kind::ResetClip) continue;
                const Box b = touched(call, canvas);
                EXPECT_TRUE(inside_one(b, areas)) << "a drawing at " << b.x << "," << b.y << " " << b.width << "x"
                                                   << b.height << (hover ? " with a tooltip" : "")
                                                   << " is outside every repainted area";
            }
        }
        // Near the monitor's bottom the tooltip goes above the item: still covered.
        scene.selection = {300, 500, 640, 560};
        scene.at = place_toolbar(scene.layout, scene.selection, scene.monitor);
        const ToolbarItem last = scene.layout.items.back();
        const RecordingCanvas canvas = scene.painted(last);
        const std::vector<Rect> areas = editing_chrome_areas(scene.chrome(true));
        for (const DrawCall& call : canvas.only(DrawCall::Kind::Text))
            EXPECT_TRUE(inside_one(touched(call, canvas), areas));
    }
}

TEST(EditingRepaint, LeavesTheRestOfTheDesktopAloneAndGrowsWithTheScale) {
    Scene scene;
    EditingChrome chrome = scene.chrome(false);
    chrome.annotation_handles.clear();
    const std::vector<Rect> areas = editing_chrome_areas(chrome);
    ASSERT_EQ(areas.size(), 2u);  // the selection and the toolbar
    int64_t covered = 0;
    for (const Rect& r : areas) covered += int64_t(r.width) * r.height;
    EXPECT_LT(covered, int64_t(scene.monitor.width) * scene.monitor.height / 2);

    chrome.ui_scale = 200;
    const std::vector<Rect> larger = editing_chrome_areas(chrome);
    EXPECT_LT(larger[0].x, areas[0].x);
    EXPECT_GT(larger[0].width, areas[0].width);

    // Far-off handles (an annotation dragged away) do not overflow.
    chrome.annotation_handles = {{-3.0e12, 5}, {3.0e12, 7}};
    EXPECT_EQ(editing_chrome_areas(chrome).size(), 3u);
}

TEST(PaintParts, NeighboursBecomeOneBoxFarApartStaySeparate) {
    // A rectangle cut into the three bands an update region makes of it comes back whole.
    EXPECT_EQ(paint_parts({{100, 100, 300, 40}, {100, 140, 360, 60}, {160, 200, 300, 40}}),
              (std::vector<Rect>{{100, 100, 360, 140}}));
    // The highlight on one monitor and the magnifier on the other are painted apart.
    const std::vector<Rect> apart{{0, 0, 200, 200}, {2000, 800, 132, 171}};
    EXPECT_EQ(paint_parts(apart), apart);
    // Thin slivers next to each other merge however long they are; empty ones go.
    EXPECT_EQ(paint_parts({{0, 0, 3000, 2}, {0, 2, 3000, 2}, {5, 5, 0, 9}}), (std::vector<Rect>{{0, 0, 3000, 4}}));
    EXPECT_TRUE(paint_parts({}).empty());
}

TEST(PaintBands, CoverThePartAndKeepWhatFitsInOneBand) {
    const Rect part{40, 100, 2000, 1000};
    const Rect magnifier{900, 380, 132, 171};  // would be cut at row 400 by bands of 300
    const Rect selection{100, 150, 600, 700};   // taller than a band: cut wherever
    const std::vector<Rect> bands = paint_bands(part, 300, {magnifier, selection});
    int64_t next = part.y;
    for (const Rect& band : bands) {
        EXPECT_EQ(band.x, part.x);
        EXPECT_EQ(band.width, part.width);
        EXPECT_EQ(band.y, next);
        EXPECT_GE(band.height, 1);
        EXPECT_LE(band.height, 300);
        next = band.bottom();
    }
    EXPECT_EQ(next, part.bottom());
    const auto holding = std::count_if(bands.begin(), bands.end(), [&](const Rect& b) { return intersect(b, magnifier).has_value(); });
    EXPECT_EQ(holding, 1) << "the magnifier is drawn once";
    // Without anything to keep whole the bands are as tall as the buffer.
    EXPECT_EQ(paint_bands(part, 300, {}).size(), 4u);
    EXPECT_TRUE(paint_bands(part, 0, {}).empty());
}
