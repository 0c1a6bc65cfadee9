#include "kestrix/editor_geometry.h"

#include <algorithm>
#include <cmath>

#include "kestrix/ui_scale.h"

namespace kestrix {
namespace {

constexpr double QUARTER_PI = 0.7853981633974483;
constexpr double EDGE_HANDLE_PENALTY = 1000.0;

bool in_box_inclusive(const Point& p, double left, double top, double right, double bottom) {
    return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
}

// Only the outline band: within the tolerance outside or inside the edges.
bool rectangle_hit(const RectangleMark& m, const Point& p, double slack) {
    const double tol = slack + 0.5 * stroke_width(m);
    const Box b = box_of(m.start, m.end);
    if (!in_box_inclusive(p, b.x - tol, b.y - tol, b.x + b.width + tol, b.y + b.height + tol)) return false;
    // A box thinner than twice the tolerance is all band: every point of it is
    // within the tolerance of an edge, so nothing is cut out of the middle.
    const double inner_w = b.width - 2.0 * tol;
    const double inner_h = b.height - 2.0 * tol;
    if (inner_w <= 0.0 || inner_h <= 0.0) return true;
    return !in_box_inclusive(p, b.x + tol, b.y + tol, b.x + tol + inner_w, b.y + tol + inner_h);
}

bool ellipse_hit(const EllipseMark& m, const Point& p, double slack) {
    const double tol = slack + 0.5 * stroke_width(m);
    const Box b = box_of(m.start, m.end);
    const double rx = b.width / 2.0, ry = b.height / 2.0;
    if (rx == 0.0 || ry == 0.0) return false;
    const double dx = p.x - (b.x + rx), dy = p.y - (b.y + ry);
    const double d = std::hypot(dx, dy);
    if (d <= GEOMETRY_EPSILON) return false;
    const double ux = dx / d / rx, uy = dy / d / ry;
    const double radius = 1.0 / std::sqrt(ux * ux + uy * uy);
    return std::abs(d - radius) <= tol;
}

bool arrow_hit(const ArrowMark& m, const Point& p, double slack) {
    const double tol = slack + 0.5 * stroke_width(m);
    const std::vector<Point> path = arrow_path(m);
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (distance_to_segment(p, path[i], path[i + 1]) <= tol) return true;
    return false;
}

bool line_hit(const LineMark& m, const Point& p, double slack) {
    return distance_to_segment(p, m.start, m.end) <= slack + 0.5 * stroke_width(m);
}

// A redaction is solid: anywhere on it (and the slack around it) is a hit.
bool redact_hit(const RedactMark& m, const Point& p, double slack) {
    const Box b = box_of(m.start, m.end);
    return in_box_inclusive(p, b.x - slack, b.y - slack, b.x + b.width + slack, b.y + b.height + slack);
}

bool number_hit(const NumberMark& m, const Point& p, double slack) {
    return std::hypot(p.x - m.centre.x, p.y - m.centre.y) <= slack + 0.5 * marker_size(m);
}

bool text_hit(const TextMark& m, const Point& p, double slack) {
    const double left = m.box.x - slack, top = m.box.y - slack;
    return in_box_inclusive(p, left, top, left + std::max(m.box.width + 2 * slack, 0.0),
                            top + std::max(m.box.height + 2 * slack, 0.0));
}

}  // namespace

bool handle_moves_left(Handle h) { return h == Handle::TopLeft || h == Handle::BottomLeft || h == Handle::LeftMiddle; }
bool handle_moves_right(Handle h) {
    return h == Handle::TopRight || h == Handle::RightMiddle || h == Handle::BottomRight;
}
bool handle_moves_top(Handle h) { return h == Handle::TopLeft || h == Handle::TopMiddle || h == Handle::TopRight; }
bool handle_moves_bottom(Handle h) {
    return h == Handle::BottomRight || h == Handle::BottomMiddle || h == Handle::BottomLeft;
}
bool is_corner_handle(Handle h) {
    return h == Handle::TopLeft || h == Handle::TopRight || h == Handle::BottomRight || h == Handle::BottomLeft;
}

std::array<HandlePoint, 8> box_handles(const Box& b) {
    const double left = b.x, right = b.x + b.width, top = b.y, bottom = b.y + b.height;
    const double mid_x = b.x + b.width / 2.0, mid_y = b.y + b.height / 2.0;
    return {{{Handle::TopLeft, {left, top}},
             {Handle::TopMiddle, {mid_x, top}},
             {Handle::TopRight, {right, top}},
             {Handle::RightMiddle, {right, mid_y}},
             {Handle::BottomRight, {right, bottom}},
             {Handle::BottomMiddle, {mid_x, bottom}},
             {Handle::BottomLeft, {left, bottom}},
             {Handle::LeftMiddle, {left, mid_y}}}};
}

std::array<HandlePoint, 8> rect_handles(const Rect& r) {
    return box_handles({double(r.x), double(r.y), double(r.width), double(r.height)});
}

Box box_of(const Point& a, const Point& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

std::vector<HandlePoint> annotation_handles(const Annotation& annotation) {
    if (const auto* r = std::get_if<RectangleMark>(&annotation)) {
        const auto h = box_handles(box_of(r->start, r->end));
        return {h.begin(), h.end()};
    }
    if (const auto* e = std::get_if<EllipseMark>(&annotation)) {
        const auto h = box_handles(box_of(e->start, e->end));
        return {h.begin(), h.end()};
    }
    if (const auto* x = std::get_if<RedactMark>(&annotation)) {
        const auto h = box_handles(box_of(x->start, x->end));
        return {h.begin(), h.end()};
    }
    if (const auto* a = std::get_if<ArrowMark>(&annotation))
        return {{Handle::ArrowStart, a->start}, {Handle::ArrowEnd, a->end}, {Handle::ArrowBend, arrow_curve_midpoint(*a)}};
    if (const auto* l = std::get_if<LineMark>(&annotation)) return {{Handle::ArrowStart, l->start}, {Handle::ArrowEnd, l->end}};
    return {};
}

std::optional<Handle> hit_handle(const std::vector<HandlePoint>& handles, const Point& p, double tolerance) {
    std::optional<Handle> best;
    double best_score = 0.0;
    for (const HandlePoint& h : handles) {
        const double dx = p.x - h.centre.x, dy = p.y - h.centre.y;
        if (std::abs(dx) > tolerance || std::abs(dy) > tolerance) continue;
        const int id = int(h.handle);
        const bool edge_middle = id <= 7 && id % 2 == 1;
        const double score = std::hypot(dx, dy) + (edge_middle ? EDGE_HANDLE_PENALTY : 0.0);
        // Strictly lower only: on a tie the handle with the lower id stays.
        if (!best || score < best_score || (score == best_score && id < int(*best))) {
            best = h.handle;
            best_score = score;
        }
    }
    return best;
}

bool annotation_hit(const Annotation& annotation, const Point& p, uint32_t ui_scale) {
    struct Visitor {
        const Point& p;
        double slack;
        bool operator()(const RectangleMark& m) const { return rectangle_hit(m, p, slack); }
        bool operator()(const EllipseMark& m) const { return ellipse_hit(m, p, slack); }
        bool operator()(const ArrowMark& m) const { return arrow_hit(m, p, slack); }
        bool operator()(const PenMark&) const { return false; }
        bool operator()(const MosaicMark&) const { return false; }
        bool operator()(const NumberMark& m) const { return number_hit(m, p, slack); }
        bool operator()(const TextMark& m) const { return text_hit(m, p, slack); }
        bool operator()(const LineMark& m) const { return line_hit(m, p, slack); }
        bool operator()(const HighlighterMark&) const { return false; }
        bool operator()(const RedactMark& m) const { return redact_hit(m, p, slack); }
    };
    return std::visit(Visitor{p, at_scale(ANNOTATION_HIT_SLACK, ui_scale)}, annotation);
}

std::optional<std::size_t> hit_annotation(const std::vector<Annotation>& annotations, const Rect& selection,
                                          const Point& p, uint32_t ui_scale) {
    const bool inside = p.x >= selection.x && p.x < double(selection.right()) && p.y >= selection.y &&
                        p.y < double(selection.bottom());
    if (!inside) return std::nullopt;
    // Redactions are drawn above everything else, so they are hit first.
    for (std::size_t i = annotations.size(); i-- > 0;)
        if (std::holds_alternative<RedactMark>(annotations[i]) && annotation_hit(annotations[i], p, ui_scale)) return i;
    for (std::size_t i = annotations.size(); i-- > 0;)
        if (!std::holds_alternative<RedactMark>(annotations[i]) && annotation_hit(annotations[i], p, ui_scale))
            return i;
    return std::nullopt;
}

double distance_to_segment(const Point& p, const Point& a, const Point& b) {
    const double vx = b.x - a.x, vy = b.y - a.y;
    const double len2 = vx * vx + vy * vy;
    if (len2 <= GEOMETRY_EPSILON) return std::hypot(p.x - a.x, p.y - a.y);
    const double t = std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / len2, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

Point angle_snap(const Point& anchor, const Point& p) {
    const double dx = p.x - anchor.x, dy = p.y - anchor.y;
    const double length = std::hypot(dx, dy);
    if (length < GEOMETRY_EPSILON) return p;
    const double angle = std::round(std::atan2(dy, dx) / QUARTER_PI) * QUARTER_PI;
    return {anchor.x + length * std::cos(angle), anchor.y + length * std::sin(angle)};
}

Point square_constrain(const Point& anchor, const Point& p) {
    const double dx = p.x - anchor.x, dy = p.y - anchor.y;
    const double side = std::max(std::abs(dx), std::abs(dy));
    return {anchor.x + (dx < 0 ? -side : side), anchor.y + (dy < 0 ? -side : side)};
}

Point clamp_into(const Rect& selection, const Point& p) {
    // Upper limit first, then the lower, so an inverted range can never go wrong.
    const double x = std::max(std::min(p.x, double(selection.right())), double(selection.x));
    const double y = std::max(std::min(p.y, double(selection.bottom())), double(selection.y));
    return {x, y};
}

}  // namespace kestrix
