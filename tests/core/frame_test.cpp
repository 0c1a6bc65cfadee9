#include "kestrix/frame.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

// An image whose every pixel encodes its own column and row.
Image coordinate_image(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = 0x80;
            p[3] = 255;
        }
    return make_image(w, h, std::move(px)).value();
}

uint32_t coord(uint32_t x, uint32_t y) { return 0xFF800000u | (y & 0xFF) << 8 | (x & 0xFF); }

Monitor monitor(Rect r, bool primary = false) {
    Monitor m;
    m.rect = r;
    m.primary = primary;
    return m;
}

}  // namespace

TEST(Monitors, SortedPrimaryFirstThenByXThenYKeepingTies) {
    std::vector<Monitor> list = {monitor({500, 300, 10, 10}), monitor({500, 100, 10, 10}),
                                 monitor({0, 0, 1920, 1080}, true), monitor({-1280, 200, 1280, 1024})};
    list[0].handle = 1;
    list[1].handle = 2;
    Monitor tie = monitor({500, 100, 10, 10});
    tie.handle = 3;
    list.push_back(tie);
    sort_monitors(list);
    EXPECT_TRUE(list[0].primary);
    EXPECT_EQ(list[1].rect.x, -1280);
    EXPECT_EQ(list[2].handle, 2u);
    EXPECT_EQ(list[3].handle, 3u);
    EXPECT_EQ(list[4].handle, 1u);
}

TEST(Monitors, VirtualDesktopIsTheUnionAndIgnoresEmptyMonitors) {
    EXPECT_EQ(virtual_desktop({}), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(virtual_desktop({monitor({0, 0, 1920, 1080}, true), monitor({-1280, 200, 1280, 1024})}),
              (Rect{-1280, 0, 3200, 1224}));
    EXPECT_EQ(virtual_desktop({monitor({0, 0, 100, 100}), monitor({5000, 5000, 0, 10})}), (Rect{0, 0, 100, 100}));
    // an empty first rectangle is replaced by the next one
    EXPECT_EQ(virtual_desktop({monitor({7, 7, 0, 0}), monitor({10, 20, 30, 40})}), (Rect{10, 20, 30, 40}));
}

TEST(Monitors, TheMonitorOfARectangleOrPoint) {
    // A 1920 x 1080 primary and a 1280 x 1024 monitor at (-1280, 200): the desktop's
    // box has corners no monitor shows.
    const std::vector<Monitor> two{monitor({0, 0, 1920, 1080}, true), monitor({-1280, 200, 1280, 1024})};
    EXPECT_EQ(monitor_of(two, {0, 0, 1920, 1080}), (Rect{0, 0, 1920, 1080}));
    // Across both: the one showing the larger part, the first of equals.
    EXPECT_EQ(monitor_of(two, {-300, 500, 400, 100}), (Rect{-1280, 200, 1280, 1024}));
    EXPECT_EQ(monitor_of(two, {-100, 500, 200, 100}), (Rect{0, 0, 1920, 1080}));
    // In a corner no monitor shows: the nearest monitor.
    EXPECT_EQ(monitor_of(two, {-1000, 20, 50, 50}), (Rect{-1280, 200, 1280, 1024}));
    EXPECT_EQ(monitor_of(two, {-200, 1150, 10, 10}), (Rect{-1280, 200, 1280, 1024}));
    EXPECT_EQ(monitor_at(two, -1, 199), (Rect{0, 0, 1920, 1080}));  // touching the primary's edge
    EXPECT_EQ(monitor_at(two, -1, 200), (Rect{-1280, 200, 1280, 1024}));
    EXPECT_EQ(monitor_at(two, 0, 1223), (Rect{-1280, 200, 1280, 1024}));
    // Monitors of no size count for nothing; no monitor, no answer.
    EXPECT_EQ(monitor_of({monitor({0, 0, 0, 0}), monitor({50, 0, 10, 10})}, {0, 0, 5, 5}), (Rect{50, 0, 10, 10}));
    EXPECT_FALSE(monitor_at({}, 0, 0));
    EXPECT_FALSE(monitor_at({monitor({3, 3, 0, 9})}, 0, 0));
}

TEST(Monitors, UiScaleFromDpi) {
    EXPECT_EQ(ui_scale_for_dpi(0), 100u);
    EXPECT_EQ(ui_scale_for_dpi(96), 100u);
    EXPECT_EQ(ui_scale_for_dpi(120), 125u);
    EXPECT_EQ(ui_scale_for_dpi(144), 150u);
    EXPECT_EQ(ui_scale_for_dpi(168), 175u);
}

TEST(FrameCrop, AbsentForEmptyOrOutsideRectangles) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(10, 10), {0, 0, 10, 10}, 100});
    EXPECT_FALSE(frame.crop({2, 2, 0, 5}));
    EXPECT_FALSE(frame.crop({10, 0, 5, 5}));
    EXPECT_FALSE(frame.crop({-5, -5, 5, 5}));
}

TEST(FrameCrop, CopiesTheInsideAndPadsTheRestWithOpaqueBlack) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(10, 10), {100, 200, 10, 10}, 100});
    auto out = frame.crop({105, 195, 8, 8});
    ASSERT_TRUE(out);
    ASSERT_EQ(out->width(), 8u);
    ASSERT_EQ(out->height(), 8u);
    EXPECT_EQ(out->pixel_at(0, 0), 0xFF000000u);  // above the tile
    EXPECT_EQ(out->pixel_at(0, 5), coord(5, 0));
    EXPECT_EQ(out->pixel_at(4, 7), coord(9, 2));
    EXPECT_EQ(out->pixel_at(5, 7), 0xFF000000u);  // right of the tile
}

TEST(FrameCrop, MixedScalesComeOutAtTheLargestWithNearestNeighbour) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(4, 4), {0, 0, 4, 4}, 100});
    frame.tiles.push_back({coordinate_image(8, 8), {4, 0, 4, 4}, 200});
    EXPECT_EQ(frame.max_scale({0, 0, 4, 4}), 100u);
    EXPECT_EQ(frame.max_scale({0, 0, 8, 4}), 200u);
    EXPECT_EQ(frame.max_scale({50, 50, 1, 1}), 100u);

    auto out = frame.crop({2, 0, 4, 2});
    ASSERT_TRUE(out);
    ASSERT_EQ(out->width(), 8u);
    ASSERT_EQ(out->height(), 4u);
    // the first tile's pixel (2,0) is doubled into a 2 x 2 block
    EXPECT_EQ(out->pixel_at(0, 0), coord(2, 0));
    EXPECT_EQ(out->pixel_at(1, 1), coord(2, 0));
    EXPECT_EQ(out->pixel_at(2, 3), coord(3, 1));
    // the second tile is copied at its own resolution
    EXPECT_EQ(out->pixel_at(4, 0), coord(0, 0));
    EXPECT_EQ(out->pixel_at(7, 3), coord(3, 3));
}

TEST(FrameCrop, StoredZeroScaleReadsAsHundred) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(6, 6), {0, 0, 6, 6}, 0});
    auto out = frame.crop({1, 1, 3, 3});
    ASSERT_TRUE(out);
    EXPECT_EQ(out->width(), 3u);
    EXPECT_EQ(out->pixel_at(2, 2), coord(3, 3));
}

TEST(FramePixelAt, LastColumnAndBeyond) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(20, 10), {-10, -5, 20, 10}, 100});
    EXPECT_EQ(frame.pixel_at(9, 4), coord(19, 9));
    EXPECT_FALSE(frame.pixel_at(10, 4));
    EXPECT_EQ(frame.pixel_at(-10, -5), coord(0, 0));
    EXPECT_FALSE(frame.pixel_at(-11, 0));
}

TEST(FramePixelAt, FirstContainingTileDecidesEvenWhenItsImageIsShort) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(2, 2), {0, 0, 4, 4}, 100});
    frame.tiles.push_back({coordinate_image(4, 4), {0, 0, 4, 4}, 100});
    EXPECT_EQ(frame.pixel_at(1, 1), coord(1, 1));
    EXPECT_FALSE(frame.pixel_at(3, 3));
}

TEST(FrameCrop, ShortImagesArePaddedOverlapsTakeTheLaterTileAndRoomIsReserved) {
    Frame frame;
    frame.tiles.push_back({coordinate_image(2, 2), {0, 0, 4, 4}, 100});
    auto padded = frame.crop({0, 0, 4, 4}, 1000);
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->pixel_at(1, 1), coord(1, 1));
    EXPECT_EQ(padded->pixel_at(2, 0), 0xFF000000u);
    EXPECT_EQ(padded->pixel_at(3, 3), 0xFF000000u);
    EXPECT_GE(padded->pixels().capacity(), 1000u);

    Frame overlapping;
    overlapping.tiles.push_back({coordinate_image(4, 4), {0, 0, 4, 4}, 100});
    overlapping.tiles.push_back({coordinate_image(6, 6), {-2, -2, 6, 6}, 100});
    auto later = overlapping.crop({1, 1, 2, 2});
    ASSERT_TRUE(later);
    EXPECT_EQ(later->pixel_at(0, 0), coord(3, 3));
    EXPECT_EQ(later->pixel_at(1, 1), coord(4, 4));
    EXPECT_EQ(overlapping.crop_size({1, 1, 2, 2})->width, 2u);
    EXPECT_FALSE(overlapping.crop_size({7, 7, 2, 2}));
}

namespace {

// Lends a buffer of its own and says when it is released.
struct LendingOwner : PixelOwner {
    explicit LendingOwner(bool* released, std::vector<uint8_t> pixels) : released(released), pixels(std::move(pixels)) {}
    ~LendingOwner() override { *released = true; }
    bool* released;
    std::vector<uint8_t> pixels;
};

TileImage lent_coordinates(uint32_t w, uint32_t h, bool* released, uint8_t** memory = nullptr) {
    auto owner = std::make_unique<LendingOwner>(released, coordinate_image(w, h).pixels());
    uint8_t* data = owner->pixels.data();
    if (memory) *memory = data;
    return TileImage::lent(w, h, data, std::move(owner)).value();
}

}  // namespace

TEST(TileImage, LentPixelsAreReadInPlaceAndReleasedWithTheFrame) {
    bool released = false;
    uint8_t* memory = nullptr;
    {
        Frame frame;
        frame.tiles.push_back({lent_coordinates(10, 10, &released, &memory), {100, 200, 10, 10}, 100});
        const TileImage& image = frame.tiles[0].image;
        EXPECT_NE(image.owner(), nullptr);
        EXPECT_EQ(image.data(), memory);  // no copy was made
        EXPECT_EQ(image.byte_size(), 400u);
        EXPECT_EQ(frame.pixel_at(103, 207), coord(3, 7));
        EXPECT_EQ(image.pixel_at(10, 0), std::nullopt);
        const auto crop = frame.crop({108, 208, 4, 4});  // sticks out: padded as for an Image of its own
        ASSERT_TRUE(crop);
        EXPECT_EQ(crop->pixel_at(1, 1), coord(9, 9));
        EXPECT_EQ(crop->pixel_at(2, 2), 0xFF000000u);
        Frame moved = std::move(frame);
        EXPECT_EQ(moved.tiles[0].image.data(), memory);
        EXPECT_FALSE(released);
        moved.wipe();
        EXPECT_EQ(memory[4 * 55 + 2], 0);  // wiped where the owner keeps it
        EXPECT_EQ(moved.pixel_at(105, 205), 0u);
    }
    EXPECT_TRUE(released);
}

TEST(TileImage, ACopyOwnsItsPixelsAndOutlivesTheLender) {
    bool released = false;
    std::optional<TileImage> copy;
    {
        TileImage lent = lent_coordinates(6, 4, &released);
        copy = lent;
        EXPECT_EQ(copy->owner(), nullptr);
        EXPECT_NE(copy->data(), lent.data());
        lent.wipe();
        bool other_released = false;
        TileImage assigned = lent_coordinates(2, 2, &other_released);
        assigned = lent;
        EXPECT_TRUE(other_released);
        EXPECT_EQ(assigned.pixel_at(5, 3), 0u);  // the wiped pixels, copied
    }
    EXPECT_TRUE(released);
    EXPECT_EQ(copy->width(), 6u);
    EXPECT_EQ(copy->pixel_at(5, 3), coord(5, 3));
}

TEST(TileImage, LendingChecksTheSizeAsAnImageDoes) {
    bool released = false;
    uint8_t byte = 0;
    EXPECT_EQ(TileImage::lent(0, 5, &byte, std::make_unique<LendingOwner>(&released, std::vector<uint8_t>{})).error().kind,
              ImageError::Kind::ZeroSized);
    EXPECT_EQ(TileImage::lent(0xFFFFFFFF, 0xFFFFFFFF, &byte, nullptr).error().kind, ImageError::Kind::TooLarge);
    EXPECT_EQ(TileImage::lent(2, 2, nullptr, nullptr).error().kind, ImageError::Kind::BadLength);
    EXPECT_TRUE(released);  // a refused owner is released at once
}
