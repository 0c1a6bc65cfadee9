// What a pointer move does to the gesture in progress: drawing a new
// annotation, reshaping or moving an existing one, or changing the selection.
#include <algorithm>
#include <cmath>

#include "edge_drag.h"
#include "kestrix/editor.h"

namespace kestrix {
namespace {

constexpr double MIN_STROKE_STEP = 1.0;    // pen points closer than this are not kept
constexpr double MIN_RESHAPED_BOX = 8.0;
constexpr double BEND_STRAIGHT_RADIUS = 1.0;

double clamp_upper_first(double v, double lo, double hi) { return std::max(std::min(v, hi), lo); }

// The corner across the box from a corner handle.
Point opposite_corner(const Box& b, Handle h) {
    const double left = b.x, right = b.x + b.width, top = b.y, bottom = b.y + b.height;
    switch (h) {
        case Handle::TopLeft: return {right, bottom};
        case Handle::TopRight: return {left, bottom};
        case Handle::BottomRight: return {left, top};
        default: return {right, top};  // bottom-left
    }
}

detail::Span<double> reshape_axis(double lo, double hi, bool moves_lo, bool moves_hi, double pointer) {
    if (!moves_lo && !moves_hi) return {lo, hi};
    return detail::drag_edge(moves_lo ? hi : lo, pointer, moves_lo, MIN_RESHAPED_BOX);
}

// A rectangle or ellipse box dragged by one of its eight handles.
template <class BoxMark>
void reshape_box(BoxMark& live, const BoxMark& start, Handle h, Point p, bool shift) {
    const Box b = box_of(start.start, start.end);
    if (shift && is_corner_handle(h)) p = square_constrain(opposite_corner(b, h), p);
    const auto x = reshape_axis(b.x, b.x + b.width, handle_moves_left(h), handle_moves_right(h), p.x);
    const auto y = reshape_axis(b.y, b.y + b.height, handle_moves_top(h), handle_moves_bottom(h), p.y);
    live.start = {x.lo, y.lo};
    live.end = {x.hi, y.hi};
}

// An arrow's or a line's end dragged by its handle; Shift snaps the angle around the other end.
template <class Straight>
bool reshape_ends(Straight& live, Handle h, const Point& p, bool shift) {
    switch (h) {
        case Handle::ArrowStart: live.start = shift ? angle_snap(live.end, p) : p; return true;
        case Handle::ArrowEnd: live.end = shift ? angle_snap(live.start, p) : p; return true;
        default: return false;
    }
}

void reshape_arrow(ArrowMark& live, Handle h, const Point& p, bool shift) {
    if (reshape_ends(live, h, p, shift) || h != Handle::ArrowBend) return;
    // The curve's midpoint follows the pointer; close to the straight midpoint
    // the arrow becomes straight again.
    const Point m{(live.start.x + live.end.x) / 2.0, (live.start.y + live.end.y) / 2.0};
    if (std::hypot(p.x - m.x, p.y - m.y) <= BEND_STRAIGHT_RADIUS)
        live.bend.reset();
    else
        live.bend = Point{2.0 * p.x - m.x, 2.0 * p.y - m.y};
}

template <class Stroke>
void extend_stroke(Stroke& stroke, const Point& p, bool shift) {
    if (stroke.points.empty()) {
        stroke.points.push_back(p);
        return;
    }
    if (shift) {
        const Point first = stroke.points.front();
        stroke.points = {first, angle_snap(first, p)};
        return;
    }
    const Point& last = stroke.points.back();
    if (std::hypot(p.x - last.x, p.y - last.y) >= MIN_STROKE_STEP) stroke.points.push_back(p);
}

}  // namespace

void Editor::apply_move(const Point& p, bool shift) {
    if (auto* g = std::get_if<DrawingGesture>(&gesture_)) {
        move_drawing(*g, clamp_into(selection_, p), shift);
    } else if (auto* g = std::get_if<ResizingSelectionGesture>(&gesture_)) {
        resize_selection(*g, p);
    } else if (auto* g = std::get_if<MovingSelectionGesture>(&gesture_)) {
        move_selection(*g, p);
    } else if (auto* g = std::get_if<ReshapingGesture>(&gesture_)) {
        if (g->index < annotations_.size())
            reshape(*g, clamp_into(selection_, p), shift);
        else
            gesture_ = std::monostate{};
    } else if (auto* g = std::get_if<MovingAnnotationGesture>(&gesture_)) {
        if (g->index < annotations_.size())
            move_annotation(*g, p);
        else
            gesture_ = std::monostate{};
    }
}

void Editor::move_drawing(DrawingGesture& g, const Point& p, bool shift) {
    Annotation& a = g.annotation;
    if (auto* r = std::get_if<RectangleMark>(&a)) {
        r->end = shift ? square_constrain(r->start, p) : p;
    } else if (auto* e = std::get_if<EllipseMark>(&a)) {
        e->end = shift ? square_constrain(e->start, p) : p;
    } else if (auto* x = std::get_if<RedactMark>(&a)) {
        x->end = shift ? square_constrain(x->start, p) : p;
    } else if (auto* ar = std::get_if<ArrowMark>(&a)) {
        ar->end = shift ? angle_snap(ar->start, p) : p;
    } else if (auto* l = std::get_if<LineMark>(&a)) {
        l->end = shift ? angle_snap(l->start, p) : p;
    } else if (auto* pen = std::get_if<PenMark>(&a)) {
        extend_stroke(*pen, p, shift);
    } else if (auto* h = std::get_if<HighlighterMark>(&a)) {
        extend_stroke(*h, p, shift);
    } else if (auto* mosaic = std::get_if<MosaicMark>(&a)) {
        extend_stroke(*mosaic, p, shift);
    } else if (auto* n = std::get_if<NumberMark>(&a)) {
        n->centre = p;
    }
}

void Editor::reshape(const ReshapingGesture& g, const Point& p, bool shift) {
    Annotation& live = annotations_[g.index];
    if (live.index() != g.start.index()) return;
    if (auto* r = std::get_if<RectangleMark>(&live)) {
        reshape_box(*r, std::get<RectangleMark>(g.start), g.handle, p, shift);
    } else if (auto* e = std::get_if<EllipseMark>(&live)) {
        reshape_box(*e, std::get<EllipseMark>(g.start), g.handle, p, shift);
    } else if (auto* x = std::get_if<RedactMark>(&live)) {
        reshape_box(*x, std::get<RedactMark>(g.start), g.handle, p, shift);
    } else if (auto* ar = std::get_if<ArrowMark>(&live)) {
        reshape_arrow(*ar, g.handle, p, shift);
    } else if (auto* l = std::get_if<LineMark>(&live)) {
        reshape_ends(*l, g.handle, p, shift);
    }
}

void Editor::move_annotation(MovingAnnotationGesture& g, const Point& p) {
    double dx = p.x - g.anchor.x;
    double dy = p.y - g.anchor.y;
    // An annotation that fits in the selection is kept inside it; a larger one moves freely.
    const Box vb = visualBounds(g.start);
    const double sel_left = selection_.x, sel_right = double(selection_.right());
    const double sel_top = selection_.y, sel_bottom = double(selection_.bottom());
    if (vb.width <= selection_.width) dx = clamp_upper_first(dx, sel_left - vb.x, sel_right - (vb.x + vb.width));
    if (vb.height <= selection_.height) dy = clamp_upper_first(dy, sel_top - vb.y, sel_bottom - (vb.y + vb.height));
    g.dx = dx;
    g.dy = dy;
    annotations_[g.index] = translated(g.start, dx, dy);
}

}  // namespace kestrix
