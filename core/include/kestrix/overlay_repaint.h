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

// The selection with its frame and handles, the annotation handles, the toolbar,
// and while a tooltip shows the band of its monitor beside the toolbar that the
// tooltip can reach. Desktop units; empty parts are left out.
std::vector<Rect> editing_chrome_areas(const EditingChrome& chrome);

}  // namespace kestrix
