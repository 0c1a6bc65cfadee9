#pragma once
// The displays and the frozen picture of the virtual desktop.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/image.h"
#include "kestrix/rect.h"

namespace kestrix {

struct Monitor {
    uintptr_t handle = 0;     // the platform's monitor handle
    Rect rect;                // full monitor rectangle in desktop units
    uint32_t ui_scale = 100;  // effective DPI x 100 / 96
    uint32_t pixel_scale = 100;
    bool primary = false;
};

struct Tile {
    Image image;
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
