#pragma once
// What an editing-phase change of the overlay must repaint: everything it draws
// over the dimmed desktop, so that a pointer move repaints those parts rather
// than the whole desktop.
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/rect.h"

namespace kestrix {

struct EditingChrome {
    Rect selection;                        // desktop units
    std::vector<Point> annotation_handles; // the selected annotation's handle centres, desktop units
    Rect toolbar;                          // the bounding box of its panels, desktop units
    std::optional<Rect> tooltip_monitor;   // while a tooltip shows: the monitor it stays on
    uint32_t ui_scale = 100;               // the largest among the monitors
};

// The rectangles a paint goes through for an update region made of `rects`:
// two that lie close together are painted as their bounding box (when it adds
// at most a quarter to their area and a band of 64 units), since each part of
// a paint draws the vector chrome it meets once more.
std::vector<Rect> paint_parts(std::vector<Rect> rects);

// The bands of at most `rows` rows, top to bottom, that paint `part` through a
// back buffer of that many rows. A band ends early rather than cut through one
// of `keep_whole` (the areas drawn through a canvas, each band making its own)
// that fits in a band.
std::vector<Rect> paint_bands(const Rect& part, int32_t rows, const std::vector<Rect>& keep_whole);

// The selection with its frame and handles, the annotation handles, the toolbar,
// and while a tooltip shows the band of its monitor beside the toolbar that the
// tooltip can reach. Desktop units; empty parts are left out.
std::vector<Rect> editing_chrome_areas(const EditingChrome& chrome);

}  // namespace kestrix
