#pragma once
// Where the confirmation toast goes and how big it is: a line of text padded by the
// scale, centred just below what it confirms, kept on the desktop.
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/frame.h"
#include "kestrix/rect.h"

namespace kestrix {

struct TextExtent {
    int32_t width = 0;
    int32_t height = 0;
};

// The interface scale of the monitor the toast appears on (the one showing most of
// its anchor, see toast_area), at least 50; 100 without monitors.
uint32_t toast_scale(const std::optional<Rect>& near, const std::vector<Monitor>& monitors);

// The font's pixel height at that scale, never below 12.
int32_t toast_font_height(uint32_t scale);

// What the toast sits under: the given rectangle, else the primary (or first) monitor.
Rect toast_anchor(const std::optional<Rect>& near, const std::vector<Monitor>& monitors);

// Where the toast must stay: the monitor showing most of the anchor (the primary, or
// first, monitor without one); the desktop's bounding box when no monitor will do.
Rect toast_area(const std::optional<Rect>& near, const std::vector<Monitor>& monitors);

// The window's rectangle for the measured text (160 x 32 when it could not be measured),
// centred below the anchor and moved back into `area`, at least 8 units (at 100 %)
// above its bottom edge.
Rect toast_rect(const std::optional<TextExtent>& measured, uint32_t scale, const Rect& anchor, const Rect& area);

// The diameter of the rounded corners for a toast of that height at that scale.
int32_t toast_corner(int32_t height, uint32_t scale);

}  // namespace kestrix
