// encodePng on realistic screenshots: milliseconds and bytes for libpng's
// defaults and for candidate deflate settings (level, row filters, strategy),
// with every candidate's output decoded again and checked pixel for pixel.
//
//   png_bench [--grid] [--reps N] [SCREENSHOT.png ...]
//
// tools/bench/take-screenshots.sh takes the screenshots (names starting with
// ui-, text-, photo- or flat-). Without files, synthetic screens are used.
// --grid tries every level 1-6 x filter x strategy instead of the short list.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "kestrix/image.h"

using namespace kestrix;

static_assert(PngSettings{}.filters == PNG_FILTER_UP && PngSettings{}.strategy == Z_DEFAULT_STRATEGY,
              "image.h spells the shipped filter and strategy as numbers");

namespace {

struct Sample {
    std::string name;  // "ui-1920x1080" ...
    std::string kind;  // ui, text, photo, flat
    Image image;
};

struct Candidate {
    std::string name;
    PngSettings settings;
};

std::string kind_of(const std::string& name) {
    for (const char* kind : {"ui", "text", "photo", "flat"})
        if (name.rfind(kind, 0) == 0) return kind;
    return "other";
}

std::optional<Image> load_png(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), png.message);
        return std::nullopt;
    }
    png.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), png.message);
        return std::nullopt;
    }
    auto image = make_image(png.width, png.height, std::move(pixels));
    if (!image) return std::nullopt;
    return std::move(*image);
}

// Stand-ins when no screenshots are given: a window-like screen with lines of
// glyph-like strokes, and a nearly uniform desktop.
Image synthetic(uint32_t w, uint32_t h, bool flat) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    auto put = [&](uint32_t x, uint32_t y, uint32_t rgb) {
        uint8_t* p = &px[(size_t(y) * w + x) * 4];
        p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16), p[3] = 255;
    };
    uint32_t seed = 99;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t c = 0x2d5f8b;
            if (!flat && x > w / 10 && x < w * 8 / 10 && y > h / 12 && y < h * 9 / 10) {
                c = y < h / 12 + 24 ? 0xd4d0c8 : 0xffffff;
                const uint32_t line = (y - h / 12) % 18, col = x % 9;
                seed = seed * 1103515245u + 12345u;
                if (y > h / 12 + 30 && line > 3 && line < 15 && col < 6 && ((seed >> 16) % 3 == 0))
                    c = 0x101010 + 0x303030 * ((seed >> 20) % 4);
            }
            if (flat && x > w * 8 / 10 && y > h * 7 / 10) c = 0xc0c0c0;
            put(x, y, c);
        }
    return std::move(*make_image(w, h, std::move(px)));
}

// The region of the grid worth a closer look: the fast deflate levels (1-3)
// give files 1.5 to 2 times larger on interface screens whatever the filter;
// levels 4 to 6 with one cheap filter are where the trade-off lies.
// Candidates other than the shipped ones are timed as libpng's single stream, so
// that their rows compare deflate settings alone.
std::vector<Candidate> single_stream(std::vector<Candidate> candidates) {
    for (Candidate& c : candidates)
        if (c.name.rfind("kestrix", 0) != 0) c.settings.strips = 1;
    return candidates;
}

std::vector<Candidate> short_list() {
    const int N = PNG_FILTER_NONE, S = PNG_FILTER_SUB, U = PNG_FILTER_UP, P = PNG_FILTER_PAETH;
    const int D = Z_DEFAULT_STRATEGY;
    return single_stream({
        {"libpng default (6, all, filtered)", {-1, -1, -1}},
        {"kestrix default (PngSettings{})", PngSettings{}},
        {"kestrix default, one stream", {5, PNG_FILTER_UP, Z_DEFAULT_STRATEGY, 1}},
        {"kestrix default, two strips", {5, PNG_FILTER_UP, Z_DEFAULT_STRATEGY, 2}},
        {"1, all, filtered", {1, PNG_ALL_FILTERS, Z_FILTERED}},
        {"1, up, default", {1, U, D}},
        {"1, paeth, rle", {1, P, Z_RLE}},
        {"3, up, default", {3, U, D}},
        {"4, none, default", {4, N, D}},
        {"4, sub, default", {4, S, D}},
        {"4, up, default", {4, U, D}},
        {"4, paeth, default", {4, P, D}},
        {"4, none+up, default", {4, N | U, D}},
        {"5, none, default", {5, N, D}},
        {"5, none+up, default", {5, N | U, D}},
        {"5, up, default", {5, U, D}},
        {"5, paeth, default", {5, P, D}},
        {"6, none, default", {6, N, D}},
        {"6, up, default", {6, U, D}},
    });
}

std::vector<Candidate> grid() {
    const std::vector<std::pair<const char*, int>> filters = {
        {"none", PNG_FILTER_NONE}, {"sub", PNG_FILTER_SUB}, {"up", PNG_FILTER_UP},
        {"paeth", PNG_FILTER_PAETH}, {"none+up", PNG_FILTER_NONE | PNG_FILTER_UP}, {"sub+up", PNG_FILTER_SUB | PNG_FILTER_UP}, {"all", PNG_ALL_FILTERS}};
    const std::vector<std::pair<const char*, int>> strategies = {
        {"default", Z_DEFAULT_STRATEGY}, {"filtered", Z_FILTERED}, {"rle", Z_RLE}};
    std::vector<Candidate> out = {{"libpng default (6, all, filtered)", {-1, -1, -1}}};
    for (int level = 1; level <= 6; ++level)
        for (auto [fname, f] : filters)
            for (auto [sname, s] : strategies)
                out.push_back({std::to_string(level) + ", " + fname + ", " + sname, {level, f, s}});
    return single_stream(std::move(out));
}

bool same_pixels(const std::vector<uint8_t>& png_bytes, const Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, png_bytes.data(), png_bytes.size())) return false;
    if (png.width != image.width() || png.height != image.height()) return false;
    png.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) return false;
    const auto& src = image.pixels();
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (std::memcmp(&pixels[i], &src[i], 3) != 0) return false;
    return true;
}

struct Measure {
    double ms = 0;
    size_t bytes = 0;
    bool exact = false;
};

Measure measure(const Image& image, const PngSettings& settings, int reps) {
    Measure m;
    m.ms = 1e30;
    for (int r = 0; r < reps; ++r) {
        const auto start = std::chrono::steady_clock::now();
        auto png = encodePng(image, settings);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!png) return m;
        m.ms = std::min(m.ms, ms);
        if (r == 0) {
            m.bytes = png->size();
            m.exact = same_pixels(*png, image);
        }
    }
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    bool use_grid = false;
    int reps = 3;
    std::vector<Sample> samples;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--grid") {
            use_grid = true;
        } else if (arg == "--reps" && i + 1 < argc) {
            reps = std::max(1, std::atoi(argv[++i]));
        } else if (auto image = load_png(arg)) {
            std::string name = arg.substr(arg.find_last_of("/\\") + 1);
            name = name.substr(0, name.rfind('.'));
            samples.push_back({name, kind_of(name), std::move(*image)});
        } else {
            return 1;
        }
    }
    if (samples.empty()) {
        std::printf("no screenshots given: using synthetic screens\n");
        samples.push_back({"ui-synthetic-1920x1080", "ui", synthetic(1920, 1080, false)});
        samples.push_back({"flat-synthetic-1920x1080", "flat", synthetic(1920, 1080, true)});
    }
    const auto candidates = use_grid ? grid() : short_list();
    std::printf("encodePng, best of %d runs; 'speed' and 'size' are relative to libpng's defaults\n\n", reps);

    // Per candidate: speed-ups and size ratios on text and interface screens,
    // and the worst size ratio on flat ones.
    struct Totals {
        double log_speed = 0, log_size = 0, worst_size = 0, worst_flat = 0, worst_photo = 0;
        int n = 0;
        bool exact = true;
    };
    std::map<std::string, Totals> totals;

    for (const Sample& sample : samples) {
        std::printf("%s (%ux%u, %s)\n", sample.name.c_str(), sample.image.width(), sample.image.height(),
                    sample.kind.c_str());
        std::printf("  %-36s %9s %11s %7s %7s\n", "settings", "ms", "bytes", "speed", "size");
        Measure base;
        for (size_t c = 0; c < candidates.size(); ++c) {
            const Measure m = measure(sample.image, candidates[c].settings, reps);
            if (c == 0) base = m;
            const double speed = base.ms / m.ms, size = double(m.bytes) / double(base.bytes);
            std::printf("  %-36s %9.1f %11zu %6.2fx %6.2fx%s\n", candidates[c].name.c_str(), m.ms, m.bytes, speed, size,
                        m.exact ? "" : "  PIXELS DIFFER");
            Totals& t = totals[candidates[c].name];
            t.exact = t.exact && m.exact;
            if (sample.kind == "ui" || sample.kind == "text") {
                t.log_speed += std::log(speed);
                t.log_size += std::log(size);
                t.worst_size = std::max(t.worst_size, size);
                ++t.n;
            } else if (sample.kind == "flat") {
                t.worst_flat = std::max(t.worst_flat, size);
            } else if (sample.kind == "photo") {
                t.worst_photo = std::max(t.worst_photo, size);
            }
        }
        std::printf("\n");
    }

    std::printf("trade-off over the text and interface screens (geometric means), worst size ratios\n");
    std::printf("  %-36s %7s %7s %10s %10s %10s\n", "settings", "speed", "size", "worst ui", "worst flat",
                "worst photo");
    for (const Candidate& c : candidates) {
        const Totals& t = totals[c.name];
        const double n = std::max(1, t.n);
        std::printf("  %-36s %6.2fx %6.2fx %9.2fx %9.2fx %10.2fx%s\n", c.name.c_str(), std::exp(t.log_speed / n),
                    std::exp(t.log_size / n), t.worst_size, t.worst_flat, t.worst_photo,
                    t.exact ? "" : "  PIXELS DIFFER");
    }
    const PngSettings shipped{};
    std::printf("\nkestrix::PngSettings defaults: level %d, filters 0x%02x, strategy %d, strips %u (0: one per processor, here %u)\n",
                shipped.level, shipped.filters, shipped.strategy, shipped.strips, std::thread::hardware_concurrency());
    return 0;
}
