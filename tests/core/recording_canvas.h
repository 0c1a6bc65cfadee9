#pragma once
// A canvas that keeps a list of what was drawn, with a predictable text measure.
#include <optional>
#include <string>
#include <vector>

#include "kestrix/canvas.h"

namespace kestrix::test {

struct DrawCall {
    enum class Kind { Polyline, Polygon, StrokeEllipse, FillEllipse, StrokeRectangle, Highlight, Text, SetClip, ResetClip, SetScale, ResetScale };
    Kind kind = Kind::Polyline;
    std::vector<Point> points;  // Polyline, Polygon, Highlight
    bool closed = false;         // Polyline
    Box box;                    // ellipses and rectangles
    double width = 0;            // strokes and highlights
    Argb colour = 0;
    std::string text;  // Text
    Point at;         // Text: top-left
    double size = 0;   // Text: pixel size
    Rect clip;         // SetClip
    double scale = 0;  // SetScale
};

class RecordingCanvas : public Canvas {
public:
    std::vector<DrawCall> calls;
    bool fontAvailable = true;
    bool measureFails = false;
    // Each character is `advance` x size wide, the line `lineHeight` x size high.
    double advance = 0.5;
    double lineHeight = 1.25;

    void strokePolyline(std::span<const Point> points, bool closed, double width, Argb colour) override {
        DrawCall c{DrawCall::Kind::Polyline};
        c.points.assign(points.begin(), points.end());
        c.closed = closed;
        c.width = width;
        c.colour = colour;
        calls.push_back(std::move(c));
    }
    void highlightPolyline(std::span<const Point> points, double width, Argb colour) override {
        DrawCall c{DrawCall::Kind::Highlight};
        c.points.assign(points.begin(), points.end());
        c.width = width;
        c.colour = colour;
        calls.push_back(std::move(c));
    }
    void fillPolygon(std::span<const Point> points, Argb colour) override {
        DrawCall c{DrawCall::Kind::Polygon};
        c.points.assign(points.begin(), points.end());
        c.colour = colour;
        calls.push_back(std::move(c));
    }
    void strokeEllipse(const Box& box, double width, Argb colour) override { shape(DrawCall::Kind::StrokeEllipse, box, width, colour); }
    void fillEllipse(const Box& box, Argb colour) override { shape(DrawCall::Kind::FillEllipse, box, 0, colour); }
    void strokeRectangle(const Box& box, double width, Argb colour) override {
        shape(DrawCall::Kind::StrokeRectangle, box, width, colour);
    }
    bool drawText(std::string_view utf8, Point topLeft, double pixelSize, Argb colour) override {
        if (!fontAvailable) return false;
        DrawCall c{DrawCall::Kind::Text};
        c.text = std::string(utf8);
        c.at = topLeft;
        c.size = pixelSize;
        c.colour = colour;
        calls.push_back(std::move(c));
        return true;
    }
    std::optional<TextExtent> measureText(std::string_view utf8, double pixelSize) override {
        if (!fontAvailable || measureFails) return std::nullopt;
        return TextExtent{double(utf8.size()) * advance * pixelSize, lineHeight * pixelSize};
    }
    void setClip(const Rect& rect) override {
        DrawCall c{DrawCall::Kind::SetClip};
        c.clip = rect;
        calls.push_back(std::move(c));
    }
    void resetClip() override { calls.push_back(DrawCall{DrawCall::Kind::ResetClip}); }
    void setScale(double scale) override {
        DrawCall c{DrawCall::Kind::SetScale};
        c.scale = scale;
        calls.push_back(std::move(c));
    }
    void resetScale() override { calls.push_back(DrawCall{DrawCall::Kind::ResetScale}); }

    std::vector<DrawCall> only(DrawCall::Kind kind) const {
        std::vector<DrawCall> out;
        for (const DrawCall& c : calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }

private:
    void shape(DrawCall::Kind kind, const Box& box, double width, Argb colour) {
        DrawCall c{kind};
        c.box = box;
        c.width = width;
        c.colour = colour;
        calls.push_back(std::move(c));
    }
};

}  // namespace kestrix::test
