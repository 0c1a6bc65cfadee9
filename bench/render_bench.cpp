// Figures for the picture-making stages at 3840 x 2160 on one core: the backdrop,
// the mosaic with 20 strokes of mixed block sizes, and the whole export with 30
// annotations, the mosaic and the backdrop. Natively the export draws on a canvas
// that draws nothing; the Windows build draws with GDI+ (run it under Wine:
// tools/bench/render-bench.sh).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kestrix/annotate.h"
#include "kestrix/beautify.h"
#include "kestrix/export.h"
#include "kestrix/mosaic.h"

#ifdef _WIN32
#include "gdiplus_canvas.h"
#else
#include <sched.h>
#endif

using namespace kestrix;

namespace {

constexpr uint32_t kWidth = 3840, kHeight = 2160;

void pinToOneCore() {
#ifdef _WIN32
    SetProcessAffinityMask(GetCurrentProcess(), 1);
#else
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    sched_setaffinity(0, sizeof(set), &set);
#endif
}

double millisecondsOf(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Best and median of several runs; the first run is reported on its own as well.
struct Figure {
    double first = 0, best = 0, median = 0;
};

// `prepare` runs untimed before each timed run.
Figure measure(int runs, const std::function<void()>& run, const std::function<void()>& prepare = [] {}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        times.push_back(millisecondsOf(run));
    }
    Figure f{times.front(), 0, 0};
    std::sort(times.begin(), times.end());
    f.best = times.front();
    f.median = times[times.size() / 2];
    return f;
}

void print(const char* name, const Figure& f, double budget) {
    std::printf("%-44s first %7.1f ms  median %7.1f ms  best %7.1f ms  (budget %.0f ms)\n", name, f.first, f.median,
                f.best, budget);
}

void printPart(const char* name, const Figure& f) {
    std::printf("    %-40s median %7.1f ms  best %7.1f ms\n", name, f.median, f.best);
}

Image desktopPicture() {
    std::vector<uint8_t> px(size_t(kWidth) * kHeight * 4);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            uint8_t* p = &px[(size_t(y) * kWidth + x) * 4];
            p[0] = uint8_t(x * 3 + y);
            p[1] = uint8_t(y / 4 + (x / 64) * 16);
            p[2] = uint8_t(200 - (x + y) / 32);
            p[3] = 255;
        }
    return make_image(kWidth, kHeight, std::move(px)).value();
}

// A stroke as the mouse leaves it: a wavy path, a point every 6 pixels.
std::vector<Point> wavyPath(double x0, double y0, double length, double phase) {
    std::vector<Point> points;
    for (double t = 0; t <= length; t += 6) points.push_back({x0 + t, y0 + 40 * std::sin(t / 60 + phase)});
    return points;
}

std::vector<Annotation> mosaicStrokes() {
    std::vector<Annotation> list;
    for (uint32_t k = 0; k < 20; ++k) {
        const double x = 100 + (k % 5) * 720, y = 150 + (k / 5) * 500;
        list.push_back(MosaicMark{mosaic_brush_width(k % 3), mosaic_block((k + 1) % 3), wavyPath(x, y, 480, k)});
    }
    return list;
}

std::vector<Annotation> thirtyAnnotations() {
    std::vector<Annotation> list;
    for (uint32_t k = 0; k < 5; ++k) {
        const double x = 200 + k * 700, y = 300;
        const Colour c = PALETTE[k % 8];
        list.push_back(RectangleMark{{x, y}, {x + 400, y + 250}, k % 3, c});
        list.push_back(EllipseMark{{x, y + 400}, {x + 380, y + 640}, k % 3, c});
        list.push_back(ArrowMark{{x, y + 800}, {x + 420, y + 1000}, k % 3, c, k % 2 ? std::optional<Point>{{x + 300, y + 700}} : std::nullopt});
        list.push_back(PenMark{k % 3, c, wavyPath(x, y + 1150, 500, k)});
        list.push_back(NumberMark{k + 10, {x + 450, y + 1350}, k % 3, c});
        list.push_back(TextMark{{x, y + 1500, 420, 40}, k % 3, c, "Release notes \xC2\xB7 step " + std::to_string(k + 1)});
    }
    return list;
}

// Natively: a surface that draws nothing (the Windows one draws on the image's own pixels).
class IdleSurfaces : public ImageCanvasFactory {
public:
    Result<void, PlatformError> paint(Image&, const std::function<void(Canvas&)>&) override { return {}; }
};

}  // namespace

int main() {
    pinToOneCore();
#ifdef _WIN32
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &startup, nullptr) != Gdiplus::Ok) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    win::BitmapCanvasFactory surfaces;
    const char* surfaceName = "GDI+ on the image's own pixels";
#else
    IdleSurfaces surfaces;
    const char* surfaceName = "a canvas that draws nothing";
#endif
    std::printf("%u x %u, one core, export drawn on %s\n", kWidth, kHeight, surfaceName);

    const Image picture = desktopPicture();
    const int runs = 7;

    // What fresh memory costs here: every full-size stage that allocates pays it.
    print("touching a fresh 3840x2160 buffer", measure(runs, [&] {
              std::vector<uint8_t> fresh(picture.pixels().size());
              std::memset(fresh.data(), 1, fresh.size());
          }),
          0);

    print("backdrop (beautify)", measure(runs, [&] { (void)beautify(picture); }), 80);
    {
        const BackdropSizes z = backdropSizes(kWidth, kHeight);
        const uint32_t wo = kWidth + 2 * z.pad, ho = kHeight + 2 * z.pad;
        printPart("of which a fresh output buffer", measure(runs, [&] {
                      std::vector<uint8_t> out(size_t(wo) * ho * 4);
                      std::memset(out.data(), 1, out.size());
                  }));
        const Mask full = roundedMask(kWidth, kHeight, z.radius);
        printPart("(full-size blur, for comparison)", measure(3, [&] { (void)shadowMask(full, z.blurRadius); }));
    }

    const std::vector<Annotation> strokes = mosaicStrokes();
    {
        Image target = picture;
        print("applyMosaic, 20 strokes, blocks 6/10/16", measure(runs, [&] {
                  applyMosaic(target, strokes, {0, 0}, 1.0);
              }),
              25);
    }

    std::vector<Annotation> list = thirtyAnnotations();
    list.insert(list.end(), strokes.begin(), strokes.end());
    Frame frame;
    frame.tiles.push_back(Tile{picture, Rect{0, 0, int32_t(kWidth), int32_t(kHeight)}, 100});
    const Rect selection{0, 0, int32_t(kWidth), int32_t(kHeight)};
    print("renderExport, 30 annotations + mosaic + backdrop", measure(runs, [&] {
              auto result = renderExport({frame, selection, list, true}, surfaces);
              if (!result) std::printf("export failed: %s\n", result.error().plain().c_str());
          }),
          200);
    // the export holds one fresh buffer: the crop, made with room for the composite
    const size_t room = *backdropBytes(kWidth, kHeight);
    printPart("of which first touch of one composite buffer", measure(runs, [&] {
                  std::vector<uint8_t> fresh(room);
                  std::memset(fresh.data(), 1, fresh.size());
              }));
    printPart("crop with room for the backdrop", measure(runs, [&] { (void)frame.crop(selection, room); }));
    {
        std::optional<Image> image;
        printPart("backdrop in place over that crop", measure(
                      runs, [&] { (void)beautifyInPlace(*image); }, [&] { image = frame.crop(selection, room); }));
    }
    Image cropped = *frame.crop(selection);
    printPart("mosaic", measure(runs, [&] { applyMosaic(cropped, list, {0, 0}, 1.0); }));
    printPart("surface round trip without drawing", measure(runs, [&] {
                  (void)surfaces.paint(cropped, [](Canvas&) {});
              }));
    printPart("surface round trip with the 30 annotations", measure(runs, [&] {
                  (void)surfaces.paint(cropped, [&](Canvas& canvas) {
                      drawAnnotations(canvas, {0, 0}, list, nullptr, selection, std::nullopt);
                  });
              }));
    printPart("backdrop into a new buffer", measure(runs, [&] { (void)beautify(cropped); }));

#ifdef _WIN32
    Gdiplus::GdiplusShutdown(token);
#endif
    return 0;
}
