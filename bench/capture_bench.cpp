// capture_desktop timed on the current display: one screen-to-bitmap copy and
// one memory copy of the whole virtual desktop. Windows only (under Wine:
// tools/bench/capture-bench.sh runs it on 1920x1080 and 3840x2160 displays).
//   capture_bench [RUNS]
#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "capture.h"

using namespace kestrix;

int main(int argc, char** argv) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    auto monitors = win::enumerate_monitors();
    if (!monitors) {
        std::printf("enumerate_monitors: %s\n", monitors.error().plain().c_str());
        return 1;
    }
    const Rect desktop = virtual_desktop(*monitors);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        auto frame = win::capture_desktop(*monitors);
        const auto stop = std::chrono::steady_clock::now();
        if (!frame) {
            std::printf("capture_desktop: %s\n", frame.error().plain().c_str());
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        frame->wipe();
    }
    std::sort(times.begin(), times.end());
    std::printf("capture_desktop %dx%d (%zu monitor(s)), %d runs: min %.1f ms, median %.1f ms, max %.1f ms\n",
                desktop.width, desktop.height, monitors->size(), runs, times.front(), times[times.size() / 2],
                times.back());
    return 0;
}

#else

int main() {
    std::printf("capture_bench: Windows only (run it under Wine with tools/bench/capture-bench.sh)\n");
    return 0;
}

#endif
