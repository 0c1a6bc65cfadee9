// Renders a real export under Windows (or Wine) with GDI+: a known frame at
// 150 %, one annotation of every kind, mosaic and backdrop. Checks pixels and
// saves the composite as a PNG (first argument, default export_probe.png).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dib_surface.h"
#include "gdiplus_canvas.h"
#include "kestrix/annotate.h"
#include "kestrix/beautify.h"
#include "kestrix/export.h"
#include "kestrix/redaction.h"

using namespace kestrix;

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

struct Rgb {
    int r, g, b;
};

Rgb rgbAt(const Image& image, uint32_t x, uint32_t y) {
    const uint32_t p = image.pixel_at(x, y).value_or(0);
    return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

Rgb rgbOf(Colour c) { return {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)}; }

bool similar(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

double luma(Rgb c) { return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b; }

std::string text(Rgb c) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "(%d, %d, %d)", c.r, c.g, c.b);
    return buffer;
}

// A light checkerboard of 20-unit cells with a faint gradient, at 150 %.
Frame knownFrame() {
    const uint32_t w = 600, h = 450;
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const bool dark = ((x / 30) + (y / 30)) % 2;
            const uint8_t v = uint8_t((dark ? 205 : 238) - y / 30);
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(v + 6);
            p[1] = v;
            p[2] = uint8_t(v - 4);
            p[3] = 0;
        }
    Frame frame;
    frame.tiles.push_back(Tile{make_image(w, h, std::move(px)).value(), Rect{0, 0, 400, 300}, 150});
    return frame;
}

constexpr Colour kRed = PALETTE[0], kOrange = PALETTE[1], kYellow = PALETTE[2], kGreen = PALETTE[3],
                 kBlue = PALETTE[4], kPurple = PALETTE[5], kInk = PALETTE[7];

std::vector<Annotation> everyKind() {
    return {
        RectangleMark{{20, 20}, {130, 90}, 1, kRed},  // runs past the selection's top-left corner
        EllipseMark{{150, 40}, {250, 100}, 1, kGreen},
        NumberMark{12, {300, 70}, 1, kBlue},
        TextMark{{50, 105, 110, 28}, 1, kInk, "Kestrix"},
        NumberMark{1, {200, 135}, 2, kYellow},
        MosaicMark{28, 16, {{260, 130}, {340, 130}}},
        ArrowMark{{60, 230}, {150, 170}, 2, kBlue, std::nullopt},
        ArrowMark{{180, 240}, {340, 180}, 1, kPurple, Point{300, 250}},
        PenMark{2, kOrange, {{60, 155}, {100, 155}, {140, 155}}},
    };
}

// Pixels of the disc around (cx, cy) that differ clearly from the disc's colour.
std::vector<Rgb> labelPixels(const Image& image, double cx, double cy, double radius, Rgb disc) {
    std::vector<Rgb> out;
    for (int y = int(cy - radius); y <= int(cy + radius); ++y)
        for (int x = int(cx - radius); x <= int(cx + radius); ++x) {
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > radius - 3) continue;
            const Rgb c = rgbAt(image, uint32_t(x), uint32_t(y));
            if (!similar(c, disc, 60)) out.push_back(c);
        }
    return out;
}

void checkExport(const Image& plain) {
    const double s = 1.5;
    auto out = [&](double desktop, double origin) { return (desktop - origin) * s; };
    check(plain.width() == 480 && plain.height() == 330,
          "export is 1.5 times the selection: " + std::to_string(plain.width()) + "x" + std::to_string(plain.height()));

    bool opaque = true;
    for (size_t i = 3; i < plain.pixels().size(); i += 4) opaque = opaque && plain.pixels()[i] == 255;
    check(opaque, "alpha is 255 everywhere");

    // the straight arrow's head, 4 pixels back from its tip along the shaft
    const double tx = out(150, 40), ty = out(170, 30);
    const double ux = 90 / std::hypot(90, 60), uy = -60 / std::hypot(90, 60);
    const Rgb tip = rgbAt(plain, uint32_t(tx - 4 * ux), uint32_t(ty - 4 * uy));
    check(similar(tip, rgbOf(kBlue), 24), "arrow tip is #1E88E5: " + text(tip));

    const auto onYellow = labelPixels(plain, out(200, 40), out(135, 30), 44 * s / 2, rgbOf(kYellow));
    const bool darkLabel = !onYellow.empty() && std::all_of(onYellow.begin(), onYellow.end(), [](Rgb c) { return luma(c) < 170; }) &&
                           std::any_of(onYellow.begin(), onYellow.end(), [](Rgb c) { return similar(c, {0x21, 0x21, 0x21}, 40); });
    check(darkLabel, "label on #FDD835 is #212121 (" + std::to_string(onYellow.size()) + " label pixels)");
    const auto onBlue = labelPixels(plain, out(300, 40), out(70, 30), 32 * s / 2, rgbOf(kBlue));
    const bool whiteLabel = !onBlue.empty() && std::any_of(onBlue.begin(), onBlue.end(), [](Rgb c) { return similar(c, {255, 255, 255}, 40); }) &&
                            std::none_of(onBlue.begin(), onBlue.end(), [](Rgb c) { return luma(c) < 60; });
    check(whiteLabel, "label on #1E88E5 is white (" + std::to_string(onBlue.size()) + " label pixels)");

    // the pen (7 wide at step 2) is drawn 10.5 pixels wide at 150 %
    int run = 0;
    for (uint32_t y = 0; y < plain.height(); ++y) run += similar(rgbAt(plain, uint32_t(out(100, 40)), y), rgbOf(kOrange), 24);
    check(run >= 9 && run <= 12, "pen is scaled with the picture: " + std::to_string(run) + " pixels thick");

    // mosaic blocks of 16 x 1.5 = 24 pixels on a grid from the picture's top-left
    const Rgb a = rgbAt(plain, 336, 144), b = rgbAt(plain, 359, 167), c = rgbAt(plain, 360, 150);
    check(similar(a, b, 0) && !similar(a, c, 0), "mosaic blocks are 24 pixels: " + text(a) + " " + text(b) + " " + text(c));

    int ink = 0;
    for (uint32_t y = uint32_t(out(105, 30)); y < uint32_t(out(133, 30)); ++y)
        for (uint32_t x = uint32_t(out(50, 40)); x < uint32_t(out(160, 40)); ++x) ink += luma(rgbAt(plain, x, y)) < 90;
    check(ink > 80, "text is drawn: " + std::to_string(ink) + " dark pixels");
}

// On screen the same drawing is clipped to the selection: nothing may change outside it.
void checkClipOnScreen(const Frame& frame) {
    Image desktop = *frame.crop(frame.tiles[0].rect);  // the tile's own pixels, drawn 1:1 here whatever its scale
    const Image before = desktop;
    const Rect selection{40, 30, 320, 220};
    win::BitmapCanvasFactory surfaces;
    auto painted = surfaces.paint(desktop, [&](Canvas& canvas) {
        drawAnnotations(canvas, {0, 0}, everyKind(), nullptr, selection, std::nullopt);
    });
    check(painted.ok(), "drawing surface over a picture");
    size_t outside = 0, inside = 0;
    for (uint32_t y = 0; y < desktop.height(); ++y)
        for (uint32_t x = 0; x < desktop.width(); ++x) {
            const bool changed = (*desktop.pixel_at(x, y) & 0xFFFFFF) != (*before.pixel_at(x, y) & 0xFFFFFF);
            (selection.contains(x, y) ? inside : outside) += changed;
        }
    check(outside == 0 && inside > 1000,
          "nothing drawn outside the selection (" + std::to_string(outside) + " outside, " + std::to_string(inside) + " inside)");
    // the rectangle's right edge (x = 130) comes in from above and is cut at the selection's top
    const Rgb cut = rgbAt(desktop, 130, 30);
    check(similar(cut, rgbOf(kRed), 24), "the clipped rectangle reaches the selection's edge: " + text(cut));
}

// White with a black bar of "text" (desktop rows 60..63) and a busy patch to hide,
// at `scale` percent.
Frame paperFrame(uint32_t scale) {
    const uint32_t w = 400 * scale / 100, h = 300 * scale / 100;
    std::vector<uint8_t> px(size_t(w) * h * 4, 255);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            const double dx = x * 100.0 / scale, dy = y * 100.0 / scale;
            if (dy >= 60 && dy < 64) p[0] = p[1] = p[2] = 0;
            if (dx >= 200 && dx < 300 && dy >= 150 && dy < 250) p[0] = uint8_t(x * 5), p[1] = uint8_t(y * 3), p[2] = uint8_t(x ^ y);
            p[3] = 0;
        }
    Frame frame;
    frame.tiles.push_back(Tile{make_image(w, h, std::move(px)).value(), Rect{0, 0, 400, 300}, scale});
    return frame;
}

bool savePng(const Image& image, const std::string& path) {
    auto png = encodePng(image);
    FILE* file = png ? std::fopen(path.c_str(), "wb") : nullptr;
    const bool saved = file && std::fwrite(png->data(), 1, png->size(), file) == png->size();
    if (file) std::fclose(file);
    return saved;
}

// Line, highlighter, redaction and text on its box through GDI+, at 100 % and 200 %;
// the picture at 200 % is saved beside the other as ...-marks.png.
void checkNewMarks(const std::string& path) {
    const RedactMark secret{{210, 160}, {280.5, 230.5}, PALETTE[7]};
    const std::vector<Annotation> list = {
        MosaicMark{40, 16, {{190, 190}, {300, 200}}},
        ArrowMark{{180, 150}, {310, 240}, 2, kBlue, std::nullopt},
        secret,
        ArrowMark{{310, 150}, {190, 240}, 2, kGreen, std::nullopt},
        MosaicMark{28, 10, {{220, 170}, {270, 220}}},
        TextMark{{230, 190, 60, 28}, 1, kOrange, "hidden", 1.0, true},
        LineMark{{40, 120}, {180, 120}, 1, kRed},
        HighlighterMark{1, kYellow, {{40, 62}, {180, 62}, {60, 62.5}}},
        TextMark{{60, 180, 90, 30}, 1, kBlue, "Note", 1.0, true},
    };
    const Rect selection{20, 20, 360, 260};
    for (const uint32_t scale : {100u, 200u}) {
        const Frame frame = paperFrame(scale);
        const double s = scale / 100.0;
        const std::string at_scale = " at " + std::to_string(scale) + " %";
        win::BitmapCanvasFactory surfaces;
        for (const bool backdrop : {false, true}) {
            auto out = renderExport({frame, selection, list, backdrop}, surfaces);
            check(out.ok(), "export of the new marks" + at_scale);
            if (!out) continue;
            const uint32_t pad = backdrop ? backdropSizes(uint32_t(360 * s), uint32_t(260 * s)).pad : 0;
            const PixelBlock block = *redactionPixels(secret, {20, 20}, s, uint32_t(360 * s), uint32_t(260 * s));
            size_t wrong = 0;
            for (uint32_t y = block.top; y < block.bottom; ++y)
                for (uint32_t x = block.left; x < block.right; ++x)
                    wrong += *out->pixel_at(pad + x, pad + y) != 0xFF212121u;
            check(wrong == 0, "every pixel under the redaction is #212121" + at_scale + (backdrop ? " with" : " without") +
                                  " backdrop, arrows and mosaic over it (" + std::to_string(wrong) + " not)");
        }
        auto out = renderExport({frame, selection, list, false}, surfaces);
        if (!out) continue;
        if (scale == 200) {
            const std::string marks = path.substr(0, path.rfind('.')) + "-marks.png";
            check(savePng(*out, marks), "saved " + marks);
        }
        const auto px = [&](double x, double y) { return rgbAt(*out, uint32_t((x - 20) * s), uint32_t((y - 20) * s)); };
        // The arrows still reach out of the redaction.
        check(similar(px(185, 153.5), rgbOf(kBlue), 24), "the arrow under the redaction shows beside it" + at_scale);

        const Rgb white = px(100, 57), text = px(100, 61), beside = px(100, 51);
        check(similar(white, {254, 239, 174}, 1), "highlighter tints white to (254, 239, 174)" + at_scale + ": " +
                                                    ::text(white));
        check(similar(text, {0, 0, 0}, 0), "black text under the highlighter stays black" + at_scale + ": " + ::text(text));
        check(similar(beside, {255, 255, 255}, 0), "the band ends 8 units from its middle" + at_scale);
        check(similar(px(170, 57), white, 0), "where the stroke doubles back it is no darker" + at_scale);

        int run = 0;
        for (double y = 110; y < 130; y += 1 / s) run += similar(px(100, y), rgbOf(kRed), 24);
        check(run >= int(3 * s) && run <= int(5 * s) + 1,
              "the line is 4 units thick" + at_scale + ": " + std::to_string(run) + " pixels");

        const Rgb box = px(140, 195);  // right of the word
        check(similar(box, rgbOf(kBlue), 8), "text background in the text's colour" + at_scale + ": " + ::text(box));
        check(!similar(px(60.3, 180.3), rgbOf(kBlue), 60), "its corner is rounded" + at_scale);
        int light = 0;
        for (double y = 181; y < 209; y += 1 / s)  // within the box, clear of its rounded corners
            for (double x = 65; x < 145; x += 1 / s) light += luma(px(x, y)) > 200;
        check(light > int(30 * s * s), "white text on the blue box" + at_scale + ": " + std::to_string(light) + " pixels");
    }
}

// On screen the highlighter reaches the back buffer's own pixels, also where the
// back buffer holds a band that does not start at the top (a shift), and keeps to
// the device context's clip as well as the canvas's. A dark green shows the
// multiplying: a translucent layer would lighten it.
void checkHighlighterOnADeviceContext() {
    constexpr int kWidth = 120, kHeight = 80, kBandTop = 30;  // the buffer shows rows 30..109
    auto surface = win::DibSurface::create(kWidth, kHeight, "probe");
    check(surface.ok(), "a DIB section to draw on");
    if (!surface) return;
    const Rgb ground{30, 160, 90};
    uint8_t* pixels = (*surface)->pixels();
    for (size_t i = 0; i < size_t(kWidth) * kHeight; ++i) {
        pixels[i * 4] = uint8_t(ground.b);
        pixels[i * 4 + 1] = uint8_t(ground.g);
        pixels[i * 4 + 2] = uint8_t(ground.r);
    }
    HDC dc = (*surface)->dc();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, 60, kHeight);  // the dirty rectangle
    const PixelView view{pixels, uint32_t(kWidth), uint32_t(kHeight), size_t(kWidth) * 4};
    if (auto canvas = win::GdiplusCanvas::onDc(dc, view)) {
        canvas->shift(0, -kBandTop);
        drawAnnotations(*canvas, {0, 0}, {HighlighterMark{1, kYellow, {{10, 70}, {110, 70}}}}, nullptr,
                        {0, 0, 120, 100}, std::nullopt);
    }
    RestoreDC(dc, saved);
    GdiFlush();
    const auto at = [&](int x, int y) {
        const uint8_t* p = pixels + (size_t(y - kBandTop) * kWidth + size_t(x)) * 4;
        return Rgb{p[2], p[1], p[0]};
    };
    // Fully covered: each channel times (1 - strength) + strength x the colour's channel / 255.
    const Rgb ink = rgbOf(kYellow);
    const auto tint = [](int c, int by) {
        return int(c * ((1 - HIGHLIGHTER_STRENGTH) + HIGHLIGHTER_STRENGTH * by / 255.0) + 0.5);
    };
    const Rgb want{tint(ground.r, ink.r), tint(ground.g, ink.g), tint(ground.b, ink.b)};
    check(similar(at(30, 70), want, 1),
          "highlighter on a device context, in a band: " + text(at(30, 70)) + " for " + text(want));
    check(similar(at(30, 100), ground, 0),
          "... and not where it would be without the band's shift: " + text(at(30, 100)));
    check(similar(at(80, 70), ground, 0), "... not past the device context's clip");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "export_probe.png";
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &startup, nullptr) != Gdiplus::Ok) {
        std::printf("FAIL GDI+ did not start\n");
        return 1;
    }
    {
        const Frame frame = knownFrame();
        const std::vector<Annotation> list = everyKind();
        const Rect selection{40, 30, 320, 220};
        win::BitmapCanvasFactory surfaces;

        auto plain = renderExport({frame, selection, list, false}, surfaces);
        check(plain.ok(), "export without backdrop");
        if (plain) checkExport(*plain);

        auto composite = renderExport({frame, selection, list, true}, surfaces);
        check(composite.ok(), "export with backdrop");
        if (plain && composite) {
            const BackdropSizes z = backdropSizes(plain->width(), plain->height());
            check(composite->width() == plain->width() + 2 * z.pad && composite->height() == plain->height() + 2 * z.pad,
                  "backdrop adds " + std::to_string(z.pad) + " pixels on every side");
            size_t red = 0, transparent = 0;
            for (uint32_t y = 0; y < composite->height(); ++y)
                for (uint32_t x = 0; x < composite->width(); ++x) {
                    const bool capture = x >= z.pad && y >= z.pad && x < z.pad + plain->width() && y < z.pad + plain->height();
                    if (!capture) red += similar(rgbAt(*composite, x, y), rgbOf(kRed), 40);
                    transparent += (*composite->pixel_at(x, y) >> 24) != 255;
                }
            check(red == 0, "no mark-up in the backdrop's margin");
            check(transparent == 0, "backdrop is opaque");
            check(savePng(*composite, path), "saved " + path);
        }
        checkClipOnScreen(frame);

        checkNewMarks(path);
        checkHighlighterOnADeviceContext();

        const TextExtent measured = win::measureAnnotationText("Kestrix", 1);
        const TextExtent fallback = fallbackTextExtent("Kestrix", text_size(1));
        check(measured.width > 0 && measured.height > 0 && !(measured == fallback),
              "text box measured with the font: " + std::to_string(measured.width) + " x " + std::to_string(measured.height));
    }
    Gdiplus::GdiplusShutdown(token);
    std::printf("%s\n", failures ? "export probe FAILED" : "export probe passed");
    return failures ? 1 : 0;
}
