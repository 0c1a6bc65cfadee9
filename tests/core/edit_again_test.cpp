#include "kestrix/edit_again.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kestrix/mosaic.h"
#include "recording_canvas.h"

using namespace kestrix;
using test::DrawCall;
using test::RecordingCanvas;

namespace {

class RecordingSurfaces : public ImageCanvasFactory {
public:
    RecordingCanvas canvas;
    Result<void, PlatformError> paint(Image&, const std::function<void(Canvas&)>& draw) override {
        draw(canvas);
        return {};
    }
};

// A picture whose every pixel tells where it is.
Image patterned(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x * 5), p[1] = uint8_t(y * 3), p[2] = uint8_t(x ^ y), p[3] = 255;
        }
    return make_image(w, h, std::move(px)).value();
}

Frame desktop_frame(const Rect& desktop) {
    Frame frame;
    frame.tiles.push_back(Tile{patterned(uint32_t(desktop.width), uint32_t(desktop.height)), desktop, 100});
    return frame;
}

Monitor monitor(Rect rect, bool primary = false) {
    Monitor m;
    m.rect = rect;
    m.primary = primary;
    return m;
}

// One of every kind of mark, in desktop units around (200, 150).
std::vector<Annotation> every_kind() {
    return {
        RectangleMark{{210, 160}, {260, 200}, 1, PALETTE[0]},
        EllipseMark{{220, 170}, {240, 190}, 2, PALETTE[1]},
        ArrowMark{{205, 205}, {280, 160}, 0, PALETTE[2], Point{250, 210}},
        PenMark{1, PALETTE[3], {{201, 151}, {230, 155}, {233, 180}}},
        MosaicMark{16, 10, {{215, 165}, {245, 175}}},
        NumberMark{3, {270, 190}, 2, PALETTE[4]},
        TextMark{{206, 152, 40, 25}, 1, PALETTE[5], "typo"},
    };
}

void expect_near(const Annotation& a, const Annotation& b) {
    ASSERT_EQ(a.index(), b.index());
    const Box ba = visualBounds(a), bb = visualBounds(b);
    EXPECT_NEAR(ba.x, bb.x, 1e-9);
    EXPECT_NEAR(ba.y, bb.y, 1e-9);
    EXPECT_NEAR(ba.width, bb.width, 1e-9);
    EXPECT_NEAR(ba.height, bb.height, 1e-9);
}

}  // namespace

TEST(EditAgain, KeepsTheSelectionUnmarkedAndTheMarksInItsPixels) {
    const Frame frame = desktop_frame({-100, 0, 400, 300});
    const Rect selection{200, 150, 100, 80};
    const auto marks = every_kind();
    const auto kept = editable_capture({frame, selection, marks, true});
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->crop, *frame.crop(selection));  // no mosaic, no marks in the pixels
    EXPECT_TRUE(kept->backdrop);
    ASSERT_EQ(kept->annotations.size(), marks.size());
    // (200, 150) on the desktop is the crop's top-left
    const auto& rect = std::get<RectangleMark>(kept->annotations[0]);
    EXPECT_EQ(rect.start, (Point{10, 10}));
    EXPECT_EQ(rect.end, (Point{60, 50}));
    EXPECT_EQ(std::get<ArrowMark>(kept->annotations[2]).bend, (Point{50, 60}));
    EXPECT_EQ(std::get<TextMark>(kept->annotations[6]).box, (Box{6, 2, 40, 25}));
    EXPECT_EQ(std::get<TextMark>(kept->annotations[6]).text, "typo");
    EXPECT_GE(kept->bytes(), kept->crop.pixels().size());

    // a selection that shows no part of the desktop keeps nothing
    EXPECT_FALSE(editable_capture({frame, Rect{900, 900, 10, 10}, marks, false}));
}

TEST(EditAgain, ShowsTheCropPixelForPixelCentredOnThePointersMonitor) {
    const std::vector<Monitor> monitors = {monitor({0, 0, 1920, 1080}, true), monitor({-1280, 0, 1280, 1024})};
    const auto on_left = place_for_editing(monitors, -5, 500, 640, 480);
    ASSERT_TRUE(on_left);
    EXPECT_EQ(on_left->shown, (Rect{-1280 + 320, 272, 640, 480}));
    const auto on_primary = place_for_editing(monitors, 100, 100, 640, 480);
    ASSERT_TRUE(on_primary);
    EXPECT_EQ(on_primary->shown, (Rect{640, 300, 640, 480}));
    EXPECT_EQ(on_primary->to_desktop(), (CoordinateMap{1, 1, 640, 300, 1}));

    // larger than its monitor: scaled down to fit, keeping its shape
    const auto wide = place_for_editing(monitors, -5, 500, 3840, 1080);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->shown, (Rect{-1280, 332, 1280, 360}));
    EXPECT_DOUBLE_EQ(wide->to_desktop().size, 1.0 / 3.0);

    EXPECT_FALSE(place_for_editing({}, 0, 0, 10, 10));
    EXPECT_FALSE(place_for_editing(monitors, 0, 0, 0, 10));
}

TEST(EditAgain, MarksGoToTheScreenAndBackUnchanged) {
    const auto marks = every_kind();
    const CoordinateMap into_crop{1, 1, -200, -150, 1};
    const auto crop_marks = remapped(marks, into_crop);
    for (const Rect& shown : {Rect{640, 300, 100, 80}, Rect{-1280, 332, 40, 32}}) {
        const EditPlacement placement{shown, 100, 80};
        const auto on_screen = remapped(crop_marks, placement.to_desktop());
        const auto back = remapped(on_screen, placement.to_crop());
        ASSERT_EQ(back.size(), crop_marks.size());
        for (size_t i = 0; i < back.size(); ++i) expect_near(back[i], crop_marks[i]);
    }
    // shown at a third of its size, a mosaic's blocks are a third as large on the screen
    const EditPlacement third{{0, 0, 100, 80}, 300, 240};
    const auto shown_third = remapped(crop_marks, third.to_desktop());
    const auto& mosaic = std::get<MosaicMark>(shown_third[4]);
    EXPECT_DOUBLE_EQ(mosaic.block_size, 10.0 / 3.0);
    EXPECT_DOUBLE_EQ(mosaic.points[0].x, 5.0);
}

TEST(EditAgain, ASelectionOnTheScreenStandsForItsPartOfTheCrop) {
    const EditPlacement same{{640, 300, 100, 80}, 100, 80};
    EXPECT_EQ(crop_selection(same, same.shown), (Rect{0, 0, 100, 80}));
    EXPECT_EQ(crop_selection(same, {650, 310, 20, 30}), (Rect{10, 10, 20, 30}));

    const EditPlacement third{{-1280, 332, 1280, 360}, 3840, 1080};
    EXPECT_EQ(crop_selection(third, third.shown), (Rect{0, 0, 3840, 1080}));
    EXPECT_EQ(crop_selection(third, {-1280 + 100, 332 + 10, 200, 100}), (Rect{300, 30, 600, 300}));
    // never empty, never outside
    EXPECT_EQ(crop_selection(same, {739, 379, 1, 1}), (Rect{99, 79, 1, 1}));
    EXPECT_EQ(crop_selection(same, {600, 200, 500, 500}), (Rect{0, 0, 100, 80}));
}

TEST(EditAgain, TheCropAppearsInTheFrozenDesktopScaledToFit) {
    const Image crop = patterned(40, 20);
    Frame frame = desktop_frame({-100, 0, 400, 300});
    show_in_frame(frame, crop, {{10, 20, 40, 20}, 40, 20});
    EXPECT_EQ(*frame.crop({10, 20, 40, 20}), crop);
    EXPECT_EQ(frame.pixel_at(9, 20), desktop_frame({-100, 0, 400, 300}).pixel_at(9, 20));  // around it: the desktop

    // half the size: each pixel the average of four
    Frame halved = desktop_frame({-100, 0, 400, 300});
    show_in_frame(halved, crop, {{-100, 0, 20, 10}, 40, 20});
    const Image shown = *halved.crop({-100, 0, 20, 10});
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 20; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (uint32_t dy = 0; dy < 2; ++dy)
                    for (uint32_t dx = 0; dx < 2; ++dx)
                        sum += crop.pixels()[((2 * y + dy) * 40 + 2 * x + dx) * 4 + size_t(c)];
                ASSERT_EQ(shown.pixels()[(y * 20 + x) * 4 + size_t(c)], (sum + 2) / 4) << x << "," << y;
            }

    // a part beyond the desktop is left out
    Frame edge = desktop_frame({-100, 0, 400, 300});
    show_in_frame(edge, crop, {{280, 290, 40, 20}, 40, 20});
    EXPECT_EQ(edge.pixel_at(299, 299), crop.pixel_at(19, 9));
}

// Editing a capture again and finishing without a change gives the same picture.
TEST(EditAgain, FinishingUnchangedGivesTheSamePicture) {
    const Frame frame = desktop_frame({0, 0, 400, 300});
    const Rect selection{200, 150, 100, 80};
    const auto marks = every_kind();
    RecordingSurfaces first;
    const auto original = renderExport({frame, selection, marks, false}, first);
    ASSERT_TRUE(original);

    const auto kept = editable_capture({frame, selection, marks, false});
    ASSERT_TRUE(kept);
    const std::vector<Monitor> monitors = {monitor({0, 0, 1920, 1080}, true)};
    const auto placement = place_for_editing(monitors, 5, 5, kept->crop.width(), kept->crop.height());
    ASSERT_TRUE(placement);
    const auto edited = remapped(kept->annotations, placement->to_desktop());
    // the overlay hands back what the editor holds; the picture is made from the crop
    const Frame source = crop_frame(kept->crop);
    RecordingSurfaces again;
    const auto remade = renderExport(
        {source, crop_selection(*placement, placement->shown), remapped(edited, placement->to_crop()), false}, again);
    ASSERT_TRUE(remade);
    EXPECT_EQ(*remade, *original);  // the mosaic lands on the same pixels
    // and every mark is drawn where it was
    ASSERT_EQ(again.canvas.calls.size(), first.canvas.calls.size());
    for (size_t i = 0; i < first.canvas.calls.size(); ++i) {
        const DrawCall& a = first.canvas.calls[i];
        const DrawCall& b = again.canvas.calls[i];
        EXPECT_EQ(a.kind, b.kind) << i;
        ASSERT_EQ(a.points.size(), b.points.size()) << i;
        for (size_t p = 0; p < a.points.size(); ++p) {
            EXPECT_NEAR(a.points[p].x, b.points[p].x, 1e-9) << i;
            EXPECT_NEAR(a.points[p].y, b.points[p].y, 1e-9) << i;
        }
        EXPECT_NEAR(a.box.x, b.box.x, 1e-9) << i;
        EXPECT_NEAR(a.at.y, b.at.y, 1e-9) << i;
        EXPECT_DOUBLE_EQ(a.width, b.width) << i;
    }
}
