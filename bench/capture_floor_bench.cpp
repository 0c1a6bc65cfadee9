// The floor under any capture's first frame, taken as a program that does
// nothing else would take it:
// - for every line read on standard input, one BitBlt of the whole virtual
//   desktop, printed as "floor fresh 21.4 kept 18.9" (milliseconds): into a bitmap
//   made for it, as a capture must, and into one kept from the start;
// - on Ctrl+Alt+F (a hotkey, for a watcher outside the program to time as it
//   times Kestrix) the least a first frame needs: the desktop copied into a new
//   bitmap, dimmed by 45 % in place, a topmost window over the desktop shown and
//   the bitmap copied into it once. The window goes again after 700 ms. When
//   KESTRIX_FIRST_FRAME_LOG names a file, each such frame appends the line
//   Kestrix writes there for its own: the hotkey to the capture, the capture,
//   and its end to the copy into the window done (milliseconds).
// Windows only; tools/bench/first-frame-bench.sh interleaves it with Kestrix's
// own captures.
#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>

#include "kestrix/dimming.h"

namespace {

constexpr UINT kDimPercent = 45;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShownMs = 700;

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double ms_between(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Where the plainest first frame spent its time, in Kestrix's own format.
void log_first_frame(std::chrono::steady_clock::time_point hotkey, std::chrono::steady_clock::time_point begun,
                     std::chrono::steady_clock::time_point ended) {
    const auto painted = std::chrono::steady_clock::now();
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("KESTRIX_FIRST_FRAME_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "hotkey-to-capture %.1f capture %.1f capture-to-painted %.1f\n", ms_between(hotkey, begun),
                     ms_between(begun, ended), ms_between(ended, painted));
        std::fclose(f);
    }
}

RECT virtual_screen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

HBITMAP desktop_bitmap(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
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

// The plainest first frame: capture, dim, show, copy.
void show_first_frame(HWND* shown, std::chrono::steady_clock::time_point hotkey) {
    if (*shown) return;
    const auto begun = std::chrono::steady_clock::now();
    const RECT d = virtual_screen();
    const int width = d.right - d.left, height = d.bottom - d.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = desktop_bitmap(screen, width, height, &bits);
    if (bitmap && bits) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, d.left, d.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const auto ended = std::chrono::steady_clock::now();
        auto* pixels = static_cast<uint8_t*>(bits);
        const size_t stride = size_t(width) * 4;
        kestrix::dim_pixels({pixels, stride}, {pixels, stride}, uint32_t(width), uint32_t(height), kDimPercent);
        *shown = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"FloorFrame", L"", WS_POPUP, d.left, d.top, width,
                                 height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (*shown) {
            ShowWindow(*shown, SW_SHOW);
            HDC window = GetDC(*shown);
            BitBlt(window, 0, 0, width, height, memory, 0, 0, SRCCOPY);
            ReleaseDC(*shown, window);
            log_first_frame(hotkey, begun, ended);
            SetTimer(*shown, kCloseTimer, kShownMs, nullptr);
        }
        SelectObject(memory, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
        ValidateRect(window, nullptr);  // the one copy has drawn it
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// The hotkey's thread: a message loop of its own beside the reading of standard input.
void hotkey_loop() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = frame_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FloorFrame";
    RegisterClassExW(&wc);
    if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'F')) return;
    HWND shown = nullptr;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_HOTKEY) {
            show_first_frame(&shown, std::chrono::steady_clock::now());
        } else if (msg.message == WM_TIMER && msg.hwnd == shown) {
            DestroyWindow(shown);
            shown = nullptr;
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

int main() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    std::thread(hotkey_loop).detach();
    const RECT desktop = virtual_screen();
    const int width = desktop.right - desktop.left, height = desktop.bottom - desktop.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* kept_bits = nullptr;
    HBITMAP kept = desktop_bitmap(screen, width, height, &kept_bits);
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
        void* bits = nullptr;
        HBITMAP fresh = desktop_bitmap(screen, width, height, &bits);
        const double made = ms_since(start);
        const double fresh_ms = fresh ? blit(screen, memory, fresh, desktop) : -1;
        if (fresh) DeleteObject(fresh);
        const double kept_ms = blit(screen, memory, kept, desktop);
        std::printf("floor fresh %.1f kept %.1f\n", fresh_ms < 0 ? -1 : made + fresh_ms, kept_ms);
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
