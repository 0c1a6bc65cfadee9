#include "kestrix/pictogram.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "kestrix/annotate.h"

namespace kestrix {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
constexpr Argb kSwatchOutline = opaque(142, 142, 150);

// Maps fractions of the button rectangle to canvas coordinates and draws with
// the pictogram's pen and colour.
class Sketch {
public:
    Sketch(Canvas& canvas, const Box& item, Argb colour)
        : canvas_(canvas), item_(item), colour_(colour), pen_(std::max(0.075 * item.width, 1.4)) {}

    Point at(Point f) const { return {item_.x + f.x * item_.width, item_.y + f.y * item_.height}; }
    Box box(double fx, double fy, double fw, double fh) const {
        return {item_.x + fx * item_.width, item_.y + fy * item_.height, fw * item_.width, fh * item_.height};
    }

    void line(const std::vector<Point>& fractions, bool closed = false) {
        canvas_.strokePolyline(mapped(fractions), closed, pen_, colour_);
    }
    void fill(const std::vector<Point>& fractions) { canvas_.fillPolygon(mapped(fractions), colour_); }
    void fillBox(double fx, double fy, double fw, double fh) {
        fill({{fx, fy}, {fx + fw, fy}, {fx + fw, fy + fh}, {fx, fy + fh}});
    }
    void outlineBox(double fx, double fy, double fw, double fh) { canvas_.strokeRectangle(box(fx, fy, fw, fh), pen_, colour_); }
    void outlineEllipse(double fx, double fy, double fw, double fh) { canvas_.strokeEllipse(box(fx, fy, fw, fh), pen_, colour_); }

    // A filled arrowhead: tip T, base B = T - length x u, half-width k across u.
    void arrowhead(Point tip, Point direction, double length, double halfWidth) {
        const double norm = std::max(std::hypot(direction.x, direction.y), kEpsilon);
        const Point u{direction.x / norm, direction.y / norm};
        const Point base{tip.x - length * u.x, tip.y - length * u.y};
        const Point across{-u.y * halfWidth, u.x * halfWidth};
        fill({tip, {base.x + across.x, base.y + across.y}, {base.x - across.x, base.y - across.y}});
    }

    // Points along a circle, angles in degrees, y pointing down.
    static std::vector<Point> arc(Point centre, double radius, double fromDegrees, double toDegrees, int steps) {
        std::vector<Point> points;
        for (int i = 0; i <= steps; ++i) {
            const double a = (fromDegrees + (toDegrees - fromDegrees) * i / steps) * std::numbers::pi / 180;
            points.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
        }
        return points;
    }

    void glyph(std::string_view text, double size, const Box& target) { drawCentredText(canvas_, text, size, target, colour_); }

private:
    std::vector<Point> mapped(const std::vector<Point>& fractions) const {
        std::vector<Point> points;
        points.reserve(fractions.size());
        for (const Point& f : fractions) points.push_back(at(f));
        return points;
    }

    Canvas& canvas_;
    Box item_;
    Argb colour_;
    double pen_;
};

}  // namespace

Pictogram toolPictogram(Tool tool) {
    switch (tool) {
    case Tool::Rectangle: return Pictogram::RectangleTool;
    case Tool::Ellipse: return Pictogram::EllipseTool;
    case Tool::Arrow: return Pictogram::ArrowTool;
    case Tool::Pen: return Pictogram::PenTool;
    case Tool::Mosaic: return Pictogram::MosaicTool;
    case Tool::Text: return Pictogram::TextTool;
    case Tool::Number: return Pictogram::NumberTool;
    case Tool::Line: return Pictogram::LineTool;
    case Tool::Highlighter: return Pictogram::HighlighterTool;
    case Tool::Redact: return Pictogram::RedactTool;
    }
    return Pictogram::RectangleTool;
}

bool drawCentredText(Canvas& canvas, std::string_view text, double pixelSize, const Box& box, Argb colour) {
    const auto extent = canvas.measureText(text, pixelSize);
    if (!extent) return false;
    const Point topLeft{box.x + (box.width - extent->width) / 2, box.y + (box.height - extent->height) / 2};
    return canvas.drawText(text, topLeft, pixelSize, colour);
}

void drawPictogram(Canvas& canvas, Pictogram pictogram, const Box& item, Argb colour, Argb ground) {
    Sketch s(canvas, item, colour);
    switch (pictogram) {
    case Pictogram::RectangleTool: s.outlineBox(0.1, 0.16, 0.8, 0.68); break;
    case Pictogram::EllipseTool: s.outlineEllipse(0.1, 0.16, 0.8, 0.68); break;
    case Pictogram::ArrowTool:
        s.line({{0.13, 0.87}, {0.66, 0.34}});
        s.arrowhead({0.88, 0.12}, {1, -1}, 0.3, 0.115);
        break;
    case Pictogram::PenTool:
        s.line({{0.13, 0.87}, {0.22, 0.61}, {0.69, 0.14}, {0.86, 0.31}, {0.39, 0.78}}, true);
        s.line({{0.22, 0.61}, {0.39, 0.78}});
        break;
    case Pictogram::MosaicTool:
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if ((r + c) % 2 == 0) s.fillBox(0.11 + 0.26 * c, 0.11 + 0.26 * r, 0.23, 0.23);
        break;
    case Pictogram::TextTool: s.glyph("T", 0.78 * item.height, item); break;
    case Pictogram::NumberTool: {
        s.outlineEllipse(0.09, 0.13, 0.82, 0.74);
        const Box label = s.box(0.3, 0.28, 0.4, 0.44);
        s.glyph("1", 0.78 * label.height, label);
        break;
    }
    case Pictogram::Undo: {
        const auto arc = Sketch::arc({0.52, 0.56}, 0.32, 200, 420, 24);
        s.line(arc);
        // the head's base sits on the arc's first point, pointing back along it
        const Point u{std::cos(110 * std::numbers::pi / 180), std::sin(110 * std::numbers::pi / 180)};
        s.arrowhead({arc.front().x + 0.3 * u.x, arc.front().y + 0.3 * u.y}, u, 0.3, 0.115);
        break;
    }
    case Pictogram::Backdrop:
        s.outlineBox(0.08, 0.14, 0.84, 0.72);
        s.fillBox(0.26, 0.32, 0.48, 0.36);
        break;
    case Pictogram::Pin:
        s.fill({{0.3, 0.08}, {0.7, 0.08}, {0.7, 0.19}, {0.58, 0.19}, {0.58, 0.44}, {0.8, 0.6}, {0.8, 0.67}, {0.2, 0.67},
                {0.2, 0.6}, {0.42, 0.44}, {0.42, 0.19}, {0.3, 0.19}});
        s.line({{0.5, 0.67}, {0.5, 0.9}});
        break;
    case Pictogram::Send:
        s.line({{0.26, 0.5}, {0.7, 0.24}});
        s.line({{0.26, 0.5}, {0.7, 0.76}});
        for (Point centre : {Point{0.26, 0.5}, Point{0.7, 0.24}, Point{0.7, 0.76}})
            s.fill(Sketch::arc(centre, 0.13, 0, 360, 24));
        break;
    case Pictogram::Save:
        s.line({{0.5, 0.1}, {0.5, 0.58}});
        s.arrowhead({0.5, 0.64}, {0, 1}, 0.22, 0.13);
        s.line({{0.14, 0.66}, {0.14, 0.88}, {0.86, 0.88}, {0.86, 0.66}});
        break;
    case Pictogram::Cancel:
        s.line({{0.18, 0.18}, {0.82, 0.82}});
        s.line({{0.18, 0.82}, {0.82, 0.18}});
        break;
    case Pictogram::Copy: s.line({{0.14, 0.52}, {0.39, 0.79}, {0.87, 0.19}}); break;
    case Pictogram::LineTool: s.line({{0.15, 0.85}, {0.85, 0.15}}); break;
    case Pictogram::HighlighterTool:
        // a slanted marker with its chisel tip on the band it leaves
        s.line({{0.36, 0.58}, {0.66, 0.14}, {0.86, 0.28}, {0.56, 0.72}}, true);
        s.fill({{0.36, 0.58}, {0.56, 0.72}, {0.32, 0.8}});
        s.fillBox(0.1, 0.84, 0.8, 0.1);
        break;
    case Pictogram::RedactTool:
        // a bar over a line of text, between two lines left readable
        s.line({{0.12, 0.18}, {0.88, 0.18}});
        s.fillBox(0.12, 0.35, 0.76, 0.3);
        s.line({{0.12, 0.82}, {0.62, 0.82}});
        break;
    case Pictogram::TextBackground: {
        const Box box = s.box(0.1, 0.16, 0.8, 0.68);
        canvas.fillPolygon(roundedBox(box, 0.2 * box.height), colour);
        drawCentredText(canvas, "A", 0.72 * box.height, box, ground);
        break;
    }
    }
}

void drawSizeSymbol(Canvas& canvas, Tool tool, uint32_t step, const Box& item, Argb colour) {
    step = std::min<uint32_t>(step, 2);
    const double k = 0.4 + 0.3 * step;
    const Point centre{item.x + item.width / 2, item.y + item.height / 2};
    if (tool == Tool::Text) {
        drawCentredText(canvas, "A", item.height * (0.45 + 0.22 * step), item, colour);
    } else if (tool == Tool::Mosaic) {
        const double half = item.width * 0.62 * k / 2;
        const Point corners[] = {{centre.x - half, centre.y - half},
                                  {centre.x + half, centre.y - half},
                                  {centre.x + half, centre.y + half},
                                  {centre.x - half, centre.y + half}};
        canvas.fillPolygon(corners, colour);
    } else {
        const double d = item.width * 0.55 * k;
        canvas.fillEllipse({centre.x - d / 2, centre.y - d / 2, d, d}, colour);
    }
}

void drawSwatch(Canvas& canvas, const Box& item, Argb colour, double scale) {
    const double d = 14 * scale;
    const Box disc{item.x + item.width / 2 - d / 2, item.y + item.height / 2 - d / 2, d, d};
    canvas.fillEllipse(disc, colour);
    canvas.strokeEllipse(disc, scale, kSwatchOutline);
}

}  // namespace kestrix
