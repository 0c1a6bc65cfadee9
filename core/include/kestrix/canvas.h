#pragma once
// The drawing surface the core draws mark-up and pictograms on. The platform
// implements it over its 2-D library (GDI+ on Windows); tests record the calls.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "kestrix/annotation.h"
#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix {

// A colour in the drawing library's order: alpha in the top byte, then red, green, blue.
using Argb = uint32_t;

constexpr Argb opaque(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

// The desktop point shown at a surface's (0, 0).
struct Origin {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Origin&, const Origin&) = default;
};

// Raw access to a 32-bit surface: rows top to bottom, each pixel blue, green, red
// and a fourth byte, `stride` bytes from one row to the next.
struct PixelView {
    uint8_t* data = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    size_t stride = 0;
};

struct TextExtent {
    double width = 0;
    double height = 0;
    friend bool operator==(const TextExtent&, const TextExtent&) = default;
};

// Coordinates are canvas units: pixels, times the current scale. Every line is
// anti-aliased with round caps and joins; widths below 0.5 are drawn 0.5 wide.
// Text is bold "Segoe UI" at a size in pixels, laid out from its top-left corner
// on one line. Each call makes its own drawing objects and releases them at once;
// a call whose objects cannot be made draws nothing.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void strokePolyline(std::span<const Point> points, bool closed, double width, Argb colour) = 0;
    virtual void fillPolygon(std::span<const Point> points, Argb colour) = 0;
    virtual void strokeEllipse(const Box& box, double width, Argb colour) = 0;
    virtual void fillEllipse(const Box& box, Argb colour) = 0;
    virtual void strokeRectangle(const Box& box, double width, Argb colour) = 0;
    // A highlighter stroke: the polyline as a band `width` wide with round caps and
    // joins that tints what lies under it (see highlightStroke), each pixel once
    // however often the band crosses itself.
    virtual void highlightPolyline(std::span<const Point> points, double width, Argb colour) = 0;

    // False when the font cannot be made and nothing was drawn.
    virtual bool drawText(std::string_view utf8, Point topLeft, double pixelSize, Argb colour) = 0;
    // Absent when the font cannot be made or the measurement fails.
    virtual std::optional<TextExtent> measureText(std::string_view utf8, double pixelSize) = 0;

    // The clip replaces any earlier one; it is given in the units in force when it is set.
    virtual void setClip(const Rect& rect) = 0;
    virtual void resetClip() = 0;
    // Scales both axes of everything drawn afterwards.
    virtual void setScale(double scale) = 0;
    virtual void resetScale() = 0;
};

// Supplies a canvas over the pixels of an image: `draw` runs on it and the image
// holds the drawing afterwards. Alpha may come back changed (the export makes
// the picture opaque afterwards).
class ImageCanvasFactory {
public:
    virtual ~ImageCanvasFactory() = default;

    // An error when no surface could be made for the image (the image is then
    // unchanged). When only the drawing context cannot be made, `draw` is not
    // called and the image comes back as it went in.
    virtual Result<void, PlatformError> paint(Image& image, const std::function<void(Canvas&)>& draw) = 0;
};

}  // namespace kestrix
