#pragma once
// The core's Canvas drawn with GDI+: on any device context (the overlay's back
// buffer) or straight onto an Image's pixels (the export).
#include <windows.h>

#include <memory>

#include "gdiplus_handles.h"
#include "kestrix/canvas.h"

namespace kestrix::win {

class GdiplusCanvas final : public Canvas {
public:
    // A graphics object on `dc` with anti-aliasing and ClearType grid-fitted text;
    // null when GDI+ cannot make one (nothing is drawn then). Highlighter strokes
    // reach `pixels`, the surface selected into `dc`, when given; else the pixels of
    // a DIB section selected into `dc` when it tells its rows run top-down (Wine's
    // never does: it reports every section's height as positive).
    static std::unique_ptr<GdiplusCanvas> onDc(HDC dc, std::optional<PixelView> pixels = std::nullopt);
    // The same on a GDI+ bitmap whose pixels are `pixels`, with grey-scale
    // grid-fitted text: ClearType's colour fringes belong to one screen's
    // sub-pixels and look wrong in a picture that is zoomed, printed or shown on a phone.
    static std::unique_ptr<GdiplusCanvas> onImage(Gdiplus::GpImage* image, PixelView pixels);

    void strokePolyline(std::span<const Point> points, bool closed, double width, Argb colour) override;
    void fillPolygon(std::span<const Point> points, Argb colour) override;
    void strokeEllipse(const Box& box, double width, Argb colour) override;
    void fillEllipse(const Box& box, Argb colour) override;
    void strokeRectangle(const Box& box, double width, Argb colour) override;
    void highlightPolyline(std::span<const Point> points, double width, Argb colour) override;
    bool drawText(std::string_view utf8, Point topLeft, double pixelSize, Argb colour) override;
    std::optional<TextExtent> measureText(std::string_view utf8, double pixelSize) override;
    void setClip(const Rect& rect) override;
    void resetClip() override;
    void setScale(double scale) override;
    void resetScale() override;

    // Moves everything drawn afterwards by (dx, dy) device pixels, under any
    // scale: the overlay draws client coordinates into a buffer holding one band.
    void shift(int32_t dx, int32_t dy);

    Gdiplus::GpGraphics* graphics() const { return graphics_.get(); }

private:
    static std::unique_ptr<GdiplusCanvas> withGraphics(Gdiplus::GpGraphics* raw, Gdiplus::TextRenderingHint text);
    explicit GdiplusCanvas(GdipGraphics graphics) : graphics_(std::move(graphics)) {}
    // The pixels under the canvas with everything drawn so far in them; absent
    // when the surface is not a 32-bit one the canvas can reach.
    std::optional<PixelView> flushed_pixels();

    GdipGraphics graphics_;
    HDC dc_ = nullptr;                  // onDc
    std::optional<PixelView> pixels_;   // onImage
    double scale_ = 1.0;                // what setScale set, for the raw highlighter
    std::optional<Box> clip_;           // in device pixels, the shift included
    int32_t shift_x_ = 0;
    int32_t shift_y_ = 0;
};

// The box of a Text annotation for `utf8` at a font size in pixels, measured on a
// memory device context (the fallback extent when that cannot be done).
TextExtent measureAnnotationText(std::string_view utf8, double pixelSize);

// Paints straight onto an Image's pixels: a GDI+ bitmap (32 bits a pixel, the
// fourth byte unused) wraps the image's own buffer, so no copy of the screen
// pixels is made, and none is left behind. Alpha comes back undefined.
class BitmapCanvasFactory final : public ImageCanvasFactory {
public:
    Result<void, PlatformError> paint(Image& image, const std::function<void(Canvas&)>& draw) override;
};

}  // namespace kestrix::win
