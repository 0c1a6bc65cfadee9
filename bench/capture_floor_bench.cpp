// The floor under any capture's first frame: one BitBlt of the whole virtual
// desktop into a bitmap, as a program that does nothing else would take it.
// For every line read on standard input it takes one and prints
//   floor fresh 21.4 reused 18.9
// in milliseconds: into a bitmap made for it (what a capture must do) and into
// one kept from the start. Windows only; tools/bench/first-frame-bench.sh
// interleaves it with Kestrix's own captures.
#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <string>

namespace {

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

HBITMAP desktop_bitmap(HDC dc, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// Milliseconds for one copy of the desktop into `bitmap`, negative on failure.
double blit(HDC screen, HDC memory, HBITMAP bitmap, const RECT& desktop) {
    const auto start = std::chrono::steady_clock::now();
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const BOOL ok = BitBlt(memory, 0, 0, desktop.right - desktop.left, desktop.bottom - desktop.top, screen, desktop.left,
                           desktop.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory, previous);
    return ok ? ms_since(start) : -1;
}

}  // namespace

int main() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const RECT desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const int width = desktop.right - desktop.left, height = desktop.bottom - desktop.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP kept = desktop_bitmap(screen, width, height);
    if (!screen || !memory || !kept) {
        std::printf("error: no bitmap of %dx%d\n", width, height);
        return 1;
    }
    blit(screen, memory, kept, desktop);  // the first copy of a process sets up its connection
    std::printf("ready %dx%d\n", width, height);
    std::fflush(stdout);
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        const auto start = std::chrono::steady_clock::now();
        HBITMAP fresh = desktop_bitmap(screen, width, height);
        const double made = ms_since(start);
        const double fresh_ms = fresh ? blit(screen, memory, fresh, desktop) : -1;
        if (fresh) DeleteObject(fresh);
        const double reused_ms = blit(screen, memory, kept, desktop);
        std::printf("floor fresh %.1f reused %.1f\n", fresh_ms < 0 ? -1 : made + fresh_ms, reused_ms);
        std::fflush(stdout);
    }
    DeleteObject(kept);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return 0;
}

#else

int main() {
    std::printf("capture_floor_bench: Windows only (tools/bench/first-frame-bench.sh runs it under Wine)\n");
    return 0;
}

#endif
