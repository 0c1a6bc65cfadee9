#pragma once
// The highlighter's band, blended into raw pixels: the drawing library can only
// lay translucent colour over a picture, which greys dark text, where a
// highlighter must multiply so that dark text stays dark.
#include <span>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"

namespace kestrix {

// Tints the pixels of `target` under the polyline `points` (pixel coordinates),
// drawn as a band `width` pixels wide with round caps and joins and a soft edge
// one pixel wide: each colour channel c of a pixel the band covers fully becomes
// c x ((1 - HIGHLIGHTER_STRENGTH) + HIGHLIGHTER_STRENGTH x colour / 255), rounded.
// Every pixel is tinted once, by the most any part of the band covers it, so a
// stroke that crosses itself is no darker there. Only pixels whose centres lie in
// `clip` (pixel coordinates) change. A single point tints a disc. False, with
// nothing changed, when there is no memory for the band's coverage.
bool highlightStroke(PixelView target, std::span<const Point> points, double width, Argb colour, const Box& clip);

}  // namespace kestrix
