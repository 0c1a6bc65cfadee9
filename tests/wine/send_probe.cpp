// Calls send_to_device the way a capture session does, with the bytes of a PNG
// file, and times the panel from outside its modal loop:
//   send_probe FILE.png [CLOSE_AFTER_MS [LANGUAGE]]   (300 ms and English by default)
//   -> "panel shown after 41.2 ms"
//      "closed: send_to_device returned 12.3 ms after WM_CLOSE"
// A thread of the probe watches for the panel, waits CLOSE_AFTER_MS and closes it
// as the close box would. Before the clock starts the probe makes a window and
// measures a text once, as kestrix.exe's tray host has long done by the time a
// capture is sent: a process's first window and font cost seconds under Wine.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "kestrix/i18n.h"
#include "sendpanel.h"
#include "wide_text.h"

using Clock = std::chrono::steady_clock;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: send_probe FILE.png [CLOSE_AFTER_MS [LANGUAGE]]\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<uint8_t> png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (png.empty()) {
        std::printf("cannot read the file\n");
        return 1;
    }
    const int close_after = argc > 2 ? _wtoi(argv[2]) : 300;
    if (argc > 3) kestrix::set_language(kestrix::match_language_tag(kestrix::win::narrow(argv[3])));

    {
        const HWND warm = CreateWindowExW(0, L"STATIC", L"warm", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        const HFONT font = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
        const HDC dc = GetDC(warm);
        const HGDIOBJ previous = SelectObject(dc, font);
        RECT rect{};
        DrawTextW(dc, L"warm", 4, &rect, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, previous);
        ReleaseDC(warm, dc);
        DeleteObject(font);
        DestroyWindow(warm);
    }

    std::atomic<bool> done{false};
    Clock::time_point shown{}, closing{};
    const Clock::time_point called = Clock::now();
    std::thread watcher([&] {
        while (!done) {
            const HWND panel = FindWindowW(L"KestrixSendPanel", nullptr);
            if (panel && IsWindowVisible(panel)) {
                shown = Clock::now();
                Sleep(DWORD(close_after));
                closing = Clock::now();
                PostMessageW(panel, WM_CLOSE, 0, 0);
                return;
            }
            Sleep(1);
        }
    });
    const auto sent = kestrix::win::send_to_device(png, "Kestrix 2024-01-02 03-04-05.png");
    const Clock::time_point returned = Clock::now();
    done = true;
    watcher.join();
    if (!sent) {
        std::printf("send_to_device failed: %s\n", sent.error().plain().c_str());
        return 1;
    }
    using Ms = std::chrono::duration<double, std::milli>;
    std::printf("panel shown after %.1f ms\n", Ms(shown - called).count());
    std::printf("closed: send_to_device returned %.1f ms after WM_CLOSE\n", Ms(returned - closing).count());
    return 0;
}
