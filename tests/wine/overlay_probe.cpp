// Opens the region overlay on the real (virtual) desktop the way a capture
// session does and prints what it returned, so that a script can drive it with
// the X server's pointer and keyboard.
//   overlay_probe.exe [--dim N] [--save-as] [--transfer] [--window X,Y,W,H] [--out IMAGE.png] [--copy] [--again]
//   overlay_probe.exe --no-frame   (what a user reads when the desktop has no area or the frame no tile)
// --copy puts the finished picture on the clipboard as a capture session does;
// --again then opens a second overlay in the same process, as the next capture.
// --window first opens a window of the probe's own (rgb(30, 160, 90) with a patch
// of stripes) at that desktop rectangle, for the overlay to snap to;
// --activate-after MS brings that window to the front while the overlay is open,
// as switching to another program would; so does the broadcast message
// "OverlayProbe.Activate" (post_broadcast.exe), whenever a script sends it.
// Prints "ready ..." once the first paint is on screen, then after the overlay
// has closed one "outcome:" line, what the user reads when a finished capture has
// no picture ("failure: ..."), the clipboard's text and the timings.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "capture.h"
#include "clipboard.h"
#include "error_text.h"
#include "gdiplus_session.h"
#include "kestrix/i18n.h"
#include "kestrix/image.h"
#include "overlay.h"
#include "wide_text.h"

using namespace kestrix;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string rect_text(const Rect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

// FNV-1a over the pixels: two runs that show the same picture print the same sum.
uint32_t checksum(const Image& image) {
    uint32_t h = 2166136261u;
    for (uint8_t b : image.pixels()) h = (h ^ b) * 16777619u;
    return h;
}

std::string clipboard_text() {
    if (!OpenClipboard(nullptr)) return "(busy)";
    std::string text = "(none)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = win::narrow(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// Plain green with a patch of light stripes at (200, 170)-(320, 215) of the
// window, so that pixelation has something to average.
LRESULT CALLBACK target_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    static const UINT activate = RegisterWindowMessageW(L"OverlayProbe.Activate");
    if (message == activate) {
        SetForegroundWindow(window);
        SetFocus(window);
        return 0;
    }
    if (message != WM_PAINT) return DefWindowProcW(window, message, wparam, lparam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH stripe = CreateSolidBrush(RGB(240, 240, 240));
    for (int x = 200; x < 320; x += 6) {
        const RECT r{x, 170, x + 3, 215};
        FillRect(dc, &r, stripe);
    }
    DeleteObject(stripe);
    EndPaint(window, &ps);
    return 0;
}

// A window to snap to, shown and drawn before the desktop is captured.
HWND open_target_window(const Rect& r) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = target_window;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(30, 160, 90));
    wc.lpszClassName = L"OverlayProbeTarget";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"overlay probe target", WS_POPUP, r.x, r.y, r.width, r.height,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    // Until the X server shows it (the screen's pixels are the server's): a window
    // mapped only after the overlay would lie above it. Then a little longer, for the
    // server's last word about it.
    HDC screen = GetDC(nullptr);
    const auto pump = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    };
    const auto limit = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < limit && GetPixel(screen, r.x + 10, r.y + 10) != RGB(30, 160, 90)) pump();
    ReleaseDC(nullptr, screen);
    const auto settled = Clock::now() + std::chrono::milliseconds(300);
    while (Clock::now() < settled) pump();
    return window;
}

HWND target_handle = nullptr;

void CALLBACK activate_target(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    SetForegroundWindow(target_handle);
    SetFocus(target_handle);
}

bool write_png(const Image& image, const char* path) {
    auto png = encodePng(image);
    if (!png) return false;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->size()));
    return bool(out);
}

}  // namespace

// The two capture steps that fail without a system call behind them, as the user reads them.
int without_a_frame(const Config& config) {
    set_language(kEnglish);
    auto frame = win::capture_desktop({});
    std::printf("capture without monitors: %s\n", frame ? "a frame" : error_text(frame.error()).c_str());
    auto monitors = win::enumerate_monitors();
    if (!monitors) return 1;
    auto outcome = win::open_overlay(Frame{}, *monitors, config, false);
    std::printf("overlay without a tile: %s\n", outcome ? "an outcome" : error_text(outcome.error()).c_str());
    return 0;
}

// One capture as a session makes it: the desktop, the overlay, the outcome printed;
// "ready" once its first paint is on the screen.
int capture_once(const Config& config, bool save_as, const char* out_path, bool copy) {
    auto monitors = win::enumerate_monitors();
    if (!monitors) {
        std::printf("enumerate_monitors: %s\n", monitors.error().plain().c_str());
        return 1;
    }
    auto frame = win::capture_desktop(*monitors);
    if (!frame) {
        std::printf("capture_desktop: %s\n", frame.error().plain().c_str());
        return 1;
    }
    std::printf("desktop: %s\n", rect_text(virtual_desktop(*monitors)).c_str());

    const Clock::time_point opened = Clock::now();
    std::optional<Clock::time_point> last_paint;
    bool first = true;
    win::set_overlay_paint_observer([&](const win::OverlayPaint& paint) {
        last_paint = paint.ended;
        if (!first) return;
        first = false;
        RECT r;
        GetWindowRect(paint.window, &r);
        std::printf("ready: window %ld,%ld %ldx%ld first paint %.1f ms\n", r.left, r.top, r.right - r.left,
                    r.bottom - r.top, ms(paint.ended - opened));
        std::fflush(stdout);
    });
    auto outcome = win::open_overlay(*frame, *monitors, config, save_as);
    const Clock::time_point closed = Clock::now();
    win::set_overlay_paint_observer({});
    frame->wipe();
    if (!outcome) {
        std::printf("open_overlay: %s\n", outcome.error().plain().c_str());
        return 1;
    }

    std::string line = "outcome: selection ";
    line += outcome->selection ? rect_text(*outcome->selection) : "none";
    line += " save " + std::to_string(outcome->save) + " send " + std::to_string(outcome->send) + " pin " +
            std::to_string(outcome->pin);
    line += " colour " + outcome->colour_text.value_or("none");
    if (outcome->image) {
        char sum[16];
        std::snprintf(sum, sizeof sum, "%08x", checksum(*outcome->image));
        line += " image " + std::to_string(outcome->image->width()) + "x" + std::to_string(outcome->image->height()) +
                " sum " + sum;
        if (out_path && !write_png(*outcome->image, out_path)) line += " (not written)";
        if (copy) {
            // A session's copy belongs to the host window; the probe has none, so a
            // hidden window of its own holds the data after the overlay closes.
            static const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                      GetModuleHandleW(nullptr), nullptr);
            if (auto png = encodePng(*outcome->image); !png) {
                line += " (not copied: no PNG)";
            } else {
                auto copied = win::copy_image_owned_by(owner, *outcome->image, *png);
                line += copied ? " copied" : " (not copied: " + copied.error().plain() + ")";
            }
        }
    } else {
        line += " image none";
    }
    std::printf("%s\n", line.c_str());
    if (outcome->failure) {
        set_language(kEnglish);
        std::printf("failure: %s\n", error_text(*outcome->failure).c_str());
    }
    std::printf("clipboard: %s\n", clipboard_text().c_str());
    if (last_paint) std::printf("closed %.0f ms after the last paint\n", ms(closed - *last_paint));
    std::fflush(stdout);
    return 0;
}

int main(int argc, char** argv) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    win::GdiplusSession gdiplus;
    Config config;
    config.overlay_dim_percent = 45;
    bool save_as = false;
    const char* out_path = nullptr;
    std::optional<Rect> target;
    UINT activate_after = 0;
    bool copy = false, again = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--dim") && i + 1 < argc) config.overlay_dim_percent = uint8_t(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--save-as")) save_as = true;
        else if (!std::strcmp(argv[i], "--transfer")) config.transfer_enabled = true;
        else if (!std::strcmp(argv[i], "--no-frame")) return without_a_frame(config);
        else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) out_path = argv[++i];
        else if (!std::strcmp(argv[i], "--copy")) copy = true;
        else if (!std::strcmp(argv[i], "--again")) again = true;
        else if (!std::strcmp(argv[i], "--activate-after") && i + 1 < argc) activate_after = UINT(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--window") && i + 1 < argc) {
            Rect r;
            if (std::sscanf(argv[++i], "%d,%d,%d,%d", &r.x, &r.y, &r.width, &r.height) != 4) return 2;
            target = r;
        }
        else {
            std::fprintf(stderr, "usage: overlay_probe [--dim N] [--save-as] [--transfer] [--window X,Y,W,H "
                                 "[--activate-after MS]] [--out IMAGE.png] [--copy] [--again] | --no-frame\n");
            return 2;
        }
    }

    if (target) target_handle = open_target_window(*target);
    // A thread timer: its message is dispatched by the overlay's own loop.
    if (activate_after && target_handle) SetTimer(nullptr, 0, activate_after, activate_target);
    const int status = capture_once(config, save_as, out_path, copy);
    if (status != 0 || !again) return status;
    return capture_once(config, false, nullptr, false);
}
