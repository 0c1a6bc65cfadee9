#include "kestrix/annotation.h"

#include <algorithm>

namespace kestrix {
namespace {

constexpr int ARROW_CURVE_SEGMENTS = 32;

Point curve_point(const Point& a, const Point& control, const Point& b, double t) {
    const double u = 1.0 - t;
    return {u * u * a.x + 2.0 * u * t * control.x + t * t * b.x,
            u * u * a.y + 2.0 * u * t * control.y + t * t * b.y};
}

// Bounding box of the points grown by `margin` on every side; all zeros when there are none.
Box bounds_of(const std::vector<Point>& points, double margin) {
    if (points.empty()) return {};
    double left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const Point& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    return {left - margin, top - margin, right - left + 2.0 * margin, bottom - top + 2.0 * margin};
}

void shift(Point& p, double dx, double dy) {
    p.x += dx;
    p.y += dy;
}

}  // namespace

std::vector<Point> arrow_path(const ArrowMark& arrow) {
    if (!arrow.bend) return {arrow.start, arrow.end};
    std::vector<Point> path;
    path.reserve(ARROW_CURVE_SEGMENTS + 1);
    for (int i = 0; i <= ARROW_CURVE_SEGMENTS; ++i)
        path.push_back(curve_point(arrow.start, *arrow.bend, arrow.end, double(i) / ARROW_CURVE_SEGMENTS));
    return path;
}

Point arrow_curve_midpoint(const ArrowMark& arrow) {
    if (!arrow.bend) return {(arrow.start.x + arrow.end.x) / 2.0, (arrow.start.y + arrow.end.y) / 2.0};
    return curve_point(arrow.start, *arrow.bend, arrow.end, 0.5);
}

Box visualBounds(const Annotation& annotation) {
    struct Visitor {
        Box operator()(const RectangleMark& m) const { return bounds_of({m.start, m.end}, stroke_width(m) / 2.0); }
        Box operator()(const EllipseMark& m) const { return bounds_of({m.start, m.end}, stroke_width(m) / 2.0); }
        Box operator()(const ArrowMark& m) const {
            // The head is wider than the shaft, so the margin covers it too.
            const double w = stroke_width(m);
            return bounds_of(arrow_path(m), std::max(w / 2.0, 2.5 * w));
        }
        Box operator()(const PenMark& m) const { return bounds_of(m.points, stroke_width(m) / 2.0); }
        Box operator()(const MosaicMark& m) const { return bounds_of(m.points, m.brush_width / 2.0); }
        Box operator()(const NumberMark& m) const {
            const double d = marker_size(m);
            return {m.centre.x - d / 2.0, m.centre.y - d / 2.0, d, d};
        }
        Box operator()(const TextMark& m) const { return m.box; }
        Box operator()(const LineMark& m) const { return bounds_of({m.start, m.end}, stroke_width(m) / 2.0); }
        Box operator()(const HighlighterMark& m) const { return bounds_of(m.points, stroke_width(m) / 2.0); }
        Box operator()(const RedactMark& m) const { return bounds_of({m.start, m.end}, 0.0); }
    };
    return std::visit(Visitor{}, annotation);
}

Annotation translated(const Annotation& annotation, double dx, double dy) {
    Annotation moved = annotation;
    struct Visitor {
        double dx, dy;
        void operator()(RectangleMark& m) const { shift(m.start, dx, dy), shift(m.end, dx, dy); }
        void operator()(EllipseMark& m) const { shift(m.start, dx, dy), shift(m.end, dx, dy); }
        void operator()(ArrowMark& m) const {
            shift(m.start, dx, dy);
            shift(m.end, dx, dy);
            if (m.bend) shift(*m.bend, dx, dy);
        }
        void operator()(PenMark& m) const {
            for (Point& p : m.points) shift(p, dx, dy);
        }
        void operator()(MosaicMark& m) const {
            for (Point& p : m.points) shift(p, dx, dy);
        }
        void operator()(NumberMark& m) const { shift(m.centre, dx, dy); }
        void operator()(TextMark& m) const {
            m.box.x += dx;
            m.box.y += dy;
        }
        void operator()(LineMark& m) const { shift(m.start, dx, dy), shift(m.end, dx, dy); }
        void operator()(HighlighterMark& m) const {
            for (Point& p : m.points) shift(p, dx, dy);
        }
        void operator()(RedactMark& m) const { shift(m.start, dx, dy), shift(m.end, dx, dy); }
    };
    std::visit(Visitor{dx, dy}, moved);
    return moved;
}

Annotation remapped(const Annotation& annotation, const CoordinateMap& map) {
    Annotation out = annotation;
    // By what each kind holds, so that every kind is carried whatever its fields.
    std::visit(
        [&](auto& m) {
            if constexpr (requires { m.start; m.end; }) m.start = map(m.start), m.end = map(m.end);
            if constexpr (requires { m.bend; })
                if (m.bend) *m.bend = map(*m.bend);
            if constexpr (requires { m.points; })
                for (Point& p : m.points) p = map(p);
            if constexpr (requires { m.centre; }) m.centre = map(m.centre);
            if constexpr (requires { m.box; }) {
                const Point at = map({m.box.x, m.box.y});
                m.box = {at.x, at.y, m.box.width * map.sx, m.box.height * map.sy};
            }
            if constexpr (requires { m.brush_width; m.block_size; })
                m.brush_width *= map.size, m.block_size *= map.size;
            if constexpr (requires { m.scale; }) m.scale *= map.size;
        },
        out);
    return out;
}

}  // namespace kestrix
