// copy_image timed on a 3840x2160 screen, with its two payloads timed apart
// (the packed DIB and encodePng) and the system's own share: handing a DIB of
// that size to the clipboard and nothing else. Windows only (under Wine: tools/bench/clipboard-bench.sh).
//   clipboard_bench [--runs N] [SCREENSHOT.png ...]
// Without files a synthetic 3840x2160 interface screen is used; the screenshots
// of tools/bench/take-screenshots.sh give real ones.
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "clipboard.h"
#include "kestrix/dib.h"
#include "kestrix/image.h"

using namespace kestrix;

namespace {

std::optional<Image> load_png(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
    png.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) return std::nullopt;
    auto image = make_image(png.width, png.height, std::move(pixels));
    if (!image) return std::nullopt;
    return std::move(*image);
}

// A desktop gradient with three windows of text-like strokes: busy enough
// that the PNG is not trivially small, regular enough to look like a screen.
Image interface_screen(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    uint32_t seed = 7;
    struct Box { uint32_t x0, y0, x1, y1; };
    const Box windows[] = {{w / 20, h / 15, w / 2, h * 3 / 4}, {w * 2 / 5, h / 5, w * 19 / 20, h * 9 / 10},
                           {w / 8, h * 7 / 10, w * 3 / 5, h * 19 / 20}};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t c = 0x103050 + ((y * 96 / h) << 8) + (x * 64 / w);
            for (const Box& b : windows) {
                if (x < b.x0 || x >= b.x1 || y < b.y0 || y >= b.y1) continue;
                c = y < b.y0 + 48 ? 0xe8e8ec : 0xffffff;
                const uint32_t line = (y - b.y0) % 32, col = (x - b.x0) % 14;
                seed = seed * 1103515245u + 12345u;
                if (y > b.y0 + 60 && line > 6 && line < 26 && col < 10 && (seed >> 16) % 3 == 0)
                    c = 0x202020 + 0x282828 * ((seed >> 20) % 4);
            }
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16), p[3] = 255;
        }
    return std::move(*make_image(w, h, std::move(px)));
}

// This thread's processor time in milliseconds: on a busy machine it shows
// the work itself where the wall clock also counts the wait for a core.
double thread_cpu_ms() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) { return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

struct Figures {
    double min = 0, median = 0, max = 0, cpu_median = 0;
};

Figures time_runs(int runs, const std::function<bool()>& run) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const double cpu_start = thread_cpu_ms();
        const auto start = std::chrono::steady_clock::now();
        if (!run()) return {-1, -1, -1, -1};
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(thread_cpu_ms() - cpu_start);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall.front(), wall[wall.size() / 2], wall.back(), cpu[cpu.size() / 2]};
}

void print(const char* what, const Figures& f) {
    std::printf("  %-13s median %7.1f ms   min %7.1f   max %7.1f   (this thread's processor time: median %7.1f ms)\n",
                what, f.median, f.min, f.max, f.cpu_median);
}

// Open, empty, place a ready DIB block, close: what the clipboard itself costs
// for a payload of this size, whatever the encoding before it.
bool hand_over_dib(const std::vector<uint8_t>& dib) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (!block) return false;
    if (void* bytes = GlobalLock(block)) {
        std::memcpy(bytes, dib.data(), dib.size());
        GlobalUnlock(block);
    }
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_DIB, block) != nullptr;
    if (!placed) GlobalFree(block);
    CloseClipboard();
    return placed;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15;
    std::vector<std::pair<std::string, Image>> samples;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (auto image = load_png(arg)) {
            samples.emplace_back(arg.substr(arg.find_last_of("/\\") + 1), std::move(*image));
        } else {
            std::fprintf(stderr, "cannot read %s\n", arg.c_str());
            return 1;
        }
    }
    if (samples.empty()) samples.emplace_back("synthetic interface", interface_screen(3840, 2160));

    for (const auto& [name, image] : samples) {
        size_t png_bytes = 0;
        const size_t dib_bytes = packed_dib_size(image.width(), image.height()).value();
        std::vector<uint8_t> dib(dib_bytes);
        std::printf("%s, %ux%u, %d runs\n", name.c_str(), image.width(), image.height(), runs);
        print("packed DIB", time_runs(runs, [&] {
                  write_packed_dib(image, dib.data());
                  return true;
              }));
        print("encodePng", time_runs(runs, [&] {
                  auto png = encodePng(image);
                  if (png) png_bytes = png->size();
                  return png.ok();
              }));
        print("DIB hand-over", time_runs(runs, [&] { return hand_over_dib(dib); }));
        std::string error;
        const Figures copy = time_runs(runs, [&] {
            auto copied = win::copy_image(image);
            if (!copied) error = copied.error().plain();
            return copied.ok();
        });
        if (!error.empty()) {
            std::printf("  copy_image failed: %s\n", error.c_str());
            return 1;
        }
        print("copy_image", copy);
        std::printf("  payloads: DIB %zu bytes, PNG %zu bytes\n\n", dib_bytes, png_bytes);
    }
    return 0;
}

#else

int main() {
    std::printf("clipboard_bench: Windows only (run it under Wine with tools/bench/clipboard-bench.sh)\n");
    return 0;
}

#endif
