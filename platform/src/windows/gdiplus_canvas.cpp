#include "gdiplus_canvas.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "gdi_handles.h"
#include "kestrix/annotate.h"
#include "kestrix/highlight.h"

namespace kestrix::win {

namespace gp = Gdiplus::DllExports;
using Gdiplus::GpStatus;
using Gdiplus::Ok;

namespace {

std::vector<Gdiplus::PointF> toPoints(std::span<const Point> points) {
    std::vector<Gdiplus::PointF> out;
    out.reserve(points.size());
    for (const Point& p : points) out.emplace_back(float(p.x), float(p.y));
    return out;
}

std::wstring widen(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > size_t(INT_MAX)) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), n);
    return wide;
}

// A pen with round caps and joins; absent (nothing drawn) when GDI+ refuses.
// Its width is in world units: one pixel until a scale is set, and scaled with
// the shapes and text afterwards (a pixel-unit pen keeps its width under a
// scale on some GDI+ implementations, which would thin the exported mark-up).
GdipPen makePen(Argb colour, double width) {
    Gdiplus::GpPen* raw = nullptr;
    GdipPen pen;
    if (gp::GdipCreatePen1(colour, float(std::max(width, 0.5)), Gdiplus::UnitWorld, &raw) != Ok) return pen;
    pen.reset(raw);
    gp::GdipSetPenStartCap(raw, Gdiplus::LineCapRound);
    gp::GdipSetPenEndCap(raw, Gdiplus::LineCapRound);
    gp::GdipSetPenLineJoin(raw, Gdiplus::LineJoinRound);
    return pen;
}

GdipBrush makeBrush(Argb colour) {
    Gdiplus::GpSolidFill* raw = nullptr;
    GdipBrush brush;
    if (gp::GdipCreateSolidFill(colour, &raw) == Ok) brush.reset(raw);
    return brush;
}

// Bold "Segoe UI" at a pixel size with the default string format.
struct TextObjects {
    GdipFontFamily family;
    GdipFont font;
    GdipStringFormat format;

    explicit TextObjects(double pixelSize) {
        Gdiplus::GpFontFamily* rawFamily = nullptr;
        if (gp::GdipCreateFontFamilyFromName(L"Segoe UI", nullptr, &rawFamily) != Ok) return;
        family.reset(rawFamily);
        Gdiplus::GpFont* rawFont = nullptr;
        if (gp::GdipCreateFont(rawFamily, float(pixelSize), Gdiplus::FontStyleBold, Gdiplus::UnitPixel, &rawFont) != Ok)
            return;
        font.reset(rawFont);
        Gdiplus::GpStringFormat* rawFormat = nullptr;
        if (gp::GdipCreateStringFormat(0, LANG_NEUTRAL, &rawFormat) == Ok) format.reset(rawFormat);
    }
    bool ready() const { return family && font && format; }
};

Gdiplus::RectF boxOf(const Box& b) { return {float(b.x), float(b.y), float(b.width), float(b.height)}; }

}  // namespace

std::unique_ptr<GdiplusCanvas> GdiplusCanvas::withGraphics(Gdiplus::GpGraphics* raw, Gdiplus::TextRenderingHint text) {
    if (!raw) return nullptr;
    GdipGraphics graphics;
    graphics.reset(raw);
    gp::GdipSetSmoothingMode(raw, Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(raw, text);
    return std::unique_ptr<GdiplusCanvas>(new GdiplusCanvas(std::move(graphics)));
}

std::unique_ptr<GdiplusCanvas> GdiplusCanvas::onDc(HDC dc, std::optional<PixelView> pixels) {
    Gdiplus::GpGraphics* raw = nullptr;
    if (!dc || gp::GdipCreateFromHDC(dc, &raw) != Ok) return nullptr;
    auto canvas = withGraphics(raw, Gdiplus::TextRenderingHintClearTypeGridFit);
    if (canvas) {
        canvas->dc_ = dc;
        canvas->pixels_ = pixels;
    }
    return canvas;
}

std::unique_ptr<GdiplusCanvas> GdiplusCanvas::onImage(Gdiplus::GpImage* image, PixelView pixels) {
    Gdiplus::GpGraphics* raw = nullptr;
    if (!image || gp::GdipGetImageGraphicsContext(image, &raw) != Ok) return nullptr;
    auto canvas = withGraphics(raw, Gdiplus::TextRenderingHintAntiAliasGridFit);
    if (canvas) canvas->pixels_ = pixels;
    return canvas;
}

std::optional<PixelView> GdiplusCanvas::flushed_pixels() {
    gp::GdipFlush(graphics_.get(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    if (pixels_) return pixels_;
    if (!dc_) return std::nullopt;
    DIBSECTION dib{};
    HGDIOBJ bitmap = GetCurrentObject(dc_, OBJ_BITMAP);
    if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != int(sizeof dib) || !dib.dsBm.bmBits ||
        dib.dsBm.bmBitsPixel != 32 || dib.dsBmih.biHeight >= 0)  // top-down 32-bit sections only
        return std::nullopt;
    return PixelView{static_cast<uint8_t*>(dib.dsBm.bmBits), uint32_t(dib.dsBm.bmWidth), uint32_t(dib.dsBm.bmHeight),
                     size_t(dib.dsBm.bmWidthBytes)};
}

void GdiplusCanvas::strokePolyline(std::span<const Point> points, bool closed, double width, Argb colour) {
    if (points.size() < 2 || points.size() > size_t(INT_MAX)) return;
    GdipPen pen = makePen(colour, width);
    if (!pen) return;
    const auto pts = toPoints(points);
    if (closed)
        gp::GdipDrawPolygon(graphics_.get(), pen.get(), pts.data(), int(pts.size()));
    else
        gp::GdipDrawLines(graphics_.get(), pen.get(), pts.data(), int(pts.size()));
}

void GdiplusCanvas::fillPolygon(std::span<const Point> points, Argb colour) {
    if (points.size() < 3 || points.size() > size_t(INT_MAX)) return;
    GdipBrush brush = makeBrush(colour);
    if (!brush) return;
    const auto pts = toPoints(points);
    gp::GdipFillPolygon(graphics_.get(), brush.get(), pts.data(), int(pts.size()), Gdiplus::FillModeAlternate);
}

void GdiplusCanvas::strokeEllipse(const Box& box, double width, Argb colour) {
    GdipPen pen = makePen(colour, width);
    if (!pen) return;
    const auto r = boxOf(box);
    gp::GdipDrawEllipse(graphics_.get(), pen.get(), r.X, r.Y, r.Width, r.Height);
}

void GdiplusCanvas::fillEllipse(const Box& box, Argb colour) {
    GdipBrush brush = makeBrush(colour);
    if (!brush) return;
    const auto r = boxOf(box);
    gp::GdipFillEllipse(graphics_.get(), brush.get(), r.X, r.Y, r.Width, r.Height);
}

void GdiplusCanvas::strokeRectangle(const Box& box, double width, Argb colour) {
    GdipPen pen = makePen(colour, width);
    if (!pen) return;
    const auto r = boxOf(box);
    gp::GdipDrawRectangle(graphics_.get(), pen.get(), r.X, r.Y, r.Width, r.Height);
}

void GdiplusCanvas::highlightPolyline(std::span<const Point> points, double width, Argb colour) {
    if (points.empty()) return;
    const std::optional<PixelView> pixels = flushed_pixels();
    if (!pixels) {
        // No pixels to reach: a translucent band is the nearest the library comes.
        const Argb translucent = (colour & 0x00FFFFFFu) | (Argb(HIGHLIGHTER_STRENGTH * 255 + 0.5) << 24);
        strokePolyline(points, false, width, translucent);
        return;
    }
    // The raw stroke is given pixels: the world transform (scale, then shift) is applied here.
    std::vector<Point> at;
    at.reserve(points.size());
    for (const Point& p : points) at.push_back({p.x * scale_ + shift_x_, p.y * scale_ + shift_y_});
    Box clip{0, 0, double(pixels->width), double(pixels->height)};
    if (clip_) clip = *clip_;
    // On a device context, also its own clip (the overlay's dirty rectangle), which
    // GetClipBox gives in logical units: made device pixels like the stroke.
    RECT dc_clip;
    const int region = dc_ ? GetClipBox(dc_, &dc_clip) : ERROR;
    if (region == SIMPLEREGION || region == COMPLEXREGION) LPtoDP(dc_, reinterpret_cast<POINT*>(&dc_clip), 2);
    if (region == NULLREGION) return;
    if (region == SIMPLEREGION || region == COMPLEXREGION) {
        const double left = std::max(clip.x, double(dc_clip.left)), top = std::max(clip.y, double(dc_clip.top));
        const double right = std::min(clip.x + clip.width, double(dc_clip.right));
        const double bottom = std::min(clip.y + clip.height, double(dc_clip.bottom));
        clip = {left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)};
    }
    highlightStroke(*pixels, at, width * scale_, colour, clip);
}

bool GdiplusCanvas::drawText(std::string_view utf8, Point topLeft, double pixelSize, Argb colour) {
    TextObjects text(pixelSize);
    if (!text.ready()) return false;
    GdipBrush brush = makeBrush(colour);
    if (!brush) return false;
    const std::wstring wide = widen(utf8);
    const Gdiplus::RectF layout(float(topLeft.x), float(topLeft.y), 0.0f, 0.0f);  // no wrapping
    return gp::GdipDrawString(graphics_.get(), wide.c_str(), int(wide.size()), text.font.get(), &layout,
                              text.format.get(), brush.get()) == Ok;
}

std::optional<TextExtent> GdiplusCanvas::measureText(std::string_view utf8, double pixelSize) {
    TextObjects text(pixelSize);
    if (!text.ready()) return std::nullopt;
    const std::wstring wide = widen(utf8);
    const Gdiplus::RectF layout(0.0f, 0.0f, 0.0f, 0.0f);
    Gdiplus::RectF bounds;
    if (gp::GdipMeasureString(graphics_.get(), wide.c_str(), int(wide.size()), text.font.get(), &layout,
                              text.format.get(), &bounds, nullptr, nullptr) != Ok)
        return std::nullopt;
    return TextExtent{bounds.Width, bounds.Height};
}

void GdiplusCanvas::setClip(const Rect& rect) {
    gp::GdipSetClipRectI(graphics_.get(), rect.x, rect.y, rect.width, rect.height, Gdiplus::CombineModeReplace);
    clip_ = Box{rect.x * scale_ + shift_x_, rect.y * scale_ + shift_y_, rect.width * scale_, rect.height * scale_};
}

void GdiplusCanvas::resetClip() {
    gp::GdipResetClip(graphics_.get());
    clip_.reset();
}

void GdiplusCanvas::setScale(double scale) {
    resetScale();
    gp::GdipScaleWorldTransform(graphics_.get(), float(scale), float(scale), Gdiplus::MatrixOrderPrepend);
    scale_ = scale;
}

void GdiplusCanvas::resetScale() {
    gp::GdipResetWorldTransform(graphics_.get());
    if (shift_x_ || shift_y_)
        gp::GdipTranslateWorldTransform(graphics_.get(), float(shift_x_), float(shift_y_), Gdiplus::MatrixOrderAppend);
    scale_ = 1.0;
}

void GdiplusCanvas::shift(int32_t dx, int32_t dy) {
    shift_x_ = dx;
    shift_y_ = dy;
    const double scale = scale_;
    resetScale();
    if (scale != 1.0) setScale(scale);
}

TextExtent measureAnnotationText(std::string_view utf8, double pixelSize) {
    MemoryDc dc(nullptr);
    auto canvas = dc ? GdiplusCanvas::onDc(dc.get()) : nullptr;
    return measureText(canvas.get(), utf8, pixelSize);
}

Result<void, PlatformError> BitmapCanvasFactory::paint(Image& image, const std::function<void(Canvas&)>& draw) {
    const uint32_t w = image.width(), h = image.height();
    if (w == 0 || h == 0 || w > uint32_t(INT_MAX / 4) || h > uint32_t(INT_MAX))
        return fail(PlatformError::os("GdipCreateBitmapFromScan0", int32_t(Gdiplus::InvalidParameter)));
    Gdiplus::GpBitmap* raw = nullptr;
    const GpStatus status = gp::GdipCreateBitmapFromScan0(int(w), int(h), int(w * 4), PixelFormat32bppRGB,
                                                          image.pixels().data(), &raw);
    if (status != Ok || !raw) return fail(PlatformError::os("GdipCreateBitmapFromScan0", int32_t(status)));
    GdipImage bitmap;
    bitmap.reset(raw);
    const PixelView pixels{image.pixels().data(), w, h, image.stride()};
    if (auto canvas = GdiplusCanvas::onImage(bitmap.get(), pixels)) {
        draw(*canvas);
        gp::GdipFlush(canvas->graphics(), Gdiplus::FlushIntentionSync);
    }
    return {};
}

}  // namespace kestrix::win
