// The region overlay timed on the current display: what prepare_overlay makes
// before a capture, then from open_overlay being called to its first complete paint, then the repaint after a pointer move
// while selecting, hovering over the bare desktop and while dragging. The moves
// are posted to the window one at a time, each after the previous repaint.
// With --warm-up the process first warms its drawing the way the tray host does
// soon after start-up, and prints how long that took; without it the first open
// pays those first-use costs itself. A process has one first open, so the two
// figures come from two runs.
// Windows only (under Wine: tools/bench/overlay-bench.sh runs it both ways on
// 1920x1080 and 3840x2160 displays).
//   overlay_bench [MOVES] [--warm-up]
#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture.h"
#include "gdiplus_session.h"
#include "overlay.h"
#include "warm_up.h"

using namespace kestrix;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Series {
    std::vector<double> paint;    // the paint handler alone
    std::vector<double> latency;  // from posting the move to the end of its repaint
    std::vector<double> area;     // dirty pixels, in thousands

    void print(const char* name) {
        if (paint.empty()) return;
        std::sort(paint.begin(), paint.end());
        std::sort(latency.begin(), latency.end());
        std::sort(area.begin(), area.end());
        std::printf("%s, %zu moves: paint median %.2f ms (max %.2f), move to repainted median %.2f ms (max %.2f), "
                    "dirty median %.0f kpx\n",
                    name, paint.size(), paint[paint.size() / 2], paint.back(), latency[latency.size() / 2],
                    latency.back(), area[area.size() / 2]);
    }
};

// One overlay opened on the frozen desktop and driven by posted moves until the
// right button cancels it; prints its figures.
bool run_once(const Frame& frame, const std::vector<Monitor>& monitors, int moves, const char* label) {
    const Rect desktop = virtual_desktop(monitors);
    const int cx = desktop.width / 2, cy = desktop.height / 2;

    enum class Stage { First, Hover, Drag, Done } stage = Stage::First;
    Series hover, drag;
    int step = 0;
    Clock::time_point posted, opened;
    double first_paint = 0;

    auto post_move = [&](HWND window, int x, int y, WPARAM buttons) {
        posted = Clock::now();
        PostMessageW(window, WM_MOUSEMOVE, buttons, MAKELPARAM(x, y));
    };
    win::set_overlay_paint_observer([&](const win::OverlayPaint& paint) {
        const auto record = [&](Series& s) {
            s.paint.push_back(ms(paint.ended - paint.begun));
            s.latency.push_back(ms(paint.ended - posted));
            s.area.push_back(double(paint.dirty.width) * paint.dirty.height / 1000.0);
        };
        switch (stage) {
            case Stage::First:
                first_paint = ms(paint.ended - opened);
                stage = Stage::Hover;
                post_move(paint.window, cx, cy, 0);
                return;
            case Stage::Hover:
                if (step > 0) record(hover);  // the first move may bring a new hover highlight
                if (++step < moves) {
                    post_move(paint.window, cx + 3 * step, cy + 2 * step, 0);
                    return;
                }
                stage = Stage::Drag;
                step = 0;
                PostMessageW(paint.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx - 200, cy - 150));
                post_move(paint.window, cx - 100, cy - 100, MK_LBUTTON);
                return;
            case Stage::Drag:
                if (step > 0) record(drag);
                if (++step < moves) {
                    post_move(paint.window, cx - 100 + 4 * step, cy - 100 + 3 * step, MK_LBUTTON);
                    return;
                }
                stage = Stage::Done;
                PostMessageW(paint.window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cx, cy));  // cancels
                return;
            case Stage::Done: return;
        }
    });
    // Each posted move must land elsewhere than the pointer, or nothing repaints.
    SetCursorPos(desktop.x + 10, desktop.y + 10);
    // What a capture session makes before its capture.
    const Clock::time_point preparing = Clock::now();
    win::prepare_overlay(monitors);
    const double prepare_ms = ms(Clock::now() - preparing);
    opened = Clock::now();
    auto outcome = win::open_overlay(frame, monitors, Config{}, false);
    win::set_overlay_paint_observer({});
    if (!outcome) {
        std::printf("open_overlay: %s\n", outcome.error().plain().c_str());
        return false;
    }
    std::printf("  prepare_overlay, before the capture: %.1f ms\n", prepare_ms);
    std::printf("overlay %dx%d, %s: open_overlay to first complete paint %.1f ms\n", desktop.width, desktop.height,
                label, first_paint);
    hover.print("  selecting, hovering");
    drag.print("  selecting, dragging");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    win::GdiplusSession gdiplus;
    int moves = 60;
    bool warm = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--warm-up") == 0)
            warm = true;
        else
            moves = std::max(2, std::atoi(argv[i]));
    }
    auto monitors = win::enumerate_monitors();
    if (!monitors) return 1;
    auto frame = win::capture_desktop(*monitors);
    if (!frame) return 1;
    // In kestrix.exe the tray host's own window (never shown) exists before any
    // capture, so the process's first window is not the overlay's.
    const HWND host_like = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (warm) {
        const Clock::time_point begun = Clock::now();
        win::warm_up_drawing();
        std::printf("warm-up: %.1f ms\n", ms(Clock::now() - begun));
    }
    // Without the warm-up the first overlay of a process also pays for GDI+'s
    // first text (font lookup) and other first uses; later captures do not.
    const bool ok = run_once(*frame, *monitors, moves, warm ? "first in the process, warmed up" : "first in the process, cold") &&
                    run_once(*frame, *monitors, moves, "again");
    frame->wipe();
    if (host_like) DestroyWindow(host_like);
    return ok ? 0 : 1;
}

#else

int main() {
    std::printf("overlay_bench: Windows only (run it under Wine with tools/bench/overlay-bench.sh)\n");
    return 0;
}

#endif
