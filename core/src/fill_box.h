#pragma once
// The canvas fills only polygons; a filled rectangle is its four corners.
#include "kestrix/canvas.h"

namespace kestrix::detail {

inline void fill_box(Canvas& canvas, const Box& b, Argb colour) {
    const Point corners[] = {{b.x, b.y}, {b.x + b.width, b.y}, {b.x + b.width, b.y + b.height}, {b.x, b.y + b.height}};
    canvas.fillPolygon(corners, colour);
}

}  // namespace kestrix::detail
