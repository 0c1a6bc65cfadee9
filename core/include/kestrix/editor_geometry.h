#pragma once
// Geometry of the mark-up editor that needs no editor state: handles and their
// hit test, the per-kind annotation hit test, and the Shift constraints.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/rect.h"

namespace kestrix {

// Box handles 0..7 run clockwise from the top-left corner; 8..10 belong to arrows.
enum class Handle : uint8_t {
    TopLeft = 0,
    TopMiddle = 1,
    TopRight = 2,
    RightMiddle = 3,
    BottomRight = 4,
    BottomMiddle = 5,
    BottomLeft = 6,
    LeftMiddle = 7,
    ArrowStart = 8,
    ArrowEnd = 9,
    ArrowBend = 10,
};

struct HandlePoint {
    Handle handle = Handle::TopLeft;
    Point centre;
    friend bool operator==(const HandlePoint&, const HandlePoint&) = default;
};

// At 100 %; the editor multiplies them by its interface scale.
inline constexpr double SELECTION_HANDLE_SIZE = 10.0;       // edge of the drawn square
inline constexpr double SELECTION_HANDLE_TOLERANCE = 11.0;  // per axis, for hits
inline constexpr double ANNOTATION_HANDLE_TOLERANCE = 6.0;
inline constexpr double ANNOTATION_HIT_SLACK = 5.0;  // grace around every hit shape

// The smallest double step the hit tests and constraints treat as "no distance".
inline constexpr double GEOMETRY_EPSILON = 2.220446049250313e-16;

// Which edges a box handle drags along with the pointer.
bool handle_moves_left(Handle h);
bool handle_moves_right(Handle h);
bool handle_moves_top(Handle h);
bool handle_moves_bottom(Handle h);
bool is_corner_handle(Handle h);

// Handles 0..7 on the corners and edge midpoints of a box.
std::array<HandlePoint, 8> box_handles(const Box& box);
std::array<HandlePoint, 8> rect_handles(const Rect& rect);

// The box spanned by two points, whatever their order.
Box box_of(const Point& a, const Point& b);

// Handles of an annotation: box handles for rectangles, ellipses and redactions,
// start, end and bend for arrows, start and end for lines, none for the other kinds.
std::vector<HandlePoint> annotation_handles(const Annotation& annotation);

// The handle under p: a candidate lies within `tolerance` of p on both axes;
// the nearest wins, corners before edge midpoints, then the lowest id.
std::optional<Handle> hit_handle(const std::vector<HandlePoint>& handles, const Point& p, double tolerance);

// Whether p touches the drawn annotation (outline, path, marker, text box or the
// whole of a redaction), with the grace of ANNOTATION_HIT_SLACK at the interface
// scale (percent) beside half the mark's own stroke. Pen, Highlighter and Mosaic
// strokes are never hit.
bool annotation_hit(const Annotation& annotation, const Point& p, uint32_t ui_scale);

// The topmost annotation under p, redactions before the rest since they are drawn
// over it; only points inside the selection can hit.
std::optional<std::size_t> hit_annotation(const std::vector<Annotation>& annotations, const Rect& selection,
                                          const Point& p, uint32_t ui_scale);

// Distance from p to the segment a-b.
double distance_to_segment(const Point& p, const Point& a, const Point& b);

// Shift with arrows and strokes: p moved onto the nearest multiple of 45 degrees around `anchor`.
Point angle_snap(const Point& anchor, const Point& p);

// Shift with rectangles and ellipses: p moved so the box from `anchor` is square.
Point square_constrain(const Point& anchor, const Point& p);

// p clamped into the selection, both ends included.
Point clamp_into(const Rect& selection, const Point& p);

}  // namespace kestrix
