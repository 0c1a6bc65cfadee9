#pragma once
// Drawing the editor's annotations on a canvas, the same way on screen (one
// desktop unit a pixel) and in the export (scaled by the display scale).
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/rect.h"

namespace kestrix {

// An annotation colour (red in the lowest byte, then green, blue, alpha) in the
// drawing library's ARGB order.
Argb toArgb(uint32_t colour);

// Ink that reads on a colour: white on dark ones, near-black (#212121) on light
// ones. A Number marker's label, and text on its background box.
Argb markerLabelColour(uint32_t markerColour);

// The corner radius of a Text annotation's background box at a font pixel size.
double textBackgroundRadius(double pixelSize);

// The outline of a box with corners rounded to `radius` (at most half its shorter side).
std::vector<Point> roundedBox(const Box& box, double radius);

// A path cut back by `length` measured along it from its end.
std::vector<Point> shortenPath(std::vector<Point> path, double length);

// What an arrow draws: nothing when its path is shorter than half a pixel;
// otherwise a shaft that stops where the head's base begins, and the head.
struct ArrowShape {
    bool drawn = false;
    std::vector<Point> shaft;
    std::array<Point, 3> head{};  // tip, then the two base corners
};

// `path` is the arrow's path, `tip` its end point, `width` its stroke width.
ArrowShape arrowShape(const std::vector<Point>& path, Point tip, double width);

// The extent used when the text cannot be measured: 0.6 x px a character (at
// least px) by 1.4 x px, counting Unicode scalar values.
TextExtent fallbackTextExtent(std::string_view utf8, double pixelSize);

// The box of a Text annotation for `text` at a font size in pixels (font_size of
// the mark): measured with `measurer` when there is one and the measurement is not
// empty, else the fallback.
TextExtent measureText(Canvas* measurer, std::string_view utf8, double pixelSize);

// Draws one annotation; `origin` is the desktop point at the canvas's (0, 0).
void drawAnnotation(Canvas& canvas, Origin origin, const Annotation& annotation);

// Clips to `clip` (desktop units), draws the list in order without the one at
// `leaveOut` (the Text annotation open in the text box), then `inProgress` on
// top, then resets the clip. Redactions are drawn last of all, in their order.
void drawAnnotations(Canvas& canvas, Origin origin, const std::vector<Annotation>& annotations,
                     const Annotation* inProgress, const Rect& clip, std::optional<size_t> leaveOut);

}  // namespace kestrix
