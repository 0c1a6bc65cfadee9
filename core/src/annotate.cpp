#include "kestrix/annotate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "fill_box.h"

namespace kestrix {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
constexpr Argb kWhite = 0xFFFFFFFFu;
constexpr Argb kNearBlack = 0xFF212121u;

double distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

double pathLength(const std::vector<Point>& path) {
    double total = 0;
    for (size_t i = 1; i < path.size(); ++i) total += distance(path[i - 1], path[i]);
    return total;
}

int32_t saturate(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

Argb toArgb(uint32_t c) { return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu); }

Argb markerLabelColour(uint32_t colour) {
    const double r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    return luma <= 140 ? kWhite : kNearBlack;
}

std::vector<Point> shortenPath(std::vector<Point> path, double length) {
    if (path.size() < 2 || !(length > 0)) return path;
    double r = length;
    while (path.size() >= 2) {
        const Point last = path.back(), previous = path[path.size() - 2];
        const double d = distance(previous, last);
        if (d >= r) {
            if (d <= kEpsilon) {
                path.back() = previous;
            } else {
                const double keep = (d - r) / d;
                path.back() = {previous.x + (last.x - previous.x) * keep, previous.y + (last.y - previous.y) * keep};
            }
            break;
        }
        r -= d;
        path.pop_back();
    }
    return path;
}

ArrowShape arrowShape(const std::vector<Point>& path, Point tip, double width) {
    ArrowShape shape;
    const double length = pathLength(path);
    if (!(length >= 0.5)) return shape;  // also refuses a NaN length
    shape.drawn = true;
    const double head = std::min(3.2 * width, 0.5 * length);
    shape.shaft = shortenPath(path, head);
    const Point base = shape.shaft.empty() ? path.front() : shape.shaft.back();
    const double norm = std::max(distance(base, tip), kEpsilon);
    const Point u{(tip.x - base.x) / norm, (tip.y - base.y) / norm};
    const double half = 0.42 * head;
    shape.head = {tip, Point{base.x - u.y * half, base.y + u.x * half}, Point{base.x + u.y * half, base.y - u.x * half}};
    return shape;
}

double textBackgroundRadius(double pixelSize) { return 0.25 * pixelSize; }

std::vector<Point> roundedBox(const Box& box, double radius) {
    const double r = std::clamp(radius, 0.0, std::min(box.width, box.height) / 2);
    constexpr int kSteps = 6;  // per quarter circle
    const double right = box.x + box.width, bottom = box.y + box.height;
    // Corner centres clockwise from the top-right, each with the angle its arc starts at.
    const struct {
        double cx, cy, from;
    } corners[] = {{right - r, box.y + r, -90}, {right - r, bottom - r, 0}, {box.x + r, bottom - r, 90}, {box.x + r, box.y + r, 180}};
    std::vector<Point> points;
    points.reserve(4 * (kSteps + 1));
    for (const auto& c : corners)
        for (int i = 0; i <= kSteps; ++i) {
            const double a = (c.from + 90.0 * i / kSteps) * std::numbers::pi / 180.0;
            points.push_back({c.cx + r * std::cos(a), c.cy + r * std::sin(a)});
        }
    return points;
}

TextExtent fallbackTextExtent(std::string_view utf8, double px) {
    // Unicode scalar values: every byte that does not continue a sequence starts one
    const double n = double(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
    return {std::max(n * px * 0.6, px), 1.4 * px};
}

TextExtent measureText(Canvas* measurer, std::string_view utf8, double px) {
    TextExtent extent = fallbackTextExtent(utf8, px);
    if (measurer) {
        const auto measured = measurer->measureText(utf8, px);
        if (measured && measured->width > 0 && measured->height > 0) extent = *measured;
    }
    return extent;
}

namespace {

// Desktop coordinates to canvas coordinates, in double precision.
struct Mapper {
    Origin origin;
    Point operator()(double x, double y) const { return {x - origin.x, y - origin.y}; }
    Point operator()(const Point& p) const { return (*this)(p.x, p.y); }
    // The box spanned by two corners, whichever way round they are.
    Box box(const Point& a, const Point& b) const {
        const Point topLeft = (*this)(std::min(a.x, b.x), std::min(a.y, b.y));
        return {topLeft.x, topLeft.y, std::abs(b.x - a.x), std::abs(b.y - a.y)};
    }
};

void drawArrow(Canvas& canvas, const Mapper& map, const ArrowMark& a) {
    std::vector<Point> path;
    for (const Point& p : arrow_path(a)) path.push_back(map(p));
    const double w = stroke_width(a);
    const ArrowShape shape = arrowShape(path, map(a.end), w);
    if (!shape.drawn) return;
    const Argb colour = toArgb(a.colour);
    if (shape.shaft.size() >= 2) canvas.strokePolyline(shape.shaft, false, w, colour);
    canvas.fillPolygon(shape.head, colour);
}

std::vector<Point> mapped(const Mapper& map, const std::vector<Point>& points) {
    std::vector<Point> out;
    out.reserve(points.size());
    for (const Point& p : points) out.push_back(map(p));
    return out;
}

void drawText(Canvas& canvas, const Mapper& map, const TextMark& t) {
    const double px = font_size(t);
    const Point at = map(t.box.x, t.box.y);
    Argb ink = toArgb(t.colour);
    if (t.background) {
        const Box box{at.x, at.y, t.box.width, t.box.height};
        canvas.fillPolygon(roundedBox(box, textBackgroundRadius(px)), ink | 0xFF000000u);
        ink = markerLabelColour(t.colour);
    }
    canvas.drawText(t.text, at, px, ink);
}

void drawNumber(Canvas& canvas, const Mapper& map, const NumberMark& n) {
    const double d = marker_size(n);
    const Point centre = map(n.centre);
    canvas.fillEllipse({centre.x - d / 2, centre.y - d / 2, d, d}, toArgb(n.colour));
    const std::string label = std::to_string(n.number);
    const double size = 0.58 * d;
    const auto extent = canvas.measureText(label, size);
    if (!extent) return;
    canvas.drawText(label, {centre.x - extent->width / 2, centre.y - extent->height / 2}, size,
                    markerLabelColour(n.colour));
}

}  // namespace

void drawAnnotation(Canvas& canvas, Origin origin, const Annotation& annotation) {
    const Mapper map{origin};
    std::visit(
        [&](const auto& a) {
            using T = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<T, RectangleMark>) {
                canvas.strokeRectangle(map.box(a.start, a.end), stroke_width(a), toArgb(a.colour));
            } else if constexpr (std::is_same_v<T, EllipseMark>) {
                canvas.strokeEllipse(map.box(a.start, a.end), stroke_width(a), toArgb(a.colour));
            } else if constexpr (std::is_same_v<T, ArrowMark>) {
                drawArrow(canvas, map, a);
            } else if constexpr (std::is_same_v<T, LineMark>) {
                const Point ends[] = {map(a.start), map(a.end)};
                canvas.strokePolyline(ends, false, stroke_width(a), toArgb(a.colour));
            } else if constexpr (std::is_same_v<T, PenMark>) {
                if (a.points.size() < 2) return;
                canvas.strokePolyline(mapped(map, a.points), false, stroke_width(a), toArgb(a.colour));
            } else if constexpr (std::is_same_v<T, HighlighterMark>) {
                if (a.points.size() < 2) return;
                canvas.highlightPolyline(mapped(map, a.points), stroke_width(a), toArgb(a.colour));
            } else if constexpr (std::is_same_v<T, RedactMark>) {
                // Opaque whatever the colour's alpha: nothing may show through.
                detail::fill_box(canvas, map.box(a.start, a.end), toArgb(a.colour) | 0xFF000000u);
            } else if constexpr (std::is_same_v<T, NumberMark>) {
                drawNumber(canvas, map, a);
            } else if constexpr (std::is_same_v<T, TextMark>) {
                drawText(canvas, map, a);
            }
            // Mosaic strokes are pixelated into the picture beforehand, not drawn.
        },
        annotation);
}

void drawAnnotations(Canvas& canvas, Origin origin, const std::vector<Annotation>& annotations,
                     const Annotation* inProgress, const Rect& clip, std::optional<size_t> leaveOut) {
    canvas.setClip({saturate(int64_t(clip.x) - origin.x), saturate(int64_t(clip.y) - origin.y), clip.width, clip.height});
    // Redactions go over everything else, whenever they were drawn.
    for (const bool redactions : {false, true}) {
        for (size_t i = 0; i < annotations.size(); ++i)
            if (i != leaveOut && std::holds_alternative<RedactMark>(annotations[i]) == redactions)
                drawAnnotation(canvas, origin, annotations[i]);
        if (inProgress && std::holds_alternative<RedactMark>(*inProgress) == redactions)
            drawAnnotation(canvas, origin, *inProgress);
    }
    canvas.resetClip();
}

}  // namespace kestrix
