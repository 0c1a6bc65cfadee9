#pragma once
// The notification-area icon: four corner brackets (a viewfinder) drawn at the
// system's small-icon size on a transparent background, anti-aliased by 3 x 3
// supersampling. No icon resource is shipped; the platform turns the Image into
// its own icon handle.
#include <cstdint>

#include "kestrix/image.h"

namespace kestrix {

struct IconColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const IconColour&, const IconColour&) = default;
};

// The green for a light taskbar, and for a dark one (also used when the theme is unknown).
inline constexpr IconColour kIconColourLight{46, 158, 74};
inline constexpr IconColour kIconColourDark{63, 197, 99};

inline constexpr IconColour icon_colour(bool light_theme) {
    return light_theme ? kIconColourLight : kIconColourDark;
}

// The icon's side: the larger of the system's small-icon sides, never below 16.
uint32_t icon_size(int32_t small_icon_width, int32_t small_icon_height);

// Whether the point (x to the right, y downwards, in pixels) lies on one of the
// eight bracket strokes of an icon of side d; edges count as inside.
bool icon_covers(double d, double x, double y);

// The d x d icon: straight alpha, round(covered samples / 9 x 255); pixels with no
// covered sample are 0 in all four bytes. d below 16 is drawn at 16.
Image draw_icon(uint32_t d, IconColour colour);

}  // namespace kestrix
