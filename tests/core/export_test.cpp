#include "kestrix/export.h"

#include <gtest/gtest.h>

#include "kestrix/beautify.h"
#include "kestrix/mosaic.h"
#include "recording_canvas.h"

using namespace kestrix;
using test::DrawCall;
using test::RecordingCanvas;

namespace {

// Stands in for the platform's DIB surface: hands the drawing to a recording
// canvas and, like a 32-bit GDI surface, leaves the alpha bytes at zero.
class FakeSurfaces : public ImageCanvasFactory {
public:
    RecordingCanvas canvas;
    bool surfaceFails = false;
    bool contextFails = false;
    int uses = 0;
    std::optional<Image> handedOver;

    Result<void, PlatformError> paint(Image& image, const std::function<void(Canvas&)>& draw) override {
        ++uses;
        if (surfaceFails) return fail(PlatformError::os("CreateDIBSection", 8));
        handedOver = image;
        for (size_t i = 3; i < image.pixels().size(); i += 4) image.pixels()[i] = 0;
        if (!contextFails) draw(canvas);
        return {};
    }
};

Image tileImage(uint32_t w, uint32_t h, uint8_t shade) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
        const size_t n = i / 4;
        px[i] = uint8_t(n * 7 + shade);
        px[i + 1] = uint8_t(n / w * 3);
        px[i + 2] = shade;
        px[i + 3] = 0;  // screen pixels come with no meaningful alpha
    }
    return make_image(w, h, std::move(px)).value();
}

// Two monitors side by side: 100 % on the left, 150 % on the right.
Frame twoMonitors() {
    Frame frame;
    frame.tiles.push_back(Tile{tileImage(100, 100, 10), Rect{0, 0, 100, 100}, 100});
    frame.tiles.push_back(Tile{tileImage(150, 150, 200), Rect{100, 0, 100, 100}, 150});
    return frame;
}

Image opaqueCopy(Image image) {
    for (size_t i = 3; i < image.pixels().size(); i += 4) image.pixels()[i] = 255;
    return image;
}

}  // namespace

TEST(Export, DrawsAtTheDisplayScaleClippedToTheSelection) {
    const Frame frame = twoMonitors();
    const std::vector<Annotation> list = {RectangleMark{{85, 15}, {110, 25}, 1, PALETTE[0]}};
    FakeSurfaces surfaces;
    auto result = renderExport({frame, Rect{80, 10, 40, 20}, list, false}, surfaces);
    ASSERT_TRUE(result) << result.error().plain();
    // the selection touches the 150 % monitor: the picture is 1.5 times the selection
    EXPECT_EQ(result->width(), 60u);
    EXPECT_EQ(result->height(), 30u);
    for (size_t i = 3; i < result->pixels().size(); i += 4) ASSERT_EQ(result->pixels()[i], 255) << i;

    const auto& calls = surfaces.canvas.calls;
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, DrawCall::Kind::SetScale);
    EXPECT_DOUBLE_EQ(calls[0].scale, 1.5);
    EXPECT_EQ(calls[1].kind, DrawCall::Kind::SetClip);
    EXPECT_EQ(calls[1].clip, (Rect{0, 0, 40, 20}));
    EXPECT_EQ(calls[2].kind, DrawCall::Kind::StrokeRectangle);
    EXPECT_EQ(calls[2].box, (Box{5, 5, 25, 10}));  // desktop minus the selection's corner
    EXPECT_EQ(calls[3].kind, DrawCall::Kind::ResetClip);
    EXPECT_EQ(calls[4].kind, DrawCall::Kind::ResetScale);
}

TEST(Export, MosaicComesFirstAndOutsideMarkupLeavesTheCrop) {
    const Frame frame = twoMonitors();
    const Rect selection{10, 10, 50, 40};
    const std::vector<Annotation> list = {
        MosaicMark{16, 10, {{20, 20}, {40, 30}}},
        RectangleMark{{150, 150}, {190, 190}, 1, PALETTE[0]},  // wholly outside the selection
    };
    Image expected = *frame.crop(selection);
    applyMosaic(expected, list, {10, 10}, 1.0);

    FakeSurfaces surfaces;
    auto result = renderExport({frame, selection, list, false}, surfaces);
    ASSERT_TRUE(result);
    ASSERT_TRUE(surfaces.handedOver);
    EXPECT_EQ(*surfaces.handedOver, expected);  // pixelated before anything is drawn
    EXPECT_EQ(*result, opaqueCopy(expected));   // the recording canvas paints nothing

    // mosaic alone needs no drawing surface at all
    FakeSurfaces unused;
    auto mosaicOnly = renderExport({frame, selection, {list[0]}, false}, unused);
    ASSERT_TRUE(mosaicOnly);
    EXPECT_EQ(unused.uses, 0);
    EXPECT_EQ(*mosaicOnly, opaqueCopy(expected));
}

TEST(Export, FailuresLeaveNoPictureExceptAMissingContext) {
    const Frame frame = twoMonitors();
    const std::vector<Annotation> list = {NumberMark{1, {30, 30}, 1, PALETTE[0]}};

    FakeSurfaces surfaces;
    auto offScreen = renderExport({frame, Rect{500, 500, 20, 20}, list, false}, surfaces);
    EXPECT_FALSE(offScreen);
    EXPECT_EQ(surfaces.uses, 0);
    EXPECT_FALSE(renderExport({frame, Rect{10, 10, 0, 5}, list, false}, surfaces));

    FakeSurfaces broken;
    broken.surfaceFails = true;
    auto noSurface = renderExport({frame, Rect{10, 10, 50, 40}, list, false}, broken);
    ASSERT_FALSE(noSurface);
    EXPECT_EQ(noSurface.error().plain(), "CreateDIBSection failed (os error 8)");

    // without a drawing context the crop is delivered without its mark-up
    FakeSurfaces noContext;
    noContext.contextFails = true;
    auto plain = renderExport({frame, Rect{10, 10, 50, 40}, list, false}, noContext);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(noContext.canvas.calls.empty());
    EXPECT_EQ(*plain, opaqueCopy(*frame.crop(Rect{10, 10, 50, 40})));
}

TEST(Export, BackdropWrapsTheFinishedPicture) {
    const Frame frame = twoMonitors();
    const Rect selection{0, 0, 100, 50};
    FakeSurfaces surfaces;
    auto result = renderExport({frame, selection, {}, true}, surfaces);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->width(), 148u);
    EXPECT_EQ(result->height(), 98u);
    EXPECT_EQ(*result, beautify(opaqueCopy(*frame.crop(selection))).value());
}

TEST(Export, ThePictureCarriesTheDpiOfItsMonitor) {
    const Frame frame = twoMonitors();
    FakeSurfaces surfaces;
    for (const bool backdrop : {false, true}) {
        auto at_200 = renderExport({frame, Rect{0, 0, 60, 40}, {}, backdrop, 192}, surfaces);
        ASSERT_TRUE(at_200);
        EXPECT_EQ(at_200->dpi(), 192u) << "backdrop " << backdrop;
    }
    auto plain = renderExport({frame, Rect{0, 0, 60, 40}, {}, false}, surfaces);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->dpi(), 96u);
}
