#pragma once
// The displays and the frozen picture of the virtual desktop.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kestrix/image.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix {

struct Monitor {
    uintptr_t handle = 0;     // the platform's monitor handle
    Rect rect;                // full monitor rectangle in desktop units
    uint32_t ui_scale = 100;  // effective DPI x 100 / 96
    uint32_t pixel_scale = 100;
    bool primary = false;
};

// Whatever owns pixels that a tile shows without copying them: on Windows the
// bitmap the screen was copied into, which the overlay then paints from.
class PixelOwner {
public:
    virtual ~PixelOwner() = default;
};

// A tile's picture, laid out like an Image (blue, green, red, alpha bytes, rows
// top to bottom, stride 4 x width): either an Image of its own, or pixels lent
// by their owner for as long as the tile lives. A copy is an Image of its own.
class TileImage {
public:
    TileImage(Image image);  // a tile made from a picture owns it
    // The checks of make_image, on the lent pixels' size.
    static Result<TileImage, ImageError> lent(uint32_t width, uint32_t height, uint8_t* pixels,
                                              std::unique_ptr<PixelOwner> owner);
    TileImage(const TileImage& other);
    TileImage& operator=(const TileImage& other);
    TileImage(TileImage&&) noexcept = default;
    TileImage& operator=(TileImage&&) noexcept = default;

    uint32_t width() const { return owner_ ? width_ : image_->width(); }
    uint32_t height() const { return owner_ ? height_ : image_->height(); }
    size_t stride() const { return size_t(width()) * 4; }
    const uint8_t* data() const { return owner_ ? lent_ : image_->pixels().data(); }
    uint8_t* data() { return owner_ ? lent_ : image_->pixels().data(); }
    size_t byte_size() const { return stride() * height(); }
    // The owner of lent pixels; null for an Image of its own.
    const PixelOwner* owner() const { return owner_.get(); }

    std::optional<uint32_t> pixel_at(uint32_t x, uint32_t y) const;
    void wipe();

private:
    TileImage() = default;

    std::optional<Image> image_;  // absent when the pixels are lent
    std::unique_ptr<PixelOwner> owner_;
    uint8_t* lent_ = nullptr;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
};

struct Tile {
    TileImage image;
    Rect rect;           // desktop units covered by the image
    uint32_t scale = 100;  // image pixels per 100 desktop units; 0 reads as 100
};

// Primary first, then ascending x, then ascending y; equal keys keep their order.
void sort_monitors(std::vector<Monitor>& monitors);

// The bounding box of the monitors; (0,0,0,0) for none.
Rect virtual_desktop(const std::vector<Monitor>& monitors);

// The rectangle of the monitor showing the largest part of `rect` (the first of
// equals), or of the one nearest to it when none shows any of it; none without a
// monitor of positive size. Where monitors differ in size or are offset, the
// desktop's bounding box has corners no monitor shows: what is placed beside a
// selection or the pointer is kept inside this rectangle instead.
std::optional<Rect> monitor_of(const std::vector<Monitor>& monitors, const Rect& rect);

// The rectangle of the monitor holding the point, else of the nearest one.
std::optional<Rect> monitor_at(const std::vector<Monitor>& monitors, int32_t x, int32_t y);

// The monitor monitor_of picks, or null.
const Monitor* monitor_for(const std::vector<Monitor>& monitors, const Rect& rect);

// The usable interface scale (usable_ui_scale) of the monitor showing most of `rect`,
// or of the one holding the point; 100 without monitors. What is drawn beside a
// selection or at the pointer is drawn at this scale.
uint32_t ui_scale_of(const std::vector<Monitor>& monitors, const Rect& rect);
uint32_t ui_scale_at(const std::vector<Monitor>& monitors, int32_t x, int32_t y);

// ui_scale for an effective DPI; 0 (a failed query) gives 100.
uint32_t ui_scale_for_dpi(uint32_t dpi);

struct PixelSize {
    uint64_t width = 0;
    uint64_t height = 0;
};

struct Frame {
    std::vector<Tile> tiles;

    uint32_t max_scale(const Rect& rect) const;
    // The pixel size crop(rect) gives: the rectangle at the largest scale it touches.
    std::optional<PixelSize> crop_size(const Rect& rect) const;
    // `capacity`: bytes the picture's buffer can hold from the start, so that a
    // later stage (the backdrop) can grow the picture without moving it. Absent
    // also when there is not enough memory for it (crop_size tells the two apart).
    std::optional<Image> crop(const Rect& rect, size_t capacity = 0) const;
    std::optional<uint32_t> pixel_at(int32_t x, int32_t y) const;
    // Overwrites every tile's pixels with zeros.
    void wipe();

private:
    std::optional<Image> crop_or_throw(const Rect& rect, size_t capacity) const;
};

}  // namespace kestrix
