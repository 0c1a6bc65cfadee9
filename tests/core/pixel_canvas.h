#pragma once
// A canvas that really paints an image, crudely but by the canvas's contract:
// lines are bands of their width, polygons are filled where pixel centres fall
// inside, text is a block of ink at its corner, everything under the current
// scale and clip, always opaque and without soft edges. Highlighter strokes go
// to the core's own blend, as the platform's canvas hands them on. Enough to show
// what the export does with the pixels drawn over and under its own passes.
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "kestrix/canvas.h"
#include "kestrix/editor_geometry.h"
#include "kestrix/highlight.h"

namespace kestrix::test {

class PixelCanvas : public Canvas {
public:
    explicit PixelCanvas(Image& image) : image_(image) {}

    void strokePolyline(std::span<const Point> points, bool closed, double width, Argb colour) override {
        std::vector<Point> path(points.begin(), points.end());
        if (closed && !path.empty()) path.push_back(path.front());
        const double r = std::max(width, 0.5) * scale_ / 2;
        paint([&](double x, double y) {
            for (size_t i = 0; i + 1 < path.size(); ++i)
                if (distance_to_segment({x, y}, scaled(path[i]), scaled(path[i + 1])) <= r) return true;
            return false;
        }, colour);
    }
    void fillPolygon(std::span<const Point> points, Argb colour) override {
        std::vector<Point> poly;
        for (const Point& p : points) poly.push_back(scaled(p));
        paint([&](double x, double y) {
            bool in = false;  // even-odd
            for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
                if ((poly[i].y > y) != (poly[j].y > y) &&
                    x < (poly[j].x - poly[i].x) * (y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
                    in = !in;
            return in;
        }, colour);
    }
    void strokeEllipse(const Box& box, double width, Argb colour) override { strokeRectangle(box, width, colour); }
    void fillEllipse(const Box& box, Argb colour) override {
        const Point corners[] = {{box.x, box.y}, {box.x + box.width, box.y}, {box.x + box.width, box.y + box.height},
                                 {box.x, box.y + box.height}};
        fillPolygon(corners, colour);
    }
    void strokeRectangle(const Box& b, double width, Argb colour) override {
        const Point outline[] = {{b.x, b.y}, {b.x + b.width, b.y}, {b.x + b.width, b.y + b.height}, {b.x, b.y + b.height}};
        strokePolyline(outline, true, width, colour);
    }
    void highlightPolyline(std::span<const Point> points, double width, Argb colour) override {
        std::vector<Point> at;
        for (const Point& p : points) at.push_back(scaled(p));
        highlightStroke(view(), at, width * scale_, colour, clip_.value_or(Box{0, 0, double(image_.width()), double(image_.height())}));
    }
    bool drawText(std::string_view utf8, Point topLeft, double pixelSize, Argb colour) override {
        if (utf8.empty()) return true;
        const Box ink{topLeft.x + 0.2 * pixelSize, topLeft.y + 0.3 * pixelSize, 0.4 * pixelSize, 0.5 * pixelSize};
        fillEllipse(ink, colour);
        return true;
    }
    std::optional<TextExtent> measureText(std::string_view utf8, double pixelSize) override {
        return TextExtent{double(utf8.size()) * 0.5 * pixelSize, 1.25 * pixelSize};
    }
    void setClip(const Rect& r) override { clip_ = Box{r.x * scale_, r.y * scale_, r.width * scale_, r.height * scale_}; }
    void resetClip() override { clip_.reset(); }
    void setScale(double scale) override { scale_ = scale; }
    void resetScale() override { scale_ = 1; }

private:
    Point scaled(Point p) const { return {p.x * scale_, p.y * scale_}; }
    PixelView view() { return {image_.pixels().data(), image_.width(), image_.height(), image_.stride()}; }

    void paint(const std::function<bool(double, double)>& covers, Argb colour) {
        for (uint32_t y = 0; y < image_.height(); ++y)
            for (uint32_t x = 0; x < image_.width(); ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                if (clip_ && (cx < clip_->x || cy < clip_->y || cx >= clip_->x + clip_->width || cy >= clip_->y + clip_->height))
                    continue;
                if (!covers(cx, cy)) continue;
                uint8_t* p = image_.pixels().data() + (size_t(y) * image_.width() + x) * 4;
                p[0] = uint8_t(colour), p[1] = uint8_t(colour >> 8), p[2] = uint8_t(colour >> 16);
            }
    }

    Image& image_;
    double scale_ = 1;
    std::optional<Box> clip_;
};

// Hands the export a PixelCanvas over its picture.
class PaintingSurfaces : public ImageCanvasFactory {
public:
    Result<void, PlatformError> paint(Image& image, const std::function<void(Canvas&)>& draw) override {
        PixelCanvas canvas(image);
        draw(canvas);
        return {};
    }
};

}  // namespace kestrix::test
